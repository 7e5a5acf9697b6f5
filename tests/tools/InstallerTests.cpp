#include "ToolsFixture.h"
#include "gdi/Gdi.h"
#include "win32/CodePage.h"
#include "win32/FileApi.h"
#include "win32/Registry.h"
#include "win32/Shell.h"
#include "win32/WideString.h"

namespace fs = std::filesystem;

class InstallerTest : public ToolsFixture {};

TEST_F(InstallerTest, LaysTheWindowsFolderTheInstallFolderAndTheSettingsKey)
{
    Install();
    EXPECT_NE(GetFileAttributesW(u"C:\\Windows\\Notepad.exe"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(u"C:\\Windows\\hh.exe"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(u"C:\\Windows\\System32"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(GetFileAttributesW(u"C:\\Program Files\\Pellinor\\Stavrel.exe"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(u"C:\\Windows\\System32\\regsvr32.exe"), INVALID_FILE_ATTRIBUTES);
    std::string help =
        ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm"));
    EXPECT_NE(help.find("<html"), std::string::npos);

    EXPECT_NE(GetFileAttributesW(u"C:\\Program Files\\Lotus\\Notes\\Data\\names.nsf"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(u"C:\\Program Files\\Lotus\\Notes\\Data\\mail\\rhale.nsf"), INVALID_FILE_ATTRIBUTES);

    HKEY key = nullptr;
    WCHAR value[MAX_PATH] = {};
    DWORD dataSize = sizeof value;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegQueryValueExW(key, u"DirectoryValue", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &dataSize),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(std::u16string(value), u"C:\\Program Files\\Lotus\\Notes\\Data\\") << "with its closing backslash";

    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD size = sizeof value, type = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"FilePath", nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::u16string(value), u"C:\\Program Files\\Pellinor");
}

TEST_F(InstallerTest, ASecondInstallKeepsTheUsersFiles)
{
    Install();
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt"), "\r\nkept");
    Install();
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")), "\r\nkept");
}

TEST_F(InstallerTest, TheMachinesCodePageIsUtf8UnlessWindows1252IsAskedFor)
{
    auto acp = [] {
        HKEY key = nullptr;
        WCHAR value[16] = {};
        DWORD bytes = sizeof value - sizeof(WCHAR);
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCodePageKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryValueExW(key, kAnsiCodePageValue, nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &bytes);
            RegCloseKey(key);
        }
        return std::u16string(value);
    };
    Install();
    EXPECT_EQ(acp(), u"65001");
    EXPECT_EQ(GetACP(), CP_UTF8);
    install::InstallOptions options{m_root, MARLWICK_PROGRAMS_DIR, MARLWICK_RESOURCES_DIR};
    options.ansiCodePage = 1252;
    std::string error;
    ASSERT_TRUE(install::InstallMachine(options, &error)) << error;
    EXPECT_EQ(acp(), u"1252");
    EXPECT_EQ(GetACP(), 1252u);
    options.ansiCodePage = 932;
    EXPECT_FALSE(install::InstallMachine(options, &error));
    EXPECT_NE(error.find("932"), std::string::npos) << error;
}

TEST_F(InstallerTest, AMissingProgramIsReported)
{
    std::string error;
    EXPECT_FALSE(install::InstallMachine({m_root, m_root / "no-programs", MARLWICK_RESOURCES_DIR}, &error));
    EXPECT_NE(error.find("Notepad"), std::string::npos);
}

TEST_F(InstallerTest, LaysEveryBitmapThatTheProgramsLoadFromTheInstallFolder)
{
    Install();
    for (const char16_t* name : {u"main.bmp", u"Skin.bmp", u"Flash.bmp", u"step1.bmp", u"step2.bmp", u"step3_mail.bmp",
                                 u"step3_add.bmp", u"step3_cal.bmp", u"step4.bmp", u"step5_mail.bmp",
                                 u"step5_add.bmp", u"step5_cal.bmp", u"step6.bmp"}) {
        // As the dialogs load them: the install folder, a backslash and the name.
        std::u16string path = std::u16string(u"C:\\Program Files\\Pellinor\\") + name;
        HANDLE bitmap = LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        EXPECT_NE(bitmap, nullptr) << Utf16ToUtf8(name);
        if (!bitmap)
            continue;
        BITMAP bm{};
        GetObjectW(bitmap, sizeof bm, &bm);
        if (std::u16string(name) == u"main.bmp") {
            EXPECT_EQ(bm.bmWidth, 713);
            EXPECT_EQ(bm.bmHeight, 488);
        }
        DeleteObject(bitmap);
    }
}

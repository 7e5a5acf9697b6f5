#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <filesystem>

namespace fs = std::filesystem;

class PathTest : public testsupport::MachineFixture {};

TEST_F(PathTest, FullPathsAreNormalised)
{
    EXPECT_EQ(win32::FullWindowsPath(u"c:\\Logs\\\\x\\"), u"C:\\Logs\\x");
    EXPECT_EQ(win32::FullWindowsPath(u"C:/a/./b/../c"), u"C:\\a\\c");
    EXPECT_EQ(win32::FullWindowsPath(u"\\Activity Log.txt"), u"C:\\Activity Log.txt");
    EXPECT_EQ(win32::FullWindowsPath(u"file. "), u"C:\\file");
    EXPECT_EQ(win32::FullWindowsPath(u"C:\\"), u"C:\\");
    EXPECT_EQ(win32::FullWindowsPath(u"C:\\..\\.."), u"C:\\");
    EXPECT_EQ(win32::FullWindowsPath(u"C:\\a\\bb\\..\\..\\c\\..\\d\\e"), u"C:\\d\\e");
    EXPECT_EQ(win32::FullWindowsPath(u"C:\\a\\...\\ b\\..\\c.. \\"), u"C:\\a\\c");
    EXPECT_EQ(win32::FullWindowsPath(u"C:\\a\\..\\..\\b"), u"C:\\b");
    LONG error = 0;
    EXPECT_FALSE(win32::FullWindowsPath(u"C:\\a<b", &error));
    EXPECT_EQ(error, ERROR_INVALID_NAME);
    EXPECT_FALSE(win32::FullWindowsPath(u"\\\\server\\share", &error));
}

TEST_F(PathTest, NamesResolveIgnoringCaseOneComponentAtATime)
{
    WriteHostFile(m_root / "drive_c" / "Program Files" / "Pellinor" / "Main.BMP", "x");
    auto found = win32::ResolvePath(u"c:\\PROGRAM FILES\\pellinor\\main.bmp", win32::Resolve::Existing);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->hostPath, m_root / "drive_c" / "Program Files" / "Pellinor" / "Main.BMP");
    EXPECT_TRUE(found->exists);

    // "c:\tol1.rtf" and "C:\tol1.rtf" are one file.
    WriteHostFile(m_root / "drive_c" / "tol1.rtf", "rtf");
    EXPECT_NE(GetFileAttributesW(u"C:\\TOL1.RTF"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(DeleteFileW(u"C:\\TOL1.rtf"));
    EXPECT_FALSE(fs::exists(m_root / "drive_c" / "tol1.rtf"));
}

// The root is read from the environment: a look-up after it changed finds
// the file in the new root, never in the one looked in before.
TEST_F(PathTest, ALookUpAfterTheRootChangedLooksInTheNewRoot)
{
    const fs::path other = m_root / "other-machine";
    WriteHostFile(m_root / "drive_c" / "tol.eml", "first");
    WriteHostFile(other / "drive_c" / "tol.eml", "second");
    auto first = win32::ResolvePath(u"C:\\tol.eml", win32::Resolve::Existing);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->hostPath, m_root / "drive_c" / "tol.eml");
    win32::SetMachineRoot(other);
    auto second = win32::ResolvePath(u"C:\\tol.eml", win32::Resolve::Existing);
    auto drive = win32::ResolvePath(u"c:\\", win32::Resolve::Existing);
    win32::SetMachineRoot(m_root);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->hostPath, other / "drive_c" / "tol.eml");
    ASSERT_TRUE(drive);
    EXPECT_EQ(drive->hostPath, other / "drive_c");
}

TEST_F(PathTest, MissingFoldersAndFilesGiveTheirOwnErrors)
{
    LONG error = 0;
    EXPECT_FALSE(win32::ResolvePath(u"C:\\nope\\file.txt", win32::Resolve::ParentExists, &error));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(win32::ResolvePath(u"C:\\file.txt", win32::Resolve::Existing, &error));
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    auto creatable = win32::ResolvePath(u"C:\\file.txt", win32::Resolve::ParentExists, &error);
    ASSERT_TRUE(creatable);
    EXPECT_FALSE(creatable->exists);
    EXPECT_FALSE(win32::ResolvePath(u"D:\\x", win32::Resolve::ParentExists, &error));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);

    std::u16string longPath = u"C:\\" + std::u16string(257, u'a');
    EXPECT_FALSE(win32::ResolvePath(longPath, win32::Resolve::ParentExists, &error));
    EXPECT_EQ(error, ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(PathTest, AnExactNameWinsAndEachLookUpSeesTheFolderAsItIsNow)
{
    const fs::path data = m_root / "drive_c" / "Data";
    WriteHostFile(data / "a.txt", "lower");
    WriteHostFile(data / "A.txt", "upper");
    auto host = [](std::u16string_view path) {
        auto found = win32::ResolvePath(path, win32::Resolve::Existing);
        return found ? found->hostPath : fs::path();
    };
    EXPECT_EQ(host(u"C:\\Data\\A.txt"), data / "A.txt");
    EXPECT_EQ(host(u"C:\\data\\a.txt"), data / "a.txt");

    // Changed behind the layer's back: the name that differs in case is
    // found once the exact one is gone, and nothing once both are.
    fs::remove(data / "A.txt");
    EXPECT_EQ(host(u"C:\\Data\\A.txt"), data / "a.txt");
    fs::remove(data / "a.txt");
    LONG error = 0;
    EXPECT_FALSE(win32::ResolvePath(u"C:\\Data\\A.txt", win32::Resolve::Existing, &error));
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    auto creatable = win32::ResolvePath(u"C:\\Data\\A.txt", win32::Resolve::ParentExists);
    ASSERT_TRUE(creatable);
    EXPECT_FALSE(creatable->exists);
    EXPECT_EQ(creatable->hostPath, data / "A.txt");

    // A folder renamed to other letters is still the folder.
    WriteHostFile(data / "kept.txt", "k");
    fs::rename(data, m_root / "drive_c" / "DATA");
    EXPECT_EQ(host(u"C:\\Data\\kept.txt"), m_root / "drive_c" / "DATA" / "kept.txt");
    EXPECT_EQ(GetFileAttributesW(u"C:\\Data\\kept.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));

    // A file where a folder is expected ends the walk.
    EXPECT_FALSE(win32::ResolvePath(u"C:\\DATA\\kept.txt\\x", win32::Resolve::ParentExists, &error));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    auto root = win32::ResolvePath(u"c:\\", win32::Resolve::Existing);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->hostPath, m_root / "drive_c");
}

TEST_F(PathTest, RelativePathsFollowTheCurrentDirectory)
{
    ASSERT_TRUE(CreateDirectoryW(u"C:\\Work", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(u"c:\\work"));
    WCHAR buffer[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, buffer);
    // The folder keeps the case it was given, as on Windows.
    EXPECT_EQ(std::u16string(buffer), u"C:\\work");
    EXPECT_EQ(win32::FullWindowsPath(u"a.txt"), u"C:\\work\\a.txt");
    EXPECT_FALSE(SetCurrentDirectoryW(u"C:\\Missing"));
    SetCurrentDirectoryW(u"C:\\");
}

TEST_F(PathTest, HostPathsMapBackToWindowsPaths)
{
    EXPECT_EQ(win32::WindowsPathOf(m_root / "drive_c" / "Windows" / "Notepad.exe"), u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(win32::WindowsPathOf(m_root / "drive_c"), u"C:\\");
    EXPECT_FALSE(win32::WindowsPathOf("/etc/passwd"));
}

// A name differing only in case finds its file among many, whether both
// names are plain ASCII or either holds letters that fold onto ASCII ones
// (dotless i and long s both upcase to ASCII letters).
TEST_F(PathTest, ANameInAnotherCaseIsFoundAmongManyAsciiAndOtherNames)
{
    const fs::path folder = m_root / "drive_c" / "Attachment";
    for (int i = 0; i < 500; ++i)
        WriteHostFile(folder / ("entry" + std::to_string(i) + ".dat"), "x");
    WriteHostFile(folder / "Report.TXT", "ascii");
    WriteHostFile(folder / "\u017Fun.txt", "long s");
    WriteHostFile(folder / "\u0131de.txt", "dotless i");
    WriteHostFile(folder / "\u00C4RGER.txt", "umlaut");
    WriteHostFile(folder / "Index.txt", "ascii, named with a dotless i");
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"C:\\Attachment\\report.txt", "Report.TXT"},
        {u"C:\\Attachment\\SUN.TXT", "\u017Fun.txt"},
        {u"C:\\Attachment\\IDE.txt", "\u0131de.txt"},
        {u"C:\\Attachment\\\u00E4rger.TXT", "\u00C4RGER.txt"},
        {u"C:\\Attachment\\ENTRY499.DAT", "entry499.dat"},
        {u"C:\\Attachment\\\u0131NDEX.txt", "Index.txt"},
    };
    for (const auto& [windows, host] : cases) {
        auto found = win32::ResolvePath(windows, win32::Resolve::ParentExists);
        ASSERT_TRUE(found) << host;
        EXPECT_TRUE(found->exists) << host;
        EXPECT_EQ(found->hostPath, folder / host);
    }
    // One letter more or less is another name, to be created as written.
    for (const char16_t* other : {u"C:\\Attachment\\report.txtx", u"C:\\Attachment\\eport.txt", u"C:\\Attachment\\ENTRY500.DAT"}) {
        auto found = win32::ResolvePath(other, win32::Resolve::ParentExists);
        ASSERT_TRUE(found);
        EXPECT_FALSE(found->exists);
    }
}

// The root's setting is found again however the environment changed: set
// to another root and back (the old string may come back at its old
// address), removed and set again, or moved by another variable's removal.
TEST_F(PathTest, EveryChangeOfTheEnvironmentIsSeenByTheNextLookUp)
{
    const fs::path other = m_root / "other-machine";
    WriteHostFile(m_root / "drive_c" / "tol.eml", "first");
    WriteHostFile(other / "drive_c" / "tol.eml", "second");
    auto hostOf = [] {
        auto found = win32::ResolvePath(u"C:\\tol.eml", win32::Resolve::Existing);
        return found ? found->hostPath : fs::path("<none>");
    };
    const fs::path mine = m_root / "drive_c" / "tol.eml";
    const fs::path theirs = other / "drive_c" / "tol.eml";
    ASSERT_EQ(hostOf(), mine);
    for (int round = 0; round < 3; ++round) {
        ::setenv("MARLWICK_ROOT", other.c_str(), 1);
        EXPECT_EQ(hostOf(), theirs);
        ::setenv("MARLWICK_ROOT", m_root.c_str(), 1);
        EXPECT_EQ(hostOf(), mine);
    }
    // Variables set before and after it, then the one before removed: the
    // root's entry moves down a place.
    ::setenv("MARLWICK_TEST_BEFORE", "x", 1);
    ::unsetenv("MARLWICK_ROOT");
    ::setenv("MARLWICK_ROOT", other.c_str(), 1);
    ::setenv("MARLWICK_TEST_AFTER", "y", 1);
    EXPECT_EQ(hostOf(), theirs);
    ::unsetenv("MARLWICK_TEST_BEFORE");
    EXPECT_EQ(hostOf(), theirs);
    ::unsetenv("MARLWICK_ROOT");
    ::setenv("MARLWICK_ROOT", m_root.c_str(), 1);
    EXPECT_EQ(hostOf(), mine);
    ::unsetenv("MARLWICK_TEST_AFTER");
    EXPECT_EQ(hostOf(), mine);
}

// A machine root with the settings of the program loaded, and message boxes
// answered by the test.
#pragma once

#include "AppSettings.h"
#include "testsupport/MachineFixture.h"
#include "user/Automation.h"
#include "user/MessageBox.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

#include <filesystem>
#include <fstream>
#include <future>

class ShellFixture : public testsupport::MachineFixture {
protected:
    void SetUp() override
    {
        MachineFixture::SetUp();
        g_szLogDir[0] = 0;
        g_szInstallDir[0] = 0;
        InitAppSettings();
        user::ClearMessageBoxHistory();
        // A box the test does not answer takes its default button, as Enter would.
        user::SetMessageBoxAnswerer([](const user::MessageBoxRecord& box) {
            UINT buttons = box.type & MB_TYPEMASK;
            return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
        });
    }

    void TearDown() override
    {
        user::SetMessageBoxAnswerer(nullptr);
        MachineFixture::TearDown();
    }

    void SetSetting(LPCWSTR name, LPCWSTR value) { WriteRegString(HKEY_CLASSES_ROOT, u"Corvenna", name, value); }

    // Stores raw bytes under HKEY_CLASSES_ROOT\Corvenna, for values that the
    // system itself never writes.
    void SetRawSetting(LPCWSTR name, DWORD type, const std::vector<BYTE>& data)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }

    static std::vector<BYTE> Utf16Bytes(std::u16string_view text)
    {
        std::vector<BYTE> out;
        for (char16_t c : text) {
            out.push_back(static_cast<BYTE>(c & 0xFF));
            out.push_back(static_cast<BYTE>(c >> 8));
        }
        return out;
    }

    void AnswerMessageBoxes(int answer)
    {
        user::SetMessageBoxAnswerer([answer](const user::MessageBoxRecord&) { return answer; });
    }

    void MakeFolder(std::u16string_view windowsPath) { std::filesystem::create_directories(Host(windowsPath)); }

    // The install folder with the named bitmaps of the build, and the
    // setting that the installer writes for it.
    void InstallArtwork(std::u16string_view installDir, std::initializer_list<const char*> names)
    {
        MakeFolder(installDir);
        for (const char* name : names) {
            std::ifstream in(std::filesystem::path(MARLWICK_ARTWORK_DIR) / name, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ASSERT_FALSE(bytes.empty()) << name;
            WriteHostFile(Host(std::u16string(installDir) + u"\\" + Utf8ToUtf16(name)), bytes);
        }
        SetSetting(u"FilePath", std::u16string(installDir).c_str());
    }

    // The next message box, which must show the text with the flags and the
    // program's caption, owned by the window; null when none came.
    static HWND ExpectBox(const std::u16string& text, UINT type, HWND owner)
    {
        HWND box = user::automation::WaitForMessageBox();
        EXPECT_NE(box, nullptr) << "no box came";
        user::MessageBoxRecord record;
        if (!box || !user::MessageBoxRecordOf(box, record))
            return nullptr;
        EXPECT_EQ(record.text, text);
        EXPECT_EQ(record.type, type);
        EXPECT_EQ(record.caption, u"Pellinor for NSF to PST");
        EXPECT_EQ(record.owner, owner);
        return box;
    }

    // Clicks the answer and waits for the box to go, as a person waits
    // before the next move.
    static void Answer(HWND box, int answer)
    {
        user::automation::AnswerMessageBox(box, answer);
        EXPECT_TRUE(user::automation::WaitUntil([&] { return !::IsWindow(box); }));
    }

    // The code the program run ended with, or -1 when it did not end by exit().
    template <class Result>
    static int ExitCodeOf(std::future<Result>& run)
    {
        if (run.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            return -1;
        try {
            run.get();
        } catch (const testsupport::ProcessExit& exit) {
            return exit.code;
        }
        return -1;
    }
};

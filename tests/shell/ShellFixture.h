// A machine root with the settings of the program loaded, and message boxes
// answered by the test.
#pragma once

#include "AppSettings.h"
#include "testsupport/MachineFixture.h"
#include "user/MessageBox.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

#include <filesystem>

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
};

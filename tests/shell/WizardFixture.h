// The program's start-up and main dialog run on a GUI thread of their own
// in a machine root whose install folder holds the artwork, driven through
// the automation interface; message boxes wait for the test's answer.
#pragma once

#include "MarlwickApp.h"
#include "MarlwickDlg.h"
#include "ShellFixture.h"
#include "gdi/GdiTypes.h"
#include "user/Automation.h"
#include "user/MessageBox.h"
#include "win32/Shell.h"

#include <algorithm>
#include <fstream>
#include <future>

namespace automation = user::automation;

class WizardFixture : public ShellFixture {
protected:
    static constexpr const char16_t* kInstallDir = u"C:\\Program Files\\Pellinor";

    void SetUp() override
    {
        ShellFixture::SetUp();
        user::SetMessageBoxAnswerer(nullptr);
        g_nConvMode = 0;
    }

    void TearDown() override
    {
        if (m_run.valid() && m_run.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            ExitThroughThePrompt();
        ShellFixture::TearDown();
    }

    // The install folder with the bitmaps of the build, and the settings
    // that the installer writes.
    void Install()
    {
        MakeFolder(kInstallDir);
        for (const char* name : {"main.bmp", "Skin.bmp", "Flash.bmp", "step1.bmp"}) {
            std::ifstream in(std::filesystem::path(MARLWICK_ARTWORK_DIR) / name, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ASSERT_FALSE(bytes.empty()) << name;
            WriteHostFile(Host(std::u16string(kInstallDir) + u"\\" + Utf8ToUtf16(name)), bytes);
        }
        SetSetting(u"FilePath", kInstallDir);
    }

    // Starts the program as its entry does and waits for step 1.
    HWND Start()
    {
        m_run = std::async(std::launch::async, [this] { return m_app.InitInstance(); });
        HWND main = automation::WaitForWindowWithControl(1031);
        if (main)
            automation::WaitForPaint();
        return main;
    }

    // The next message box, which must show the text with the flags and the
    // program's caption, owned by the window; null when none came.
    HWND ExpectBox(const std::u16string& text, UINT type, HWND owner)
    {
        HWND box = automation::WaitForMessageBox();
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
        automation::AnswerMessageBox(box, answer);
        EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(box); }));
    }

    // Exit, Yes: the program must end with exit code 0.
    void ExitThroughThePrompt()
    {
        HWND main = automation::WaitForWindowWithControl(1031, std::chrono::seconds(2));
        if (main)
            automation::Click(::GetDlgItem(main, 1006));
        if (HWND box = automation::WaitForMessageBox(std::chrono::seconds(5)))
            automation::AnswerMessageBox(box, IDYES);
        EXPECT_EQ(ExitCode(), 0);
    }

    // The code the program ended with, or -1 when it did not end by exit().
    int ExitCode()
    {
        if (m_run.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            return -1;
        try {
            m_run.get();
        } catch (const testsupport::ProcessExit& exit) {
            return exit.code;
        }
        return -1;
    }

    // Waits until the program's thread has handled what was sent before.
    void Settle(HWND window) { ::SendMessageW(window, WM_NULL, 0, 0); }

    std::string Log() { return ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")); }

    static int Occurrences(const std::string& text, const std::string& part)
    {
        int n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }

    CMarlwickApp m_app;
    std::future<BOOL> m_run;
};

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
    void Install() { InstallArtwork(kInstallDir, {"main.bmp", "Skin.bmp", "Flash.bmp", "step1.bmp"}); }

    // Starts the program as its entry does and waits for step 1.
    HWND Start()
    {
        m_run = std::async(std::launch::async, [this] { return m_app.InitInstance(); });
        HWND main = automation::WaitForWindowWithControl(1031);
        if (main)
            automation::WaitForPaint();
        return main;
    }

    // Exit, Yes: the program must end with exit code 0.
    void ExitThroughThePrompt()
    {
        HWND main = automation::WaitForWindowWithControl(1031, std::chrono::seconds(2));
        if (main)
            automation::Click(::GetDlgItem(main, 1006));
        if (HWND box = automation::WaitForMessageBox())
            automation::AnswerMessageBox(box, IDYES);
        EXPECT_EQ(ExitCode(), 0);
    }

    int ExitCode() { return ExitCodeOf(m_run); }

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

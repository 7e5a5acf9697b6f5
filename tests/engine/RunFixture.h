// A machine laid out by the installer (Outlook installed, the two component
// files unregistered in an install folder whose path holds a blank), the
// wizard's selections of a mail run into a new PST, and step 6 opened on a
// GUI thread of its own as step 5's Convert opens it. The tests drive it
// through the automation interface.
//
// The end of the process is observed, not suffered: on the GUI thread it
// unwinds the dialog's modal run; on the worker it ends the GUI thread's
// loops and unwinds the worker, as the end of the process would stop both.
#pragma once

#include "ComponentMachine.h"
#include "UnitGate.h"

#include "CProDlg.h"
#include "user/MessageBox.h"
#include "win32/Shell.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace enginetest {

inline constexpr int kNoExit = -1;
// How long a test waits for what the run must do: long enough for a loaded
// machine running the sanitizer build.
inline constexpr std::chrono::seconds kPatience{60};
inline constexpr const char16_t* kPstPath = u"C:\\Data\\Mail.pst";
inline constexpr const char16_t* kAppTitle = u"Pellinor for Lotus Notes NSF - MS Outlook PST";
inline constexpr const char16_t* kCaption = u"Pellinor for NSF to PST";

class RunFixture : public componenttest::ComponentMachine {
protected:
    void SetUp() override;
    void TearDown() override;

    // Selections of the wizard's other steps.
    void SelectFolders(const std::vector<std::u16string>& folders);
    void UseInstallFolder(const std::u16string& folder);

    // Opens step 6 and waits until it shows; its window, or null.
    HWND StartRun();
    // Opens step 6 without waiting for it: its opening may ask first.
    void BeginRun();
    HWND WaitForProgressDialog();
    CProDlg& Dialog() { return *m_dialog; }
    // The worker's thread handle, while it runs.
    HANDLE WorkerHandle();
    bool WaitForWorkerParked();
    HWND WaitForCompletionDialog();
    // Waits for the run's GUI thread to end: the code the process ended
    // with, or kNoExit when it did not end.
    int WaitForProcessEnd();
    // Waits until the process end was called, on either thread.
    bool ProcessEnded();

    // The open message box with this text (waiting for it), answered.
    user::MessageBoxRecord Answer(const std::u16string& text, int answer);
    // Every message box of the run, in the order they opened.
    std::vector<user::MessageBoxRecord> Boxes() const { return user::MessageBoxHistory(); }

    // The activity log as written, one entry per CR LF.
    std::vector<std::string> LogLines() const;
    bool LogHas(const std::string& line) const;
    // The shell calls of the run on a file whose path ends with the name.
    std::vector<win32::ShellRecord> ShellCallsOn(const std::u16string& fileName) const;

    // Holds the GUI thread inside a message handler until released, so that
    // what the worker does meanwhile stays unseen by the GUI.
    void HoldGuiThread();
    void ReleaseGuiThread();

    // Waits up to kPatience for the condition.
    static bool Eventually(const std::function<bool()>& condition);
    static int ProgressOf(HWND bar);
    static std::u16string TextOf(HWND dialog, int id);

    std::shared_ptr<UnitGate> m_gate;
    std::u16string m_installDir;
    HWND m_progress = nullptr;

private:
    void RunGuiThread(std::promise<void>& made);

    std::thread m_gui;
    std::thread::id m_guiThread;
    std::atomic<DWORD> m_guiThreadId{0};
    std::atomic<int> m_exitCode{kNoExit};
    std::atomic<CProDlg*> m_dialogShown{nullptr};
    CProDlg* m_dialog = nullptr;
    HWND m_holder = nullptr;
    bool m_holding = false;
    std::promise<void> m_release;
};

} // namespace enginetest

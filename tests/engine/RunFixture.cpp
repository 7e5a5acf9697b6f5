#include "RunFixture.h"

#include "AppSettings.h"
#include "Converters.h"
#include "RunFlags.h"
#include "StandInConverter.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "user/Automation.h"
#include "user/ProgressBar.h"
#include "win32/FileApi.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <fstream>
#include <sstream>

namespace enginetest {

namespace automation = user::automation;

namespace {

// The holder window's message waits here until the test releases it.
std::shared_future<void> g_holdUntil;
std::atomic<bool> g_holding{false};

LRESULT HolderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        std::shared_future<void> until = g_holdUntil;
        g_holding = true;
        until.wait();
        g_holding = false;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LPCWSTR HolderClass()
{
    static LPCWSTR name = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = HolderProc;
        wc.lpszClassName = u"EngineTestHolder";
        RegisterClassExW(&wc);
        return u"EngineTestHolder";
    }();
    return name;
}

} // namespace

void RunFixture::SetUp()
{
    ComponentMachine::SetUp();
    UseInstallFolder(componenttest::kInstallDir);
    g_szLogDir[0] = 0;
    InitAppSettings();

    // The closer ends a running Outlook of the host; the tests look only at
    // its start, so a program that does nothing takes its place.
    std::filesystem::copy_file("/bin/true", Host(m_installDir + u"\\Stavrel.exe"),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::create_directories(Host(m_installDir + u"\\Attachment"));
    std::filesystem::create_directories(Host(u"C:\\Data"));

    // The run's own behaviour is tested over the stand-in converter, here
    // the calendar mode's; the mail and contacts tests choose their modes,
    // and the calendar's install its converter.
    InstallConverters(
        {.mail = &RunMailConversion, .contacts = &RunContactConversion, .calendar = &RunStandInConverter});
    g_nConvMode = 3;
    wcscpy_s(g_szPstPath, MAX_PATH, kPstPath);
    g_bUpdateExistingPst = 0;
    g_strPstFolderName = u"Mail";
    SelectFolders({u"Lotus Notes\\Inbox\\", u"Lotus Notes\\Sent\\", u"Lotus Notes\\Projects\\"});

    g_pConvThread = nullptr;
    g_bPaused = 0;
    g_bStopRequested = 0;
    g_bAbortRequested = 0;
    g_bNotCompleted = 0;
    g_nCurrentProgress = 0;
    g_nOverallProgress = 0;

    user::SetMessageBoxAnswerer(nullptr);
    user::ClearMessageBoxHistory();
    m_gate = std::make_shared<UnitGate>(m_clock);
    m_gate->AddFreeThread(std::this_thread::get_id());
    win32::SetClock(m_gate);

    win32::SetProcessExitHook([this](int code) {
        int none = kNoExit;
        m_exitCode.compare_exchange_strong(none, code);
        if (std::this_thread::get_id() == m_guiThread) {
            // The end of the process stops the worker where it stands.
            if (CWinThread* worker = g_pConvThread)
                TerminateThread(worker->m_hThread, static_cast<DWORD>(code));
            throw testsupport::ProcessExit{code};
        }
        // The worker ended the process: the GUI thread's loops end, and the
        // worker unwinds from here.
        PostThreadMessageW(m_guiThreadId, WM_QUIT, 0, 0);
        TerminateThread(GetCurrentThread(), static_cast<DWORD>(code));
        throw testsupport::ProcessExit{code};
    });
}

void RunFixture::TearDown()
{
    m_gate->Open();
    ReleaseGuiThread();
    if (m_gui.joinable()) {
        // A test that failed half-way leaves its run open: its questions are
        // answered and the GUI thread's loops ended, so the run goes.
        bool ended = Eventually([this] {
            for (HWND box : user::OpenMessageBoxes()) {
                if (!automation::AnswerMessageBox(box, IDNO))
                    automation::AnswerMessageBox(box, IDOK);
            }
            for (HWND window : automation::TopLevelWindows()) {
                if (HWND ok = GetDlgItem(window, IDOK); ok && GetDlgItem(window, 1040))
                    PostMessageW(ok, BM_CLICK, 0, 0);
            }
            PostThreadMessageW(m_guiThreadId, WM_QUIT, 0, 0);
            return m_dialogShown.load() == nullptr;
        });
        EXPECT_TRUE(ended) << "the run's GUI thread did not end";
        if (ended)
            m_gui.join();
        else
            m_gui.detach();
    }
    FreeStringList(&g_pSelFolderList);
    g_nSelFolderCount = 0;
    InstallConverters({});
    ComponentMachine::TearDown();
}

void RunFixture::SelectFolders(const std::vector<std::u16string>& folders)
{
    FreeStringList(&g_pSelFolderList);
    for (const auto& folder : folders)
        AppendStringNode(&g_pSelFolderList, folder.c_str());
    g_nSelFolderCount = static_cast<int>(folders.size());
}

void RunFixture::UseInstallFolder(const std::u16string& folder)
{
    m_installDir = folder;
    WriteRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"FilePath", folder.c_str());
    wcscpy_s(g_szInstallDir, MAX_PATH, folder.c_str());
}

HWND RunFixture::StartRun()
{
    BeginRun();
    return WaitForProgressDialog();
}

void RunFixture::BeginRun()
{
    std::promise<void> made;
    auto started = made.get_future();
    m_gui = std::thread([this, &made] { RunGuiThread(made); });
    started.wait();
}

HWND RunFixture::WaitForProgressDialog()
{
    // A run that ends at once hides the dialog behind the completion dialog
    // before a poll may have seen it shown: hidden, it counts once the
    // completion dialog is there.
    bool seen = Eventually([this] {
        m_progress = nullptr;
        EnumWindows(
            [](HWND hwnd, LPARAM found) -> BOOL {
                if (!GetDlgItem(hwnd, 1019))
                    return TRUE;
                *reinterpret_cast<HWND*>(found) = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&m_progress));
        return m_progress
               && (IsWindowVisible(m_progress)
                   || automation::WaitForWindowWithControl(1040, std::chrono::milliseconds(0)));
    });
    if (!seen)
        m_progress = nullptr;
    return m_progress;
}

void RunFixture::RunGuiThread(std::promise<void>& made)
{
    m_guiThread = std::this_thread::get_id();
    m_guiThreadId = GetCurrentThreadId();
    m_gate->AddFreeThread(m_guiThread);
    m_holder = CreateWindowExW(0, HolderClass(), u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    {
        CProDlg dialog;
        m_dialog = &dialog;
        m_dialogShown = &dialog;
        made.set_value();
        try {
            dialog.DoModal();
        } catch (const testsupport::ProcessExit&) {
        }
    }
    DestroyWindow(m_holder);
    m_dialogShown = nullptr;
}

HANDLE RunFixture::WorkerHandle()
{
    CWinThread* worker = g_pConvThread;
    return worker ? worker->m_hThread : nullptr;
}

bool RunFixture::WaitForWorkerParked()
{
    HANDLE worker = WorkerHandle();
    return worker && Eventually([worker] { return win32::IsThreadParked(worker); });
}

HWND RunFixture::WaitForCompletionDialog()
{
    return automation::WaitForWindowWithControl(1040, kPatience);
}

int RunFixture::WaitForProcessEnd()
{
    if (!m_gui.joinable())
        return kNoExit;
    if (!Eventually([this] { return m_dialogShown.load() == nullptr; }))
        return kNoExit;
    m_gui.join();
    return m_exitCode;
}

bool RunFixture::ProcessEnded()
{
    return Eventually([this] { return m_exitCode.load() != kNoExit; });
}

user::MessageBoxRecord RunFixture::Answer(const std::u16string& text, int answer)
{
    user::MessageBoxRecord record;
    HWND box = nullptr;
    bool opened = Eventually([&] {
        for (HWND open : user::OpenMessageBoxes()) {
            if (user::MessageBoxRecordOf(open, record) && record.text == text) {
                box = open;
                return true;
            }
        }
        return false;
    });
    EXPECT_TRUE(opened) << "no message box says " << Utf16ToUtf8(text);
    if (!opened)
        return record;
    EXPECT_TRUE(automation::AnswerMessageBox(box, answer));
    EXPECT_TRUE(Eventually([box] { return !IsWindow(box); }));
    return record;
}

std::vector<std::string> RunFixture::LogLines() const
{
    std::string text = ReadHostFile(Host(m_installDir + u"\\Activity Log.txt"));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

bool RunFixture::LogHas(const std::string& line) const
{
    auto lines = LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<win32::ShellRecord> RunFixture::ShellCallsOn(const std::u16string& fileName) const
{
    std::vector<win32::ShellRecord> calls;
    for (auto& call : win32::ReadShellJournal()) {
        if (call.file.size() >= fileName.size()
            && call.file.compare(call.file.size() - fileName.size(), fileName.size(), fileName) == 0)
            calls.push_back(call);
    }
    return calls;
}

void RunFixture::HoldGuiThread()
{
    m_release = std::promise<void>();
    g_holdUntil = m_release.get_future().share();
    m_holding = true;
    PostMessageW(m_holder, WM_APP, 0, 0);
    ASSERT_TRUE(Eventually([] { return g_holding.load(); }));
}

void RunFixture::ReleaseGuiThread()
{
    if (m_holding) {
        m_holding = false;
        m_release.set_value();
    }
}

bool RunFixture::Eventually(const std::function<bool()>& condition)
{
    return automation::WaitUntil(condition, kPatience);
}

int RunFixture::ProgressOf(HWND bar)
{
    return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
}

std::u16string RunFixture::TextOf(HWND dialog, int id)
{
    return automation::TextOf(GetDlgItem(dialog, id));
}

} // namespace enginetest

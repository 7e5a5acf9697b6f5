// Modal dialogs of the framework driven through the automation interface:
// the wizard's chaining, routing of menu commands to the owner, controls
// bound by DDX_Control, PreTranslateMessage and a worker writing into a
// running dialog.
#include "AfxTestSupport.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

using namespace afxtest;

namespace {

constexpr UINT kFileExit = 32771;
constexpr UINT kLogView = 32772;
constexpr UINT kUnhandledCommand = 32790;

// What the dialogs did, read by the test thread.
class Journal {
public:
    void Add(std::string entry)
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
    }
    std::vector<std::string> Entries()
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    bool Has(const std::string& entry)
    {
        auto entries = Entries();
        return std::find(entries.begin(), entries.end(), entry) != entries.end();
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

// A button that sees its own mouse messages once bound.
class CRecordingButton : public CButton {
public:
    Journal* journal = nullptr;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point)
    {
        journal->Add("button down");
        CButton::OnLButtonDown(flags, point); // the button's own press
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingButton, CButton)
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class CStepDlg : public CDialog {
public:
    explicit CStepDlg(Journal& journal)
        : CDialog(kStepDialog)
        , m_journal(journal)
    {
    }
    std::atomic<HWND> owner{nullptr};
    std::atomic<int> commandsSeen{0};

    // Counts the commands that reach the step, handled or not.
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_COMMAND && pMsg->hwnd == m_hWnd)
            ++commandsSeen;
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        owner = ::GetWindow(m_hWnd, GW_OWNER);
        return TRUE;
    }
    afx_msg void OnBack() { CDialog::OnCancel(); }
    afx_msg void OnQuit() { m_journal.Add("step exit"); }

    DECLARE_MESSAGE_MAP()

private:
    Journal& m_journal;
};

BEGIN_MESSAGE_MAP(CStepDlg, CDialog)
ON_BN_CLICKED(1017, &CStepDlg::OnBack)
ON_COMMAND(kFileExit, &CStepDlg::OnQuit)
END_MESSAGE_MAP()

// The first step of a wizard: Next runs the next step by the chaining pattern.
class CMainDlg : public CDialog {
public:
    explicit CMainDlg(Journal& journal)
        : CDialog(kMainDialog)
        , m_journal(journal)
    {
        m_viewLog.journal = &journal;
    }
    std::atomic<int> escapes{0};
    std::atomic<CStepDlg*> step{nullptr};
    std::atomic<bool> askOnViewLog{false};
    CRecordingButton m_viewLog;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
            ++escapes;
            return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, 1004, m_viewLog);
    }
    afx_msg void OnNext()
    {
        CStepDlg next(m_journal);
        ShowWindow(SW_HIDE);
        Invalidate();
        step = &next;
        next.DoModal();
        step = nullptr;
        ShowWindow(SW_SHOWNORMAL);
        m_journal.Add("step returned");
    }
    afx_msg void OnViewLogButton()
    {
        if (askOnViewLog) {
            int answer = MessageBox(u"Open the log?", u"Question", MB_OKCANCEL);
            m_journal.Add("answer " + std::to_string(answer));
            return;
        }
        m_journal.Add("view log button");
    }
    afx_msg void OnViewLogMenu() { m_journal.Add("view log menu"); }
    afx_msg void OnExitMenu() { m_journal.Add("main exit"); }

    DECLARE_MESSAGE_MAP()

private:
    Journal& m_journal;
};

BEGIN_MESSAGE_MAP(CMainDlg, CDialog)
ON_BN_CLICKED(IDOK, &CMainDlg::OnNext)
ON_BN_CLICKED(1004, &CMainDlg::OnViewLogButton)
ON_COMMAND(kLogView, &CMainDlg::OnViewLogMenu)
ON_COMMAND(kFileExit, &CMainDlg::OnExitMenu)
END_MESSAGE_MAP()

class MainDialog : public ::testing::Test {
protected:
    // As the program's start-up does: the main dialog is the main window.
    MainDialog() { app.m_pMainWnd = &dialog; }

    void TearDown() override
    {
        // Back and Cancel end what a test left open.
        if (run) {
            if (HWND step = automation::WaitForWindow(u"Step", std::chrono::milliseconds(100)))
                automation::Click(::GetDlgItem(step, 1017));
            if (HWND main = automation::WaitForWindow(u"Main", std::chrono::seconds(5)))
                automation::Click(::GetDlgItem(main, IDCANCEL));
            run->Result();
        }
    }
    HWND Start()
    {
        run = std::make_unique<ModalRun>(dialog);
        return automation::WaitForWindow(u"Main");
    }

    CWinApp app;
    Journal journal;
    CMainDlg dialog{journal};
    std::unique_ptr<ModalRun> run;
};

TEST_F(MainDialog, NextRunsTheStepOwnedByTheHiddenMainDialogAndBackBringsItBack)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    automation::Click(::GetDlgItem(main, IDOK));
    HWND step = automation::WaitForWindow(u"Step");
    ASSERT_NE(step, nullptr);
    ASSERT_TRUE(Eventually([&] { return dialog.step.load() && dialog.step.load()->owner.load(); }));
    EXPECT_EQ(dialog.step.load()->owner.load(), main); // made without a parent
    EXPECT_FALSE(::IsWindowVisible(main));
    EXPECT_FALSE(::IsWindowEnabled(main));

    automation::Click(::GetDlgItem(step, 1017));
    ASSERT_TRUE(Eventually([&] { return journal.Has("step returned"); }));
    EXPECT_TRUE(Eventually([&] { return ::IsWindowVisible(main) && ::IsWindowEnabled(main); }));
    EXPECT_FALSE(::IsWindow(step));

    // Next again repeats the whole chain.
    automation::Click(::GetDlgItem(main, IDOK));
    step = automation::WaitForWindow(u"Step");
    ASSERT_NE(step, nullptr);
    automation::PressKey(step, VK_ESCAPE); // Escape is the step's own cancel
    ASSERT_TRUE(Eventually([&] { return journal.Entries().size() == 2; }));
    EXPECT_EQ(dialog.escapes, 0);
}

TEST_F(MainDialog, AMenuCommandTheStepDoesNotHandleReachesTheMainDialog)
{
    HWND main = Start();
    automation::Click(::GetDlgItem(main, IDOK));
    HWND step = automation::WaitForWindow(u"Step");
    ASSERT_NE(step, nullptr);

    // The main dialog alone handles View; the step handles Exit itself; the
    // third is handled nowhere; a control's id is no menu command.
    int chosen = 0;
    for (UINT command : {kLogView, kFileExit, kUnhandledCommand, 1004u}) {
        ASSERT_TRUE(automation::ChooseMenuCommand(step, command));
        ++chosen;
        ASSERT_TRUE(Eventually([&] { return dialog.step.load()->commandsSeen == chosen; }));
    }
    automation::Click(::GetDlgItem(step, 1017));
    ASSERT_TRUE(Eventually([&] { return journal.Has("step returned"); }));
    EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"view log menu", "step exit", "step returned"}));
}

TEST_F(MainDialog, ABoundControlsOwnMapSeesItsMessagesAndItStillWorks)
{
    for (int round = 0; round < 2; ++round) {
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        HWND button = ::GetDlgItem(main, 1004);
        EXPECT_EQ(dialog.m_viewLog.m_hWnd, button);
        EXPECT_EQ(CWnd::FromHandlePermanent(button), &dialog.m_viewLog);
        automation::Click(button);
        ASSERT_TRUE(Eventually([&] { return journal.Entries().size() == 2u * (round + 1); }));
        automation::Click(::GetDlgItem(main, IDCANCEL));
        EXPECT_EQ(run->Result(), IDCANCEL);
        run.reset();
        // The control went with its dialog; the member is free for the next run.
        EXPECT_EQ(dialog.m_viewLog.m_hWnd, nullptr);
    }
    EXPECT_EQ(journal.Entries(),
              (std::vector<std::string>{"button down", "view log button", "button down", "view log button"}));
}

TEST_F(MainDialog, PreTranslateMessageTakesEscapeBeforeTheDialogManager)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    automation::PressKey(main, VK_ESCAPE);
    ASSERT_TRUE(Eventually([&] { return dialog.escapes == 1; }));
    // Still open: the key never became the dialog's cancel.
    automation::PressKey(main, VK_ESCAPE);
    ASSERT_TRUE(Eventually([&] { return dialog.escapes == 2; }));
    EXPECT_TRUE(::IsWindowVisible(main));
}

TEST_F(MainDialog, AMessageBoxOverTheDialogKeepsItsOwnKeys)
{
    dialog.askOnViewLog = true;
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    automation::Click(::GetDlgItem(main, 1004));
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    // The box's loop is not the dialog's: Escape is the box's cancel, never
    // the owner's PreTranslateMessage.
    automation::PressKey(box, VK_ESCAPE);
    ASSERT_TRUE(Eventually([&] { return journal.Has("answer 2"); }));
    EXPECT_EQ(dialog.escapes, 0);
}

// A dialog whose worker thread writes into it while its modal loop runs, as
// the conversion's worker does: texts and the bar's position.
class CWorkDlg : public CDialog {
public:
    CWorkDlg()
        : CDialog(kWorkDialog)
    {
    }
    CProgressCtrl m_progress;
    std::atomic<DWORD> workerThread{0};

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 1019, m_progress); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        AfxBeginThread(&CWorkDlg::Work, this);
        return TRUE;
    }
    static UINT Work(LPVOID parameter)
    {
        auto* self = static_cast<CWorkDlg*>(parameter);
        self->workerThread = ::GetCurrentThreadId();
        for (int i = 1; i <= 5; ++i) {
            CString text;
            text.Format(u"Item %d of %d", i, 5);
            self->SetDlgItemText(1033, text);
            self->SendDlgItemMessage(1019, PBM_SETPOS, static_cast<WPARAM>(i * 100 / 5));
        }
        self->m_progress.SetPos(250); // clamped to the range
        return 0;
    }
};

TEST(WorkerAndDialog, AWorkerSetsTextsAndPositionsOfADialogThatRunsModally)
{
    CWorkDlg dialog;
    ModalRun run(dialog);
    HWND window = automation::WaitForWindow(u"Work");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Eventually([&] { return automation::TextOf(::GetDlgItem(window, 1033)) == u"Item 5 of 5"; }));
    ASSERT_TRUE(Eventually([&] { return dialog.workerThread != 0; }));
    EXPECT_TRUE(Eventually([&] { return dialog.m_progress.GetPos() == 100; }));
    int low = -1;
    int high = -1;
    dialog.m_progress.GetRange(low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);
    EXPECT_NE(::GetWindowThreadProcessId(window, nullptr), dialog.workerThread.load());
    automation::Click(::GetDlgItem(window, IDOK));
    EXPECT_EQ(run.Result(), IDOK);
}

// A popup of the dialog's thread that takes mouse presses aimed at it
// before they are dispatched, as a splash window that ends on a click does.
class CPressPopup : public CWnd {
public:
    std::atomic<int> presses{0};

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_LBUTTONDOWN) {
            ++presses;
            return TRUE;
        }
        return CWnd::PreTranslateMessage(pMsg);
    }
};

class CPopupDlg : public CDialog {
public:
    CPopupDlg()
        : CDialog(kStepDialog)
    {
    }
    CPressPopup popup;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        popup.CreateEx(WS_EX_TOOLWINDOW, TestWindowClass(), u"Popup", WS_POPUP | WS_VISIBLE, 400, 300, 40, 40,
                       m_hWnd, nullptr);
        return TRUE;
    }
    void OnCancel() override
    {
        popup.DestroyWindow();
        CDialog::OnCancel();
    }
};

TEST(ModalLoop, AFrameworkPopupOfTheDialogsThreadSeesItsMessagesBeforeDispatch)
{
    CPopupDlg dialog;
    ModalRun run(dialog);
    HWND popup = automation::WaitForWindow(u"Popup");
    ASSERT_NE(popup, nullptr);
    automation::ClickAt(popup, {5, 5});
    EXPECT_TRUE(automation::WaitUntil([&] { return dialog.popup.presses == 1; }));
    ::PostMessageW(automation::WaitForWindow(u"Step"), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(run.Result(), IDCANCEL);
}

TEST(DialogTemplates, AMissingTemplateMakesNoDialog)
{
    Module();
    CDialog missing(999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.m_hWnd, nullptr);
}

} // namespace

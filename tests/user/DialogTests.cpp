#include "ScriptModule.h"

#include "user/Automation.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Help.h"
#include "user/Messages.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace automation = user::automation;

namespace {

const char* kScript = R"rc(
500 DIALOGEX 0, 0, 200, 120
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Choices"
FONT 8, "MS Shell Dlg"
BEGIN
    AUTORADIOBUTTON "Mails", 1010, 10, 10, 60, 10, WS_GROUP | WS_TABSTOP
    AUTORADIOBUTTON "Address Book", 1011, 10, 24, 60, 10
    AUTORADIOBUTTON "Calendar", 1048, 10, 38, 60, 10
    EDITTEXT 1012, 10, 60, 100, 14, ES_AUTOHSCROLL | WS_GROUP
    AUTOCHECKBOX "Backup", 1020, 120, 60, 60, 10
    DEFPUSHBUTTON "Next", IDOK, 140, 100, 50, 14, WS_GROUP
    PUSHBUTTON "Cancel", IDCANCEL, 10, 100, 50, 14
END

501 DIALOGEX 0, 0, 100, 60
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Source"
BEGIN
    EDITTEXT 1001, 5, 5, 90, 14
    PUSHBUTTON "Back", 2, 5, 40, 40, 14
    DEFPUSHBUTTON "Next", 3, 55, 40, 40, 14
END

502 DIALOGEX 0, 0, 100, 60
STYLE WS_POPUP | WS_VISIBLE
BEGIN
    CONTROL "", 7, "NoSuchClass", 0, 0, 0, 10, 10
END

503 DIALOGEX 0, 0, 100, 60
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Drawn"
BEGIN
    CONTROL "Log", 1004, "Button", BS_OWNERDRAW | WS_TABSTOP, 5, 5, 40, 14
    PUSHBUTTON "Pause", 1017, 5, 40, 40, 14
    DEFPUSHBUTTON "Stop", IDOK, 55, 40, 40, 14
END
)rc";

HINSTANCE Module()
{
    static HINSTANCE module = RegisterScript(kScript, 0x7777);
    return module;
}

// What a dialog procedure saw, shared with the test thread.
struct Seen {
    std::mutex mutex;
    std::vector<int> commands;
    int helps = 0;
    std::function<void(HWND, int)> onCommand; // runs on the dialog's thread
};

Seen* g_seen = nullptr;

INT_PTR RecordingDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, 1010, BST_CHECKED);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        {
            std::lock_guard lock(g_seen->mutex);
            g_seen->commands.push_back(id);
        }
        if (g_seen->onCommand)
            g_seen->onCommand(dialog, id);
        else if (id == IDOK || id == IDCANCEL || id == 3)
            EndDialog(dialog, id);
        return TRUE;
    }
    case WM_HELP: {
        std::lock_guard lock(g_seen->mutex);
        ++g_seen->helps;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// Runs a dialog modally on a thread of its own, as the program's GUI thread would.
class ModalRun {
public:
    ModalRun(int templateId, HWND owner = nullptr)
    {
        m_result = std::async(std::launch::async, [templateId, owner] {
            return DialogBoxParamW(Module(), templateId, owner, RecordingDialogProc, 0);
        });
    }
    INT_PTR Result()
    {
        EXPECT_EQ(m_result.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        return m_result.get();
    }

private:
    std::future<INT_PTR> m_result;
};

} // namespace

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { g_seen = &m_seen; }
    void TearDown() override { g_seen = nullptr; }

    std::vector<int> Commands()
    {
        std::lock_guard lock(m_seen.mutex);
        return m_seen.commands;
    }

    Seen m_seen;
};

TEST_F(DialogTest, TemplateSizesAreInDialogUnitsOfTheDialogFont)
{
    ModalRun run(500);
    HWND dialog = automation::WaitForWindow(u"Choices");
    ASSERT_NE(dialog, nullptr);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 200 * 6 / 4);
    EXPECT_EQ(client.bottom, 195); // 120 * 13 / 8
    RECT next;
    GetWindowRect(GetDlgItem(dialog, IDOK), &next);
    EXPECT_EQ(next.right - next.left, 75);
    automation::PressKey(dialog, VK_ESCAPE);
    EXPECT_EQ(run.Result(), IDCANCEL);
}

TEST_F(DialogTest, EnterGivesTheDefaultButtonThatTheTemplateNames)
{
    ModalRun run(501);
    HWND dialog = automation::WaitForWindow(u"Source");
    ASSERT_NE(dialog, nullptr);
    automation::PressKey(dialog, VK_RETURN);
    EXPECT_EQ(run.Result(), 3);
    EXPECT_EQ(Commands(), std::vector<int>{3});
}

TEST_F(DialogTest, EnterPressesAPushButtonThatHasTheFocus)
{
    ModalRun run(501);
    HWND dialog = automation::WaitForWindow(u"Source");
    ASSERT_NE(dialog, nullptr);
    automation::PressKey(dialog, VK_TAB); // from the edit to Back
    automation::PressKey(dialog, VK_RETURN);
    EXPECT_EQ(run.Result(), 2);
}

TEST_F(DialogTest, EnterWithAnOwnerDrawnButtonFocusedGivesTheDefaultButton)
{
    ModalRun run(503);
    HWND dialog = automation::WaitForWindow(u"Drawn");
    ASSERT_NE(dialog, nullptr);
    // The owner-drawn button, first of the tab stops, has the focus.
    automation::PressKey(dialog, VK_RETURN);
    EXPECT_EQ(run.Result(), IDOK);
    EXPECT_EQ(Commands(), std::vector<int>{IDOK});
}

TEST_F(DialogTest, EscapeAndTheCloseBoxGiveCancel)
{
    {
        ModalRun run(500);
        HWND dialog = automation::WaitForWindow(u"Choices");
        automation::PressKey(dialog, VK_ESCAPE);
        EXPECT_EQ(run.Result(), IDCANCEL);
    }
    {
        ModalRun run(500);
        HWND dialog = automation::WaitForWindow(u"Choices");
        automation::CloseWindow(dialog);
        EXPECT_EQ(run.Result(), IDCANCEL);
    }
    EXPECT_EQ(Commands(), (std::vector<int>{IDCANCEL, IDCANCEL}));
}

TEST_F(DialogTest, AutoRadioButtonsOfOneGroupClearEachOther)
{
    ModalRun run(500);
    HWND dialog = automation::WaitForWindow(u"Choices");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1010), BST_CHECKED);
    automation::Click(GetDlgItem(dialog, 1048));
    ASSERT_TRUE(automation::WaitUntil([&] { return IsDlgButtonChecked(dialog, 1048) == BST_CHECKED; }));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1010), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1011), BST_UNCHECKED);
    // The arrow keys walk the group and check what they reach.
    automation::PressKey(dialog, VK_UP);
    ASSERT_TRUE(automation::WaitUntil([&] { return IsDlgButtonChecked(dialog, 1011) == BST_CHECKED; }));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1048), BST_UNCHECKED);
    // The check box beyond the group is untouched.
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1020), BST_UNCHECKED);
    automation::Click(GetDlgItem(dialog, 1020));
    ASSERT_TRUE(automation::WaitUntil([&] { return IsDlgButtonChecked(dialog, 1020) == BST_CHECKED; }));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1011), BST_CHECKED);
    automation::PressKey(dialog, VK_ESCAPE);
    run.Result();
}

TEST_F(DialogTest, AButtonHeldDownShowsPushedAndOnlyAReleaseOverItClicks)
{
    ModalRun run(500);
    HWND dialog = automation::WaitForWindow(u"Choices");
    ASSERT_NE(dialog, nullptr);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    auto pushed = [&] { return (SendMessageW(cancel, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; };

    automation::PressMouseAt(cancel, {5, 5});
    ASSERT_TRUE(automation::WaitUntil(pushed));
    // Dragged off, the button comes up; released there, nothing is clicked.
    automation::MoveMouseTo(dialog, {5, 5});
    ASSERT_TRUE(automation::WaitUntil([&] { return !pushed(); }));
    automation::ReleaseMouseAt(dialog, {5, 5});
    automation::PressMouseAt(cancel, {5, 5});
    ASSERT_TRUE(automation::WaitUntil(pushed));
    EXPECT_TRUE(Commands().empty());

    automation::ReleaseMouseAt(cancel, {6, 6});
    EXPECT_EQ(run.Result(), IDCANCEL);
    EXPECT_EQ(Commands(), std::vector<int>{IDCANCEL});
}

TEST_F(DialogTest, TabWalksTheTabStopsAndTypingFillsTheEdit)
{
    ModalRun run(500);
    HWND dialog = automation::WaitForWindow(u"Choices");
    ASSERT_NE(dialog, nullptr);
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    auto focus = [thread] {
        GUITHREADINFO info = {sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
        GetGUIThreadInfo(thread, &info);
        return info.hwndFocus;
    };
    ASSERT_TRUE(automation::WaitUntil([&] { return focus() == GetDlgItem(dialog, 1010); }));
    automation::PressKey(dialog, VK_TAB);
    ASSERT_TRUE(automation::WaitUntil([&] { return focus() == GetDlgItem(dialog, 1012); }));
    automation::TypeText(dialog, u"Inbox \u00E9");
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::TextOf(GetDlgItem(dialog, 1012)) == u"Inbox \u00E9"; }));
    automation::PressKey(dialog, VK_BACK);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::TextOf(GetDlgItem(dialog, 1012)) == u"Inbox "; }));
    automation::PressKey(dialog, VK_TAB);
    automation::PressKey(dialog, VK_TAB);
    ASSERT_TRUE(automation::WaitUntil([&] { return focus() == GetDlgItem(dialog, IDOK); }));
    automation::PressKey(dialog, VK_TAB, true); // back again
    ASSERT_TRUE(automation::WaitUntil([&] { return focus() == GetDlgItem(dialog, 1020); }));
    automation::PressKey(dialog, VK_RETURN); // no push button has the focus: the default one
    EXPECT_EQ(run.Result(), IDOK);
}

TEST_F(DialogTest, NestedModalLoopsEndInsideOut)
{
    std::atomic<HWND> outer{nullptr};
    std::atomic<INT_PTR> innerResult{-5};
    m_seen.onCommand = [&](HWND dialog, int id) {
        if (id == 1020) { // the outer dialog runs an inner one
            outer = dialog;
            innerResult = DialogBoxParamW(Module(), 501, dialog, RecordingDialogProc, 0);
            return;
        }
        if (id == IDOK && dialog == outer.load()) {
            EndDialog(dialog, IDOK);
            return;
        }
        if (id == 2) { // Back of the inner dialog also ends the outer one
            EndDialog(outer, 42);
            EndDialog(dialog, 2);
            return;
        }
        EndDialog(dialog, id);
    };
    ModalRun run(500);
    HWND dialog = automation::WaitForWindow(u"Choices");
    ASSERT_NE(dialog, nullptr);
    automation::Click(GetDlgItem(dialog, 1020));
    HWND inner = automation::WaitForWindow(u"Source");
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(IsWindowEnabled(dialog)); // the owner waits while the inner one runs
    automation::Click(GetDlgItem(inner, 2));
    EXPECT_EQ(run.Result(), 42);
    EXPECT_EQ(innerResult, 2);
}

TEST_F(DialogTest, AWorkerWritesIntoAModalDialogAndF1ReachesTheDialog)
{
    ModalRun run(500);
    HWND dialog = automation::WaitForWindow(u"Choices");
    ASSERT_NE(dialog, nullptr);
    std::thread worker([dialog] {
        for (int i = 0; i < 50; ++i)
            SetDlgItemTextW(dialog, 1012, u"from the worker");
    });
    worker.join();
    EXPECT_EQ(automation::TextOf(GetDlgItem(dialog, 1012)), u"from the worker");
    automation::PressKey(dialog, VK_F1);
    ASSERT_TRUE(automation::WaitUntil([&] {
        std::lock_guard lock(m_seen.mutex);
        return m_seen.helps == 1;
    }));
    automation::PressKey(dialog, VK_ESCAPE);
    run.Result();
}

TEST_F(DialogTest, ATemplateWithAnUnknownControlMakesNoDialog)
{
    EXPECT_EQ(DialogBoxParamW(Module(), 502, nullptr, RecordingDialogProc, 0), -1);
    EXPECT_EQ(DialogBoxParamW(Module(), 999, nullptr, RecordingDialogProc, 0), -1);
}

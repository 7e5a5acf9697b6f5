// The dialog manager's mnemonics and the focus a dialog gets back when a
// modal box over it ends, driven as the person at the keyboard does.
#include "ScriptModule.h"

#include "user/Automation.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Input.h"
#include "user/MessageBox.h"
#include "user/Messages.h"

#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace automation = user::automation;

namespace {

const char* kScript = R"rc(
600 DIALOGEX 0, 0, 200, 120
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Keys"
FONT 8, "MS Shell Dlg"
BEGIN
    LTEXT "&Path:", 1000, 10, 8, 30, 10
    EDITTEXT 1001, 45, 6, 100, 14, ES_AUTOHSCROLL
    AUTOCHECKBOX "&Backup", 1002, 10, 30, 60, 10, WS_TABSTOP
    AUTORADIOBUTTON "&Mails", 1003, 10, 44, 60, 10, WS_GROUP | WS_TABSTOP
    AUTORADIOBUTTON "&Calendar", 1004, 10, 58, 60, 10
    LTEXT "Fish && &Tips", 1005, 80, 30, 60, 10
    PUSHBUTTON "&Ask", 1006, 10, 100, 50, 14, WS_GROUP | WS_TABSTOP
    DEFPUSHBUTTON "&Next", IDOK, 140, 100, 50, 14, WS_TABSTOP
    PUSHBUTTON "Cancel", IDCANCEL, 80, 100, 50, 14, WS_TABSTOP
END
)rc";

HINSTANCE Module()
{
    static HINSTANCE module = RegisterScript(kScript, 0x7778);
    return module;
}

std::mutex g_mutex;
std::vector<int> g_commands;
std::vector<int> g_answers; // of the boxes that 1006 asks

INT_PTR KeysDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        CheckDlgButton(dialog, 1003, BST_CHECKED);
        return TRUE;
    }
    if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    const int id = LOWORD(wParam);
    {
        std::lock_guard lock(g_mutex);
        g_commands.push_back(id);
    }
    if (id == 1006) {
        int answer = MessageBoxW(dialog, u"Go on?", u"Keys", MB_YESNO | MB_ICONQUESTION);
        std::lock_guard lock(g_mutex);
        g_answers.push_back(answer);
    } else if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
    }
    return TRUE;
}

class DialogKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::SetMessageBoxAnswerer(nullptr);
        {
            std::lock_guard lock(g_mutex);
            g_commands.clear();
            g_answers.clear();
        }
        m_run = std::async(std::launch::async,
                           [] { return DialogBoxParamW(Module(), 600, nullptr, KeysDialogProc, 0); });
        m_dialog = automation::WaitForWindow(u"Keys");
        ASSERT_NE(m_dialog, nullptr);
        m_thread = GetWindowThreadProcessId(m_dialog, nullptr);
    }
    void TearDown() override
    {
        if (m_run.valid() && m_run.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            automation::Click(GetDlgItem(m_dialog, IDCANCEL));
            m_run.wait_for(std::chrono::seconds(60));
        }
    }

    HWND Focus() const
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(m_thread, &info) ? info.hwndFocus : nullptr;
    }
    bool WaitForFocus(int id) const
    {
        return automation::WaitUntil([&] { return Focus() == GetDlgItem(m_dialog, id); });
    }
    std::vector<int> Commands()
    {
        std::lock_guard lock(g_mutex);
        return g_commands;
    }
    std::vector<int> Answers()
    {
        std::lock_guard lock(g_mutex);
        return g_answers;
    }

    // Alt held down around a letter's key, as the keyboard sends it.
    static void AltKey(HWND target, char letter)
    {
        HWND to = user::input::KeyTarget(target);
        user::input::Key(VK_MENU, true, to);
        user::input::Key(static_cast<UINT>(letter), true, to);
        user::input::Key(static_cast<UINT>(letter), false, to);
        user::input::Key(VK_MENU, false, to);
    }

    INT_PTR Result()
    {
        EXPECT_EQ(m_run.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        return m_run.get();
    }

    std::future<INT_PTR> m_run;
    HWND m_dialog = nullptr;
    DWORD m_thread = 0;
};

TEST_F(DialogKeyboardTest, AltAndALetterGoToItsControl)
{
    // A static's letter gives the focus to the control after it.
    ASSERT_TRUE(WaitForFocus(1001));
    automation::PressKey(m_dialog, VK_TAB);
    ASSERT_TRUE(WaitForFocus(1002));
    AltKey(m_dialog, 'P');
    EXPECT_TRUE(WaitForFocus(1001));

    // A check box takes the focus and is clicked, even from the edit.
    AltKey(m_dialog, 'B');
    EXPECT_TRUE(WaitForFocus(1002));
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(GetDlgItem(m_dialog, 1002)) == BST_CHECKED; }));

    // A radio button is chosen.
    AltKey(m_dialog, 'C');
    EXPECT_TRUE(WaitForFocus(1004));
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(GetDlgItem(m_dialog, 1004)) == BST_CHECKED; }));
    EXPECT_EQ(automation::CheckStateOf(GetDlgItem(m_dialog, 1003)), static_cast<UINT>(BST_UNCHECKED));

    // "&&" shows an ampersand: the letter is the one after the single '&'.
    AltKey(m_dialog, 'T');
    EXPECT_TRUE(WaitForFocus(1006));


    // A push button is pressed.
    AltKey(m_dialog, 'N');
    EXPECT_EQ(Result(), IDOK);
}

TEST_F(DialogKeyboardTest, ALetterAloneCountsWhereTheFocusTakesNoCharacters)
{
    ASSERT_TRUE(WaitForFocus(1001));
    // The edit takes the letter as text.
    automation::TypeText(m_dialog, u"b");
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::TextOf(GetDlgItem(m_dialog, 1001)) == u"b"; }));
    EXPECT_EQ(automation::CheckStateOf(GetDlgItem(m_dialog, 1002)), static_cast<UINT>(BST_UNCHECKED));
    // A button does not: the letter is a mnemonic there.
    automation::PressKey(m_dialog, VK_TAB);
    ASSERT_TRUE(WaitForFocus(1002));
    automation::TypeText(m_dialog, u"m");
    EXPECT_TRUE(WaitForFocus(1003));
    automation::TypeText(m_dialog, u"x"); // no control answers to X
    automation::TypeText(m_dialog, u"n");
    EXPECT_EQ(Result(), IDOK);
    EXPECT_EQ(Commands().back(), IDOK);
}

TEST_F(DialogKeyboardTest, AMessageBoxAnswersNoToNAndAltNAndTheFocusComesBack)
{
    automation::PressKey(m_dialog, VK_TAB);
    automation::PressKey(m_dialog, VK_TAB);
    automation::PressKey(m_dialog, VK_TAB);
    ASSERT_TRUE(WaitForFocus(1006));

    automation::PressKey(m_dialog, VK_SPACE);
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    automation::TypeText(box, u"n");
    EXPECT_TRUE(automation::WaitUntil([&] { return Answers() == std::vector<int>{IDNO}; }));
    // The control that had the focus before the box has it again.
    EXPECT_TRUE(WaitForFocus(1006));

    automation::PressKey(m_dialog, VK_SPACE);
    box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    AltKey(box, 'N');
    EXPECT_TRUE(automation::WaitUntil([&] { return Answers() == std::vector<int>{IDNO, IDNO}; }));
    EXPECT_TRUE(WaitForFocus(1006));

    automation::PressKey(m_dialog, VK_SPACE);
    box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    automation::TypeText(box, u"Y");
    EXPECT_TRUE(automation::WaitUntil([&] { return Answers() == std::vector<int>{IDNO, IDNO, IDYES}; }));
    EXPECT_TRUE(WaitForFocus(1006));
    // Escape reaches the dialog at once, without a click first.
    automation::PressKey(m_dialog, VK_ESCAPE);
    EXPECT_EQ(Result(), IDCANCEL);
}

} // namespace

// The wizard at the keyboard: the focus comes back to the control that had
// it when a box over a step ends, the letters of a box's buttons answer it,
// and moving through step 1's radio buttons leaves one focus rectangle.
#include "StepFixture.h"

#include "gdi/PngFile.h"
#include "user/Input.h"
#include "win32/Shell.h"

#include <atomic>

namespace {

constexpr UINT kAbout = 0x10;
constexpr UINT kExitPrompt = 0x1034;
const char16_t* kExitText = u"Are you sure you want to exit.";

class KeyboardFocusTest : public StepFixture {
protected:
    static HWND FocusOf(HWND window)
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
    }
    static bool WaitForFocus(HWND control)
    {
        return automation::WaitUntil([&] { return FocusOf(control) == control; });
    }
    static HWND WaitForAbout(HWND main)
    {
        HWND about = nullptr;
        automation::WaitUntil([&] {
            about = automation::ActiveWindow();
            return about && about != main && ::GetDlgItem(about, 1005) && ::GetDlgItem(about, IDOK)
                && !::GetDlgItem(about, 1031);
        });
        return about;
    }
    static void AltKey(HWND target, char letter)
    {
        HWND to = user::input::KeyTarget(target);
        user::input::Key(VK_MENU, true, to);
        user::input::Key(static_cast<UINT>(letter), true, to);
        user::input::Key(static_cast<UINT>(letter), false, to);
        user::input::Key(VK_MENU, false, to);
    }
    std::shared_ptr<gdi::Surface> Shot(HWND window, const char* name)
    {
        const auto file = m_root / name;
        return automation::Screenshot(window, file) ? gdi::ReadPng(file) : nullptr;
    }
    // The pixels of a control in a screenshot of its top-level window.
    static std::vector<gdi::Pixel> PixelsOf(const gdi::Surface& shot, HWND top, HWND control)
    {
        const RECT window = automation::PositionOf(top);
        const RECT rect = automation::PositionOf(control);
        std::vector<gdi::Pixel> out;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                out.push_back(shot.At(x - window.left, y - window.top));
        return out;
    }
};

// The commands that reach a window, seen by a subclass of it.
std::atomic<WNDPROC> g_aboutProc{nullptr};
std::atomic<int> g_aboutCommand{0};
LRESULT RecordCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && !g_aboutCommand)
        g_aboutCommand = LOWORD(wParam);
    return ::CallWindowProcW(g_aboutProc.load(), hwnd, msg, wParam, lParam);
}

// The About box opens with the focus on its first tab stop, the owner-drawn
// link: Enter at once is the box's OK, and no link opens.
TEST_F(KeyboardFocusTest, EnterOnTheAboutBoxsFocusedLinkIsOk)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(automation::ChooseMenuCommand(main, kAbout));
    HWND about = WaitForAbout(main);
    ASSERT_NE(about, nullptr);
    HWND link = ::GetDlgItem(about, 1004);
    ASSERT_TRUE(WaitForFocus(link)) << "the link is the first tab stop";
    g_aboutCommand = 0;
    g_aboutProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(about, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordCommand)));
    automation::PressKey(about, VK_RETURN);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(about); }));
    EXPECT_EQ(g_aboutCommand.load(), IDOK);
    EXPECT_TRUE(win32::ReadShellJournal().empty()) << "no link opened";

    // Space on the focused link still opens it.
    ASSERT_TRUE(automation::ChooseMenuCommand(main, kAbout));
    about = WaitForAbout(main);
    ASSERT_NE(about, nullptr);
    link = ::GetDlgItem(about, 1004);
    ASSERT_TRUE(WaitForFocus(link));
    automation::PressKey(about, VK_SPACE);
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    EXPECT_TRUE(::IsWindow(about)) << "space clicks the link, not OK";
    automation::PressKey(about, VK_ESCAPE);
    EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(about); }));
}

// Enter with the focus on one of step 1's owner-drawn tool buttons is the
// step's default button, Next; it never clicks the focused button.
TEST_F(KeyboardFocusTest, EnterOnAFocusedShadedButtonIsNext)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND mails = ::GetDlgItem(main, 1010);
    automation::Click(mails);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(mails) == 1; }));
    HWND exitButton = ::GetDlgItem(main, 1006);
    ASSERT_NE(exitButton, nullptr);
    ::PostMessageW(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(exitButton), TRUE);
    ASSERT_TRUE(WaitForFocus(exitButton));
    automation::PressKey(main, VK_RETURN);
    HWND step = WaitForStep(kStep2Control);
    ASSERT_NE(step, nullptr) << "Next went on to step 2";
    EXPECT_TRUE(user::MessageBoxHistory().empty()) << "no exit prompt";
}

TEST_F(KeyboardFocusTest, AfterTheAboutBoxClosesByEnterEscapeReachesStepOne)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND calendar = ::GetDlgItem(main, 1048);
    automation::Click(calendar);
    ASSERT_TRUE(WaitForFocus(calendar));

    ASSERT_TRUE(automation::ChooseMenuCommand(main, kAbout));
    HWND about = WaitForAbout(main);
    ASSERT_NE(about, nullptr);
    // To its OK button, and Enter.
    HWND ok = ::GetDlgItem(about, IDOK);
    for (int i = 0; i < 3 && FocusOf(about) != ok; ++i) {
        HWND before = FocusOf(about);
        automation::PressKey(about, VK_TAB);
        automation::WaitUntil([&] { return FocusOf(about) != before; });
    }
    ASSERT_TRUE(WaitForFocus(ok));
    automation::PressKey(about, VK_RETURN);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(about); }));
    EXPECT_TRUE(WaitForFocus(calendar)) << "the control that had the focus has it again";

    // Escape acts at once, without a click first; N answers the prompt No.
    automation::PressKey(main, VK_ESCAPE);
    HWND box = ExpectBox(kExitText, kExitPrompt, main);
    ASSERT_NE(box, nullptr);
    automation::TypeText(box, u"n");
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(box); }));
    EXPECT_TRUE(WaitForFocus(calendar));

    // Alt+N answers it too, and the focus is back again.
    automation::PressKey(main, VK_ESCAPE);
    box = ExpectBox(kExitText, kExitPrompt, main);
    ASSERT_NE(box, nullptr);
    AltKey(box, 'N');
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(box); }));
    EXPECT_TRUE(WaitForFocus(calendar));
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_EQ(user::MessageBoxHistory().size(), 2u);
}

TEST_F(KeyboardFocusTest, OnStepTwoTheBoxesLettersAnswerAndThePathBoxKeepsItsOwnLetters)
{
    PutFile(u"C:\\Notes\\Data\\mail\\rhale.nsf", "mail");
    HWND step = StartAtStep2(1010);
    ASSERT_NE(step, nullptr);
    HWND path = ::GetDlgItem(step, 1012);
    automation::Click(path);
    ASSERT_TRUE(WaitForFocus(path));
    automation::PressKey(step, VK_END);
    // In the path box a letter is text, never a button's letter.
    automation::TypeText(step, u"n");
    EXPECT_TRUE(automation::WaitUntil(
        [&] { return automation::TextOf(path) == u"C:\\Notes\\Data\\mail\\rhale.nsfn"; }));
    EXPECT_TRUE(user::MessageBoxHistory().empty());

    // Escape's exit prompt over step 2 answers No to N, and the path box has the focus again.
    automation::PressKey(step, VK_ESCAPE);
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    automation::TypeText(box, u"n");
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(box); }));
    EXPECT_TRUE(::IsWindowVisible(step));
    EXPECT_TRUE(WaitForFocus(path));
}

TEST_F(KeyboardFocusTest, ArrowKeysThroughStepOnesRadioButtonsLeaveOneFocusRectangle)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND mails = ::GetDlgItem(main, 1010), book = ::GetDlgItem(main, 1011), calendar = ::GetDlgItem(main, 1048);
    automation::Click(mails);
    ASSERT_TRUE(WaitForFocus(mails));
    automation::PressKey(main, VK_DOWN);
    ASSERT_TRUE(WaitForFocus(book));
    automation::PressKey(main, VK_DOWN);
    ASSERT_TRUE(WaitForFocus(calendar));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(calendar) == 1; }));
    auto moved = Shot(main, "step1-arrows.png");
    ASSERT_TRUE(moved);

    // The whole step painted afresh shows what the screen should show.
    ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    auto fresh = Shot(main, "step1-fresh.png");
    ASSERT_TRUE(fresh);
    EXPECT_EQ(PixelsOf(*moved, main, mails), PixelsOf(*fresh, main, mails)) << "no focus rectangle left on Mails";
    EXPECT_EQ(PixelsOf(*moved, main, book), PixelsOf(*fresh, main, book)) << "none left on Address Book";
    EXPECT_EQ(PixelsOf(*moved, main, calendar), PixelsOf(*fresh, main, calendar));
    // And the focus rectangle shows where the focus is: Calendar without the
    // focus looks different.
    automation::PressKey(main, VK_TAB);
    ASSERT_TRUE(automation::WaitUntil([&] { return FocusOf(main) != calendar; }));
    auto away = Shot(main, "step1-away.png");
    ASSERT_TRUE(away);
    EXPECT_NE(PixelsOf(*away, main, calendar), PixelsOf(*fresh, main, calendar));
}

} // namespace

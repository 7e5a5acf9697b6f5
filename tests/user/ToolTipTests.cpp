// Tooltips: their tools and texts, and the tip that shows after the initial
// delay of a hover and hides on leave, click and time-out, on the virtual clock.
#include "ControlTest.h"

#include "user/Automation.h"
#include "user/ControlAutomation.h"
#include "win32/Clock.h"

#include <gtest/gtest.h>

namespace automation = user::automation;
using namespace std::chrono_literals;

namespace {

HWND g_tip = nullptr;

// A control that passes its mouse messages to the tooltip, as a button that
// carries a tooltip does.
LRESULT RelayingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_tip && (msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP)) {
        MSG relayed = {hwnd, msg, wParam, lParam, 0, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}};
        SendMessageW(g_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock = std::make_shared<win32::VirtualClock>(std::chrono::system_clock::now());
        win32::SetClock(clock);
        static bool registered = [] {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &RelayingProc;
            wc.lpszClassName = u"RelayingTool";
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
        tool = CreateWindowExW(0, u"RelayingTool", u"", WS_CHILD | WS_VISIBLE, 50, 40, 80, 30, parent.hwnd,
                               reinterpret_cast<HMENU>(1004), nullptr, nullptr);
        g_tip = tip = CreateWindowExW(0, TOOLTIPS_CLASS, nullptr, WS_POPUP, 0, 0, 0, 0, tool, nullptr, nullptr,
                                      nullptr);
        ASSERT_NE(tip, nullptr);
        TOOLINFOW info = Info(u"View Log");
        ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
        SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
        SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 300);
        PumpMessages();
    }
    void TearDown() override
    {
        g_tip = nullptr;
        DestroyWindow(tip);
        PumpMessages();
        win32::SetClock(nullptr);
    }

    // The whole control as the tool, named by its window, held by its parent.
    TOOLINFOW Info(const char16_t* text)
    {
        TOOLINFOW info = {};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND;
        info.hwnd = parent.hwnd;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = const_cast<LPWSTR>(text);
        return info;
    }

    void Wait(std::chrono::milliseconds time)
    {
        clock->Advance(time);
        PumpMessages();
    }

    void Hover(POINT at = {10, 10})
    {
        automation::MoveMouseTo(tool, at);
        PumpMessages();
    }

    void Leave()
    {
        automation::MoveMouseTo(parent.hwnd, {5, 200});
        PumpMessages();
    }

    bool Showing() { return automation::IsToolTipShowing(tip); }

    std::shared_ptr<win32::VirtualClock> clock;
    NotifyParent parent;
    HWND tool = nullptr;
    HWND tip = nullptr;
};

} // namespace

TEST_F(ToolTipTest, ToolsCarryTextsThatCanBeReadChangedAndRemoved)
{
    EXPECT_EQ(automation::FindToolTip(tool), tip);
    EXPECT_EQ(automation::ToolTipText(tip, tool), u"View Log");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 300);

    TOOLINFOW info = Info(u"Exit");
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(automation::ToolTipText(tip, tool), u"Exit");
    // The text is cut to the caller's buffer.
    WCHAR small[3] = {u'x', u'x', u'x'};
    info.lpszText = small;
    SendMessageW(tip, TTM_GETTEXTW, 3, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::u16string(small), u"Ex");

    // A rectangle of a window is a tool too, told apart by its id.
    TOOLINFOW area = {};
    area.cbSize = TTTOOLINFOW_V1_SIZE;
    area.hwnd = parent.hwnd;
    area.uId = 1;
    area.rect = {0, 0, 10, 10};
    area.lpszText = const_cast<LPWSTR>(u"Corner");
    EXPECT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&area)));
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_EQ(automation::ToolTipText(tip, parent.hwnd), u"Corner");

    info = Info(nullptr);
    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(automation::FindToolTip(tool), nullptr);
    // A structure too small to be one is refused.
    area.cbSize = 8;
    EXPECT_FALSE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&area)));
}

TEST_F(ToolTipTest, TheTipShowsAfterTheInitialDelayBelowTheCursor)
{
    Hover();
    Wait(499ms);
    EXPECT_FALSE(Showing());
    Wait(1ms);
    ASSERT_TRUE(Showing());
    TOOLINFOW current = {};
    current.cbSize = sizeof current;
    ASSERT_TRUE(SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&current)));
    EXPECT_EQ(current.uId, reinterpret_cast<UINT_PTR>(tool));

    POINT cursor = {10, 10};
    ClientToScreen(tool, &cursor);
    RECT placed;
    GetWindowRect(tip, &placed);
    EXPECT_EQ(placed.left, cursor.x);
    EXPECT_EQ(placed.top, cursor.y + 20);
    EXPECT_GT(placed.right - placed.left, 20);
    // Moving about on the tool keeps the tip.
    Hover({30, 20});
    Wait(300ms);
    EXPECT_TRUE(Showing());
}

TEST_F(ToolTipTest, LeavingClickingAndTimingOutHideTheTip)
{
    Hover();
    Wait(500ms);
    ASSERT_TRUE(Showing());
    Leave();
    Wait(100ms);
    EXPECT_FALSE(Showing());

    // A click hides the tip, and it stays away while the mouse stays on the tool.
    Hover();
    Wait(500ms);
    ASSERT_TRUE(Showing());
    automation::ClickAt(tool, {12, 12});
    PumpMessages();
    EXPECT_FALSE(Showing());
    Hover({14, 14});
    Wait(1000ms);
    EXPECT_FALSE(Showing());
    // After leaving and coming back it shows again.
    Leave();
    Wait(100ms);
    Hover();
    Wait(500ms);
    EXPECT_TRUE(Showing());

    // Left alone, the tip pops after five seconds.
    Wait(4900ms);
    EXPECT_TRUE(Showing());
    Wait(100ms);
    EXPECT_FALSE(Showing());
}

TEST_F(ToolTipTest, NoTipWhenDeactivatedOrWhenTheOwnerIsNotActive)
{
    SendMessageW(tip, TTM_ACTIVATE, FALSE, 0);
    Hover();
    Wait(600ms);
    EXPECT_FALSE(Showing());
    SendMessageW(tip, TTM_ACTIVATE, TRUE, 0);
    Leave();
    Wait(100ms);

    // Another window is active: the tip waits for its owner, unless TTS_ALWAYSTIP.
    HWND other = CreateWindowExW(0, u"NotifyParent", u"other", WS_OVERLAPPED | WS_VISIBLE, 500, 500, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(GetActiveWindow(), other);
    Hover();
    Wait(600ms);
    EXPECT_FALSE(Showing());
    Leave();
    Wait(100ms);
    SetWindowLongPtrW(tip, GWL_STYLE, GetWindowLongPtrW(tip, GWL_STYLE) | TTS_ALWAYSTIP);
    Hover();
    Wait(500ms);
    EXPECT_TRUE(Showing());
    DestroyWindow(other);
}

TEST_F(ToolTipTest, TheTipIsDrawnInTheInfoColoursAndWrapsAtItsWidth)
{
    Hover();
    Wait(500ms);
    ASSERT_TRUE(Showing());
    RECT client;
    GetClientRect(tip, &client);
    {
        BitmapDC canvas(client.right, client.bottom, RGB(1, 2, 3));
        SendMessageW(tip, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        EXPECT_EQ(canvas.At(0, 0), GetSysColor(COLOR_WINDOWFRAME));
        EXPECT_EQ(canvas.At(1, 1), GetSysColor(COLOR_INFOBK));
        // Some text ink inside the margins.
        RECT ink = canvas.InkBounds(GetSysColor(COLOR_INFOBK), client.right - 1, client.bottom - 1);
        EXPECT_GE(ink.left, 0);
        EXPECT_GT(ink.right - ink.left, 10);
    }
    SendMessageW(tip, TTM_SETTIPBKCOLOR, RGB(0, 0, 200), 0);
    BitmapDC blue(client.right, client.bottom);
    SendMessageW(tip, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(blue.dc()), 0);
    EXPECT_EQ(blue.At(1, 1), RGB(0, 0, 200));

    // A long text wraps within the maximum width.
    const int oneLine = client.bottom;
    TOOLINFOW info = Info(u"a rather long text that cannot possibly fit into the narrow width of this tip");
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 120);
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    GetClientRect(tip, &client);
    EXPECT_LE(client.right, 120);
    EXPECT_GT(client.bottom, 2 * oneLine - 8);
}

// The standard scroll bars of a window: their values, their place beside the
// client area, the mouse over their parts, and the mouse wheel.
#include "ControlTest.h"

#include "user/Automation.h"
#include "user/Input.h"
#include "user/ScrollBar.h"

#include <gtest/gtest.h>

namespace automation = user::automation;

namespace {

struct Request {
    UINT message;
    WORD code;
    int trackPos; // SIF_TRACKPOS as the window reads it while it handles the request
};

std::vector<Request> g_requests;
std::vector<MSG> g_wheels; // WM_MOUSEWHEEL as the parent got it

// A window that scrolls as a program does: each request moves its position.
LRESULT ScrollingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
        int bar = msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
        SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd, bar, &info);
        g_requests.push_back({msg, LOWORD(wParam), info.nTrackPos});
        int pos = info.nPos;
        int page = static_cast<int>(info.nPage);
        switch (LOWORD(wParam)) {
        case SB_LINEUP: --pos; break;
        case SB_LINEDOWN: ++pos; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBTRACK: pos = info.nTrackPos; break;
        default: break;
        }
        SetScrollPos(hwnd, bar, pos, TRUE);
        return 0;
    }
    if (msg == WM_MOUSEWHEEL)
        g_wheels.push_back({hwnd, msg, wParam, lParam, 0, {}});
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &ScrollingProc;
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = u"ScrollingWindow";
            return RegisterClassExW(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_requests.clear();
        g_wheels.clear();
        window = CreateWindowExW(0, u"ScrollingWindow", u"scrolling", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20, 20,
                                 300, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        PumpMessages();
    }
    void TearDown() override { DestroyWindow(window); }

    int SetValues(int min, int max, UINT page, int pos, UINT extra = 0)
    {
        SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | extra, min, max, page, pos, 0};
        return SetScrollInfo(window, SB_VERT, &info, TRUE);
    }

    RECT Client()
    {
        RECT rect;
        GetClientRect(window, &rect);
        return rect;
    }

    // A point of the vertical bar, in client coordinates: the bar lies just
    // right of the client area.
    POINT OnBar(int y) { return {Client().right + GetSystemMetrics(SM_CXVSCROLL) / 2, y}; }

    std::vector<WORD> Codes()
    {
        std::vector<WORD> out;
        for (const auto& r : g_requests)
            out.push_back(r.code);
        g_requests.clear();
        return out;
    }

    HWND window = nullptr;
};

TEST_F(ScrollBarTest, ValuesStayInRangeAndTheBarShowsOnlyWhileThereIsSomethingToScroll)
{
    const int width = Client().right;
    EXPECT_EQ(SetValues(0, 99, 10, 200), 90) << "the last page starts at max - page + 1";
    EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(Client().right, width - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 90);

    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    SetValues(0, 9, 500, -3);
    ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &info));
    EXPECT_EQ(info.nPage, 10u) << "a page is never longer than the range";
    EXPECT_EQ(info.nPos, 0);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & WS_VSCROLL, 0) << "nothing to scroll: the bar goes";
    EXPECT_EQ(Client().right, width);

    // Kept, disabled: its arrows send nothing.
    SetValues(0, 9, 500, 0, SIF_DISABLENOSCROLL);
    ASSERT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VSCROLL, 0);
    automation::ClickAt(window, OnBar(Client().bottom - 4));
    PumpMessages();
    EXPECT_TRUE(Codes().empty());

    int low = 0, high = 0;
    ASSERT_TRUE(SetScrollRange(window, SB_VERT, 5, 50, TRUE));
    ASSERT_TRUE(GetScrollRange(window, SB_VERT, &low, &high));
    EXPECT_EQ(low, 5);
    EXPECT_EQ(high, 50);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 5);
    ShowScrollBar(window, SB_VERT, FALSE);
    EXPECT_EQ(Client().right, width);
}

TEST_F(ScrollBarTest, ArrowsPageAreasAndTheThumbSendTheirRequests)
{
    SetValues(0, 99, 10, 0);
    PumpMessages();
    const RECT client = Client();
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);

    POINT screen = OnBar(client.bottom - arrow / 2);
    ClientToScreen(window, &screen);
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)), HTVSCROLL);

    automation::ClickAt(window, OnBar(client.bottom - arrow / 2));
    PumpMessages();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_LINEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 1);

    automation::ClickAt(window, OnBar(client.bottom - arrow - 3));
    PumpMessages();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_PAGEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 11);

    automation::ClickAt(window, OnBar(arrow / 2));
    PumpMessages();
    EXPECT_EQ(Codes(), (std::vector<WORD>{SB_LINEUP, SB_ENDSCROLL}));
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 10);

    // The thumb, taken in its middle, goes where the mouse takes it: the
    // position follows while it moves and stays when it is let go.
    const int track = client.bottom - 2 * arrow;
    const int thumbLength = std::max(track * 10 / 100, 8);
    const int thumbMiddle = arrow + (track - thumbLength) * 10 / 90 + thumbLength / 2;
    automation::PressMouseAt(window, OnBar(thumbMiddle));
    automation::MoveMouseTo(window, OnBar(thumbMiddle + 20));
    // Let go over the bottom arrow, past where the thumb can go: the last position.
    automation::ReleaseMouseAt(window, OnBar(client.bottom - 2));
    PumpMessages();
    ASSERT_GE(g_requests.size(), 4u);
    EXPECT_EQ(g_requests.front().code, SB_THUMBTRACK);
    EXPECT_GT(g_requests.front().trackPos, 10);
    EXPECT_LT(g_requests.front().trackPos, 90);
    const auto& last = g_requests[g_requests.size() - 2];
    EXPECT_EQ(last.code, SB_THUMBPOSITION);
    EXPECT_EQ(last.trackPos, 90);
    EXPECT_EQ(g_requests.back().code, SB_ENDSCROLL);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 90);
}

TEST_F(ScrollBarTest, TheWheelGoesToTheFocusAndUpThroughItsParents)
{
    HWND child = CreateWindowExW(0, u"ScrollingWindow", u"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 80, window, nullptr,
                                 nullptr, nullptr);
    HWND grandchild = CreateWindowExW(0, u"Static", u"", WS_CHILD | WS_VISIBLE, 5, 5, 50, 40, child, nullptr, nullptr,
                                      nullptr);
    ASSERT_NE(grandchild, nullptr);
    SetFocus(grandchild);
    automation::TurnWheel(window, {200, 150}, -2);
    PumpMessages();
    // The static does not scroll: its parent hears each notch, then that
    // window's default passes it on to the top.
    ASSERT_EQ(g_wheels.size(), 4u);
    POINT screen = {200, 150};
    ClientToScreen(window, &screen);
    EXPECT_EQ(g_wheels[0].hwnd, child);
    EXPECT_EQ(g_wheels[1].hwnd, window);
    for (const MSG& m : g_wheels) {
        EXPECT_EQ(static_cast<short>(HIWORD(m.wParam)), -WHEEL_DELTA);
        EXPECT_EQ(LOWORD(m.wParam), 0);
        EXPECT_EQ(GET_X_LPARAM(m.lParam), screen.x);
        EXPECT_EQ(GET_Y_LPARAM(m.lParam), screen.y);
    }
    UINT lines = 0;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(lines, 3u);
}

} // namespace

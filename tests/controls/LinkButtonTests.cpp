// The link button of the About box: a click opens its caption through the
// shell and turns it to the visited colour; the dialog never sees the click.
#include "ControlsFixture.h"

#include "user/Icons.h"
#include "user/MouseTracking.h"
#include "win32/Shell.h"

namespace {

class LinkButtonTest : public ControlsTest {};

TEST_F(LinkButtonTest, AClickOpensTheCaptionAndShowsTheLinkVisited)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND link = ::GetDlgItem(window, 1040);
    const COLORREF visited = RGB(128, 0, 128);
    EXPECT_GT(CountPixels(link, ::GetSysColor(COLOR_HIGHLIGHT)), 0);
    EXPECT_EQ(CountPixels(link, visited), 0);

    automation::Click(link);
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].verb, u"open");
    EXPECT_EQ(journal[0].file, u"http://www.example.org/");
    EXPECT_EQ(journal[0].show, SW_HIDE);
    ASSERT_TRUE(automation::WaitUntil([&] { return CountPixels(link, visited) > 0; }));
    EXPECT_TRUE(dialog.m_link.IsVisited());
    auto commands = dialog.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 1040u), 0) << "the button keeps its click";
}

TEST_F(LinkButtonTest, ThePrefixGoesBeforeTheCaptionOrTheAddress)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_link.SetURLPrefix(u"mailto:"); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::u16string(dialog.m_link.GetURL()), u"mailto:http://www.example.org/");
    dialog.Run([&] { dialog.m_link.SetURL(u"team@example.org"); });
    automation::Click(::GetDlgItem(window, 1040));
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"mailto:team@example.org");

    // No address and no prefix: the caption itself.
    dialog.Run([&] {
        dialog.m_link.SetURL(nullptr);
        dialog.m_link.SetURLPrefix(nullptr);
    });
    EXPECT_EQ(std::u16string(dialog.m_link.GetURL()), u"http://www.example.org/");
}

// As any owner-drawn button, the focused link takes space as a click, while
// Enter presses the dialog's default button and opens nothing.
TEST_F(LinkButtonTest, SpaceOpensTheFocusedLinkAndEnterPressesTheDefaultButton)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND link = ::GetDlgItem(window, 1040);
    dialog.Run([&] { dialog.m_link.SetFocus(); });

    automation::PressKey(link, VK_SPACE);
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"http://www.example.org/");
    auto commands = dialog.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 1040u), 0) << "the button keeps its click";

    automation::PressKey(link, VK_RETURN);
    ASSERT_TRUE(automation::WaitUntil([&] {
        auto now = dialog.Commands();
        return std::count(now.begin(), now.end(), static_cast<UINT>(IDOK)) > 0;
    })) << "Enter reached the dialog's default button";
    EXPECT_EQ(win32::ReadShellJournal().size(), 1u) << "Enter opened nothing";
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(window); }));
}

TEST_F(LinkButtonTest, ADisabledLinkOpensNothing)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND link = ::GetDlgItem(window, 1040);
    dialog.Run([&] { dialog.m_link.EnableWindow(FALSE); });
    automation::Click(link);
    automation::WaitForPaint();
    EXPECT_TRUE(win32::ReadShellJournal().empty());
    EXPECT_GT(CountPixels(link, ::GetSysColor(COLOR_GRAYTEXT)), 0) << "drawn in the disabled colour";
}

// Enabled, the caption wears the underlined link font; disabled, it is drawn
// in the disabled colour without it, so without the underline.
TEST_F(LinkButtonTest, ADisabledLinkDrawsWithoutTheLinkFont)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND link = ::GetDlgItem(window, 1040);
    // The longest horizontal run of pixels in the colour.
    auto longestRun = [&](COLORREF color) {
        RECT client;
        ::GetClientRect(link, &client);
        int longest = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0, run = 0; x < client.right; ++x) {
                run = PixelOf(link, x, y) == color ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        return longest;
    };
    EXPECT_GT(longestRun(::GetSysColor(COLOR_HIGHLIGHT)), 60) << "the underline";

    dialog.Run([&] { dialog.m_link.EnableWindow(FALSE); });
    ASSERT_TRUE(automation::WaitUntil([&] { return CountPixels(link, ::GetSysColor(COLOR_GRAYTEXT)) > 0; }));
    automation::WaitForPaint();
    EXPECT_LT(longestRun(::GetSysColor(COLOR_GRAYTEXT)), 20);
}

} // namespace

namespace {

class LinkButtonPointer : public ControlsTest {
protected:
    HWND Link() const { return ::GetDlgItem(dialog.m_hWnd, 1040); }
    // The flags of the mouse tracking that the dialog's thread asked for.
    DWORD Tracking()
    {
        TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
        dialog.Run([&] { ::TrackMouseEvent(&query); });
        return query.hwndTrack == Link() ? query.dwFlags : 0;
    }
    // The hover notification comes after the hover time on the machine's
    // clock, counted from the move that asked for it; 1 ms is held to the
    // shortest timer, 10 ms.
    void Hover()
    {
        automation::MoveMouseTo(Link(), {10, 5});
        ASSERT_TRUE(automation::WaitUntil([&] { return (Tracking() & TME_HOVER) != 0; }));
        m_clock->Advance(std::chrono::milliseconds(10));
        ::PostMessageW(dialog.m_hWnd, WM_NULL, 0, 0);
    }
    bool Shows(COLORREF color) const { return CountPixels(Link(), color) > 0; }
};

// Hovering shows the hover colour and the hand; a click turns the link
// visited even under the pointer, and hovering again after leaving shows the
// hover colour, which goes before the visited one.
TEST_F(LinkButtonPointer, HoverClickAndHoverAgainAfterLeaving)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    const COLORREF hover = ::GetSysColor(COLOR_HOTLIGHT), visited = RGB(128, 0, 128);
    ASSERT_NE(hover, ::GetSysColor(COLOR_HIGHLIGHT));
    Hover();
    ASSERT_TRUE(automation::WaitUntil([&] { return Shows(hover); }));

    ::SendMessageW(Link(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Link()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND)) << "the system's hand stands in for the viewer's";
    EXPECT_NE(::GetCursor(), nullptr);

    automation::Click(Link());
    ASSERT_TRUE(automation::WaitUntil([&] { return Shows(visited) && !Shows(hover); }));
    automation::MoveMouseTo(Link(), {12, 5});
    automation::MoveMouseTo(Link(), {13, 5});
    EXPECT_EQ(Tracking(), static_cast<DWORD>(TME_LEAVE)) << "still tracked from before the click: no new hover";

    MoveMouseAway();
    Hover();
    EXPECT_TRUE(automation::WaitUntil([&] { return Shows(hover) && !Shows(visited); }));
}

// The tooltip shows the target when given no text, and from a hover until
// the leave; a second text only changes the tip.
TEST_F(LinkButtonPointer, TheTooltipShowsTheTargetBetweenHoverAndLeave)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_link.SetURLPrefix(u"see "); d.m_link.SetToolTipText(u""); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND tip = automation::FindToolTip(Link());
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(automation::ToolTipText(tip, Link()), u"see http://www.example.org/");

    dialog.Run([&] { dialog.m_link.SetToolTipText(u"The example"); });
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(automation::ToolTipText(tip, Link()), u"The example");
    Hover();
    ASSERT_TRUE(automation::WaitUntil([&] { return Shows(::GetSysColor(COLOR_HOTLIGHT)); }));
    // The tip's delay runs from the first relayed move, which the second waits for.
    automation::MoveMouseTo(Link(), {14, 5});
    automation::MoveMouseTo(Link(), {14, 6});
    EXPECT_FALSE(automation::IsToolTipShowing(tip));
    m_clock->Advance(std::chrono::milliseconds(500));
    ::PostMessageW(dialog.m_hWnd, WM_NULL, 0, 0);
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::IsToolTipShowing(tip); }));
    MoveMouseAway();
    EXPECT_TRUE(automation::WaitUntil([&] { return !automation::IsToolTipShowing(tip); }));
}

// A new text resizes the button to it.
TEST_F(LinkButtonPointer, ANewTextResizesTheButton)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    SIZE extent = {};
    dialog.Run([&] {
        dialog.m_link.SetText(u"Short");
        CClientDC dc(&dialog.m_link);
        extent = dc.GetTextExtent(CString(u"Short"));
    });
    RECT rect;
    ::GetWindowRect(Link(), &rect);
    EXPECT_EQ(rect.right - rect.left, extent.cx);
    EXPECT_EQ(rect.bottom - rect.top, extent.cy);
    EXPECT_GT(extent.cx, 0);
}

// The tooltip's colours reach it once it exists; asked for before, they go
// nowhere and the tip keeps its own.
TEST_F(LinkButtonPointer, TooltipColoursReachOnlyAnExistingTip)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    dialog.Run([&] { dialog.m_link.SetToolTipColors(RGB(1, 2, 3), RGB(4, 5, 6)); });
    EXPECT_EQ(automation::FindToolTip(Link()), nullptr);

    dialog.Run([&] { dialog.m_link.SetToolTipText(u"Tip"); });
    HWND tip = automation::FindToolTip(Link());
    ASSERT_NE(tip, nullptr);
    EXPECT_NE(static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPTEXTCOLOR, 0, 0)), RGB(1, 2, 3));
    EXPECT_NE(static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(4, 5, 6));

    dialog.Run([&] { dialog.m_link.SetToolTipColors(RGB(10, 20, 30), RGB(200, 210, 220)); });
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPTEXTCOLOR, 0, 0)), RGB(10, 20, 30));
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(200, 210, 220));
    dialog.Run([&] { dialog.m_link.SetToolTipTextColor(RGB(7, 7, 7)); });
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPTEXTCOLOR, 0, 0)), RGB(7, 7, 7));
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(200, 210, 220));
}

} // namespace

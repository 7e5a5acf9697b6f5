// The shaded button as the wizard's dialogs use it: a click is the dialog's
// command, the icon sits centred above the middle, the hover face follows
// the mouse, and the tooltip and check state of radio buttons follow clicks.
#include "ControlsFixture.h"

#include <algorithm>
#include <cstdlib>

namespace {

class ShadeButtonTest : public ControlsTest {};

TEST_F(ShadeButtonTest, AClickReachesTheDialogAsTheButtonsOwnCommand)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_shaded.SetShade(SHS_VSHADE, 8, 10, 0, 0); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    EXPECT_EQ(::GetWindowLongPtrW(button, GWL_STYLE) & 0xF, static_cast<LONG_PTR>(BS_OWNERDRAW));

    automation::Click(button);
    ASSERT_TRUE(automation::WaitUntil([&] {
        auto commands = dialog.Commands();
        return std::count(commands.begin(), commands.end(), 1005u) == 1;
    }));
    EXPECT_EQ(automation::CheckStateOf(button), 0u) << "a push button is never checked";
}

TEST_F(ShadeButtonTest, TheIconSitsCentredAboveTheMiddleAndHoverLightensTheFace)
{
    dialog.setUp = [](CControlsDlg& d) {
        d.m_viewLog.SetShade(SHS_VSHADE, 8, 10, 0, 0);
        d.m_viewLog.SetIcon(131, 0x300, 131, 131);
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1004);
    RECT client;
    ::GetClientRect(button, &client);
    const int w = client.right, h = client.bottom;

    const RECT box = dialog.m_viewLog.GetIconBox();
    EXPECT_EQ(box.right - box.left, 32);
    EXPECT_EQ(box.bottom - box.top, 32);
    EXPECT_EQ(box.left, std::max(w / 2 - 16, 0));
    EXPECT_EQ(box.top, std::max(h / 2 - 32, 0));

    // A corner of the face, clear of the edge and the focus bands.
    const COLORREF face = PixelOf(button, w - 3, h - 3);
    int drawn = 0;
    for (int y = box.top; y < std::min<int>(box.bottom, h); ++y)
        for (int x = box.left; x < box.right; ++x)
            drawn += PixelOf(button, x, y) != face;
    EXPECT_GT(drawn, 100) << "the icon is drawn in its box";

    automation::MoveMouseTo(button, {w - 3, h - 3});
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(button, w - 3, h - 3) != face; }));
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_GT(Brightness(PixelOf(button, w - 3, h - 3)), Brightness(face)) << "the hover face is lighter";

    RECT dialogClient;
    ::GetClientRect(window, &dialogClient);
    automation::MoveMouseTo(window, {dialogClient.right - 5, dialogClient.bottom - 40});
    EXPECT_TRUE(automation::WaitUntil([&] { return PixelOf(button, w - 3, h - 3) == face; }))
        << "leaving brings the normal face back";
}

TEST_F(ShadeButtonTest, ATooltipCarriesTheTextAndARadioShowsItsCheckedText)
{
    dialog.setUp = [](CControlsDlg& d) {
        d.m_viewLog.SetToolTipText(u"View Log", u"");
        d.m_one.SetToolTipText(u"One up", u"One down");
        d.m_two.SetToolTipText(u"Two up", u"");
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND viewLog = ::GetDlgItem(window, 1004), one = ::GetDlgItem(window, 1010), two = ::GetDlgItem(window, 1011);
    HWND tip = automation::FindToolTip(viewLog);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(automation::ToolTipText(tip, viewLog), u"View Log");
    // The button relays the mouse to it: the tip shows after its delay from
    // the first move (which the second waits for), and a press hides it.
    automation::MoveMouseTo(viewLog, {3, 3});
    automation::MoveMouseTo(viewLog, {4, 3});
    m_clock->Advance(std::chrono::milliseconds(500));
    ::PostMessageW(window, WM_NULL, 0, 0);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::IsToolTipShowing(tip); }));
    automation::PressMouseAt(viewLog, {4, 3});
    EXPECT_TRUE(automation::WaitUntil([&] { return !automation::IsToolTipShowing(tip); }));
    automation::ReleaseMouseAt(viewLog, {4, 3});

    HWND oneTip = automation::FindToolTip(one);
    ASSERT_NE(oneTip, nullptr);
    automation::Click(one);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(one) == 1; }));
    EXPECT_EQ(automation::ToolTipText(oneTip, one), u"One down");

    // Checking the other radio of the group unchecks the first.
    automation::Click(two);
    ASSERT_TRUE(automation::WaitUntil(
        [&] { return automation::CheckStateOf(two) == 1 && automation::CheckStateOf(one) == 0; }));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::ToolTipText(oneTip, one) == u"One up"; }));
    EXPECT_EQ(automation::ToolTipText(automation::FindToolTip(two), two), u"Two up")
        << "an empty checked text shows the plain one";

    // A click never clears a radio button.
    automation::Click(two);
    automation::Click(::GetDlgItem(window, 1005));
    ASSERT_TRUE(automation::WaitUntil([&] {
        auto commands = dialog.Commands();
        return std::count(commands.begin(), commands.end(), 1005u) == 1;
    }));
    EXPECT_EQ(automation::CheckStateOf(two), 1u);
}

TEST_F(ShadeButtonTest, AFlatButtonShowsItsEdgeOnlyUnderTheMouse)
{
    dialog.setUp = [](CControlsDlg& d) {
        d.m_shaded.SetShade(GrainOnly, 0, 0, 0, 0);
        d.m_shaded.SetFlat(true);
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    RECT client;
    ::GetClientRect(button, &client);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    automation::MoveMouseTo(window, {5, 150});
    automation::WaitForPaint();
    EXPECT_EQ(PixelOf(button, 0, 0), PixelOf(button, 2, 2)) << "the face reaches the corner";
    EXPECT_NE(PixelOf(button, 0, 0), light);

    automation::MoveMouseTo(button, {client.right / 2, client.bottom - 3});
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(button, 0, 0) == light; }));
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(PixelOf(button, client.right - 1, client.bottom - 1), ::GetSysColor(COLOR_BTNSHADOW))
        << "a thin frame, light above and dark below";
    EXPECT_EQ(PixelOf(button, 1, 1), PixelOf(button, 2, 2));
}

// Without a highlight the hover face is the normal face: only the flat
// button's edge shows that the mouse is over it.
TEST_F(ShadeButtonTest, WithoutAHighlightTheHoverFaceIsTheNormalFace)
{
    dialog.setUp = [](CControlsDlg& d) {
        d.m_shaded.SetShade(HorizontalGradient, 8, 0, 0, 0);
        d.m_shaded.SetFlat(true);
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    RECT client;
    ::GetClientRect(button, &client);
    const POINT corner = {client.right - 3, client.bottom - 3};
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    MoveMouseAway();
    automation::WaitForPaint();
    const COLORREF normal = PixelOf(button, corner.x, corner.y);
    ASSERT_NE(PixelOf(button, 0, 0), light);

    automation::MoveMouseTo(button, corner);
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(button, 0, 0) == light; }));
    automation::WaitForPaint();
    EXPECT_EQ(PixelOf(button, corner.x, corner.y), normal);
}

// The faces have the window's size when they are made: after the button
// grows, a new SetShade covers it whole.
TEST_F(ShadeButtonTest, SetShadeAgainFitsTheFacesToTheNewSize)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_viewLog.SetShade(GrainOnly, 0, 0, 0, RGB(0, 0, 0)); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1004);
    MoveMouseAway();
    automation::WaitForPaint();
    const COLORREF face = PixelOf(button, 3, 3);
    RECT rect;
    ::GetWindowRect(button, &rect);
    const int w = rect.right - rect.left + 30, h = rect.bottom - rect.top + 20;
    dialog.Run([&] {
        dialog.m_viewLog.SetWindowPos(nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        dialog.m_viewLog.SetShade(GrainOnly, 0, 0, 0, RGB(0, 0, 0));
        dialog.m_viewLog.Invalidate();
    });
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(PixelOf(button, w - 3, h - 3), face);
    EXPECT_EQ(PixelOf(button, w / 2, h - 3), face);
    EXPECT_EQ(PixelOf(button, w - 3, 3), face);
}

// The icon stands in for a down icon that does not load and for a hover icon
// that is not given; an icon that does not load leaves none at all.
TEST_F(ShadeButtonTest, TheIconStandsInForAMissingDownOrHoverIcon)
{
    dialog.setUp = [](CControlsDlg& d) {
        d.m_shaded.SetWindowText(u"");
        d.m_shaded.SetShade(GrainOnly, 0, 50, 0, 0);
        d.m_shaded.SetIcon(131, 768, 999, 0);
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    RECT client;
    ::GetClientRect(button, &client);
    const int w = client.right, h = client.bottom;
    const RECT box = dialog.m_shaded.GetIconBox();
    ASSERT_LT(box.right, w - 3) << "the corner lies clear of the icon";
    // Pixels of the icon box (moved by the shift) unlike the face at the
    // corner, inside the edge and the focus bands; a level of grain is no
    // difference.
    auto iconPixels = [&](int shift) {
        const int face = Brightness(PixelOf(button, w - 3, h - 3));
        int n = 0;
        for (int y = std::max<int>(box.top, 5) + shift; y < std::min<int>(box.bottom, h - 5) + shift; ++y)
            for (int x = std::max<int>(box.left, 5) + shift; x < std::min<int>(box.right, w - 5) + shift; ++x)
                n += std::abs(Brightness(PixelOf(button, x, y)) - face) > 8;
        return n;
    };
    MoveMouseAway();
    automation::WaitForPaint();
    const COLORREF normal = PixelOf(button, w - 3, h - 3);
    EXPECT_GT(iconPixels(0), 100);

    automation::MoveMouseTo(button, {w - 3, h - 3});
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(button, w - 3, h - 3) != normal; }));
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_GT(iconPixels(0), 100) << "hovering";

    automation::PressMouseAt(button, {w - 3, h - 3});
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(button) == 0 && PixelOf(button, 0, 0) != PixelOf(button, w - 1, h - 1); }));
    automation::WaitForPaint();
    EXPECT_GT(iconPixels(1), 100) << "pressed, one pixel down and right";
    automation::ReleaseMouseAt(button, {w - 3, h - 3});

    dialog.Run([&] {
        dialog.m_shaded.SetIcon(999, 768, 131, 131);
        dialog.m_shaded.Invalidate();
    });
    MoveMouseAway();
    automation::WaitForPaint();
    EXPECT_EQ(iconPixels(0), 0);
}

// A press ends the hover look: let go without moving, the button shows its
// normal face until the mouse moves over it again.
TEST_F(ShadeButtonTest, APressEndsTheHoverLookUntilTheNextMove)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_shaded.SetShade(GrainOnly, 0, 50, 0, 0); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    RECT client;
    ::GetClientRect(button, &client);
    const POINT corner = {client.right - 3, client.bottom - 3};
    const auto [normal, lit] = NormalAndHoverAt(button, corner);
    ASSERT_NE(lit, normal);
    automation::PressMouseAt(button, corner);
    automation::ReleaseMouseAt(button, corner);
    ASSERT_TRUE(automation::WaitUntil([&] { return dialog.Commands() == std::vector<UINT>{1005}; }));
    EXPECT_TRUE(automation::WaitUntil([&] { return PixelOf(button, corner.x, corner.y) == normal; }));
    automation::MoveMouseTo(button, {corner.x - 1, corner.y});
    EXPECT_TRUE(automation::WaitUntil([&] { return PixelOf(button, corner.x, corner.y) == lit; }));
}

// A button too small for its focus margins still gets dotted bands one
// pixel long, which start with the shadow colour.
TEST_F(ShadeButtonTest, AButtonTooSmallForItsMarginsStillShowsItsFocusBands)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    dialog.Run([&] {
        dialog.m_shaded.SetWindowText(u"");
        dialog.m_shaded.SetWindowPos(nullptr, 0, 0, 9, 9, SWP_NOMOVE | SWP_NOZORDER);
        dialog.m_shaded.SetShade(GrainOnly, 0, 0, 0, 0);
        dialog.m_shaded.SetFocus();
        dialog.m_shaded.Invalidate();
    });
    ASSERT_TRUE(automation::WaitForPaint());
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    ASSERT_NE(PixelOf(button, 4, 4), shadow) << "the face inside the margins";
    EXPECT_EQ(PixelOf(button, 5, 4), shadow) << "the horizontal band";
    EXPECT_EQ(PixelOf(button, 4, 5), shadow) << "the vertical band";
}

} // namespace

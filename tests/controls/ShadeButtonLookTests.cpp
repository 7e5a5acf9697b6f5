// The shaded button's edges, captions and icons as they show, and a radio
// button checked while it is disabled.
#include "ControlsFixture.h"

#include <algorithm>

namespace {

class ShadeButtonLook : public ControlsTest {
protected:
    // The mean position of the button's pixels inside its 2-pixel edge that
    // are lighter (or darker) than the button face; x < 0 when there are none.
    static std::pair<double, double> Centre(HWND button, bool lighter)
    {
        const int face = Brightness(::GetSysColor(COLOR_BTNFACE));
        RECT client;
        ::GetClientRect(button, &client);
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 2; y < client.bottom - 2; ++y)
            for (int x = 2; x < client.right - 2; ++x) {
                const int level = Brightness(PixelOf(button, x, y));
                if (lighter ? level > face : level < face) {
                    sx += x;
                    sy += y;
                    ++n;
                }
            }
        return n ? std::pair{sx / n, sy / n} : std::pair{-1.0, -1.0};
    }
};

// The default button wears a sunken edge around a raised one: the sunken
// edge's shadow at the corner, the raised edge's light one pixel in.
TEST_F(ShadeButtonLook, TheDefaultButtonShowsADoubleEdgeAlsoWhenFlatAndHovering)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    RECT client;
    ::GetClientRect(button, &client);
    const int w = client.right, h = client.bottom;
    MoveMouseAway();
    automation::WaitForPaint();
    EXPECT_EQ(PixelOf(button, 0, 0), ::GetSysColor(COLOR_3DLIGHT)) << "a plain raised edge";

    dialog.Run([&] { dialog.SetDefID(1005); });
    auto doubleEdge = [&] {
        return PixelOf(button, 0, 0) == ::GetSysColor(COLOR_3DSHADOW)
            && PixelOf(button, 1, 1) == ::GetSysColor(COLOR_3DLIGHT)
            && PixelOf(button, w - 1, h - 1) == ::GetSysColor(COLOR_3DHIGHLIGHT)
            && PixelOf(button, w - 2, h - 2) == ::GetSysColor(COLOR_3DDKSHADOW);
    };
    dialog.Run([&] { dialog.m_shaded.Invalidate(); });
    ASSERT_TRUE(automation::WaitUntil(doubleEdge));

    // Flat: no edge until the mouse is over it, then the double edge.
    dialog.Run([&] {
        dialog.m_shaded.SetFlat(true);
        dialog.m_shaded.Invalidate();
    });
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(button, 0, 0) == ::GetSysColor(COLOR_BTNFACE); }));
    automation::MoveMouseTo(button, {w / 2, h - 4});
    EXPECT_TRUE(automation::WaitUntil(doubleEdge));
}

// Disabled, the caption is embossed: the highlight colour, and over it the
// grey text one pixel up and left, so the light that stays visible lies below
// and right of the grey.
TEST_F(ShadeButtonLook, ADisabledCaptionIsEmbossed)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    MoveMouseAway();
    automation::WaitForPaint();
    ASSERT_GE(Centre(button, false).first, 0);
    EXPECT_LT(Centre(button, true).first, 0) << "enabled: a dark caption only";

    dialog.Run([&] { dialog.m_shaded.EnableWindow(FALSE); });
    ASSERT_TRUE(automation::WaitUntil([&] { return Centre(button, true).first >= 0; }));
    const auto light = Centre(button, true), grey = Centre(button, false);
    EXPECT_GT(light.first, grey.first);
    EXPECT_GT(light.second, grey.second);
}

// Left and right icons sit at the margins, vertically centred; an icon id
// that names no icon leaves the button without icons.
TEST_F(ShadeButtonLook, IconsAlignLeftOrRightAndAMissingOneIsNotDrawn)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1004); // no caption
    RECT client;
    ::GetClientRect(button, &client);
    const int w = client.right, h = client.bottom;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    auto drawnIn = [&](int left, int right) {
        int n = 0;
        for (int y = 2; y < h - 2; ++y)
            for (int x = std::max(left, 2); x < std::min(right, w - 2); ++x)
                n += PixelOf(button, x, y) != face;
        return n;
    };
    MoveMouseAway();
    automation::WaitForPaint();
    EXPECT_EQ(drawnIn(0, w), 0) << "a plain face without an icon";

    dialog.Run([&] {
        dialog.m_viewLog.SetIcon(131, 256);
        dialog.m_viewLog.Invalidate();
    });
    RECT box = dialog.m_viewLog.GetIconBox();
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 4 + 32) << "from 0 to the margin and the icon's width";
    EXPECT_EQ(box.top, std::max(h / 2 - 16, 0));
    ASSERT_TRUE(automation::WaitUntil([&] { return drawnIn(0, 36) > 100; }));

    // The id is a 16-bit resource number: the bits above it do not count.
    dialog.Run([&] {
        dialog.m_viewLog.SetIcon(0x10000 + 131, 512);
        dialog.m_viewLog.Invalidate();
    });
    box = dialog.m_viewLog.GetIconBox();
    EXPECT_EQ(box.left, w - 32 - 4);
    EXPECT_EQ(box.right - box.left, 32);
    ASSERT_TRUE(automation::WaitUntil([&] { return drawnIn(w - 36, w) > 100 && drawnIn(0, w - 36) == 0; }));

    dialog.Run([&] {
        dialog.m_viewLog.SetIcon(999, 768);
        dialog.m_viewLog.Invalidate();
    });
    EXPECT_TRUE(automation::WaitUntil([&] { return drawnIn(0, w) == 0; }));
}

// A centred icon sits above the middle and the caption takes the lower
// part: from the icon's bottom to five pixels above the button's.
TEST_F(ShadeButtonLook, UnderACentredIconTheCaptionTakesTheLowerPart)
{
    const int w = 140, h = 80;
    dialog.setUp = [&](CControlsDlg& d) {
        d.m_viewLog.SetWindowText(u"A wide caption text");
        d.m_viewLog.SetWindowPos(nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        d.m_viewLog.SetShade(GrainOnly, 0, 0, 0, 0);
        d.m_viewLog.SetIcon(131, 768);
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1004);
    MoveMouseAway();
    automation::WaitForPaint();
    const RECT box = dialog.m_viewLog.GetIconBox();
    ASSERT_EQ(box.bottom, h / 2) << "the icon's bottom at the middle";
    // The caption's dark pixels beside the icon, inside the edge.
    int top = h, bottom = -1;
    for (int y = 2; y < h - 2; ++y)
        for (int x = 2; x < w - 2; ++x)
            if ((x < box.left || x >= box.right) && Brightness(PixelOf(button, x, y)) < 300) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(bottom, 0) << "a caption beside the icon";
    EXPECT_GE(top, box.bottom);
    EXPECT_LT(bottom, h - 5);
}

// Checking a disabled radio button unchecks the rest of its group; the walk
// over the group skips the disabled button itself, so it ends at the first
// control met twice instead of waiting to come back to it.
TEST_F(ShadeButtonLook, ADisabledRadioCheckedByItsDialogUnchecksItsGroup)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND one = ::GetDlgItem(window, 1010), two = ::GetDlgItem(window, 1011);
    automation::Click(two);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(two) == 1; }));
    // The click unchecks the rest of the group through posted messages.
    ASSERT_TRUE(dialog.HandlePostedMessages());

    dialog.Run([&] {
        dialog.m_one.EnableWindow(FALSE);
        dialog.m_one.SetCheck(BST_CHECKED);
    });
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(two) == 0; }));
    EXPECT_EQ(automation::CheckStateOf(one), 1u);

    // A push button takes no check.
    dialog.Run([&] { dialog.m_shaded.SetCheck(BST_CHECKED); });
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(window, 1005)), 0u);
}

// The caption's font and colour, and a check box turned into a push button.
TEST_F(ShadeButtonLook, CaptionFontColourAndANewButtonStyle)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005), check = ::GetDlgItem(window, 1014);
    MoveMouseAway();
    automation::WaitForPaint();
    const int before = static_cast<int>(CountPixels(button, ::GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(dialog.m_shaded.GetTextFont(), nullptr);

    bool refused = true, made = false;
    COLORREF previous = 0;
    dialog.Run([&] {
        refused = !dialog.m_shaded.SetTextFont(static_cast<const LOGFONTW*>(nullptr));
        made = dialog.m_shaded.SetTextFont(CString(std::u16string(40, u'D').c_str()), -20, FW_BOLD, 1, 0);
        previous = dialog.m_shaded.SetTextColor(RGB(200, 0, 0));
        dialog.m_shaded.Invalidate();
    });
    EXPECT_TRUE(refused);
    EXPECT_TRUE(made);
    EXPECT_EQ(previous, ::GetSysColor(COLOR_BTNTEXT));
    const LOGFONTW* font = dialog.m_shaded.GetTextFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(std::u16string(font->lfFaceName), std::u16string(31, u'D')) << "31 characters of the face";
    EXPECT_EQ(font->lfHeight, -20);
    EXPECT_EQ(font->lfWeight, FW_BOLD);
    EXPECT_EQ(font->lfItalic, 1);
    EXPECT_EQ(font->lfCharSet, 0) << "the other fields stay as allocated";
    ASSERT_TRUE(automation::WaitUntil([&] { return CountPixels(button, RGB(200, 0, 0)) > 0; }));
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_LT(static_cast<int>(CountPixels(button, ::GetSysColor(COLOR_BTNFACE))), before) << "a larger caption";

    LOGFONTW whole = {};
    whole.lfHeight = -9;
    whole.lfCharSet = 2;
    dialog.Run([&] { made = dialog.m_shaded.SetTextFont(&whole); });
    EXPECT_TRUE(made);
    EXPECT_EQ(dialog.m_shaded.GetTextFont()->lfCharSet, 2);
    EXPECT_EQ(dialog.m_shaded.GetTextFont()->lfFaceName[0], 0);

    // Checked, then made a push button: unchecked, and a click checks nothing.
    automation::Click(check);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 1; }));
    dialog.Run([&] { dialog.m_check.SetButtonStyle(BS_PUSHBUTTON, TRUE); });
    EXPECT_EQ(automation::CheckStateOf(check), 0u);
    automation::Click(check);
    ASSERT_TRUE(automation::WaitUntil([&] {
        auto commands = dialog.Commands();
        return std::count(commands.begin(), commands.end(), 1014u) == 2;
    }));
    EXPECT_EQ(automation::CheckStateOf(check), 0u);
}

} // namespace

// The shaded button's four looks as a person sees them: the faces of the
// horizontal gradient that the dialogs use, in the normal, hover, pressed
// and disabled states, each screenshot checked at pixels worked out from
// the face palette, the effect's formula and the generator's numbers.
#include "ControlsFixture.h"
#include "ReferenceRandom.h"

#include "gdi/PngFile.h"
#include "win32/CrtRandom.h"

#include <array>
#include <filesystem>

namespace {

// The face palette of the system colours, and the same mixed with the 3-D
// highlight by a percentage (the hover and down faces).
std::array<COLORREF, 256> FacePalette(int highlightPercent)
{
    const COLORREF S = ::GetSysColor(COLOR_BTNSHADOW), F = ::GetSysColor(COLOR_BTNFACE),
                   L = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    std::array<std::array<int, 3>, 256> entries = {};
    for (int c = 0; c < 3; ++c) {
        const int s = (S >> (8 * c)) & 0xFF, f = (F >> (8 * c)) & 0xFF, l = (L >> (8 * c)) & 0xFF;
        for (int i = 0; i <= 128; ++i)
            entries[i][c] = (i * f + (128 - i) * s) / 128;
        for (int j = 1; j <= 128; ++j)
            entries[127 + j][c] = ((128 - j) * f + j * l) / 128;
        for (auto& entry : entries)
            entry[c] = (l * highlightPercent + entry[c] * (100 - highlightPercent)) / 100;
    }
    std::array<COLORREF, 256> palette = {};
    for (int i = 0; i < 256; ++i)
        palette[i] = RGB(entries[i][0], entries[i][1], entries[i][2]);
    return palette;
}

class ShadeButtonStates : public ControlsTest {
protected:
    // The level of the gradient face at (x, y), y from the top: columns are
    // drawn left to right and rows from the bottom up within each.
    int Level(int x, int y) const
    {
        const int r = H - 1 - y;
        const int grain = draws.at(static_cast<std::size_t>(x * H + r)) / (32767 / 16) - 8;
        return static_cast<BYTE>((239 * (W - x)) / W + 8 + grain);
    }

    // Screenshot of the dialog, and the colours of the button's pixels in it.
    std::shared_ptr<gdi::Surface> Shot(HWND window, const std::string& state)
    {
        std::filesystem::create_directories("screenshots");
        const auto path = std::filesystem::path("screenshots") / ("shaded-button-" + state + ".png");
        EXPECT_TRUE(automation::Screenshot(window, path));
        return gdi::ReadPng(path);
    }
    COLORREF In(const std::shared_ptr<gdi::Surface>& shot, int x, int y) const
    {
        return gdi::ColorFromPixel(shot->At(offset.x + x, offset.y + y) & 0xFFFFFF);
    }

    int W = 0, H = 0;
    POINT offset = {};
    std::vector<int> draws;
};

TEST_F(ShadeButtonStates, NormalHoverPressedAndDisabledFacesShowAtTheirPixels)
{
    dialog.setUp = [](CControlsDlg& d) {
        crt::srand(1);
        d.m_shaded.SetShade(HorizontalGradient, 8, 10, 0, 0);
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    RECT rect, frame;
    ::GetWindowRect(button, &rect);
    ::GetWindowRect(window, &frame);
    W = rect.right - rect.left;
    H = rect.bottom - rect.top;
    offset = {rect.left - frame.left, rect.top - frame.top};
    draws = DrawsFromOne(static_cast<std::size_t>(W * H));
    const auto normal = FacePalette(0), lit = FacePalette(10);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), light = ::GetSysColor(COLOR_BTNHIGHLIGHT);

    // Corners of the face clear of the 2-pixel edge, the focus bands 4
    // pixels in, and the caption.
    const std::array<POINT, 4> corners = {{{2, 2}, {3, H - 3}, {W - 3, 2}, {W - 3, H - 3}}};
    auto shows = [&](const std::array<COLORREF, 256>& palette, int shift) {
        return [&, shift] {
            for (POINT p : corners)
                if (PixelOf(button, p.x, p.y) != palette[Level(p.x - shift, p.y - shift)])
                    return false;
            return true;
        };
    };
    auto expectShot = [&](const std::shared_ptr<gdi::Surface>& shot, const std::array<COLORREF, 256>& palette,
                          int shift) {
        ASSERT_TRUE(shot);
        for (POINT p : corners)
            EXPECT_EQ(In(shot, p.x, p.y), palette[Level(p.x - shift, p.y - shift)]) << p.x << ", " << p.y;
    };

    RECT client;
    ::GetClientRect(window, &client);
    const POINT away = {client.right - 5, client.bottom - 40};
    automation::MoveMouseTo(window, away);
    ASSERT_TRUE(automation::WaitUntil(shows(normal, 0)));
    expectShot(Shot(window, "normal"), normal, 0);

    automation::MoveMouseTo(button, {W - 3, H - 3});
    ASSERT_TRUE(automation::WaitUntil(shows(lit, 0)));
    expectShot(Shot(window, "hover"), lit, 0);

    // Pressed: the down face (the hover palette) one pixel down and right,
    // and the focus band of alternating shadow and highlight.
    automation::PressMouseAt(button, {W / 2, H / 2});
    ASSERT_TRUE(automation::WaitUntil(shows(lit, 1)));
    const auto pressed = Shot(window, "pressed");
    expectShot(pressed, lit, 1);
    EXPECT_EQ(In(pressed, 5, 4), shadow);
    EXPECT_EQ(In(pressed, 6, 4), light);
    EXPECT_EQ(In(pressed, 4, 5), shadow);
    EXPECT_EQ(In(pressed, 4, 6), light);

    // Dragged off it comes up with the normal face; back on, down again;
    // released over it, it is a click.
    automation::MoveMouseTo(window, away);
    ASSERT_TRUE(automation::WaitUntil(shows(normal, 0)));
    automation::MoveMouseTo(button, {W - 3, H - 3});
    ASSERT_TRUE(automation::WaitUntil(shows(lit, 1)));
    EXPECT_TRUE(dialog.Commands().empty());
    automation::ReleaseMouseAt(button, {W - 3, H - 3});
    ASSERT_TRUE(automation::WaitUntil([&] { return dialog.Commands() == std::vector<UINT>{1005}; }));

    // Disabled: the normal face, and no focus band although it had the focus.
    automation::MoveMouseTo(window, away);
    dialog.Run([&] { dialog.m_shaded.EnableWindow(FALSE); });
    ASSERT_TRUE(automation::WaitUntil(shows(normal, 0)));
    const auto disabled = Shot(window, "disabled");
    expectShot(disabled, normal, 0);
    EXPECT_EQ(In(disabled, 5, 4), normal[Level(5, 4)]);
    EXPECT_EQ(In(disabled, 6, 4), normal[Level(6, 4)]);
}

// The tint mixes into every face; a highlight above 100 counts as 100, so
// the hover face is the 3-D highlight all over.
TEST_F(ShadeButtonStates, TheTintColoursEveryFaceAndTheHighlightIsCapped)
{
    dialog.setUp = [](CControlsDlg& d) {
        crt::srand(1);
        d.m_viewLog.SetShade(GrainOnly, 0, 255, 50, RGB(200, 0, 0));
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1004);
    RECT rect;
    ::GetWindowRect(button, &rect);
    W = rect.right - rect.left;
    H = rect.bottom - rect.top;
    draws = DrawsFromOne(static_cast<std::size_t>(W * H));
    const auto palette = FacePalette(0);
    auto tinted = [&](int x, int y) {
        // Without grain every level is 128, but for a draw of 32767.
        const int level = 128 + draws[static_cast<std::size_t>((H - 1 - y) * W + x)] / 32767;
        const COLORREF e = palette[level];
        return RGB((200 * 50 + GetRValue(e) * 50) / 100, (GetGValue(e) * 50) / 100, (GetBValue(e) * 50) / 100);
    };

    MoveMouseAway();
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(button, 2, 2) == tinted(2, 2); }));
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(PixelOf(button, W - 3, H - 3), tinted(W - 3, H - 3));

    automation::MoveMouseTo(button, {W - 3, H - 3});
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(button, 2, 2) == light; }));
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(PixelOf(button, W - 3, 2), light);
}

} // namespace

// A glyph drawn again in the same colour over the same pixels takes what
// its last blend made: every pixel must still be the blend of its own
// background, whatever was drawn before, in whatever colour, over whatever.
#include "GdiTest.h"

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 220;
constexpr int kHeight = 40;
const RECT kBox{3, 4, kWidth - 3, kHeight - 4};
const char16_t* const kText = u"Processing 117 of 1000 messages, eee ooo Quarterly";

HFONT TextFont()
{
    return CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
}

std::vector<COLORREF> Pixels(const BitmapDC& dc)
{
    std::vector<COLORREF> out;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            out.push_back(dc.At(x, y));
    return out;
}

// Draws the text in ink over background (one colour per pixel) and reads
// every pixel back.
std::vector<COLORREF> DrawOver(const std::vector<COLORREF>& background, COLORREF ink)
{
    BitmapDC dc(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            SetPixel(dc.dc(), x, y, background[static_cast<std::size_t>(y) * kWidth + x]);
    HFONT font = TextFont();
    HGDIOBJ old = SelectObject(dc.dc(), font);
    SetBkMode(dc.dc(), TRANSPARENT);
    SetTextColor(dc.dc(), ink);
    RECT box = kBox;
    DrawTextW(dc.dc(), kText, -1, &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc.dc(), old);
    DeleteObject(font);
    return Pixels(dc);
}

// What a pixel of background becomes under coverage a of ink.
COLORREF Blended(COLORREF background, COLORREF ink, unsigned a)
{
    const auto channel = [a](unsigned s, unsigned d) { return (s * a + d * (255 - a) + 127) / 255; };
    return RGB(channel(GetRValue(ink), GetRValue(background)), channel(GetGValue(ink), GetGValue(background)),
               channel(GetBValue(ink), GetBValue(background)));
}

class RepeatedGlyphTest : public GdiTest {};

} // namespace

TEST_F(RepeatedGlyphTest, EveryDrawingIsTheBlendOfItsOwnBackgroundWhateverWasDrawnBefore)
{
    // White over black leaves each pixel's coverage in every channel.
    const std::vector<COLORREF> black(static_cast<std::size_t>(kWidth) * kHeight, RGB(0, 0, 0));
    const std::vector<COLORREF> coverage = DrawOver(black, RGB(255, 255, 255));
    int inked = 0;
    for (COLORREF c : coverage) {
        ASSERT_EQ(GetRValue(c), GetGValue(c));
        ASSERT_EQ(GetRValue(c), GetBValue(c));
        inked += GetRValue(c) != 0;
    }
    ASSERT_GT(inked, 300) << "too little ink to compare";

    // Bands that change from row to row only (letters that recur along the
    // line meet the same pixels), noise (they never do), and the bands with
    // one pixel under ink changed by one step of one channel.
    std::vector<COLORREF> bands, noise;
    std::mt19937 rng(41);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            bands.push_back(RGB(200 - y * 3, 210, 90 + y * 4));
            noise.push_back(RGB(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF));
        }
    std::vector<COLORREF> nudged = bands;
    std::size_t under = 0;
    while (GetRValue(coverage[under]) == 0 || GetRValue(coverage[under]) == 255)
        ++under;
    nudged[under] = RGB(GetRValue(bands[under]), GetGValue(bands[under]) + 1, GetBValue(bands[under]));

    const struct {
        const std::vector<COLORREF>* background;
        COLORREF ink;
    } drawings[] = {{&bands, RGB(20, 40, 200)}, {&bands, RGB(20, 40, 200)}, {&nudged, RGB(20, 40, 200)},
                    {&bands, RGB(200, 40, 20)}, {&noise, RGB(20, 40, 200)}, {&bands, RGB(20, 40, 200)},
                    {&noise, RGB(250, 250, 250)}, {&noise, RGB(250, 250, 250)}};
    for (std::size_t d = 0; d < std::size(drawings); ++d) {
        const std::vector<COLORREF>& background = *drawings[d].background;
        const std::vector<COLORREF> drawn = DrawOver(background, drawings[d].ink);
        for (std::size_t i = 0; i < drawn.size(); ++i)
            ASSERT_EQ(drawn[i], Blended(background[i], drawings[d].ink, GetRValue(coverage[i])))
                << "drawing " << d << ", pixel " << i % kWidth << "," << i / kWidth;
    }
}

// Text drawn through a clip region of several rectangles, in other scripts
// and after font changes: every pixel is the one an unclipped drawing puts
// there where the clip shows it, and the background elsewhere.
#include "GdiTest.h"

#include "gdi/Region.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 220;
constexpr int kHeight = 90;
constexpr COLORREF kPaper = RGB(240, 230, 200);

std::vector<COLORREF> Pixels(HDC dc)
{
    std::vector<COLORREF> out;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            out.push_back(GetPixel(dc, x, y));
    return out;
}

// Draws text into a fresh bitmap as DrawTextW lays it out, clipped to clip
// when given.
std::vector<COLORREF> Draw(const std::u16string& text, HFONT font, UINT format, HRGN clip)
{
    BitmapDC dc(kWidth, kHeight, kPaper);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    SetBkMode(dc.dc(), TRANSPARENT);
    SetTextColor(dc.dc(), RGB(20, 40, 160));
    if (clip)
        SelectClipRgn(dc.dc(), clip);
    RECT box{6, 4, kWidth - 10, kHeight - 4};
    DrawTextW(dc.dc(), text.c_str(), -1, &box, format);
    SelectObject(dc.dc(), old);
    SelectClipRgn(dc.dc(), nullptr); // GetPixel reads only what the clip shows
    return Pixels(dc.dc());
}

HFONT DialogFont(int height = -11, int weight = FW_NORMAL)
{
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
}

// Rectangles that cut through glyphs, hold some whole and leave others out.
HRGN RandomClip(std::mt19937& rng, std::vector<RECT>& rects)
{
    std::uniform_int_distribution<int> x(0, kWidth), y(0, kHeight);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int i = 0; i < 4; ++i) {
        int a = x(rng), b = x(rng), c = y(rng), d = y(rng);
        RECT r{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
        rects.push_back(r);
        HRGN part = CreateRectRgnIndirect(&r);
        CombineRgn(region, region, part, RGN_OR);
        DeleteObject(part);
    }
    return region;
}

bool InAny(const std::vector<RECT>& rects, int px, int py)
{
    for (const RECT& r : rects)
        if (px >= r.left && px < r.right && py >= r.top && py < r.bottom)
            return true;
    return false;
}

} // namespace

class ClippedTextTest : public GdiTest {};

TEST_F(ClippedTextTest, TextThroughAClipOfSeveralRectanglesKeepsEveryPixelOfTheUnclippedDrawing)
{
    const std::u16string texts[] = {
        u"Subject : quarterly figures, with the notes of the meeting attached for everyone",
        u"中文 日本語 한국어 and Latin between", // drawn through the linked fonts
        u"Жд Σω ✉✈ 😀🎉 mixed scripts wrap across lines of the box",
        u"Tabs\tand &prefixes && stay as they were",
    };
    const UINT formats[] = {DT_LEFT | DT_WORDBREAK, DT_CENTER | DT_SINGLELINE | DT_VCENTER, DT_RIGHT | DT_WORDBREAK,
                            DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS};
    HFONT fonts[] = {DialogFont(), DialogFont(-15, FW_BOLD)};
    std::mt19937 rng(17);
    int clippedPixels = 0;
    for (HFONT font : fonts) {
        for (const auto& text : texts) {
            for (UINT format : formats) {
                const std::vector<COLORREF> whole = Draw(text, font, format, nullptr);
                for (int round = 0; round < 3; ++round) {
                    std::vector<RECT> rects;
                    HRGN clip = RandomClip(rng, rects);
                    const std::vector<COLORREF> clipped = Draw(text, font, format, clip);
                    DeleteObject(clip);
                    for (int py = 0; py < kHeight; ++py) {
                        for (int px = 0; px < kWidth; ++px) {
                            const std::size_t i = static_cast<std::size_t>(py) * kWidth + px;
                            const bool shows = InAny(rects, px, py);
                            const COLORREF expected = shows ? whole[i] : kPaper;
                            ASSERT_EQ(clipped[i], expected) << "pixel " << px << "," << py << " of text "
                                                            << text.size() << " format " << format;
                            clippedPixels += !shows && whole[i] != kPaper;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(clippedPixels, 0) << "no clip cut through any ink";
    for (HFONT font : fonts)
        DeleteObject(font);
}

TEST_F(ClippedTextTest, TextThroughAClipOfOneRectangleKeepsEveryPixelOfTheUnclippedDrawing)
{
    // One rectangle is the clip of nearly every paint, tested against each
    // glyph apart from the text's own box, which cuts the lowest line.
    const std::u16string text = u"Quarterly figures Ελληνικά 中文 العربية for the northern region, "
                                u"with the notes of the meeting attached for everyone to read";
    HFONT font = DialogFont(-15);
    const std::vector<COLORREF> whole = Draw(text, font, DT_LEFT | DT_WORDBREAK, nullptr);
    std::mt19937 rng(29);
    std::uniform_int_distribution<int> x(0, kWidth), y(0, kHeight);
    int clippedPixels = 0;
    for (int round = 0; round < 40; ++round) {
        int a = x(rng), b = x(rng), c = y(rng), d = y(rng);
        const RECT r{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
        HRGN clip = CreateRectRgnIndirect(&r);
        const std::vector<COLORREF> clipped = Draw(text, font, DT_LEFT | DT_WORDBREAK, clip);
        DeleteObject(clip);
        for (int py = 0; py < kHeight; ++py)
            for (int px = 0; px < kWidth; ++px) {
                const std::size_t i = static_cast<std::size_t>(py) * kWidth + px;
                const bool shows = InAny({r}, px, py);
                ASSERT_EQ(clipped[i], shows ? whole[i] : kPaper) << "pixel " << px << "," << py << " round " << round;
                clippedPixels += !shows && whole[i] != kPaper;
            }
    }
    EXPECT_GT(clippedPixels, 0) << "no clip cut through any ink";
    // The box's own cut: its lowest line shows only in part.
    int inkBelowBox = 0;
    for (int py = kHeight - 4; py < kHeight; ++py)
        for (int px = 0; px < kWidth; ++px)
            inkBelowBox += whole[static_cast<std::size_t>(py) * kWidth + px] != kPaper;
    EXPECT_EQ(inkBelowBox, 0);
    DeleteObject(font);
}

TEST_F(ClippedTextTest, GlyphsOverAVaryingBackgroundBlendAlikeWholeOrCutByTheClip)
{
    // Every pixel beneath the text differs, so a blend that mixes a channel
    // wrongly, or one pixel's colour into another's, shows wherever a glyph
    // drawn whole is compared with the same glyph drawn cut by the clip.
    const auto paint = [](HDC dc) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                SetPixel(dc, x, y, RGB((x * 7 + y) & 0xFF, (y * 11 + x * 3) & 0xFF, (x * y) & 0xFF));
    };
    const auto draw = [&](const std::u16string& text, HFONT font, COLORREF ink, HRGN clip) {
        BitmapDC dc(kWidth, kHeight);
        paint(dc.dc());
        HGDIOBJ old = SelectObject(dc.dc(), font);
        SetBkMode(dc.dc(), TRANSPARENT);
        SetTextColor(dc.dc(), ink);
        if (clip)
            SelectClipRgn(dc.dc(), clip);
        RECT box{2, 2, kWidth - 2, kHeight - 2};
        DrawTextW(dc.dc(), text.c_str(), -1, &box, DT_LEFT | DT_WORDBREAK);
        SelectObject(dc.dc(), old);
        SelectClipRgn(dc.dc(), nullptr);
        return Pixels(dc.dc());
    };
    BitmapDC background(kWidth, kHeight);
    paint(background.dc());
    const std::vector<COLORREF> bare = Pixels(background.dc());
    HFONT fonts[] = {DialogFont(), DialogFont(-17, FW_BOLD)};
    const COLORREF inks[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(200, 30, 120)};
    std::mt19937 rng(29);
    int inked = 0;
    for (HFONT font : fonts) {
        for (COLORREF ink : inks) {
            const std::u16string text = u"Quarterly figures Ελληνικά 中文 العربية Жд 😀 wrap across the box";
            const std::vector<COLORREF> whole = draw(text, font, ink, nullptr);
            for (std::size_t i = 0; i < whole.size(); ++i)
                inked += whole[i] != bare[i];
            for (int round = 0; round < 3; ++round) {
                std::vector<RECT> rects;
                HRGN clip = RandomClip(rng, rects);
                const std::vector<COLORREF> clipped = draw(text, font, ink, clip);
                DeleteObject(clip);
                for (int py = 0; py < kHeight; ++py)
                    for (int px = 0; px < kWidth; ++px) {
                        const std::size_t i = static_cast<std::size_t>(py) * kWidth + px;
                        ASSERT_EQ(clipped[i], InAny(rects, px, py) ? whole[i] : bare[i]) << "pixel " << px << "," << py;
                    }
            }
        }
    }
    EXPECT_GT(inked, 1000) << "the text left too little ink to compare";
    for (HFONT font : fonts)
        DeleteObject(font);
}

TEST_F(ClippedTextTest, ADcDrawsInTheFontSelectedNowAfterEarlierDrawingsInOthers)
{
    HFONT small = DialogFont(-11), big = DialogFont(-18, FW_BOLD);
    const std::u16string text = u"Folder : Inbox 中文";
    const std::vector<COLORREF> smallAlone = Draw(text, small, DT_LEFT | DT_SINGLELINE, nullptr);
    const std::vector<COLORREF> bigAlone = Draw(text, big, DT_LEFT | DT_SINGLELINE, nullptr);
    ASSERT_NE(smallAlone, bigAlone);

    // One DC drawing in turn with both fonts, over a fresh background each
    // time, gives each font's own picture.
    BitmapDC dc(kWidth, kHeight, kPaper);
    SetBkMode(dc.dc(), TRANSPARENT);
    SetTextColor(dc.dc(), RGB(20, 40, 160));
    HBRUSH paper = CreateSolidBrush(kPaper);
    HGDIOBJ old = SelectObject(dc.dc(), small);
    for (int round = 0; round < 3; ++round) {
        for (HFONT font : {small, big}) {
            SelectObject(dc.dc(), font);
            RECT all{0, 0, kWidth, kHeight};
            FillRect(dc.dc(), &all, paper);
            RECT box{6, 4, kWidth - 10, kHeight - 4};
            DrawTextW(dc.dc(), text.c_str(), -1, &box, DT_LEFT | DT_SINGLELINE);
            EXPECT_EQ(Pixels(dc.dc()), font == small ? smallAlone : bigAlone) << "round " << round;
        }
    }
    SelectObject(dc.dc(), old);
    DeleteObject(paper);

    // A font made anew with the same description draws the same; one made
    // after another was deleted draws its own description, not the old one's.
    DeleteObject(big);
    HFONT again = DialogFont(-11);
    EXPECT_EQ(Draw(text, again, DT_LEFT | DT_SINGLELINE, nullptr), smallAlone);
    DeleteObject(again);
    HFONT other = DialogFont(-18, FW_BOLD);
    EXPECT_EQ(Draw(text, other, DT_LEFT | DT_SINGLELINE, nullptr), bigAlone);
    DeleteObject(other);
    DeleteObject(small);
}

TEST_F(ClippedTextTest, WrappedLinesAreTheGreedyFitOfTheWordsWhateverTheirMix)
{
    // Each line takes as many words as fit the width measured as one run;
    // the spaces at a break are dropped, a word wider than the box stands alone.
    HFONT font = DialogFont();
    BitmapDC dc(10, 10);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.dc(), &tm);
    const std::u16string words[] = {u"a", u"message", u"from", u"the", u"archive", u"中文", u"Жд", u"x",
                                    u"extraordinarilylongword", u"é", u"of", u"😀"};
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        std::u16string text;
        const int count = 1 + static_cast<int>(rng() % 14);
        for (int w = 0; w < count; ++w) {
            if (w)
                text += std::u16string(1 + rng() % 2, u' ');
            text += words[rng() % std::size(words)];
        }
        const int width = 20 + static_cast<int>(rng() % 200);
        SetTextCharacterExtra(dc.dc(), static_cast<int>(rng() % 3));
        // The greedy fit, measured with GetTextExtentPoint32W.
        int lines = 0, widest = 0;
        std::size_t start = 0;
        while (true) {
            std::size_t end = start, pos = start;
            int kept = 0;
            while (pos < text.size()) {
                std::size_t wordEnd = text.find(u' ', pos);
                if (wordEnd == std::u16string::npos)
                    wordEnd = text.size();
                SIZE size{};
                GetTextExtentPoint32W(dc.dc(), text.c_str() + start, static_cast<int>(wordEnd - start), &size);
                if (end > start && size.cx > width)
                    break;
                end = wordEnd;
                kept = size.cx;
                pos = text.find_first_not_of(u' ', wordEnd);
                if (pos == std::u16string::npos)
                    pos = text.size();
                if (size.cx > width)
                    break;
            }
            ++lines;
            widest = std::max(widest, kept);
            start = pos;
            if (start >= text.size())
                break;
        }
        RECT box{0, 0, width, 0};
        const int height = DrawTextW(dc.dc(), text.c_str(), -1, &box, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
        ASSERT_EQ(height, lines * tm.tmHeight) << "round " << round << " width " << width;
        ASSERT_EQ(box.right, widest) << "round " << round;
    }
    SetTextCharacterExtra(dc.dc(), 0);
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(ClippedTextTest, TextOnADibSectionKeepsTheFourthByteWhereNoInkFallsAndDrawsAlikeWholeOrClipped)
{
    // A DIB section's fourth byte (alpha for a later AlphaBlend) survives
    // wherever a glyph leaves no ink, also beside inked pixels of the same
    // row; every pixel, all four bytes, is the same whether its glyph was
    // drawn whole or cut by the clip.
    const auto draw = [](HRGN clip) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* pixels = static_cast<std::uint32_t*>(bits);
        for (int i = 0; i < kWidth * kHeight; ++i)
            pixels[i] = 0xC0000000u | static_cast<std::uint32_t>((i * 2654435761u) & 0xFFFFFF);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ oldBitmap = SelectObject(dc, dib);
        HFONT font = DialogFont(-13);
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(250, 120, 10));
        if (clip)
            SelectClipRgn(dc, clip);
        RECT box{3, 3, kWidth - 3, kHeight - 3};
        DrawTextW(dc, u"Processing 1234 of 10000 — björn.stål Ελληνικά wmWM iIl", -1, &box, DT_LEFT | DT_WORDBREAK);
        std::vector<std::uint32_t> out(pixels, pixels + kWidth * kHeight);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(font);
        DeleteDC(dc);
        DeleteObject(dib);
        return out;
    };
    const std::vector<std::uint32_t> bare = [] {
        std::vector<std::uint32_t> out(kWidth * kHeight);
        for (int i = 0; i < kWidth * kHeight; ++i)
            out[i] = 0xC0000000u | static_cast<std::uint32_t>((i * 2654435761u) & 0xFFFFFF);
        return out;
    }();
    const std::vector<std::uint32_t> whole = draw(nullptr);
    int inked = 0, keptBesideInk = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        if (whole[i] == bare[i])
            continue;
        ++inked;
        EXPECT_EQ(whole[i] >> 24, 0u) << "pixel " << i; // drawn pixels lose the fourth byte, as GDI's do
        if (i % kWidth + 1 < kWidth && whole[i + 1] == bare[i + 1])
            ++keptBesideInk;
    }
    EXPECT_GT(inked, 300);
    EXPECT_GT(keptBesideInk, 20) << "no untouched pixel beside ink to show the fourth byte kept";
    std::mt19937 rng(41);
    for (int round = 0; round < 4; ++round) {
        std::vector<RECT> rects;
        HRGN clip = RandomClip(rng, rects);
        const std::vector<std::uint32_t> clipped = draw(clip);
        DeleteObject(clip);
        for (int py = 0; py < kHeight; ++py)
            for (int px = 0; px < kWidth; ++px) {
                const std::size_t i = static_cast<std::size_t>(py) * kWidth + px;
                ASSERT_EQ(clipped[i], InAny(rects, px, py) ? whole[i] : bare[i]) << "pixel " << px << "," << py;
            }
    }
}

TEST_F(ClippedTextTest, AClipEdgeAtEveryColumnLeavesAllFourBytesOfEveryPixelAsTheWholeDrawingHasThem)
{
    // A glyph whose rows are blended in groups of four pixels touches the
    // few columns right of its ink; an edge of the clip at each column in
    // turn puts those columns inside and outside it, in every script, on a
    // background whose every byte, the fourth included, differs.
    bool bottomUp = false;
    const auto draw = [&bottomUp](const std::u16string& text, HFONT font, const RECT* clip) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = bottomUp ? kHeight : -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* pixels = static_cast<std::uint32_t*>(bits);
        for (int i = 0; i < kWidth * kHeight; ++i)
            pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ oldBitmap = SelectObject(dc, dib);
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(30, 200, 90));
        if (clip)
            IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
        RECT box{1, 2, kWidth - 1, kHeight - 2};
        DrawTextW(dc, text.c_str(), -1, &box, DT_LEFT | DT_WORDBREAK);
        std::vector<std::uint32_t> out(pixels, pixels + kWidth * kHeight);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteDC(dc);
        DeleteObject(dib);
        return out;
    };
    const std::u16string texts[] = {u"iIl|.,:; wmWM björn.stål", u"Ελληνικά 中文 العربية Жд 😀"};
    HFONT fonts[] = {DialogFont(), DialogFont(-19, FW_BOLD)};
    int cut = 0;
    // On a bottom-up DIB too, whose rows lie in memory from the last up.
    for (bool up : {false, true})
    for (HFONT font : fonts)
        for (const auto& text : texts) {
            bottomUp = up;
            const std::vector<std::uint32_t> whole = draw(text, font, nullptr);
            for (int edge = 0; edge < 120; ++edge) {
                // The right edge sweeps the columns; a left edge cuts the other side of some glyphs.
                const RECT clip{edge % 5 == 0 ? edge / 2 : 0, 0, edge, kHeight};
                const std::vector<std::uint32_t> clipped = draw(text, font, &clip);
                const std::vector<std::uint32_t> bare = draw(u"", font, nullptr);
                for (int py = 0; py < kHeight; ++py)
                    for (int px = 0; px < kWidth; ++px) {
                        const std::size_t i = static_cast<std::size_t>(py) * kWidth + px;
                        const bool shows = px >= clip.left && px < clip.right;
                        ASSERT_EQ(clipped[i], shows ? whole[i] : bare[i]) << "pixel " << px << "," << py << " edge " << edge;
                        cut += !shows && whole[i] != bare[i];
                    }
            }
        }
    EXPECT_GT(cut, 1000) << "the edges cut too little ink";
    for (HFONT font : fonts)
        DeleteObject(font);
}

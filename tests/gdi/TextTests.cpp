#include "GdiTest.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

class TextTest : public GdiTest {
protected:
    HFONT MakeFont(const char16_t* face, int height, int weight = FW_NORMAL, bool underline = false)
    {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    }
};

TEST_F(TextTest, LogicalHeightsFollowWindowsSemantics)
{
    BitmapDC dc(10, 10);
    HFONT em = MakeFont(u"MS Shell Dlg", -MulDiv(8, 96, 72));
    HFONT cell = MakeFont(u"MS Shell Dlg", 20);
    HGDIOBJ old = SelectObject(dc.dc(), em);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(dc.dc(), &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11) << "negative height: the em height";
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GT(tm.tmAveCharWidth, 3);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    SelectObject(dc.dc(), cell);
    GetTextMetricsW(dc.dc(), &tm);
    EXPECT_NEAR(tm.tmHeight, 20, 1) << "positive height: the cell height";
    SelectObject(dc.dc(), old);
    DeleteObject(em);
    DeleteObject(cell);
}

TEST_F(TextTest, FaceNamesMapToFamiliesAndKeepTheirLogFont)
{
    BitmapDC dc(10, 10);
    SIZE sans{}, mono{}, monoNarrow{};
    HFONT a = MakeFont(u"Tahoma", -12);
    HFONT b = MakeFont(u"Courier New", -12);
    HGDIOBJ old = SelectObject(dc.dc(), a);
    GetTextExtentPoint32W(dc.dc(), u"WWWW", 4, &sans);
    SelectObject(dc.dc(), b);
    GetTextExtentPoint32W(dc.dc(), u"WWWW", 4, &mono);
    GetTextExtentPoint32W(dc.dc(), u"iiii", 4, &monoNarrow);
    EXPECT_EQ(mono.cx, monoNarrow.cx) << "Courier New is fixed pitch";
    EXPECT_NE(sans.cx, mono.cx);
    WCHAR face[LF_FACESIZE];
    GetTextFaceW(dc.dc(), LF_FACESIZE, face);
    EXPECT_EQ(std::u16string(face), u"Courier New");
    SelectObject(dc.dc(), old);

    LOGFONTW lf{};
    ASSERT_EQ(GetObject(a, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
    // A face name of 32 characters or more is cut, never read past.
    LOGFONTW longName{};
    for (int i = 0; i < LF_FACESIZE; ++i)
        longName.lfFaceName[i] = u'x';
    HFONT c = CreateFontIndirectW(&longName);
    LOGFONTW back{};
    GetObject(c, sizeof back, &back);
    EXPECT_EQ(back.lfFaceName[LF_FACESIZE - 1], 0);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(c);
}

TEST_F(TextTest, BoldIsWiderAndExtentsAdd)
{
    BitmapDC dc(10, 10);
    HFONT normal = MakeFont(u"Arial", -13);
    HFONT bold = MakeFont(u"Arial", -13, FW_BOLD);
    HGDIOBJ old = SelectObject(dc.dc(), normal);
    SIZE ab{}, a{}, b{};
    GetTextExtentPoint32W(dc.dc(), u"Hello world", 11, &ab);
    GetTextExtentPoint32W(dc.dc(), u"Hello ", 6, &a);
    GetTextExtentPoint32W(dc.dc(), u"world", 5, &b);
    EXPECT_EQ(ab.cx, a.cx + b.cx);
    int fit = 0, dx[11];
    SIZE all{};
    GetTextExtentExPointW(dc.dc(), u"Hello world", 11, a.cx, &fit, dx, &all);
    EXPECT_EQ(fit, 6);
    EXPECT_EQ(dx[10], ab.cx);
    SelectObject(dc.dc(), bold);
    SIZE boldSize{};
    GetTextExtentPoint32W(dc.dc(), u"Hello world", 11, &boldSize);
    EXPECT_GT(boldSize.cx, ab.cx);
    SelectObject(dc.dc(), old);
    DeleteObject(normal);
    DeleteObject(bold);
}

namespace {

struct Drawn {
    RECT calc;
    RECT ink;
    int height;
};

Drawn DrawAndMeasure(HDC dc, BitmapDC& target, const char16_t* text, RECT rect, UINT format)
{
    Drawn d{};
    d.calc = rect;
    d.height = DrawTextW(dc, text, -1, &d.calc, format | DT_CALCRECT);
    RECT r = rect;
    DrawTextW(dc, text, -1, &r, format);
    d.ink = target.InkBounds(RGB(255, 255, 255), 300, 200);
    return d;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

TEST_F(TextTest, DrawnTextPutsItsInkInsideItsCalculatedRectangle)
{
    HFONT font = MakeFont(u"MS Shell Dlg", -11);
    const char16_t* texts[] = {u"Single", u"Welcome to the conversion wizard. It moves your mail into a new file.",
                               u"Two\r\nlines", u"&Underlined prefix", u"gjpqy descenders"};
    for (const char16_t* text : texts) {
        for (UINT format : {0u, UINT(DT_WORDBREAK), UINT(DT_SINGLELINE), UINT(DT_WORDBREAK | DT_CENTER)}) {
            BitmapDC dc(300, 200);
            HGDIOBJ old = SelectObject(dc.dc(), font);
            Drawn d = DrawAndMeasure(dc.dc(), dc, text, RECT{10, 10, 160, 190}, format);
            ASSERT_GT(d.ink.right, d.ink.left) << "no ink for " << format;
            // Centred text starts inside the wide rectangle, so the ink is
            // inside the calculated width placed where the lines are drawn.
            RECT calc = d.calc;
            if (format & DT_CENTER) {
                calc.left = 10;
                calc.right = 160;
            }
            EXPECT_TRUE(Inside(d.ink, calc)) << "format " << format << " ink " << d.ink.left << "," << d.ink.top << ","
                                             << d.ink.right << "," << d.ink.bottom << " calc " << calc.left << ","
                                             << calc.top << "," << calc.right << "," << calc.bottom;
            EXPECT_EQ(d.height, d.calc.bottom - d.calc.top);
            SelectObject(dc.dc(), old);
        }
    }
    DeleteObject(font);
}

TEST_F(TextTest, WordBreakWrapsBetweenWordsAndKeepsLongWordsWhole)
{
    BitmapDC dc(10, 10);
    HFONT font = MakeFont(u"MS Shell Dlg", -11);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.dc(), &tm);
    SIZE word{}, pair{};
    GetTextExtentPoint32W(dc.dc(), u"gamma", 5, &word);
    GetTextExtentPoint32W(dc.dc(), u"beta gamma", 10, &pair);
    ASSERT_LT(word.cx + 2, pair.cx);
    RECT r{0, 0, word.cx + 2, 0};
    int h = DrawTextW(dc.dc(), u"alpha beta gamma", -1, &r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h, 3 * tm.tmHeight);
    EXPECT_EQ(r.right, word.cx) << "the widest line";
    SIZE first{};
    GetTextExtentPoint32W(dc.dc(), u"alpha beta", 10, &first);
    RECT wide{0, 0, first.cx + 3, 0};
    EXPECT_EQ(DrawTextW(dc.dc(), u"alpha beta gamma", -1, &wide, DT_WORDBREAK | DT_CALCRECT), 2 * tm.tmHeight);
    EXPECT_EQ(wide.right, first.cx) << "the space at the break is dropped";
    // Explicit breaks count as lines; DT_SINGLELINE ignores them.
    RECT two{0, 0, 500, 0};
    EXPECT_EQ(DrawTextW(dc.dc(), u"one\r\ntwo\nthree", -1, &two, DT_CALCRECT), 3 * tm.tmHeight);
    RECT single{0, 0, 500, 0};
    EXPECT_EQ(DrawTextW(dc.dc(), u"one\r\ntwo", -1, &single, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    // A word wider than the rectangle widens the calculated rectangle.
    RECT narrow{0, 0, 5, 0};
    DrawTextW(dc.dc(), u"unbreakable", -1, &narrow, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GT(narrow.right, 5);
    EXPECT_EQ(narrow.bottom, tm.tmHeight);
    // The prefix character takes no room; a doubled one shows one &.
    SIZE plain{}, amp{};
    GetTextExtentPoint32W(dc.dc(), u"File", 4, &plain);
    RECT pr{0, 0, 500, 0};
    DrawTextW(dc.dc(), u"&File", -1, &pr, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(pr.right, plain.cx);
    GetTextExtentPoint32W(dc.dc(), u"A&B", 3, &amp);
    RECT dr{0, 0, 500, 0};
    DrawTextW(dc.dc(), u"A&&B", -1, &dr, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(dr.right, amp.cx);
    RECT np{0, 0, 500, 0};
    DrawTextW(dc.dc(), u"A&&B", -1, &np, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(np.right, amp.cx);
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(TextTest, EditControlFormatLeavesOutAPartlyVisibleLastLine)
{
    HFONT font = MakeFont(u"Arial", -12);
    BitmapDC a(100, 60), b(100, 60);
    SelectObject(a.dc(), font);
    SelectObject(b.dc(), font);
    TEXTMETRICW tm{};
    GetTextMetricsW(a.dc(), &tm);
    RECT r{0, 0, 100, tm.tmHeight + tm.tmHeight / 2};
    DrawTextW(a.dc(), u"first\nsecond", -1, &r, 0);
    DrawTextW(b.dc(), u"first\nsecond", -1, &r, DT_EDITCONTROL);
    EXPECT_GT(a.InkBounds(RGB(255, 255, 255), 100, 60).bottom, tm.tmHeight) << "cut second line shown";
    EXPECT_LE(b.InkBounds(RGB(255, 255, 255), 100, 60).bottom, tm.tmHeight) << "and left out";
    SelectObject(a.dc(), GetStockObject(SYSTEM_FONT));
    SelectObject(b.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST_F(TextTest, AlignmentEllipsisAndClipping)
{
    HFONT font = MakeFont(u"Verdana", -12);
    {
        BitmapDC dc(200, 40);
        HGDIOBJ old = SelectObject(dc.dc(), font);
        RECT r{0, 0, 200, 40};
        int offset = DrawTextW(dc.dc(), u"Mid", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        RECT ink = dc.InkBounds(RGB(255, 255, 255), 200, 40);
        EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3);
        EXPECT_NEAR((ink.top + ink.bottom) / 2, 20, 4);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc.dc(), &tm);
        EXPECT_EQ(offset, (40 - tm.tmHeight) / 2 + tm.tmHeight) << "offset to the bottom of the text";
        SelectObject(dc.dc(), old);
    }
    {
        BitmapDC dc(200, 40);
        HGDIOBJ old = SelectObject(dc.dc(), font);
        RECT r{0, 0, 200, 40};
        DrawTextW(dc.dc(), u"Right", -1, &r, DT_RIGHT | DT_SINGLELINE);
        RECT ink = dc.InkBounds(RGB(255, 255, 255), 200, 40);
        EXPECT_GE(ink.right, 195);
        SelectObject(dc.dc(), old);
    }
    {
        BitmapDC dc(200, 40);
        HGDIOBJ old = SelectObject(dc.dc(), font);
        RECT r{0, 0, 60, 20};
        RECT calc = r;
        DrawTextW(dc.dc(), u"A rather long caption", -1, &calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
        EXPECT_LE(calc.right, 60);
        DrawTextW(dc.dc(), u"A rather long caption", -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
        RECT ink = dc.InkBounds(RGB(255, 255, 255), 200, 40);
        EXPECT_LE(ink.right, 60);
        // Without the ellipsis the text is clipped to the rectangle, or
        // runs on with DT_NOCLIP.
        BitmapDC clipped(200, 40);
        SelectObject(clipped.dc(), font);
        RECT c{0, 0, 30, 20};
        DrawTextW(clipped.dc(), u"A rather long caption", -1, &c, DT_SINGLELINE);
        EXPECT_LE(clipped.InkBounds(RGB(255, 255, 255), 200, 40).right, 30);
        DrawTextW(clipped.dc(), u"A rather long caption", -1, &c, DT_SINGLELINE | DT_NOCLIP);
        EXPECT_GT(clipped.InkBounds(RGB(255, 255, 255), 200, 40).right, 60);
        SelectObject(clipped.dc(), GetStockObject(SYSTEM_FONT));
        SelectObject(dc.dc(), old);
    }
    DeleteObject(font);
}

TEST_F(TextTest, BackgroundModeAndTextColour)
{
    HFONT font = MakeFont(u"Arial", -14);
    BitmapDC dc(100, 30, RGB(0, 255, 0));
    HGDIOBJ old = SelectObject(dc.dc(), font);
    SetTextColor(dc.dc(), RGB(255, 0, 0));
    SetBkColor(dc.dc(), RGB(0, 0, 255));
    SetBkMode(dc.dc(), TRANSPARENT);
    TextOutW(dc.dc(), 2, 2, u"I", 1);
    EXPECT_EQ(dc.At(1, 2), RGB(0, 255, 0)) << "transparent: the background stays";
    int reddest = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x)
            if (GetRValue(dc.At(x, y)) + GetGValue(dc.At(x, y)) == 255) // a blend of the two colours only
                reddest = std::max<int>(reddest, GetRValue(dc.At(x, y)));
    // The stem covers more than a pixel's width, so some pixel is mostly ink.
    EXPECT_GE(reddest, 170) << "the stem of I is drawn in the text colour";
    SetBkMode(dc.dc(), OPAQUE);
    TextOutW(dc.dc(), 40, 2, u"I", 1);
    EXPECT_EQ(dc.At(40, 2), RGB(0, 0, 255)) << "opaque: the cell is filled";
    // TA_UPDATECP moves the current position by the text's width.
    SetTextAlign(dc.dc(), TA_UPDATECP);
    MoveToEx(dc.dc(), 5, 5, nullptr);
    TextOutW(dc.dc(), 0, 0, u"II", 2);
    POINT p;
    GetCurrentPositionEx(dc.dc(), &p);
    SIZE s{};
    GetTextExtentPoint32W(dc.dc(), u"II", 2, &s);
    EXPECT_EQ(p.x, 5 + s.cx);
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(TextTest, UnderlinedFontDrawsALineUnderTheText)
{
    HFONT plainFont = MakeFont(u"Arial", -14);
    HFONT underlined = MakeFont(u"Arial", -14, FW_NORMAL, true);
    BitmapDC a(100, 30), b(100, 30);
    HGDIOBJ oldA = SelectObject(a.dc(), plainFont);
    HGDIOBJ oldB = SelectObject(b.dc(), underlined);
    SetBkMode(a.dc(), TRANSPARENT);
    SetBkMode(b.dc(), TRANSPARENT);
    TextOutW(a.dc(), 0, 0, u"ooo", 3);
    TextOutW(b.dc(), 0, 0, u"ooo", 3);
    RECT inkA = a.InkBounds(RGB(255, 255, 255), 100, 30);
    RECT inkB = b.InkBounds(RGB(255, 255, 255), 100, 30);
    EXPECT_GT(inkB.bottom, inkA.bottom);
    SelectObject(a.dc(), oldA);
    SelectObject(b.dc(), oldB);
    DeleteObject(plainFont);
    DeleteObject(underlined);
}

TEST_F(TextTest, EscapementRotatesTextAboutItsStart)
{
    // 90 degrees: the text runs upwards from its starting point.
    HFONT upright = MakeFont(u"Arial", -14);
    LOGFONTW lf{};
    GetObject(upright, sizeof lf, &lf);
    lf.lfEscapement = lf.lfOrientation = 900;
    HFONT rotated = CreateFontIndirectW(&lf);
    BitmapDC a(120, 120), b(120, 120);
    HGDIOBJ oldA = SelectObject(a.dc(), upright);
    HGDIOBJ oldB = SelectObject(b.dc(), rotated);
    SetTextAlign(a.dc(), TA_BASELINE);
    SetTextAlign(b.dc(), TA_BASELINE);
    TextOutW(a.dc(), 60, 60, u"Rotated", 7);
    TextOutW(b.dc(), 60, 60, u"Rotated", 7);
    RECT flat = a.InkBounds(RGB(255, 255, 255), 120, 120);
    RECT up = b.InkBounds(RGB(255, 255, 255), 120, 120);
    EXPECT_GT(flat.right - flat.left, flat.bottom - flat.top);
    EXPECT_GT(up.bottom - up.top, up.right - up.left);
    EXPECT_NEAR(up.bottom, 60, 2) << "it starts at the reference point";
    EXPECT_NEAR(up.bottom - up.top, flat.right - flat.left, 3);
    SIZE s1{}, s2{};
    GetTextExtentPoint32W(a.dc(), u"Rotated", 7, &s1);
    GetTextExtentPoint32W(b.dc(), u"Rotated", 7, &s2);
    EXPECT_NEAR(s1.cx, s2.cx, 2) << "extents are measured along the baseline";
    SelectObject(a.dc(), oldA);
    SelectObject(b.dc(), oldB);
    DeleteObject(upright);
    DeleteObject(rotated);
}

TEST_F(TextTest, TheDialogFontHasTheDialogBaseUnitsOfWindows)
{
    // Dialog templates are laid out in units of the dialog font's average
    // character size; MS Shell Dlg 8 gives 6 x 13 pixels on Windows, and the
    // skin bitmaps are drawn for that layout.
    BitmapDC dc(10, 10);
    HFONT font = MakeFont(u"MS Shell Dlg", -MulDiv(8, 96, 72));
    HGDIOBJ old = SelectObject(dc.dc(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.dc(), u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.dc(), &tm);
    EXPECT_EQ((size.cx / 26 + 1) / 2, 6);
    EXPECT_EQ(tm.tmHeight, 13);
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(TextTest, AbsurdHeightsAreDrawnAtABoundedSize)
{
    BitmapDC dc(50, 50);
    for (int height : {INT32_MIN, -1000000, 1000000}) {
        HFONT font = MakeFont(u"Arial", height);
        HGDIOBJ old = SelectObject(dc.dc(), font);
        TEXTMETRICW tm{};
        ASSERT_TRUE(GetTextMetricsW(dc.dc(), &tm));
        EXPECT_GT(tm.tmHeight, 0);
        EXPECT_LT(tm.tmHeight, 2000);
        EXPECT_TRUE(TextOutW(dc.dc(), 0, 0, u"A", 1));
        SelectObject(dc.dc(), old);
        DeleteObject(font);
    }
}

TEST_F(TextTest, RandomTextsAndFormatsStayInsideTheRectangleUnlessUnclipped)
{
    // Texts of prefixes, breaks, tabs and long words under every format
    // combination: nothing is drawn outside the rectangle (the sanitizer
    // build checks the reads), and DT_CALCRECT always reports whole lines.
    std::mt19937 rng(17);
    const char16_t alphabet[] = u"ab &&\r\n\t.\\Wiyq";
    HFONT font = MakeFont(u"MS Shell Dlg", -11);
    BitmapDC dc(200, 120);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.dc(), &tm);
    const UINT flags[] = {DT_CENTER,     DT_RIGHT,         DT_VCENTER,       DT_BOTTOM,      DT_WORDBREAK,
                          DT_SINGLELINE, DT_EXPANDTABS,    DT_NOPREFIX,      DT_END_ELLIPSIS, DT_PATH_ELLIPSIS,
                          DT_HIDEPREFIX, DT_PREFIXONLY,    DT_EDITCONTROL,   DT_WORD_ELLIPSIS};
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        int length = static_cast<int>(rng() % 40);
        for (int i = 0; i < length; ++i)
            text.push_back(alphabet[rng() % (sizeof alphabet / sizeof alphabet[0] - 1)]);
        UINT format = 0;
        for (UINT f : flags)
            if (rng() % 4 == 0)
                format |= f;
        RECT bounds{20, 20, 20 + static_cast<LONG>(rng() % 120), 20 + static_cast<LONG>(rng() % 80)};
        RECT calc = bounds;
        int height = DrawTextW(dc.dc(), text.c_str(), static_cast<int>(text.size()), &calc, format | DT_CALCRECT);
        EXPECT_EQ(height % tm.tmHeight, 0) << "whole lines";
        RECT blank{0, 0, 200, 120};
        FillRect(dc.dc(), &blank, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT r = bounds;
        DrawTextW(dc.dc(), text.c_str(), static_cast<int>(text.size()), &r, format);
        RECT ink = dc.InkBounds(RGB(255, 255, 255), 200, 120);
        if (ink.right > ink.left) {
            EXPECT_GE(ink.left, bounds.left) << "format " << format;
            EXPECT_LE(ink.right, bounds.right) << "format " << format;
            EXPECT_GE(ink.top, bounds.top) << "format " << format;
            EXPECT_LE(ink.bottom, bounds.bottom) << "format " << format;
        }
    }
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(TextTest, ExtTextOutFillsAndClipsToItsRectangle)
{
    HFONT font = MakeFont(u"Arial", -14);
    BitmapDC dc(80, 20);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    SetBkColor(dc.dc(), RGB(0, 255, 0));
    RECT r{10, 2, 30, 18};
    // The opaque rectangle is filled even without text (FillSolidRect does this).
    ExtTextOutW(dc.dc(), 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    EXPECT_EQ(dc.At(10, 2), RGB(0, 255, 0));
    EXPECT_EQ(dc.At(29, 17), RGB(0, 255, 0));
    EXPECT_EQ(dc.At(30, 17), RGB(255, 255, 255));
    SetBkMode(dc.dc(), TRANSPARENT);
    ExtTextOutW(dc.dc(), 12, 2, ETO_CLIPPED, &r, u"WWWWWWW", 7, nullptr);
    RECT ink = dc.InkBounds(RGB(255, 255, 255), 80, 20);
    EXPECT_LE(ink.right, 30) << "clipped at the rectangle";
    // Explicit advances place each character.
    BitmapDC spaced(80, 20);
    SelectObject(spaced.dc(), font);
    int dx[2] = {40, 0};
    ExtTextOutW(spaced.dc(), 0, 0, 0, nullptr, u"II", 2, dx);
    RECT wide = spaced.InkBounds(RGB(255, 255, 255), 80, 20);
    EXPECT_GE(wide.right, 40);
    SelectObject(spaced.dc(), GetStockObject(SYSTEM_FONT));
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(TextTest, AWidthAskedForStretchesTheCharacters)
{
    BitmapDC dc(10, 10);
    HFONT natural = MakeFont(u"Arial", -14);
    HGDIOBJ old = SelectObject(dc.dc(), natural);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.dc(), &tm);
    SIZE narrow{};
    GetTextExtentPoint32W(dc.dc(), u"Stretched text", 14, &narrow);
    HFONT wide = CreateFontW(-14, tm.tmAveCharWidth * 2, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    SelectObject(dc.dc(), wide);
    TEXTMETRICW wideTm{};
    GetTextMetricsW(dc.dc(), &wideTm);
    SIZE stretched{};
    GetTextExtentPoint32W(dc.dc(), u"Stretched text", 14, &stretched);
    EXPECT_EQ(wideTm.tmAveCharWidth, tm.tmAveCharWidth * 2);
    EXPECT_EQ(wideTm.tmHeight, tm.tmHeight) << "the height stays";
    EXPECT_NEAR(stretched.cx, narrow.cx * 2, narrow.cx / 5);
    SelectObject(dc.dc(), old);
    DeleteObject(natural);
    DeleteObject(wide);
}

// What a text draws: the pixels of a bitmap it is drawn into in the dialog
// font, black on white, and its extent.
struct TextPicture {
    std::vector<COLORREF> pixels;
    SIZE extent{};
    bool HasInk() const
    {
        return std::any_of(pixels.begin(), pixels.end(), [](COLORREF c) { return c != RGB(255, 255, 255); });
    }
};

// Each piece is drawn by a call of its own, from the left, one after the
// other; one piece is the text drawn whole.
TextPicture DrawPiecesInDialogFont(const std::vector<std::u16string>& pieces)
{
    constexpr int kWidth = 120, kHeight = 30;
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
    TextPicture picture;
    {
        BitmapDC dc(kWidth, kHeight);
        HGDIOBJ old = SelectObject(dc.dc(), font);
        SetBkMode(dc.dc(), TRANSPARENT);
        int x = 2;
        for (const std::u16string& text : pieces) {
            TextOutW(dc.dc(), x, 2, text.c_str(), static_cast<int>(text.size()));
            SIZE extent{};
            GetTextExtentPoint32W(dc.dc(), text.c_str(), static_cast<int>(text.size()), &extent);
            x += extent.cx;
            picture.extent.cx += extent.cx;
        }
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                picture.pixels.push_back(dc.At(x, y));
        SelectObject(dc.dc(), old);
    }
    DeleteObject(font);
    return picture;
}

TextPicture DrawInDialogFont(const std::u16string& text)
{
    return DrawPiecesInDialogFont({text});
}

TEST_F(TextTest, CharactersTheDialogFontLacksAreDrawnFromALinkedFontNotAsBoxes)
{
    // A private-use character of the last plane: no font has it, so it
    // shows the missing-character box.
    const std::u16string box = u"\U0010FFFD";
    const TextPicture boxes = DrawInDialogFont(box + box);
    ASSERT_TRUE(boxes.HasInk());
    for (const std::u16string& text : {std::u16string(u"中文"), std::u16string(u"日本"), std::u16string(u"한국"),
                                       std::u16string(u"😀🎉"), std::u16string(u"✉✈"), std::u16string(u"Σω"),
                                       std::u16string(u"Жд"), std::u16string(u"عر")}) {
        const TextPicture picture = DrawInDialogFont(text);
        EXPECT_TRUE(picture.HasInk()) << "nothing drawn for text " << text.size();
        EXPECT_NE(picture.pixels, boxes.pixels) << "boxes drawn for the text starting with U+" << std::hex << static_cast<int>(text[0]);
    }
    // Each half of the pair is a box of its own when it stands alone.
    const std::u16string face = u"😀";
    EXPECT_NE(DrawInDialogFont(face).pixels, DrawInDialogFont(face.substr(0, 1) + face.substr(0, 1)).pixels);
}

TEST_F(TextTest, ASurrogatePairIsOneCharacterWhoseSecondHalfTakesNoRoom)
{
    HFONT font = MakeFont(u"MS Shell Dlg", -11);
    BitmapDC dc(200, 40);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    const std::u16string text = u"a😀b";
    ASSERT_EQ(text.size(), 4u);
    int fit = 0;
    int dx[4] = {};
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(dc.dc(), text.c_str(), 4, 1000, &fit, dx, &size));
    EXPECT_EQ(fit, 4);
    EXPECT_GT(dx[1], dx[0]);    // the face has a width ...
    EXPECT_EQ(dx[2], dx[1]);    // ... which its second half does not add to
    EXPECT_GT(dx[3], dx[2]);
    SIZE alone{};
    GetTextExtentPoint32W(dc.dc(), u"😀", 2, &alone);
    EXPECT_EQ(dx[2] - dx[0], alone.cx);
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(TextTest, ArabicJoinsItsLettersAndReadsRightToLeftInsideALeftToRightLine)
{
    // "سلام" shows as initial seen, the lam-alef ligature and an isolated
    // meem, drawn from the right: from the left, meem, lam-alef, seen.
    const TextPicture word = DrawInDialogFont(u"سلام");
    const TextPicture shown = DrawPiecesInDialogFont({u"\uFEE1", u"\uFEFC", u"\uFEB3"});
    EXPECT_EQ(word.pixels, shown.pixels);
    EXPECT_EQ(word.extent.cx, shown.extent.cx);
    // Not the isolated letters in their logical order.
    EXPECT_NE(word.pixels, DrawPiecesInDialogFont({u"\uFEB1", u"\uFEDD", u"\uFE8D", u"\uFEE1"}).pixels);
    // Latin around it keeps its places and its order; numbers after an
    // Arabic word go to its left, as the bidirectional algorithm has it.
    EXPECT_EQ(DrawInDialogFont(u"ab سلام cd").pixels,
              DrawPiecesInDialogFont({u"ab ", u"\uFEE1", u"\uFEFC", u"\uFEB3", u" cd"}).pixels);
    EXPECT_EQ(DrawInDialogFont(u"ab سلام 12").pixels,
              DrawPiecesInDialogFont({u"ab ", u"12", u" ", u"\uFEE1", u"\uFEFC", u"\uFEB3"}).pixels);
    // Hebrew reverses without joining.
    EXPECT_EQ(DrawInDialogFont(u"שלום").pixels, DrawPiecesInDialogFont({u"ם", u"ו", u"ל", u"ש"}).pixels);
}

namespace {

// The width GetTextExtentPoint32W gives the text in the DC's font.
int TextWidth(HDC dc, const std::u16string& text)
{
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
    return static_cast<int>(size.cx);
}

} // namespace

TEST_F(TextTest, ArabicJoinsWhereverItStandsInALongLine)
{
    // Joined Arabic letters take another width than the same letters
    // apart; that width stays the same behind any number of Latin letters
    // and before any tail, so no position in a line hides them from shaping.
    BitmapDC dc(64, 64);
    HFONT font = MakeFont(u"MS Shell Dlg", -13);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    const auto width = [&](const std::u16string& text) { return TextWidth(dc.dc(), text); };
    const std::u16string word = u"سلام";
    int apart = 0;
    for (char16_t letter : word)
        apart += width(std::u16string(1, letter));
    const int joined = width(word);
    ASSERT_NE(joined, apart) << "the font shapes these letters to no other width";
    for (int before = 0; before < 26; ++before)
        for (const std::u16string tail : {u"", u"x", u"xxxxxxx", u"xxxxxxxxxxxxxxxxx"}) {
            const std::u16string latin(static_cast<std::size_t>(before), u'x');
            EXPECT_EQ(width(latin + word + tail) - width(latin + tail), joined) << before << " before, " << tail.size()
                                                                                 << " after";
        }
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

TEST_F(TextTest, APrefixedCharacterIsUnderlinedOnItsOwnLineWhateverTheLineBreaks)
{
    // "&" underlines the next character on the line where it falls: the
    // ink of "&c" differs from that of "c" only in one short run of pixels
    // below that line, whether the lines end in CR LF, LF or CR.
    HFONT font = MakeFont(u"MS Shell Dlg", -13);
    const auto draw = [&](const std::u16string& text) {
        BitmapDC dc(120, 80);
        HGDIOBJ old = SelectObject(dc.dc(), font);
        SetBkMode(dc.dc(), TRANSPARENT);
        RECT box{2, 2, 118, 78};
        DrawTextW(dc.dc(), text.c_str(), -1, &box, DT_LEFT);
        SelectObject(dc.dc(), old);
        std::vector<COLORREF> out;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x)
                out.push_back(GetPixel(dc.dc(), x, y));
        return out;
    };
    TEXTMETRICW tm{};
    {
        BitmapDC dc(4, 4);
        HGDIOBJ old = SelectObject(dc.dc(), font);
        GetTextMetricsW(dc.dc(), &tm);
        SelectObject(dc.dc(), old);
    }
    for (const std::u16string breakText : {u"\r\n", u"\n", u"\r"}) {
        for (int line = 0; line < 3; ++line) {
            std::u16string plain, prefixed;
            for (int n = 0; n < 3; ++n) {
                const std::u16string word = n == line ? u"xcx" : u"xxx";
                plain += (n ? breakText : u"") + word;
                prefixed += (n ? breakText : u"") + (n == line ? std::u16string(u"x&cx") : word);
            }
            const auto a = draw(plain), b = draw(prefixed);
            int differing = 0, top = 80, bottom = -1;
            for (int i = 0; i < 120 * 80; ++i)
                if (a[i] != b[i]) {
                    ++differing;
                    top = std::min(top, i / 120);
                    bottom = std::max(bottom, i / 120);
                }
            ASSERT_GT(differing, 0) << "line " << line;
            // The underline lies within the prefixed line's cell.
            EXPECT_GE(top, 2 + line * tm.tmHeight) << "line " << line;
            EXPECT_LT(bottom, 2 + (line + 1) * tm.tmHeight) << "line " << line;
        }
    }
    DeleteObject(font);
}

TEST_F(TextTest, ShapedTextWrapsWhereItsWordsFitWhetherOrNotTheWholeLineDoes)
{
    // Lines with right-to-left words break between words at the same widths
    // as the words measured one by one say, at every box width from the
    // narrowest up to the whole line: one line once the whole fits, more below.
    BitmapDC dc(400, 200);
    HFONT font = MakeFont(u"MS Shell Dlg", -13);
    HGDIOBJ old = SelectObject(dc.dc(), font);
    const auto width = [&](const std::u16string& text) { return TextWidth(dc.dc(), text); };
    const auto lines = [&](const std::u16string& text, int boxWidth) {
        RECT box{0, 0, boxWidth, 0};
        const int height = DrawTextW(dc.dc(), text.c_str(), -1, &box, DT_LEFT | DT_WORDBREAK | DT_CALCRECT);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc.dc(), &metrics);
        return height / metrics.tmHeight;
    };
    for (const std::u16string text : {u"سلام عليكم يا صديقي", u"Subject: سلام عليكم and more", u"שלום עולם ומלואו",
                                      u"  (1) سلام   عليكم يا صديقي العزيز في كل يوم  ", u"Re: مرحبا بالعالم Привет мир"}) {
        const int whole = width(text.substr(0, text.find_last_not_of(u' ') + 1));
        // Greedy breaking, each candidate line measured whole: a line takes
        // words while it fits (its first word even if it does not), a break
        // drops the spaces at it.
        const auto expectedLines = [&](int boxWidth) {
            int count = 0;
            for (std::size_t start = 0;;) {
                ++count;
                std::size_t end = start, pos = start;
                while (pos < text.size()) {
                    std::size_t wordEnd = pos;
                    while (wordEnd < text.size() && text[wordEnd] != u' ')
                        ++wordEnd;
                    const int w = width(text.substr(start, wordEnd - start));
                    if (end > start && w > boxWidth)
                        break;
                    end = wordEnd;
                    pos = wordEnd;
                    while (pos < text.size() && text[pos] == u' ')
                        ++pos;
                    if (w > boxWidth)
                        break;
                }
                start = pos;
                if (start >= text.size())
                    return count;
            }
        };
        // The widths where a break can move: every run of whole words, at
        // the width itself and one pixel less.
        std::set<int> thresholds{1};
        for (std::size_t from = 0; from < text.size(); ++from) {
            if (from > 0 && !(text[from - 1] == u' ' && text[from] != u' '))
                continue;
            for (std::size_t to = from + 1; to <= text.size(); ++to)
                if (text[to - 1] != u' ' && (to == text.size() || text[to] == u' '))
                    thresholds.insert(width(text.substr(from, to - from)));
        }
        for (int threshold : thresholds) {
            for (int boxWidth : {threshold - 1, threshold, threshold + 1}) {
                if (boxWidth > 0) {
                    EXPECT_EQ(lines(text, boxWidth), expectedLines(boxWidth)) << "width " << boxWidth;
                }
            }
        }
        EXPECT_EQ(lines(text, whole), 1);
        EXPECT_GT(lines(text, whole - 1), 1);
    }
    SelectObject(dc.dc(), old);
    DeleteObject(font);
}

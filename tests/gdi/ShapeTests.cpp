#include "GdiTest.h"

class ShapeTest : public GdiTest {};

namespace {
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
} // namespace

TEST_F(ShapeTest, LinesLeaveOutTheirLastPointAndMoveTheCurrentPosition)
{
    BitmapDC dc(10, 10);
    MoveToEx(dc.dc(), 1, 1, nullptr);
    LineTo(dc.dc(), 5, 1);
    EXPECT_EQ(dc.At(1, 1), kBlack);
    EXPECT_EQ(dc.At(4, 1), kBlack);
    EXPECT_EQ(dc.At(5, 1), kWhite);
    POINT p;
    GetCurrentPositionEx(dc.dc(), &p);
    EXPECT_EQ(p.x, 5);
    LineTo(dc.dc(), 5, 5);
    EXPECT_EQ(dc.At(5, 1), kBlack);
    EXPECT_EQ(dc.At(5, 4), kBlack);
    EXPECT_EQ(dc.At(5, 5), kWhite);
    // A diagonal touches one pixel per column.
    MoveToEx(dc.dc(), 0, 9, nullptr);
    LineTo(dc.dc(), 4, 5);
    EXPECT_EQ(dc.At(2, 7), kBlack);
    // The null pen draws nothing; R2_NOT inverts.
    HGDIOBJ old = SelectObject(dc.dc(), GetStockObject(NULL_PEN));
    MoveToEx(dc.dc(), 0, 8, nullptr);
    LineTo(dc.dc(), 9, 8);
    EXPECT_EQ(dc.At(3, 8), kWhite);
    SelectObject(dc.dc(), old);
    SetROP2(dc.dc(), R2_NOT);
    MoveToEx(dc.dc(), 1, 1, nullptr);
    LineTo(dc.dc(), 3, 1);
    EXPECT_EQ(dc.At(1, 1), kWhite);
}

TEST_F(ShapeTest, RectangleOutlinesWithThePenAndFillsWithTheBrush)
{
    BitmapDC dc(10, 10);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc.dc(), red);
    Rectangle(dc.dc(), 1, 1, 6, 5);
    EXPECT_EQ(dc.At(1, 1), kBlack);
    EXPECT_EQ(dc.At(5, 4), kBlack) << "the outline's right and bottom lie inside the rectangle";
    EXPECT_EQ(dc.At(6, 4), kWhite);
    EXPECT_EQ(dc.At(5, 5), kWhite);
    EXPECT_EQ(dc.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(dc.At(4, 3), RGB(255, 0, 0));

    // Without a pen the filled area is one pixel smaller right and bottom.
    HGDIOBJ oldPen = SelectObject(dc.dc(), GetStockObject(NULL_PEN));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(dc.dc(), blue);
    Rectangle(dc.dc(), 0, 6, 4, 9);
    EXPECT_EQ(dc.At(0, 6), RGB(0, 0, 255));
    EXPECT_EQ(dc.At(2, 7), RGB(0, 0, 255));
    EXPECT_EQ(dc.At(3, 7), kWhite);
    EXPECT_EQ(dc.At(2, 8), kWhite);
    SelectObject(dc.dc(), oldPen);
    SelectObject(dc.dc(), oldBrush);
    DeleteObject(red);
    DeleteObject(blue);
}

TEST_F(ShapeTest, FillFrameAndInvert)
{
    BitmapDC dc(6, 6);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    RECT r{1, 1, 5, 5};
    FrameRect(dc.dc(), &r, green);
    EXPECT_EQ(dc.At(1, 1), RGB(0, 255, 0));
    EXPECT_EQ(dc.At(4, 4), RGB(0, 255, 0));
    EXPECT_EQ(dc.At(2, 2), kWhite);
    EXPECT_EQ(dc.At(5, 5), kWhite);
    InvertRect(dc.dc(), &r);
    EXPECT_EQ(dc.At(1, 1), RGB(255, 0, 255));
    EXPECT_EQ(dc.At(2, 2), kBlack);
    // The hollow brush fills nothing, and succeeds on a DC only.
    HBRUSH hollow = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    EXPECT_EQ(FillRect(dc.dc(), &r, hollow), 1);
    EXPECT_EQ(dc.At(2, 2), kBlack);
    EXPECT_EQ(dc.At(1, 1), RGB(255, 0, 255));
    EXPECT_EQ(FillRect(nullptr, &r, hollow), 0);
    EXPECT_EQ(FillRect(reinterpret_cast<HDC>(green), &r, hollow), 0) << "a brush is no DC";
    EXPECT_EQ(FillRect(dc.dc(), nullptr, hollow), 0);
    DeleteObject(green);
}

TEST_F(ShapeTest, FocusRectangleDrawnTwiceLeavesNoTrace)
{
    BitmapDC dc(8, 6, RGB(10, 20, 30));
    RECT r{1, 1, 7, 5};
    DrawFocusRect(dc.dc(), &r);
    int changed = 0;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            changed += dc.At(x, y) != RGB(10, 20, 30) ? 1 : 0;
    EXPECT_GT(changed, 4);
    EXPECT_EQ(dc.At(3, 3), RGB(10, 20, 30)) << "only the frame";
    DrawFocusRect(dc.dc(), &r);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dc.At(x, y), RGB(10, 20, 30));
}

TEST_F(ShapeTest, RaisedAndSunkenEdgesUseTheClassicColours)
{
    BitmapDC dc(10, 10);
    RECT r{0, 0, 10, 10};
    DrawEdge(dc.dc(), &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(dc.At(0, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(dc.At(9, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(dc.At(9, 0), GetSysColor(COLOR_3DDKSHADOW)) << "the top-right corner belongs to the right edge";
    EXPECT_EQ(dc.At(0, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(dc.At(1, 1), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(dc.At(8, 8), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(dc.At(5, 5), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.bottom, 8);

    RECT s{0, 0, 10, 10};
    DrawEdge(dc.dc(), &s, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(dc.At(0, 0), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(dc.At(9, 9), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(dc.At(1, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(dc.At(8, 8), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(s.left, 0) << "no BF_ADJUST";

    // Only the sides asked for.
    BitmapDC top(4, 4);
    RECT t{0, 0, 4, 4};
    DrawEdge(top.dc(), &t, BDR_SUNKENOUTER, BF_TOP);
    EXPECT_EQ(top.At(1, 0), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(top.At(0, 1), kWhite);
}

TEST_F(ShapeTest, HatchAndPatternBrushes)
{
    BitmapDC dc(16, 8);
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(255, 0, 0));
    SetBkColor(dc.dc(), RGB(0, 0, 255));
    RECT r{0, 0, 16, 8};
    FillRect(dc.dc(), &r, hatch);
    EXPECT_EQ(dc.At(3, 7), RGB(255, 0, 0));
    EXPECT_EQ(dc.At(3, 0), RGB(0, 0, 255)) << "opaque background between the lines";

    BitmapDC tile(2, 1, RGB(1, 1, 1));
    SetPixel(tile.dc(), 1, 0, RGB(2, 2, 2));
    HBITMAP tileBitmap = tile.Detach();
    HBRUSH pattern = CreatePatternBrush(tileBitmap);
    DeleteObject(tileBitmap); // the brush keeps its own copy
    FillRect(dc.dc(), &r, pattern);
    EXPECT_EQ(dc.At(0, 0), RGB(1, 1, 1));
    EXPECT_EQ(dc.At(1, 0), RGB(2, 2, 2));
    EXPECT_EQ(dc.At(14, 5), RGB(1, 1, 1));
    DeleteObject(hatch);
    DeleteObject(pattern);
}

TEST_F(ShapeTest, EllipseAndPolygonStayInsideTheirBounds)
{
    BitmapDC dc(20, 20);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc.dc(), red);
    Ellipse(dc.dc(), 2, 2, 18, 12);
    RECT ink = dc.InkBounds(kWhite, 20, 20);
    EXPECT_GE(ink.left, 2);
    EXPECT_LE(ink.right, 18);
    EXPECT_LE(ink.bottom, 12);
    EXPECT_EQ(dc.At(10, 7), RGB(255, 0, 0));
    EXPECT_EQ(dc.At(2, 2), kWhite);

    BitmapDC tri(20, 20);
    SelectObject(tri.dc(), red);
    POINT pts[3] = {{0, 0}, {10, 0}, {0, 10}};
    Polygon(tri.dc(), pts, 3);
    EXPECT_EQ(tri.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(tri.At(8, 8), kWhite);
    SelectObject(tri.dc(), old);
    SelectObject(dc.dc(), old);
    DeleteObject(red);
}

TEST(RectTest, RectangleHelpers)
{
    RECT a{0, 0, 10, 10}, b{5, 5, 15, 15}, c;
    EXPECT_TRUE(IntersectRect(&c, &a, &b));
    RECT expected{5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&c, &expected));
    RECT far{20, 20, 30, 30};
    EXPECT_FALSE(IntersectRect(&c, &a, &far));
    EXPECT_TRUE(IsRectEmpty(&c));
    UnionRect(&c, &a, &b);
    EXPECT_EQ(c.right, 15);
    EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
    EXPECT_TRUE(PtInRect(&a, POINT{9, 9}));
    RECT left{0, 0, 5, 10};
    SubtractRect(&c, &a, &left);
    EXPECT_EQ(c.left, 5);
    RECT middle{3, 3, 6, 6};
    SubtractRect(&c, &a, &middle);
    EXPECT_EQ(c.left, 0) << "a hole leaves the rectangle whole";
    EXPECT_EQ(MulDiv(8, 96, 72), 11);
    EXPECT_EQ(MulDiv(10, 96, 72), 13);
    EXPECT_EQ(MulDiv(-10, 96, 72), -13);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1);
}

TEST_F(ShapeTest, FrameControlsShowTheirState)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // A check box: a sunken square with a white inside, the mark only when checked.
    BitmapDC plain(13, 13, face), checked(13, 13, face), inactive(13, 13, face);
    RECT r{0, 0, 13, 13};
    DrawFrameControl(plain.dc(), &r, DFC_BUTTON, DFCS_BUTTONCHECK);
    DrawFrameControl(checked.dc(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    DrawFrameControl(inactive.dc(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE);
    EXPECT_EQ(plain.At(0, 0), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(plain.At(6, 6), GetSysColor(COLOR_WINDOW));
    int marked = 0, grey = 0;
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
            if (checked.At(x, y) != plain.At(x, y)) {
                ++marked;
                EXPECT_EQ(checked.At(x, y), GetSysColor(COLOR_WINDOWTEXT));
                EXPECT_TRUE(x >= 2 && x < 11 && y >= 2 && y < 11) << "the mark stays inside the box";
            }
            bool inside = x >= 2 && x < 11 && y >= 2 && y < 11; // the edge uses the same grey
            grey += inside && inactive.At(x, y) == GetSysColor(COLOR_GRAYTEXT) ? 1 : 0;
        }
    EXPECT_GT(marked, 10);
    EXPECT_EQ(grey, marked) << "an inactive mark is grey";
    EXPECT_EQ(inactive.At(3, 3), face) << "an inactive box is not white";

    // A radio button shows a dot in its centre only when checked.
    BitmapDC off(12, 12, face), on(12, 12, face);
    RECT rr{0, 0, 12, 12};
    DrawFrameControl(off.dc(), &rr, DFC_BUTTON, DFCS_BUTTONRADIO);
    DrawFrameControl(on.dc(), &rr, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
    EXPECT_EQ(off.At(6, 6), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(on.At(6, 6), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(on.At(0, 0), face) << "corners outside the circle stay";

    // A pushed arrow button is sunken.
    BitmapDC up(16, 16, face), down(16, 16, face);
    RECT ar{0, 0, 16, 16};
    DrawFrameControl(up.dc(), &ar, DFC_SCROLL, DFCS_SCROLLUP);
    DrawFrameControl(down.dc(), &ar, DFC_SCROLL, DFCS_SCROLLUP | DFCS_PUSHED);
    EXPECT_EQ(up.At(15, 15), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(down.At(15, 15), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_NE(up.InkBounds(face, 16, 16).right, 0);
    EXPECT_FALSE(DrawFrameControl(up.dc(), &ar, 99, 0));

    // Menu glyphs are black on white masks.
    BitmapDC check(13, 13, face);
    RECT mr{0, 0, 13, 13};
    DrawFrameControl(check.dc(), &mr, DFC_MENU, DFCS_MENUCHECK);
    int black = 0;
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
            COLORREF c = check.At(x, y);
            EXPECT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 255, 255)) << x << "," << y;
            black += c == RGB(0, 0, 0) ? 1 : 0;
        }
    EXPECT_GT(black, 10);
}

TEST_F(ShapeTest, PenStylesWidthsAndTheDcColours)
{
    BitmapDC dc(40, 12);
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc.dc(), dotted);
    SetBkMode(dc.dc(), TRANSPARENT);
    MoveToEx(dc.dc(), 0, 1, nullptr);
    LineTo(dc.dc(), 40, 1);
    int on = 0, off = 0;
    for (int x = 0; x < 40; ++x)
        (dc.At(x, 1) == RGB(255, 0, 0) ? on : off) += 1;
    EXPECT_GT(on, 10);
    EXPECT_GT(off, 10);
    EXPECT_EQ(dc.At(39, 2), RGB(255, 255, 255));
    // With an opaque background the gaps take the background colour.
    SetBkMode(dc.dc(), OPAQUE);
    SetBkColor(dc.dc(), RGB(0, 0, 255));
    MoveToEx(dc.dc(), 0, 3, nullptr);
    LineTo(dc.dc(), 40, 3);
    for (int x = 0; x < 40; ++x)
        EXPECT_TRUE(dc.At(x, 3) == RGB(255, 0, 0) || dc.At(x, 3) == RGB(0, 0, 255)) << x;

    HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 128, 0));
    SelectObject(dc.dc(), wide);
    MoveToEx(dc.dc(), 5, 8, nullptr);
    LineTo(dc.dc(), 30, 8);
    EXPECT_EQ(dc.At(10, 7), RGB(0, 128, 0));
    EXPECT_EQ(dc.At(10, 9), RGB(0, 128, 0));
    EXPECT_EQ(dc.At(10, 10), RGB(255, 255, 255));

    // The DC pen and brush take their colours from the DC.
    SelectObject(dc.dc(), GetStockObject(DC_PEN));
    SetDCPenColor(dc.dc(), RGB(1, 2, 3));
    MoveToEx(dc.dc(), 0, 11, nullptr);
    LineTo(dc.dc(), 3, 11);
    EXPECT_EQ(dc.At(1, 11), RGB(1, 2, 3));
    SetDCBrushColor(dc.dc(), RGB(4, 5, 6));
    RECT r{35, 8, 40, 12};
    FillRect(dc.dc(), &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    EXPECT_EQ(dc.At(37, 10), RGB(4, 5, 6));
    SelectObject(dc.dc(), old);
    DeleteObject(dotted);
    DeleteObject(wide);
}

#include "GdiTest.h"

class BlitTest : public GdiTest {};

TEST_F(BlitTest, EveryTernaryRopFollowsItsTruthTable)
{
    // With pattern 0xF0, source 0xCC and destination 0xAA in every channel,
    // the result of a raster operation is its own index byte.
    BitmapDC src(1, 1, RGB(0xCC, 0xCC, 0xCC));
    BitmapDC dst(1, 1);
    HBRUSH brush = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
    HGDIOBJ oldBrush = SelectObject(dst.dc(), brush);
    for (int rop = 0; rop < 256; ++rop) {
        SetPixel(dst.dc(), 0, 0, RGB(0xAA, 0xAA, 0xAA));
        ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, static_cast<DWORD>(rop) << 16));
        ASSERT_EQ(dst.At(0, 0), RGB(rop, rop, rop)) << "rop " << rop;
    }
    SelectObject(dst.dc(), oldBrush);
    DeleteObject(brush);
}

TEST_F(BlitTest, NamedRopsOnColours)
{
    BitmapDC src(1, 1, RGB(0x0F, 0xF0, 0x3C));
    BitmapDC dst(1, 1);
    struct Case {
        DWORD rop;
        COLORREF expected;
    } cases[] = {
        {SRCCOPY, RGB(0x0F, 0xF0, 0x3C)},   {SRCAND, RGB(0x0F & 0x55, 0xF0 & 0x55, 0x3C & 0x55)},
        {SRCPAINT, RGB(0x5F, 0xF5, 0x7D)},  {SRCINVERT, RGB(0x0F ^ 0x55, 0xF0 ^ 0x55, 0x3C ^ 0x55)},
        {NOTSRCCOPY, RGB(0xF0, 0x0F, 0xC3)}, {DSTINVERT, RGB(0xAA, 0xAA, 0xAA)},
        {BLACKNESS, RGB(0, 0, 0)},           {WHITENESS, RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        SetPixel(dst.dc(), 0, 0, RGB(0x55, 0x55, 0x55));
        BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, c.rop);
        EXPECT_EQ(dst.At(0, 0), c.expected) << std::hex << c.rop;
    }
    EXPECT_FALSE(PatBlt(dst.dc(), 0, 0, 1, 1, SRCCOPY)) << "PatBlt takes no source";
}

TEST_F(BlitTest, ClipOriginAndSourceOffset)
{
    BitmapDC src(4, 4, RGB(255, 0, 0));
    SetPixel(src.dc(), 1, 1, RGB(0, 0, 255));
    BitmapDC dst(10, 10);
    HRGN clip = CreateRectRgn(0, 0, 5, 10);
    SelectClipRgn(dst.dc(), clip);
    SetViewportOrgEx(dst.dc(), 3, 0, nullptr);
    // Logical (0, 0) is device (3, 0); the clip (device) stops at x = 5.
    BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 1, 1, SRCCOPY);
    SetViewportOrgEx(dst.dc(), 0, 0, nullptr);
    SelectClipRgn(dst.dc(), nullptr);
    EXPECT_EQ(dst.At(3, 0), RGB(0, 0, 255));
    EXPECT_EQ(dst.At(4, 0), RGB(255, 0, 0));
    EXPECT_EQ(dst.At(5, 0), RGB(255, 255, 255)) << "outside the clip";
    EXPECT_EQ(dst.At(2, 0), RGB(255, 255, 255));
    // The source beyond its bitmap leaves the destination alone.
    EXPECT_EQ(dst.At(3, 3), RGB(255, 255, 255));
    DeleteObject(clip);
}

TEST_F(BlitTest, OverlappingBlitWithinOneBitmapScrolls)
{
    BitmapDC dc(5, 1);
    for (int x = 0; x < 5; ++x)
        SetPixel(dc.dc(), x, 0, RGB(x * 10, 0, 0));
    BitBlt(dc.dc(), 1, 0, 4, 1, dc.dc(), 0, 0, SRCCOPY);
    for (int x = 1; x < 5; ++x)
        EXPECT_EQ(dc.At(x, 0), RGB((x - 1) * 10, 0, 0));
}

TEST_F(BlitTest, MonochromeAndColourConversions)
{
    // Monochrome source onto colour: black takes the text colour, white the
    // background colour of the destination DC.
    BYTE bits[2] = {0x80, 0}; // first pixel white, second black
    HBITMAP mono = CreateBitmap(2, 1, 1, 1, bits);
    HDC monoDc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldMono = SelectObject(monoDc, mono);
    BitmapDC colour(2, 1);
    SetTextColor(colour.dc(), RGB(1, 2, 3));
    SetBkColor(colour.dc(), RGB(4, 5, 6));
    BitBlt(colour.dc(), 0, 0, 2, 1, monoDc, 0, 0, SRCCOPY);
    EXPECT_EQ(colour.At(0, 0), RGB(4, 5, 6));
    EXPECT_EQ(colour.At(1, 0), RGB(1, 2, 3));

    // Colour onto monochrome: the source DC's background colour becomes
    // white, everything else black.
    SetPixel(colour.dc(), 0, 0, RGB(9, 9, 9));
    SetBkColor(colour.dc(), RGB(9, 9, 9));
    BitBlt(monoDc, 0, 0, 2, 1, colour.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(monoDc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(monoDc, 1, 0), RGB(0, 0, 0));

    // A bitmap compatible with a fresh memory DC is monochrome, as on Windows.
    HDC fresh = CreateCompatibleDC(nullptr);
    HBITMAP compatible = CreateCompatibleBitmap(fresh, 4, 4);
    BITMAP bm{};
    GetObject(compatible, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HBITMAP fromColour = CreateCompatibleBitmap(colour.dc(), 4, 4);
    GetObject(fromColour, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);

    DeleteObject(compatible);
    DeleteObject(fromColour);
    DeleteDC(fresh);
    SelectObject(monoDc, oldMono);
    DeleteObject(mono);
    DeleteDC(monoDc);
}

TEST_F(BlitTest, StretchScalesAndMirrors)
{
    BitmapDC src(2, 1);
    SetPixel(src.dc(), 0, 0, RGB(255, 0, 0));
    SetPixel(src.dc(), 1, 0, RGB(0, 0, 255));
    BitmapDC dst(4, 2);
    StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(dst.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(dst.At(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(dst.At(3, 1), RGB(0, 0, 255));
    // A negative destination width mirrors.
    StretchBlt(dst.dc(), 4, 0, -4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(dst.At(3, 0), RGB(255, 0, 0));
    // Shrinking keeps one of the source pixels, not a blend.
    BitmapDC small(1, 1);
    StretchBlt(small.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
    COLORREF c = small.At(0, 0);
    EXPECT_TRUE(c == RGB(255, 0, 0) || c == RGB(0, 0, 255));
}

TEST_F(BlitTest, TransparentBltSkipsTheKeyColour)
{
    BitmapDC src(3, 1, RGB(255, 0, 240));
    SetPixel(src.dc(), 1, 0, RGB(255, 0, 239));
    BitmapDC dst(6, 1, RGB(1, 1, 1));
    EXPECT_TRUE(TransparentBlt(dst.dc(), 0, 0, 6, 1, src.dc(), 0, 0, 3, 1, RGB(255, 0, 240)));
    EXPECT_EQ(dst.At(0, 0), RGB(1, 1, 1));
    EXPECT_EQ(dst.At(1, 0), RGB(1, 1, 1));
    EXPECT_EQ(dst.At(2, 0), RGB(255, 0, 239));
    EXPECT_EQ(dst.At(3, 0), RGB(255, 0, 239));
    EXPECT_EQ(dst.At(5, 0), RGB(1, 1, 1));
    EXPECT_FALSE(TransparentBlt(dst.dc(), 0, 0, -1, 1, src.dc(), 0, 0, 3, 1, 0));
}

TEST_F(BlitTest, AlphaBlendConstantAndPremultiplied)
{
    BitmapDC src(1, 1, RGB(200, 100, 0));
    BitmapDC dst(1, 1, RGB(0, 100, 200));
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, half);
    COLORREF c = dst.At(0, 0);
    EXPECT_NEAR(GetRValue(c), 100, 1);
    EXPECT_NEAR(GetGValue(c), 100, 1);
    EXPECT_NEAR(GetBValue(c), 100, 1);

    // A premultiplied source pixel with alpha 0 and colour 0 leaves the
    // destination; alpha 255 replaces it.
    auto surface = gdi::SurfaceOfBitmap(src.bitmap());
    ASSERT_TRUE(surface);
    surface->Set(0, 0, 0x00000000);
    SetPixel(dst.dc(), 0, 0, RGB(10, 20, 30));
    BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, perPixel);
    EXPECT_EQ(dst.At(0, 0), RGB(10, 20, 30));
    surface->Set(0, 0, 0xFF0000FF);
    AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, perPixel);
    EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 255));
    // A source rectangle outside the source fails.
    EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 2, 1, perPixel));
}

TEST_F(BlitTest, MaskBltChoosesOperationByMaskBit)
{
    BitmapDC src(2, 1, RGB(9, 9, 9));
    BitmapDC dst(2, 1, RGB(1, 1, 1));
    BYTE bits[2] = {0x80, 0};
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, bits);
    // White mask bits copy the source, black ones keep the destination.
    MaskBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
    EXPECT_EQ(dst.At(0, 0), RGB(9, 9, 9));
    EXPECT_EQ(dst.At(1, 0), RGB(1, 1, 1));
    DeleteObject(mask);
}

TEST_F(BlitTest, PixelsOutsideTheClipAreInvalid)
{
    BitmapDC dc(4, 4);
    EXPECT_EQ(GetPixel(dc.dc(), 4, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(dc.dc(), -1, 0, 0), CLR_INVALID);
    IntersectClipRect(dc.dc(), 0, 0, 2, 2);
    EXPECT_EQ(SetPixel(dc.dc(), 3, 3, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(dc.dc(), 1, 1, RGB(7, 8, 9)), RGB(7, 8, 9));
    SelectClipRgn(dc.dc(), nullptr);
    EXPECT_EQ(dc.At(3, 3), RGB(255, 255, 255));
}

TEST_F(BlitTest, CopyBetweenColourBitmapsKeepsTheAlphaByte)
{
    BitmapDC src(1, 1);
    BitmapDC dst(1, 1);
    gdi::SurfaceOfBitmap(src.bitmap())->Set(0, 0, 0x80112233);
    BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(gdi::SurfaceOfBitmap(dst.bitmap())->At(0, 0), 0x80112233u);
    BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCPAINT);
    EXPECT_EQ(gdi::SurfaceOfBitmap(dst.bitmap())->At(0, 0), 0x00112233u) << "other operations work on colour only";
}

TEST_F(BlitTest, HugeCoordinatesPaintWhatIsVisibleWithoutOverflow)
{
    BitmapDC dc(4, 4);
    SetViewportOrgEx(dc.dc(), 10, 10, nullptr);
    RECT everything{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_TRUE(FillRect(dc.dc(), &everything, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_EQ(dc.At(-10, -10), RGB(0, 0, 0));
    EXPECT_EQ(dc.At(-7, -7), RGB(0, 0, 0));
    BitmapDC src(2, 2);
    EXPECT_TRUE(StretchBlt(dc.dc(), 0, 0, INT32_MAX, INT32_MAX, src.dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_TRUE(BitBlt(dc.dc(), INT32_MAX, INT32_MIN, 5, 5, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(dc.dc(), INT32_MAX, 0), CLR_INVALID);
    MoveToEx(dc.dc(), INT32_MIN, 0, nullptr);
    EXPECT_TRUE(Rectangle(dc.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(LineTo(dc.dc(), INT32_MAX, INT32_MAX));
    EXPECT_TRUE(Ellipse(dc.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(RoundRect(dc.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, 50));
    POINT far[3] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, 0}, {0, INT32_MAX}};
    EXPECT_TRUE(Polygon(dc.dc(), far, 3));
    EXPECT_EQ(dc.At(-8, -8), RGB(255, 255, 255)) << "the huge shapes' white brush covers the surface";
    RECT text = everything;
    EXPECT_GT(DrawTextW(dc.dc(), u"x", 1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 0);
    text = everything;
    EXPECT_GT(DrawTextW(dc.dc(), u"long words here", -1, &text, DT_RIGHT | DT_WORDBREAK | DT_END_ELLIPSIS), 0);
}

#include "GdiTest.h"

#include <cstring>
#include <vector>

class BitmapTest : public GdiTest {};

TEST_F(BitmapTest, DibSectionMemoryIsThePixelsInItsRowOrder)
{
    for (LONG height : {2, -2}) {
        BITMAPINFO info{};
        info.bmiHeader = {40, 3, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(dib, nullptr);
        ASSERT_NE(bits, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, dib);
        SetPixel(dc, 0, 0, RGB(0x11, 0x22, 0x33)); // the top-left pixel
        const BYTE* first = static_cast<const BYTE*>(bits);
        const BYTE* topRow = height > 0 ? first + 12 : first;
        EXPECT_EQ(topRow[0], 0x33);
        EXPECT_EQ(topRow[1], 0x22);
        EXPECT_EQ(topRow[2], 0x11);
        // Writing the memory shows through GetPixel.
        BYTE* bottomRow = static_cast<BYTE*>(bits) + (height > 0 ? 0 : 12);
        bottomRow[4 * 2] = 0xFF;
        EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0, 0, 0xFF));
        DIBSECTION ds{};
        GetObject(dib, sizeof ds, &ds);
        EXPECT_EQ(ds.dsBm.bmBits, bits);
        EXPECT_EQ(ds.dsBmih.biHeight, height);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(dib);
    }
    BITMAPINFO eight{};
    eight.bmiHeader = {40, 3, 3, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &eight, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

namespace {

// An 8-bit bottom-up packed DIB, as the shaded button's image buffers hold
// them: header, 256 colours, rows of indexes.
std::vector<BYTE> PaletteDib(int width, int height)
{
    const int stride = ((width * 8 + 31) / 32) * 4;
    std::vector<BYTE> block(40 + 1024 + stride * height, 0);
    BITMAPINFOHEADER h{40, width, height, 1, 8, BI_RGB, static_cast<DWORD>(stride * height), 0, 0, 0, 0};
    std::memcpy(block.data(), &h, 40);
    for (int i = 0; i < 256; ++i) {
        block[40 + 4 * i] = static_cast<BYTE>(i);           // blue
        block[40 + 4 * i + 1] = static_cast<BYTE>(255 - i); // green
        block[40 + 4 * i + 2] = 0;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            block[40 + 1024 + (height - 1 - y) * stride + x] = static_cast<BYTE>(y * 16 + x); // y = 0 is the top
    return block;
}

} // namespace

TEST_F(BitmapTest, SetDIBitsToDeviceDrawsAPaletteImageUpright)
{
    auto block = PaletteDib(5, 3);
    BitmapDC dc(8, 8);
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    EXPECT_EQ(SetDIBitsToDevice(dc.dc(), 2, 1, 5, 3, 0, 0, 0, 3, block.data() + 40 + 1024, info, DIB_RGB_COLORS), 3);
    auto expected = [](int index) { return RGB(0, 255 - index, index); };
    EXPECT_EQ(dc.At(2, 1), expected(0));
    EXPECT_EQ(dc.At(6, 1), expected(4));
    EXPECT_EQ(dc.At(2, 3), expected(32));
    EXPECT_EQ(dc.At(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(dc.At(7, 1), RGB(255, 255, 255));
    EXPECT_EQ(dc.At(2, 4), RGB(255, 255, 255));

    // A sub-rectangle: the source origin is the lower-left corner.
    BitmapDC part(2, 1);
    SetDIBitsToDevice(part.dc(), 0, 0, 2, 1, 1, 0, 0, 3, block.data() + 40 + 1024, info, DIB_RGB_COLORS);
    EXPECT_EQ(part.At(0, 0), expected(33)) << "bottom row (y = 2), from x = 1";

    BitmapDC stretched(10, 6);
    EXPECT_EQ(StretchDIBits(stretched.dc(), 0, 0, 10, 6, 0, 0, 5, 3, block.data() + 40 + 1024, info, DIB_RGB_COLORS,
                            SRCCOPY),
              3);
    EXPECT_EQ(stretched.At(1, 1), expected(0));
    EXPECT_EQ(stretched.At(9, 5), expected(36));
}

TEST_F(BitmapTest, GetDIBitsAndSetDIBitsRoundTrip)
{
    BitmapDC dc(3, 2);
    SetPixel(dc.dc(), 0, 0, RGB(1, 2, 3));
    SetPixel(dc.dc(), 2, 1, RGB(4, 5, 6));
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    HBITMAP bitmap = dc.bitmap();
    EXPECT_EQ(GetDIBits(dc.dc(), bitmap, 0, 2, nullptr, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(info.bmiHeader.biWidth, 3);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    info.bmiHeader.biBitCount = 24;
    std::vector<BYTE> bits(2 * 12);
    ASSERT_EQ(GetDIBits(dc.dc(), bitmap, 0, 2, bits.data(), &info, DIB_RGB_COLORS), 2);
    // Bottom-up: the first row is the bottom one; 24-bit rows padded to 12.
    EXPECT_EQ(bits[6], 6);
    EXPECT_EQ(bits[8], 4);
    EXPECT_EQ(bits[12], 3);

    BitmapDC copy(3, 2, RGB(0, 0, 0));
    EXPECT_EQ(SetDIBits(copy.dc(), copy.bitmap(), 0, 2, bits.data(), &info, DIB_RGB_COLORS), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(copy.At(x, y), dc.At(x, y));
}

TEST_F(BitmapTest, CreateBitmapReadsWordAlignedRowsAndRejectsBadSizes)
{
    BYTE mono[4] = {0x40, 0x00, 0x80, 0x00}; // rows of 16 bits
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 1, mono);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 255, 255));
    // Drawing colours onto monochrome gives black or white.
    EXPECT_EQ(SetPixel(dc, 2, 1, RGB(200, 200, 200)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(dc, 2, 1, RGB(20, 20, 20)), RGB(0, 0, 0));
    BYTE back[4] = {};
    EXPECT_EQ(GetBitmapBits(bitmap, 4, back), 4);
    EXPECT_EQ(back[0], 0x40);
    EXPECT_EQ(back[2], 0x80);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);

    EXPECT_EQ(CreateBitmap(-1, 2, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(100000, 100000, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(2, 2, 1, 8, nullptr), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, -5, 5), nullptr);
}

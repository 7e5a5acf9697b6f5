// The skinned dialogs derive a window region from their bitmap by copying
// it into a 32-bit bottom-up DIB section, scanning the rows for runs of
// pixels near a key colour and handing the runs to ExtCreateRegion in
// batches that are OR-combined, then XOR-ing with the whole rectangle.
// These tests drive that sequence of calls and check the region.
#include "GdiTest.h"

#include <cstring>
#include <vector>

namespace {

struct Window {
    BYTE low[3];
    BYTE high[3]; // red, green, blue
};

Window ToleranceOf(COLORREF key)
{
    Window w{};
    BYTE c[3] = {GetRValue(key), GetGValue(key), GetBValue(key)};
    for (int i = 0; i < 3; ++i) {
        if (key == 0) {
            w.low[i] = 0;
            w.high[i] = 16;
        } else if (key == 0xFFFFFF) {
            w.low[i] = 239;
            w.high[i] = 255;
        } else {
            w.low[i] = c[i] <= 16 ? 0 : static_cast<BYTE>(c[i] - 17);
            w.high[i] = c[i] >= 239 ? 255 : static_cast<BYTE>(c[i] + 17);
        }
    }
    return w;
}

void AddBatch(HRGN& result, std::vector<char>& buffer, DWORD count)
{
    std::memcpy(buffer.data() + 8, &count, 4);
    HRGN batch = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), reinterpret_cast<RGNDATA*>(buffer.data()));
    ASSERT_NE(batch, nullptr);
    if (!result) {
        result = batch;
    } else {
        CombineRgn(result, result, batch, RGN_OR);
        DeleteObject(batch);
    }
}

HRGN BuildRegion(HBITMAP bitmap, COLORREF key, BOOL inverse, DWORD batchLimit = 3000)
{
    HDC memory = CreateCompatibleDC(nullptr);
    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);
    BITMAPINFO info{};
    info.bmiHeader = {40, bm.bmWidth, bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldDib = SelectObject(memory, dib);
    HDC source = CreateCompatibleDC(memory);
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    BitBlt(memory, 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    BITMAP dibInfo{};
    GetObject(dib, sizeof dibInfo, &dibInfo);
    const int stride = (dibInfo.bmWidthBytes + 3) & ~3;

    Window w = ToleranceOf(key);
    std::vector<char> buffer(32);
    DWORD header[2] = {32, RDH_RECTANGLES};
    std::memcpy(buffer.data(), header, 8);
    DWORD count = 0;
    HRGN result = nullptr;
    const BYTE* row = static_cast<const BYTE*>(bits) + static_cast<std::ptrdiff_t>(bm.bmHeight - 1) * stride;
    for (int y = 0; y < bm.bmHeight; ++y, row -= stride) {
        for (int x = 0; x < bm.bmWidth; ++x) {
            int x0 = x;
            while (x < bm.bmWidth) {
                const BYTE* p = row + 4 * x;
                BYTE rgb[3] = {p[2], p[1], p[0]};
                bool inside = true;
                for (int i = 0; i < 3; ++i)
                    inside = inside && rgb[i] >= w.low[i] && rgb[i] <= w.high[i];
                if (inside == static_cast<bool>(inverse))
                    break;
                ++x;
            }
            if (x > x0) {
                LONG r[4] = {x0, y, x, y + 1};
                buffer.resize(32 + 16 * (count + 1));
                std::memcpy(buffer.data() + 32 + 16 * count, r, 16);
                if (++count == batchLimit) {
                    AddBatch(result, buffer, count);
                    count = 0;
                    buffer.resize(32);
                }
            }
        }
    }
    AddBatch(result, buffer, count);
    if (!inverse) {
        HRGN whole = CreateRectRgn(0, 0, bm.bmWidth, bm.bmHeight);
        CombineRgn(result, result, whole, RGN_XOR);
        DeleteObject(whole);
    }
    SelectObject(source, oldSource);
    SelectObject(memory, oldDib);
    DeleteDC(source);
    DeleteDC(memory);
    DeleteObject(dib);
    return result;
}

class SkinRegionTest : public GdiTest {};

int CountInside(HRGN region, int w, int h)
{
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            n += PtInRegion(region, x, y) ? 1 : 0;
    return n;
}

} // namespace

TEST_F(SkinRegionTest, NoKeyPixelsGiveTheWholeRectangleAndOnlyKeyPixelsNothing)
{
    BitmapDC plain(12, 7, RGB(10, 20, 30));
    HBITMAP plainBitmap = plain.Detach();
    HRGN whole = BuildRegion(plainBitmap, 0x00FF00, FALSE);
    DeleteObject(plainBitmap);
    HRGN expected = CreateRectRgn(0, 0, 12, 7);
    EXPECT_TRUE(EqualRgn(whole, expected));

    BitmapDC green(12, 7, RGB(0, 255, 0));
    HBITMAP greenBitmap = green.Detach();
    HRGN empty = BuildRegion(greenBitmap, 0x00FF00, FALSE);
    DeleteObject(greenBitmap);
    RECT box;
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    DeleteObject(whole);
    DeleteObject(expected);
    DeleteObject(empty);
}

TEST_F(SkinRegionTest, ToleranceWindowEdgesPerChannel)
{
    struct Case {
        COLORREF key;
        COLORREF pixel;
        bool cut;
    } cases[] = {
        {0x00FF00, RGB(17, 238, 17), true},  {0x00FF00, RGB(18, 238, 17), false},
        {0x00FF00, RGB(17, 237, 17), false}, {0x00FF00, RGB(17, 238, 18), false},
        {0x00FF00, RGB(0, 255, 200), false}, {0x000000, RGB(16, 16, 16), true},
        {0x000000, RGB(17, 0, 0), false},    {0xFFFFFF, RGB(239, 239, 239), true},
        {0xFFFFFF, RGB(238, 255, 255), false},
    };
    for (const Case& c : cases) {
        BitmapDC image(3, 1, RGB(100, 100, 100));
        SetPixel(image.dc(), 1, 0, c.pixel);
        HBITMAP bitmap = image.Detach();
        HRGN region = BuildRegion(bitmap, c.key, FALSE);
        DeleteObject(bitmap);
        EXPECT_EQ(!PtInRegion(region, 1, 0), c.cut) << std::hex << "key " << c.key << " pixel " << c.pixel;
        EXPECT_TRUE(PtInRegion(region, 0, 0));
        EXPECT_TRUE(PtInRegion(region, 2, 0));
        DeleteObject(region);
    }
}

TEST_F(SkinRegionTest, BatchesAndInverseGiveTheSameRegion)
{
    // A checkerboard row pattern: 50 runs a row, 100 rows, 5000 runs.
    BitmapDC image(100, 100, RGB(0, 255, 0));
    for (int y = 0; y < 100; ++y)
        for (int x = (y & 1); x < 100; x += 2)
            SetPixel(image.dc(), x, y, RGB(200, 0, 0));
    HBITMAP bitmap = image.Detach();
    HRGN batched = BuildRegion(bitmap, 0x00FF00, FALSE);
    HRGN single = BuildRegion(bitmap, 0x00FF00, FALSE, 1u << 30);
    HRGN inverse = BuildRegion(bitmap, 0x00FF00, TRUE);
    DeleteObject(bitmap);
    EXPECT_TRUE(EqualRgn(batched, single));
    EXPECT_TRUE(EqualRgn(batched, inverse));
    EXPECT_EQ(CountInside(batched, 100, 100), 5000);
    EXPECT_TRUE(PtInRegion(batched, 0, 0));
    EXPECT_FALSE(PtInRegion(batched, 1, 0));
    EXPECT_TRUE(PtInRegion(batched, 1, 1));
    DeleteObject(batched);
    DeleteObject(single);
    DeleteObject(inverse);
}

// The image buffer of the shaded button's faces: its layout, colour table
// and pixel addressing, and that what it draws is what it holds.
#include "controls/Dib.h"

#include "gdi/BmpFormat.h"
#include "gdi/GdiObjects.h"
#include "testsupport/MachineFixture.h"
#include "user/Paint.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

RGBQUAD EntryOf(CxDib& dib, int index)
{
    // The colour table lies right before the pixels.
    const BYTE* entry = dib.GetBits() - (dib.GetNumColors() - index) * sizeof(RGBQUAD);
    return {entry[0], entry[1], entry[2], entry[3]};
}

// A memory DC holding a bitmap of the screen's kind, to draw into and read.
class Canvas {
public:
    Canvas(int width, int height)
        : m_screen(::GetDC(nullptr))
        , m_memory(::CreateCompatibleDC(m_screen))
        , m_bitmap(::CreateCompatibleBitmap(m_screen, width, height))
        , m_previous(::SelectObject(m_memory, m_bitmap))
    {
    }
    ~Canvas()
    {
        ::SelectObject(m_memory, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_memory);
        ::ReleaseDC(nullptr, m_screen);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    operator HDC() const { return m_memory; }

private:
    HDC m_screen;
    HDC m_memory;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};

TEST(DibBuffer, CreateLaysOutRowsOnFourByteBoundariesAndRoundsTheDepth)
{
    CxDib dib;
    EXPECT_FALSE(dib.IsValid());
    ASSERT_NE(dib.Create(10, 5, 8), nullptr);
    EXPECT_EQ(dib.GetRowStride(), 12u);
    EXPECT_EQ(dib.GetNumColors(), 256);

    ASSERT_NE(dib.Create(10, 5, 16), nullptr) << "a second Create replaces the first image";
    EXPECT_EQ(dib.GetBitCount(), 24);
    EXPECT_EQ(dib.GetRowStride(), 32u);
    EXPECT_EQ(dib.GetNumColors(), 0);

    dib.Create(7, 3, 0);
    EXPECT_EQ(dib.GetBitCount(), 1);
    EXPECT_EQ(dib.GetNumColors(), 2);
    dib.Create(7, 3, 3);
    EXPECT_EQ(dib.GetBitCount(), 4);
    EXPECT_EQ(dib.GetNumColors(), 16);
}

TEST(DibBuffer, PaletteWritesStayInsideTheTableAndBlendingIsCapped)
{
    CxDib dib;
    dib.Create(4, 4, 4);
    dib.SetPaletteEntry(15, RGB(1, 2, 3));
    dib.SetPaletteEntry(200, RGB(9, 9, 9)); // beyond 16 entries: nothing
    RGBQUAD last = EntryOf(dib, 15);
    EXPECT_EQ(last.rgbRed, 1);
    EXPECT_EQ(last.rgbGreen, 2);
    EXPECT_EQ(last.rgbBlue, 3);
    EXPECT_EQ(last.rgbReserved, 0);

    dib.SetPaletteEntry(0, 100, 100, 100);
    dib.BlendPalette(RGB(200, 0, 50), 150); // counts as 100
    RGBQUAD first = EntryOf(dib, 0);
    EXPECT_EQ(first.rgbRed, 200);
    EXPECT_EQ(first.rgbGreen, 0);
    EXPECT_EQ(first.rgbBlue, 50);

    dib.SetPaletteEntry(1, 100, 100, 100);
    dib.BlendPalette(RGB(200, 0, 50), 25);
    RGBQUAD second = EntryOf(dib, 1);
    EXPECT_EQ(second.rgbRed, (200 * 25 + 100 * 75) / 100);
    EXPECT_EQ(second.rgbGreen, 75);

    // No table: entries and blends are ignored, and the pixels right after
    // the header are left as they are.
    CxDib deep;
    deep.Create(4, 4, 24);
    deep.Clear(7);
    deep.SetPaletteEntry(0, RGB(1, 1, 1));
    deep.SetPaletteEntry(1, RGBQUAD{1, 1, 1, 0});
    deep.SetPaletteEntry(2, 1, 1, 1);
    deep.BlendPalette(RGB(1, 1, 1), 50);
    EXPECT_EQ(deep.GetNumColors(), 0);
    for (DWORD i = 0; i < deep.GetRowStride() * 4; ++i)
        ASSERT_EQ(deep.GetBits()[i], 7) << i;
}

TEST(DibBuffer, TheTopRowIsTheLastInMemoryAndDrawShowsTheColours)
{
    CxDib dib;
    dib.Create(3, 2, 8);
    dib.SetPaletteEntry(0, 0, 0, 0);
    dib.SetPaletteEntry(7, 10, 200, 30);
    dib.Clear(0);
    dib.SetPixelIndex(2, 0, 7);
    dib.SetPixelIndex(3, 0, 7);  // outside: ignored
    dib.SetPixelIndex(-1, 0, 7); // outside: ignored
    const DWORD stride = dib.GetRowStride();
    EXPECT_EQ(dib.GetBits()[stride * 1 + 2], 7) << "row 0 lies at the end of the block";
    EXPECT_EQ(dib.GetBits()[2], 0);

    CxDib copy;
    copy.Clone(dib);
    EXPECT_EQ(copy.GetBits()[stride + 2], 7);

    Canvas memory(10, 10);
    EXPECT_EQ(copy.Draw(memory, 4, 5), 1);
    EXPECT_EQ(::GetPixel(memory, 6, 5), RGB(10, 200, 30));
    EXPECT_EQ(::GetPixel(memory, 5, 5), RGB(0, 0, 0));
    CxDib empty;
    EXPECT_EQ(empty.Draw(memory, 0, 0), 0);
}

} // namespace

namespace {

RGBQUAD Quad(BYTE r, BYTE g, BYTE b)
{
    return {b, g, r, 0};
}

// Red, green and blue of a quad, for comparisons that print readably.
std::array<int, 3> Rgb(RGBQUAD q)
{
    return {q.rgbRed, q.rgbGreen, q.rgbBlue};
}

TEST(DibBuffer, SizesOfTheBlockAndImagesTooLargeForIt)
{
    CxDib dib;
    EXPECT_FALSE(dib.HasInfoHeader()) << "no block, no header to read";
    ASSERT_NE(dib.Create(10, 5, 8), nullptr);
    EXPECT_TRUE(dib.HasInfoHeader());
    EXPECT_EQ(dib.GetPaletteBytes(), 1024);
    EXPECT_EQ(dib.GetTotalBytes(), 40u + 1024 + 60);
    const BYTE* block = static_cast<BYTE*>(dib.Create(10, 5, 8));
    EXPECT_EQ(dib.GetBits() - block, 40 + 1024);

    // Rows of 2^31 pixels, or pixels past 4 GB, get no block rather than
    // one whose sizes wrapped around.
    EXPECT_EQ(dib.Create(0x80000000u, 1, 8), nullptr);
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(dib.Create(70000, 70000, 24), nullptr);
    EXPECT_EQ(dib.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 1), nullptr);
    EXPECT_EQ(dib.GetPixelIndex(0, 0), 0);
    dib.SetPixelIndex(0, 0, 1);
    EXPECT_EQ(dib.WriteBmp("C:\\x.bmp"), 0);
}

TEST(DibBuffer, ClonesOfAnEmptyBufferAndOfItselfAreSafe)
{
    CxDib dib, empty;
    dib.Create(3, 3, 8);
    dib.Clear(9);
    dib.Clone(dib);
    ASSERT_TRUE(dib.IsValid());
    EXPECT_EQ(dib.GetPixelIndex(1, 1), 9) << "a copy of itself keeps the image";

    dib.Clone(empty);
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(dib.GetWidth(), 0u);
    EXPECT_EQ(dib.GetBits(), nullptr);
}

TEST(DibPixels, IndicesOfEveryDepthStayInTheirPixelAndMatchWhatGdiDraws)
{
    CxDib four;
    four.Create(3, 2, 4);
    four.SetGrayPalette();
    four.Clear(0);
    four.SetPixelIndex(1, 0, 0x0A);
    four.SetPixelIndex(2, 1, 0x0F);
    four.SetPixelIndex(0, 0, 200); // beyond 16 entries: ignored
    const DWORD stride = four.GetRowStride();
    EXPECT_EQ(stride, 4u);
    EXPECT_EQ(four.GetBits()[stride], 0x0A) << "the top row is last; x = 1 is the low half of its byte";
    EXPECT_EQ(four.GetBits()[1], 0xF0) << "x = 2 is the high half of the second byte";
    EXPECT_EQ(four.GetPixelIndex(1, 0), 0x0A);
    EXPECT_EQ(four.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(four.GetPixelIndex(3, 0), 0);
    EXPECT_EQ(four.GetPixelIndex(-1, 0), 0);

    CxDib one;
    one.Create(10, 1, 1);
    one.SetGrayPalette();
    one.Clear(0);
    one.SetPixelIndex(9, 0, 1);
    one.SetPixelIndex(1, 0, 1);
    EXPECT_EQ(one.GetBits()[0], 0x40);
    EXPECT_EQ(one.GetBits()[1], 0x40);
    EXPECT_EQ(one.GetPixelColor(9, 0).rgbRed, 255);

    CxDib deep;
    deep.Create(2, 2, 24);
    deep.SetPixelColor(1, 0, RGB(10, 20, 30));
    EXPECT_EQ(Rgb(deep.GetPixelColor(1, 0)), (std::array<int, 3>{10, 20, 30}));
    const BYTE* pixel = deep.GetBits() + deep.GetRowStride() + 3;
    EXPECT_EQ(pixel[0], 30) << "blue first";
    EXPECT_EQ(pixel[2], 10);
    EXPECT_EQ(deep.GetPixelIndex(1, 0), 0) << "no colour table, no index";

    // GDI reads the packed pixels where the buffer put them.
    Canvas memory(12, 4);
    four.Draw(memory, 0, 0);
    one.Draw(memory, 0, 3);
    deep.Draw(memory, 10, 0);
    EXPECT_EQ(::GetPixel(memory, 1, 0), RGB(10, 10, 10));
    EXPECT_EQ(::GetPixel(memory, 2, 1), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(memory, 9, 3), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(memory, 8, 3), RGB(0, 0, 0));
    EXPECT_EQ(::GetPixel(memory, 11, 0), RGB(10, 20, 30));
}

TEST(DibPalette, GreyRampsNearestEntriesAndColoursThroughTheTable)
{
    CxDib dib;
    EXPECT_EQ(Rgb(dib.GetPaletteEntry(0)), (std::array<int, 3>{0, 0, 0})) << "no block";
    dib.Create(4, 4, 8);
    dib.SetGrayPalette();
    EXPECT_EQ(Rgb(dib.GetPaletteEntry(37)), (std::array<int, 3>{37, 37, 37}));
    EXPECT_EQ(Rgb(dib.GetPaletteEntry(255)), (std::array<int, 3>{255, 255, 255}));

    // No exact match: every one of the 256 entries is weighed, the last
    // included.
    EXPECT_EQ(dib.GetNearestIndex(Quad(254, 255, 255)), 255);
    EXPECT_EQ(dib.GetNearestIndex(Quad(100, 101, 102)), 101);
    dib.SetPixelColor(2, 3, RGB(90, 90, 93));
    EXPECT_EQ(dib.GetPixelIndex(2, 3), 91);
    EXPECT_EQ(Rgb(dib.GetPixelColor(2, 3)), (std::array<int, 3>{91, 91, 91}));
    EXPECT_EQ(Rgb(dib.GetPixelColor(4, 3)), (std::array<int, 3>{0, 0, 0})) << "outside";

    // The same colour twice: the first; exactly between two: the lower.
    dib.SetPaletteEntry(7, 0, 0, 200);
    dib.SetPaletteEntry(9, 0, 0, 200);
    EXPECT_EQ(dib.GetNearestIndex(Quad(0, 0, 200)), 7);
    dib.SetPaletteEntry(3, 0, 0, 220);
    EXPECT_EQ(dib.GetNearestIndex(Quad(0, 0, 210)), 3);

    CxDib sixteen, two;
    sixteen.Create(1, 1, 4);
    sixteen.SetGrayPalette();
    EXPECT_EQ(sixteen.GetPaletteEntry(14).rgbRed, 14);
    EXPECT_EQ(sixteen.GetPaletteEntry(15).rgbRed, 255);
    EXPECT_EQ(sixteen.GetPaletteEntry(16).rgbRed, 0) << "beyond the table";
    two.Create(1, 1, 1);
    two.SetGrayPalette();
    EXPECT_EQ(two.GetPaletteEntry(0).rgbRed, 0);
    EXPECT_EQ(two.GetPaletteEntry(1).rgbRed, 255);

    dib.SetPaletteEntry(0, 100, 100, 100);
    dib.BlendPalette(RGB(0, 0, 0), 0);
    EXPECT_EQ(dib.GetPaletteEntry(0).rgbRed, 100) << "0 percent leaves the table";
    dib.BlendPalette(RGB(0, 0, 0), -50);
    EXPECT_EQ(dib.GetPaletteEntry(0).rgbRed, 100) << "below 0 counts as 0";
}

TEST(DibColor, HueSaturationAndLightnessOnTheScaleOf240)
{
    auto hsl = [](BYTE r, BYTE g, BYTE b) {
        RGBQUAD q = CxDib::RgbToHsl(Quad(r, g, b));
        return std::array<int, 3>{q.rgbRed, q.rgbGreen, q.rgbBlue}; // H, S, L
    };
    EXPECT_EQ(hsl(255, 0, 0), (std::array<int, 3>{0, 240, 120}));
    EXPECT_EQ(hsl(0, 255, 0)[0], 80);
    EXPECT_EQ(hsl(0, 0, 255)[0], 160);
    EXPECT_EQ(hsl(128, 128, 128), (std::array<int, 3>{160, 0, 120}));
    EXPECT_EQ(hsl(255, 128, 0)[0], 20);
    EXPECT_EQ(Rgb(CxDib::HslToRgb(CxDib::RgbToHsl(Quad(128, 128, 128)))), (std::array<int, 3>{127, 127, 127}));
    EXPECT_EQ(Rgb(CxDib::HslToRgb(CxDib::RgbToHsl(Quad(255, 128, 0)))), (std::array<int, 3>{255, 128, 0}));

    // A red leaning to blue lies just below the top of the hue circle and
    // comes back as nearly itself (the scale of 240 rounds blue 10 to 13),
    // not as the orange (255, 89, 0) of hue 14.
    EXPECT_EQ(hsl(255, 0, 10)[0], 238);
    EXPECT_EQ(Rgb(CxDib::HslToRgb(CxDib::RgbToHsl(Quad(255, 0, 10)))), (std::array<int, 3>{255, 0, 13}));

    // Light colours take the other saturation formula; they and white come
    // back as themselves.
    EXPECT_EQ(hsl(255, 200, 200), (std::array<int, 3>{0, 240, 214}));
    EXPECT_EQ(Rgb(CxDib::HslToRgb(CxDib::RgbToHsl(Quad(255, 200, 200)))), (std::array<int, 3>{255, 200, 200}));
    EXPECT_EQ(hsl(255, 255, 255), (std::array<int, 3>{160, 0, 240}));
    EXPECT_EQ(Rgb(CxDib::HslToRgb(CxDib::RgbToHsl(Quad(255, 255, 255)))), (std::array<int, 3>{255, 255, 255}));

    // The COLORREF form holds H, S and L from the low byte up.
    EXPECT_EQ(Rgb(CxDib::HslToRgb(COLORREF{20 | (240 << 8) | (120 << 16)})), (std::array<int, 3>{255, 128, 0}));
    // Values past the scale stay within a byte: green works out at 288,
    // which would wrap to 32.
    EXPECT_EQ(CxDib::HslToRgb(Quad(0, 255, 255)).rgbGreen, 255);

    // One channel: up the ramp, the plateau, down the ramp, the floor;
    // hues wrap into 0..240.
    EXPECT_EQ(CxDib::HueToChannel(0, 240, 20), 120);
    EXPECT_EQ(CxDib::HueToChannel(0, 240, 100), 240);
    EXPECT_EQ(CxDib::HueToChannel(0, 240, 140), 120);
    EXPECT_EQ(CxDib::HueToChannel(0, 240, 200), 0);
    EXPECT_EQ(CxDib::HueToChannel(0, 240, 260), 120);
    EXPECT_EQ(CxDib::HueToChannel(0, 240, -60), 0);

    EXPECT_EQ(CxDib::QuadToColorRef(Quad(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(Rgb(CxDib::ColorRefToQuad(RGB(4, 5, 6))), (std::array<int, 3>{4, 5, 6}));
    EXPECT_EQ(CxDib::ColorRefToQuad(RGB(4, 5, 6)).rgbBlue, 6);
}

TEST(DibDrawing, StretchScalesTheWholeImageIntoTheRectangle)
{
    CxDib dib;
    dib.Create(2, 1, 8);
    dib.SetPaletteEntry(1, 200, 0, 0);
    dib.SetPaletteEntry(2, 0, 0, 200);
    dib.SetPixelIndex(0, 0, 1);
    dib.SetPixelIndex(1, 0, 2);

    Canvas memory(8, 4);
    ::PatBlt(memory, 0, 0, 8, 4, WHITENESS);
    EXPECT_EQ(dib.Stretch(memory, 2, 1, 4, 2), 1);
    EXPECT_EQ(::GetPixel(memory, 2, 1), RGB(200, 0, 0));
    EXPECT_EQ(::GetPixel(memory, 3, 2), RGB(200, 0, 0));
    EXPECT_EQ(::GetPixel(memory, 4, 2), RGB(0, 0, 200));
    EXPECT_EQ(::GetPixel(memory, 5, 1), RGB(0, 0, 200));
    EXPECT_EQ(::GetPixel(memory, 6, 1), RGB(255, 255, 255));
    EXPECT_EQ(dib.Stretch(nullptr, 0, 0, 4, 4), 0);
    CxDib empty;
    EXPECT_EQ(empty.Stretch(memory, 0, 0, 4, 4), 0);
}

class DibFile : public testsupport::MachineFixture {};

TEST_F(DibFile, WriteBmpFillsAnExistingFileThatTheBmpReaderReadsBack)
{
    CxDib dib;
    dib.Create(3, 2, 8);
    dib.SetGrayPalette();
    dib.SetPaletteEntry(5, 10, 120, 230);
    dib.Clear(0);
    dib.SetPixelIndex(2, 0, 5);

    EXPECT_EQ(dib.WriteBmp("C:\\face.bmp"), 0) << "the file must exist already";
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\face.bmp")));
    EXPECT_EQ(dib.WriteBmp(""), 0);
    EXPECT_EQ(dib.WriteBmp(("C:\\" + std::string(300, 'a') + ".bmp").c_str()), 0);

    WriteHostFile(Host(u"C:\\face.bmp"), std::string(5000, 'x'));
    ASSERT_EQ(dib.WriteBmp("c:\\FACE.bmp"), 1);
    const std::string bytes = ReadHostFile(Host(u"C:\\face.bmp"));
    ASSERT_EQ(bytes.size(), 14u + 40 + 1024 + 8) << "the old, longer content is gone";
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    auto dword = [&](std::size_t at) {
        DWORD v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<BYTE>(bytes[at + static_cast<std::size_t>(i)]);
        return v;
    };
    EXPECT_EQ(dword(2), 14u + 40 + 1024 + 8);
    EXPECT_EQ(dword(6), 0u);
    EXPECT_EQ(dword(10), 14u + 40 + 1024);

    auto read = gdi::ParseBmp({reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()});
    ASSERT_TRUE(read.image) << read.error;
    EXPECT_EQ(read.layout.width, 3);
    EXPECT_EQ(read.layout.height, 2);
    EXPECT_EQ(read.layout.bitCount, 8);
    EXPECT_EQ(gdi::ColorFromPixel(read.image->At(2, 0)), RGB(10, 120, 230));
    EXPECT_EQ(gdi::ColorFromPixel(read.image->At(2, 1)), RGB(0, 0, 0));

    // Without a colour table the pixels follow the 54 bytes of the headers.
    CxDib deep;
    deep.Create(3, 2, 24);
    deep.Clear(0);
    deep.SetPixelColor(0, 0, RGB(200, 100, 50));
    ASSERT_EQ(deep.WriteBmp("C:\\face.bmp"), 1);
    const std::string deepBytes = ReadHostFile(Host(u"C:\\face.bmp"));
    ASSERT_EQ(deepBytes.size(), 14u + 40 + 12 * 2);
    auto deepRead = gdi::ParseBmp({reinterpret_cast<const BYTE*>(deepBytes.data()), deepBytes.size()});
    ASSERT_TRUE(deepRead.image) << deepRead.error;
    EXPECT_EQ(deepRead.layout.bitCount, 24);
    EXPECT_EQ(gdi::ColorFromPixel(deepRead.image->At(0, 0)), RGB(200, 100, 50));
    EXPECT_EQ(static_cast<BYTE>(deepBytes[10]), 54);
}

// Rows of the smallest images round up to four bytes; an image without
// columns or rows holds a block but no pixel to read or write.
TEST(DibBuffer, SmallAndEmptyImagesKeepTheirRowsAndPixelsInBounds)
{
    CxDib dib;
    const struct {
        DWORD width;
        WORD bits;
        DWORD stride;
    } rows[] = {{1, 1, 4}, {32, 1, 4}, {33, 1, 8}, {1, 4, 4}, {9, 4, 8}, {1, 8, 4}, {5, 8, 8}, {1, 24, 4}, {3, 24, 12},
                {5, 24, 16}};
    for (const auto& row : rows) {
        ASSERT_NE(dib.Create(row.width, 2, row.bits), nullptr);
        EXPECT_EQ(dib.GetRowStride(), row.stride) << row.width << " x " << row.bits;
        EXPECT_EQ(dib.GetTotalBytes(), 40u + dib.GetPaletteBytes() + row.stride * 2);
    }

    dib.Create(1, 1, 8);
    dib.SetGrayPalette();
    dib.SetPixelIndex(0, 0, 200);
    EXPECT_EQ(dib.GetPixelIndex(0, 0), 200);
    EXPECT_EQ(dib.GetBits()[0], 200);
    EXPECT_EQ(dib.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(dib.GetPixelIndex(0, 1), 0);
    EXPECT_EQ(dib.GetPixelIndex(0, -1), 0);

    for (auto [w, h] : {std::pair{0u, 5u}, std::pair{5u, 0u}}) {
        ASSERT_NE(dib.Create(w, h, 8), nullptr);
        EXPECT_TRUE(dib.IsValid());
        EXPECT_EQ(dib.GetTotalBytes(), 40u + 1024 + dib.GetRowStride() * h);
        dib.Clear(5);
        dib.SetPixelIndex(0, 0, 5);
        EXPECT_EQ(dib.GetPixelIndex(0, 0), 0);
        EXPECT_EQ(Rgb(dib.GetPixelColor(0, 0)), (std::array<int, 3>{0, 0, 0}));
        CxDib copy;
        copy.Clone(dib);
        EXPECT_EQ(copy.GetWidth(), w);
        EXPECT_EQ(copy.GetHeight(), h);
    }
}

} // namespace

#include "GdiTest.h"

#include "gdi/BmpFormat.h"
#include "testsupport/MachineFixture.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A BMP file built byte by byte: the file header, a 40-byte info header
// (or 12-byte core header), optional masks, a palette and the rows.
struct BmpBuilder {
    BmpBuilder(int w, int h, int bits, DWORD comp = BI_RGB, std::vector<DWORD> m = {})
        : width(w), height(h), bitCount(bits), compression(comp), masks(std::move(m))
    {
    }
    int width = 0;
    int height = 0; // negative: top-down
    int bitCount = 24;
    DWORD compression = BI_RGB;
    std::vector<DWORD> masks;
    std::vector<RGBQUAD> palette;
    std::vector<BYTE> rows;

    std::vector<BYTE> Build() const
    {
        std::vector<BYTE> out;
        auto w16 = [&](unsigned v) {
            out.push_back(v & 0xFF);
            out.push_back((v >> 8) & 0xFF);
        };
        auto w32 = [&](DWORD v) {
            for (int i = 0; i < 4; ++i)
                out.push_back((v >> (8 * i)) & 0xFF);
        };
        DWORD offBits = 14 + 40 + 4 * static_cast<DWORD>(masks.size() + palette.size());
        w16(0x4D42);
        w32(offBits + static_cast<DWORD>(rows.size()));
        w32(0);
        w32(offBits);
        w32(40);
        w32(static_cast<DWORD>(width));
        w32(static_cast<DWORD>(height));
        w16(1);
        w16(bitCount);
        w32(compression);
        w32(static_cast<DWORD>(rows.size()));
        w32(0);
        w32(0);
        w32(static_cast<DWORD>(palette.size()));
        w32(0);
        for (DWORD m : masks)
            w32(m);
        for (const RGBQUAD& q : palette) {
            out.push_back(q.rgbBlue);
            out.push_back(q.rgbGreen);
            out.push_back(q.rgbRed);
            out.push_back(0);
        }
        out.insert(out.end(), rows.begin(), rows.end());
        return out;
    }
};

gdi::Pixel Rgb(BYTE r, BYTE g, BYTE b) { return (static_cast<gdi::Pixel>(r) << 16) | (g << 8) | b; }

} // namespace

TEST(BmpFormatTest, DecodesPaletteDepths)
{
    // 1-bit, 3 x 2, bottom-up: bottom row 1 0 1, top row 0 1 0.
    BmpBuilder one{3, 2, 1};
    one.palette = {{0, 0, 255, 0}, {0, 255, 0, 0}}; // red, green
    one.rows = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};
    auto r1 = gdi::ParseBmp(one.Build());
    ASSERT_TRUE(r1.image) << r1.error;
    EXPECT_EQ(r1.image->At(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(r1.image->At(1, 0), Rgb(0, 255, 0));
    EXPECT_EQ(r1.image->At(0, 1), Rgb(0, 255, 0));
    EXPECT_EQ(r1.image->At(1, 1), Rgb(255, 0, 0));

    // 4-bit, top-down, 3 x 1: indexes 2, 1, 15 (15 is past a 3-colour table: black).
    BmpBuilder four{3, -1, 4};
    four.palette = {{0, 0, 0, 0}, {10, 20, 30, 0}, {40, 50, 60, 0}};
    four.rows = {0x21, 0xF0, 0, 0};
    auto r4 = gdi::ParseBmp(four.Build());
    ASSERT_TRUE(r4.image) << r4.error;
    EXPECT_EQ(r4.image->At(0, 0), Rgb(60, 50, 40));
    EXPECT_EQ(r4.image->At(1, 0), Rgb(30, 20, 10));
    EXPECT_EQ(r4.image->At(2, 0), 0u);

    // 8-bit with a full table, 2 x 2 bottom-up, rows padded to 4 bytes.
    BmpBuilder eight{2, 2, 8};
    for (int i = 0; i < 256; ++i)
        eight.palette.push_back({static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0});
    eight.rows = {1, 2, 0, 0, 3, 4, 0, 0};
    auto r8 = gdi::ParseBmp(eight.Build());
    ASSERT_TRUE(r8.image) << r8.error;
    EXPECT_EQ(r8.image->At(0, 0), Rgb(7, 252, 3));
    EXPECT_EQ(r8.image->At(1, 1), Rgb(7, 253, 2));
}

TEST(BmpFormatTest, DecodesDirectColourDepthsAndBitfields)
{
    // 16-bit BI_RGB is 5-5-5.
    BmpBuilder rgb555{2, 1, 16};
    rgb555.rows = {0x00, 0x7C, 0x1F, 0x00}; // red, blue
    auto a = gdi::ParseBmp(rgb555.Build());
    ASSERT_TRUE(a.image) << a.error;
    EXPECT_EQ(a.image->At(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(a.image->At(1, 0), Rgb(0, 0, 255));

    // 16-bit 5-6-5 bitfields.
    BmpBuilder rgb565{2, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}};
    rgb565.rows = {0xE0, 0x07, 0x00, 0xF8}; // green, red
    auto b = gdi::ParseBmp(rgb565.Build());
    ASSERT_TRUE(b.image) << b.error;
    EXPECT_EQ(b.image->At(0, 0), Rgb(0, 255, 0));
    EXPECT_EQ(b.image->At(1, 0), Rgb(255, 0, 0));

    // 24-bit, 1 x 2 bottom-up, rows padded.
    BmpBuilder rgb24{1, 2, 24};
    rgb24.rows = {1, 2, 3, 0, 4, 5, 6, 0};
    auto c = gdi::ParseBmp(rgb24.Build());
    ASSERT_TRUE(c.image) << c.error;
    EXPECT_EQ(c.image->At(0, 0), Rgb(6, 5, 4));
    EXPECT_EQ(c.image->At(0, 1), Rgb(3, 2, 1));

    // 32-bit bitfields in another channel order.
    BmpBuilder rgb32{1, 1, 32, BI_BITFIELDS, {0x000000FF, 0x0000FF00, 0x00FF0000}};
    rgb32.rows = {10, 20, 30, 0};
    auto d = gdi::ParseBmp(rgb32.Build());
    ASSERT_TRUE(d.image) << d.error;
    EXPECT_EQ(d.image->At(0, 0) & 0xFFFFFF, Rgb(10, 20, 30));
}

TEST(BmpFormatTest, DamagedFilesFailWithAReason)
{
    BmpBuilder good{4, 4, 24};
    good.rows.assign(4 * 12, 0x33);
    std::vector<BYTE> bytes = good.Build();
    ASSERT_TRUE(gdi::ParseBmp(bytes).image);

    auto fails = [](std::vector<BYTE> file, const char* why) {
        auto r = gdi::ParseBmp(file);
        EXPECT_FALSE(r.image) << why;
        EXPECT_FALSE(r.error.empty()) << why;
    };
    fails(std::vector<BYTE>(bytes.begin(), bytes.begin() + 20), "truncated header");
    fails(std::vector<BYTE>(bytes.begin(), bytes.end() - 1), "truncated pixels");
    auto badMagic = bytes;
    badMagic[0] = 'X';
    fails(badMagic, "not BM");
    auto badOffset = bytes;
    badOffset[10] = 0xFF;
    badOffset[11] = 0xFF;
    fails(badOffset, "pixel offset past the end");
    auto overlapping = bytes;
    overlapping[10] = 20;
    overlapping[11] = 0;
    fails(overlapping, "pixel offset inside the header");
    auto huge = bytes;
    huge[18 + 3] = 0x7F; // width 0x7F000004
    fails(huge, "absurd width");
    auto zeroHeight = bytes;
    std::memset(zeroHeight.data() + 22, 0, 4);
    fails(zeroHeight, "zero height");
    auto depth = bytes;
    depth[28] = 7;
    fails(depth, "bit count 7");
    auto rle = bytes;
    rle[30] = BI_RLE8;
    fails(rle, "compressed");

    BmpBuilder bigTable{2, 1, 4};
    bigTable.palette.assign(17, RGBQUAD{});
    bigTable.rows = {0, 0, 0, 0};
    fails(bigTable.Build(), "a 4-bit colour table of 17 entries");

    BmpBuilder badMasks{1, 1, 16, BI_BITFIELDS, {0xF0F0, 0, 0}};
    badMasks.rows = {0, 0, 0, 0};
    fails(badMasks.Build(), "a mask that is not one run of bits");

    // Random damage never reads out of bounds (the sanitizer build checks).
    std::mt19937 rng(3);
    for (int i = 0; i < 2000; ++i) {
        auto damaged = bytes;
        damaged[rng() % damaged.size()] = static_cast<BYTE>(rng());
        damaged.resize(rng() % (damaged.size() + 1));
        gdi::ParseBmp(damaged);
    }
}

TEST(BmpFormatTest, EncodedFilesRoundTripIn24And32Bits)
{
    std::mt19937 rng(11);
    for (int bits : {24, 32}) {
        for (bool topDown : {false, true}) {
            gdi::Surface image(5, 3); // odd width: 24-bit rows need padding
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    image.Set(x, y, rng() & (bits == 32 ? 0xFFFFFFFF : 0xFFFFFF));
            auto file = gdi::EncodeBmp(image, bits, topDown);
            auto back = gdi::ParseBmp(file);
            ASSERT_TRUE(back.image) << back.error;
            EXPECT_EQ(back.layout.bitCount, bits);
            EXPECT_EQ(back.layout.topDown, topDown);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    EXPECT_EQ(back.image->At(x, y), image.At(x, y)) << bits << " bits at " << x << "," << y;
        }
    }
}

class LoadImageTest : public testsupport::MachineFixture {};

TEST_F(LoadImageTest, LoadsABmpFileByItsWindowsPath)
{
    gdi::ObjectCounts before = gdi::LiveObjectCounts();
    BmpBuilder bmp{2, 2, 24};
    // Bottom row red, green; top row blue, white; each row padded to 8 bytes.
    bmp.rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    std::vector<BYTE> bytes = bmp.Build();
    std::filesystem::create_directories(Host(u"C:\\Program Files\\Pellinor"));
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\main.bmp"), std::string(bytes.begin(), bytes.end()));

    // Names resolve case-insensitively.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, u"c:\\program files\\pellinor\\MAIN.BMP", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObject(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBits, nullptr) << "a device-dependent bitmap exposes no bits";
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0)); // bottom row first in the file
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);

    HBITMAP section = static_cast<HBITMAP>(LoadImageW(nullptr, u"C:\\Program Files\\Pellinor\\main.bmp", IMAGE_BITMAP,
                                                      0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(section, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(section, sizeof ds, &ds), static_cast<int>(sizeof ds));
    ASSERT_NE(ds.dsBm.bmBits, nullptr);
    EXPECT_GT(ds.dsBmih.biHeight, 0) << "bottom-up, as the file";
    // The first row in memory is the image's bottom row.
    const BYTE* bits = static_cast<const BYTE*>(ds.dsBm.bmBits);
    EXPECT_EQ(bits[2], 255);
    EXPECT_EQ(bits[1], 0);
    DeleteObject(section);

    // A size asked for scales the picture; LR_MONOCHROME makes it black and white.
    HBITMAP scaled = static_cast<HBITMAP>(
        LoadImageW(nullptr, u"C:\\Program Files\\Pellinor\\main.bmp", IMAGE_BITMAP, 4, 6, LR_LOADFROMFILE));
    ASSERT_NE(scaled, nullptr);
    GetObject(scaled, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 6);
    DeleteObject(scaled);
    HBITMAP mono = static_cast<HBITMAP>(LoadImageW(nullptr, u"C:\\Program Files\\Pellinor\\main.bmp", IMAGE_BITMAP,
                                                   0, 0, LR_LOADFROMFILE | LR_MONOCHROME));
    ASSERT_NE(mono, nullptr);
    GetObject(mono, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    DeleteObject(mono);

    EXPECT_EQ(LoadImageW(nullptr, u"C:\\Program Files\\Pellinor\\missing.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
              nullptr);
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\broken.bmp"), "BM not really");
    EXPECT_EQ(LoadImageW(nullptr, u"C:\\Program Files\\Pellinor\\broken.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
              nullptr);
    EXPECT_EQ(gdi::LiveObjectCounts().Total(), before.Total());
}

// Found by the BMP fuzz target: 79 bytes that claim 20228 x 8194 pixels of
// 8 bits made the decoder fill a surface of 660 MB before it saw that the
// file holds 8 bytes of them.
TEST(BmpFuzzFindings, ASmallFileClaimingAHugePictureIsRefusedWithoutItsMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own mappings count against a data limit";
#else
    const std::vector<BYTE> file = {
        0x42, 0x4D, 0x4E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x00,
        0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x04, 0x4F, 0x00, 0x00, 0x02, 0x20,
        0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00,
        0x00, 0x00, 0x13, 0x0B, 0x00, 0x00, 0x13, 0x0B, 0x00, 0x00, 0x04, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x00,
        0x00, 0x01, 0xCD, 0x03, 0x02, 0x01, 0x00,
    };
    // With 256 MB more data than the process has, the surface could not be
    // made: a decoder that made it first fails with bad_alloc.
    rlimit before{};
    getrlimit(RLIMIT_DATA, &before);
    rlimit limit = before;
    std::size_t used = 0;
    if (FILE* status = std::fopen("/proc/self/statm", "r")) {
        unsigned long pages = 0;
        if (std::fscanf(status, "%lu", &pages) == 1)
            used = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        std::fclose(status);
    }
    limit.rlim_cur = used + (256u << 20);
    ASSERT_EQ(setrlimit(RLIMIT_DATA, &limit), 0);
    gdi::DibResult result;
    EXPECT_NO_THROW(result = gdi::ParseBmp(file));
    setrlimit(RLIMIT_DATA, &before);
    EXPECT_EQ(result.image, nullptr);
    EXPECT_EQ(result.error, "DIB pixels are truncated");
#endif
}

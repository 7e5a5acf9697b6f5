#include "GdiTest.h"

#include "gdi/IconFile.h"

#include <vector>

namespace {

// The colour and mask pixels of an icon, and its size.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::shared_ptr<gdi::Surface> color;
    std::vector<bool> transparent; // the AND mask, row by row
    bool Transparent(int x, int y) const { return transparent[static_cast<std::size_t>(y) * width + x]; }
};

IconPixels Read(HICON icon)
{
    IconPixels out;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return out;
    out.color = gdi::SurfaceOfBitmap(info.hbmColor)->Clone();
    out.width = out.color->Width();
    out.height = out.color->Height();
    // The mask is monochrome: read through a DC.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmMask);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.transparent.push_back(GetPixel(dc, x, y) == RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return out;
}

} // namespace

class IconFileWriterTest : public GdiTest {};

TEST_F(IconFileWriterTest, ThirtyTwoBitImagesKeepColourAndAlphaAndMaskTheTransparentPixels)
{
    gdi::Surface image(3, 2);
    image.Set(0, 0, 0xFFFF0000);
    image.Set(1, 0, 0xC80000FF);
    image.Set(2, 0, 0x00123456);
    image.Set(0, 1, 0x7F00FF00); // alpha just under half: transparent in the mask
    image.Set(1, 1, 0x80FFFFFF);
    gdi::IconFileImage entry{&image, 32};
    std::vector<BYTE> file = gdi::EncodeIconFile({&entry, 1});

    HICON icon = gdi::LoadIconFile(file, TRUE, 0, 0);
    ASSERT_NE(icon, nullptr);
    IconPixels read = Read(icon);
    DestroyIcon(icon);
    ASSERT_EQ(read.width, 3);
    ASSERT_EQ(read.height, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(read.color->At(x, y), image.At(x, y)) << x << "," << y;
            bool transparent = (image.At(x, y) >> 24) < 128;
            EXPECT_EQ(read.Transparent(x, y), transparent) << x << "," << y;
        }
}

TEST_F(IconFileWriterTest, EightBitImagesTakeTheNearestPaletteColourAndBlackWhereTransparent)
{
    EXPECT_EQ(gdi::IconPaletteEntry(0).rgbRed, 0);
    RGBQUAD white = gdi::IconPaletteEntry(255);
    EXPECT_EQ(white.rgbRed + white.rgbGreen + white.rgbBlue, 3 * 255);

    gdi::Surface image(9, 1); // a width whose rows need padding
    image.Fill(0xFF000000);
    image.Set(0, 0, 0xFFFA0503); // nearly red
    image.Set(1, 0, 0xFF7F7F7F); // a grey between the cube's levels
    image.Set(2, 0, 0x00FFFFFF); // transparent
    image.Set(8, 0, 0xFF3333CC);
    gdi::IconFileImage entry{&image, 8};
    std::vector<BYTE> file = gdi::EncodeIconFile({&entry, 1});

    HICON icon = gdi::LoadIconFile(file, TRUE, 0, 0);
    ASSERT_NE(icon, nullptr);
    IconPixels read = Read(icon);
    DestroyIcon(icon);
    ASSERT_EQ(read.width, 9);
    EXPECT_EQ(read.color->At(0, 0) & 0xFFFFFF, 0xFF0000u);
    gdi::Pixel grey = read.color->At(1, 0) & 0xFFFFFF;
    EXPECT_EQ(grey >> 16, grey & 0xFF) << "a grey stays grey";
    EXPECT_NEAR(static_cast<int>(grey & 0xFF), 0x7F, 4);
    EXPECT_EQ(read.color->At(2, 0) & 0xFFFFFF, 0u);
    EXPECT_TRUE(read.Transparent(2, 0));
    EXPECT_FALSE(read.Transparent(8, 0));
    EXPECT_EQ(read.color->At(8, 0) & 0xFFFFFF, 0x3333CCu);
}

TEST_F(IconFileWriterTest, ADirectoryOfSizesGivesTheImageNearestTheSizeAsked)
{
    std::vector<std::unique_ptr<gdi::Surface>> surfaces;
    std::vector<gdi::IconFileImage> entries;
    for (int size : {16, 32, 255, 256}) {
        surfaces.push_back(std::make_unique<gdi::Surface>(size, size));
        surfaces.back()->Fill(0xFF000000 | static_cast<gdi::Pixel>(size));
        entries.push_back({surfaces.back().get(), size == 16 ? 8 : 32});
    }
    std::vector<BYTE> file = gdi::EncodeIconFile(entries);
    ASSERT_GE(file.size(), 6u + 4 * 16);
    EXPECT_EQ(file[4], 4);
    EXPECT_EQ(file[6 + 2 * 16], 255) << "255 is written as it is";
    EXPECT_EQ(file[6 + 3 * 16], 0) << "256 is written as 0";

    for (int size : {16, 32, 255, 256}) {
        HICON icon = gdi::LoadIconFile(file, TRUE, size, size);
        ASSERT_NE(icon, nullptr) << size;
        IconPixels read = Read(icon);
        DestroyIcon(icon);
        EXPECT_EQ(read.width, size);
        EXPECT_EQ(read.height, size);
        if (size != 16) {
            EXPECT_EQ(read.color->At(size - 1, size - 1) & 0xFF, static_cast<gdi::Pixel>(size & 0xFF));
        }
    }
}

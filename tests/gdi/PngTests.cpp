#include "gdi/PngFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

TEST(PngTest, WrittenFilesReadBackPixelForPixel)
{
    auto dir = std::filesystem::temp_directory_path() / ("gdi_png_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::mt19937 rng(5);
    for (bool bottomUp : {false, true}) {
        gdi::Surface image(7, 5, bottomUp);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                image.Set(x, y, rng());
        auto path = dir / (bottomUp ? "bottom.png" : "top.png");
        std::string error;
        ASSERT_TRUE(gdi::WritePng(image, path, &error)) << error;
        auto back = gdi::ReadPng(path, &error);
        ASSERT_TRUE(back) << error;
        ASSERT_EQ(back->Width(), 7);
        ASSERT_EQ(back->Height(), 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                EXPECT_EQ(back->At(x, y) & 0xFFFFFF, image.At(x, y) & 0xFFFFFF) << x << "," << y;
                EXPECT_EQ(back->At(x, y) >> 24, 0xFFu) << "an RGB file reads as opaque";
            }
    }
    std::string error;
    EXPECT_FALSE(gdi::ReadPng(dir / "missing.png", &error));
    EXPECT_FALSE(error.empty());
    {
        std::ofstream(dir / "junk.png") << "\x89PNG\r\n\x1a\n but then nothing";
    }
    EXPECT_FALSE(gdi::ReadPng(dir / "junk.png", &error));
    EXPECT_FALSE(gdi::WritePng(gdi::Surface(0, 0), dir / "empty.png", &error));
    EXPECT_FALSE(gdi::WritePng(gdi::Surface(1, 1), dir / "no" / "such" / "dir.png", &error));
    std::filesystem::remove_all(dir);
}

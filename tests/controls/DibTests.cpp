// The image buffer of the shaded button's faces: its layout, colour table
// and pixel addressing, and that what it draws is what it holds.
#include "controls/Dib.h"

#include "gdi/GdiObjects.h"
#include "user/Paint.h"

#include <gtest/gtest.h>

namespace {

RGBQUAD EntryOf(CxDib& dib, int index)
{
    // The colour table lies right before the pixels.
    const BYTE* entry = dib.GetBits() - (dib.GetNumColors() - index) * sizeof(RGBQUAD);
    return {entry[0], entry[1], entry[2], entry[3]};
}

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

    CxDib deep;
    deep.Create(4, 4, 24);
    deep.SetPaletteEntry(0, RGB(1, 1, 1)); // no table: ignored, nothing written
    deep.BlendPalette(RGB(1, 1, 1), 50);
    EXPECT_EQ(deep.GetNumColors(), 0);
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

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP target = ::CreateCompatibleBitmap(screen, 10, 10);
    HGDIOBJ previous = ::SelectObject(memory, target);
    EXPECT_EQ(copy.Draw(memory, 4, 5), 1);
    EXPECT_EQ(::GetPixel(memory, 6, 5), RGB(10, 200, 30));
    EXPECT_EQ(::GetPixel(memory, 5, 5), RGB(0, 0, 0));
    CxDib empty;
    EXPECT_EQ(empty.Draw(memory, 0, 0), 0);
    ::SelectObject(memory, previous);
    ::DeleteObject(target);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

} // namespace

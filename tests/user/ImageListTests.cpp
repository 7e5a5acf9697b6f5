// Image lists: adding bitmaps and icons, masks, and the pixels they draw.
#include "ControlTest.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kPaper = RGB(250, 250, 250);

// A bitmap of `count` 16 x 16 images side by side: image i is red in its
// left half and `right` in its right half, with a blue pixel at (i, 0).
HBITMAP Strip(int count, COLORREF right, int extraWidth = 0)
{
    BitmapDC canvas(16 * count + extraWidth, 16, right);
    HBRUSH red = CreateSolidBrush(kRed);
    for (int i = 0; i < count; ++i) {
        RECT left = {16 * i, 0, 16 * i + 8, 16};
        FillRect(canvas.dc(), &left, red);
        SetPixel(canvas.dc(), 16 * i + i, 0, kBlue);
    }
    DeleteObject(red);
    return canvas.Detach();
}

// A 16 x 16 icon: opaque red on the left, transparent on the right.
HICON HalfIcon()
{
    HBITMAP color = Strip(1, RGB(0, 0, 0));
    // Mask rows of 16 bits: 0 (opaque) for the left 8 pixels, 1 (transparent) for the right.
    BYTE bits[32];
    for (int y = 0; y < 16; ++y) {
        bits[2 * y] = 0x00;
        bits[2 * y + 1] = 0xFF;
    }
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, bits);
    ICONINFO info = {TRUE, 8, 8, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

class ImageListTest : public GdiTest {};

} // namespace

TEST_F(ImageListTest, ABitmapAddsOneImagePerWholeWidthAndDrawsItsPixels)
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR8, 0, 0);
    ASSERT_NE(list, nullptr);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    HBITMAP two = Strip(2, kKey, 5); // the 5 pixels beyond the second image are dropped
    EXPECT_EQ(ImageList_Add(list, two, nullptr), 0);
    EXPECT_EQ(ImageList_Add(list, two, nullptr), 2);
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    HBITMAP narrow = CreateBitmap(10, 16, 1, 32, nullptr);
    EXPECT_EQ(ImageList_Add(list, narrow, nullptr), -1);
    DeleteObject(narrow);
    DeleteObject(two);

    BitmapDC canvas(40, 20, kPaper);
    ASSERT_TRUE(ImageList_Draw(list, 1, canvas.dc(), 4, 2, ILD_NORMAL));
    EXPECT_EQ(canvas.At(4, 2), kRed);
    EXPECT_EQ(canvas.At(5, 2), kBlue); // image 1's own mark
    EXPECT_EQ(canvas.At(11, 10), kRed);
    EXPECT_EQ(canvas.At(12, 10), kKey); // without a mask every pixel is drawn
    EXPECT_EQ(canvas.At(19, 17), kKey);
    EXPECT_EQ(canvas.At(3, 2), kPaper);
    EXPECT_EQ(canvas.At(20, 10), kPaper);
    EXPECT_EQ(canvas.At(10, 18), kPaper);
    EXPECT_FALSE(ImageList_Draw(list, 4, canvas.dc(), 0, 0, ILD_NORMAL));

    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL));
}

TEST_F(ImageListTest, AMaskColourMakesTransparentPixels)
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    HBITMAP strip = Strip(1, kKey);
    EXPECT_EQ(ImageList_AddMasked(list, strip, kKey), 0);
    DeleteObject(strip);

    BitmapDC canvas(20, 20, kPaper);
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.At(2, 5), kRed);
    EXPECT_EQ(canvas.At(12, 5), kPaper);

    // ILD_NORMAL fills the transparent part with the list's background, when it has one.
    BitmapDC filled(20, 20, kPaper);
    ImageList_Draw(list, 0, filled.dc(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(filled.At(12, 5), kPaper);
    EXPECT_EQ(ImageList_SetBkColor(list, kBlue), CLR_NONE);
    ImageList_Draw(list, 0, filled.dc(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(filled.At(12, 5), kBlue);
    // DrawEx: an explicit background, and only part of the image.
    BitmapDC part(20, 20, kPaper);
    ImageList_DrawEx(list, 0, part.dc(), 0, 0, 10, 4, RGB(0, 128, 0), CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(part.At(9, 3), RGB(0, 128, 0));
    EXPECT_EQ(part.At(9, 4), kPaper);
    EXPECT_EQ(part.At(10, 3), kPaper);

    // ILD_MASK shows the mask: black where opaque, white where transparent.
    BitmapDC mask(20, 20, kPaper);
    ImageList_Draw(list, 0, mask.dc(), 0, 0, ILD_MASK);
    EXPECT_EQ(mask.At(2, 5), RGB(0, 0, 0));
    EXPECT_EQ(mask.At(12, 5), RGB(255, 255, 255));
    ImageList_Destroy(list);
}

TEST_F(ImageListTest, IconsKeepTheirTransparencyOnlyInAMaskedList)
{
    HICON icon = HalfIcon();
    ASSERT_NE(icon, nullptr);
    HIMAGELIST masked = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 0);
    HIMAGELIST plain = ImageList_Create(16, 16, ILC_COLOR8, 0, 0);
    EXPECT_EQ(ImageList_AddIcon(masked, icon), 0);
    EXPECT_EQ(ImageList_AddIcon(plain, icon), 0);

    BitmapDC canvas(40, 20, kPaper);
    ImageList_Draw(masked, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    ImageList_Draw(plain, 0, canvas.dc(), 20, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.At(3, 8), kRed);
    EXPECT_EQ(canvas.At(12, 8), kPaper);
    EXPECT_EQ(canvas.At(23, 8), kRed);
    EXPECT_EQ(canvas.At(32, 8), RGB(0, 0, 0)); // no mask: the icon's transparent part is black

    // Replacing puts the icon in place; an index past the end fails.
    HBITMAP strip = Strip(1, kBlue);
    ImageList_Add(plain, strip, nullptr);
    DeleteObject(strip);
    EXPECT_EQ(ImageList_ReplaceIcon(plain, 1, icon), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(plain, 5, icon), -1);
    EXPECT_EQ(ImageList_GetImageCount(plain), 2);

    // A smaller list scales the icon to its size.
    HIMAGELIST small = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 0, 0);
    ImageList_AddIcon(small, icon);
    BitmapDC scaled(10, 10, kPaper);
    ImageList_Draw(small, 0, scaled.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(scaled.At(1, 4), kRed);
    EXPECT_EQ(scaled.At(6, 4), kPaper);
    EXPECT_EQ(scaled.At(8, 4), kPaper);

    ImageList_Destroy(small);
    ImageList_Destroy(masked);
    ImageList_Destroy(plain);
    DestroyIcon(icon);
}

#include "GdiTest.h"

class IconTest : public GdiTest {};

namespace {

// A 4 x 4 icon: the left half opaque red, the right half transparent.
HICON MakeIcon(bool withAlpha)
{
    BYTE maskBits[8] = {0x30, 0, 0x30, 0, 0x30, 0, 0x30, 0}; // 1 = keep the screen
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskBits);
    DWORD pixels[16];
    for (int i = 0; i < 16; ++i)
        pixels[i] = (i % 4) < 2 ? (withAlpha ? 0xFFFF0000 : 0x00FF0000) : 0;
    HBITMAP colour = CreateBitmap(4, 4, 1, 32, pixels);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

} // namespace

TEST_F(IconTest, DrawIconExAppliesMaskThenImage)
{
    for (bool alpha : {false, true}) {
        HICON icon = MakeIcon(alpha);
        ASSERT_NE(icon, nullptr);
        BitmapDC dc(8, 8, RGB(0, 0, 255));
        EXPECT_TRUE(DrawIconEx(dc.dc(), 2, 2, icon, 0, 0, 0, nullptr, DI_NORMAL));
        EXPECT_EQ(dc.At(2, 2), RGB(255, 0, 0));
        EXPECT_EQ(dc.At(3, 5), RGB(255, 0, 0));
        EXPECT_EQ(dc.At(4, 2), RGB(0, 0, 255)) << "transparent half";
        EXPECT_EQ(dc.At(1, 2), RGB(0, 0, 255));
        // Stretched to 8 x 8.
        BitmapDC big(8, 8, RGB(0, 0, 255));
        DrawIconEx(big.dc(), 0, 0, icon, 8, 8, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(big.At(3, 7), RGB(255, 0, 0));
        EXPECT_EQ(big.At(4, 0), RGB(0, 0, 255));
        EXPECT_TRUE(DestroyIcon(icon));
        EXPECT_FALSE(DestroyIcon(icon));
    }
}

TEST_F(IconTest, IconInfoGivesNewBitmapsAndTheCentreAsHotSpot)
{
    HICON icon = MakeIcon(false);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 2u);
    EXPECT_EQ(info.yHotspot, 2u);
    BITMAP bm{};
    GetObject(info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidth, 4);
    GetObject(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_TRUE(DeleteObject(info.hbmMask));
    EXPECT_TRUE(DeleteObject(info.hbmColor));
    EXPECT_FALSE(DeleteObject(icon)) << "icons are destroyed with DestroyIcon";
    HICON copy = CopyIcon(icon);
    DestroyIcon(icon);
    BitmapDC dc(4, 4);
    EXPECT_TRUE(DrawIcon(dc.dc(), 0, 0, copy)) << "a copy outlives its original";
    DestroyIcon(copy);
}

TEST_F(IconTest, DisabledDrawStateEmbossesTheShape)
{
    HICON icon = MakeIcon(false);
    BitmapDC dc(8, 8, RGB(0, 0, 255));
    EXPECT_TRUE(DrawStateW(dc.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, 2, 2, 4, 4,
                           DST_ICON | DSS_DISABLED));
    EXPECT_EQ(dc.At(2, 2), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(dc.At(4, 3), GetSysColor(COLOR_3DHILIGHT)) << "the highlight copy, one pixel right";
    EXPECT_EQ(dc.At(5, 3), RGB(0, 0, 255));
    DestroyIcon(icon);
}

TEST_F(IconTest, DrawStateDrawsTextAndBitmapsEmbossedWhenDisabled)
{
    HFONT font = CreateFontW(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    BitmapDC normal(60, 20, RGB(0, 0, 255)), disabled(60, 20, RGB(0, 0, 255));
    HGDIOBJ oldN = SelectObject(normal.dc(), font);
    HGDIOBJ oldD = SelectObject(disabled.dc(), font);
    SetTextColor(normal.dc(), RGB(255, 0, 0));
    LPARAM text = reinterpret_cast<LPARAM>(u"&Hi");
    EXPECT_TRUE(DrawStateW(normal.dc(), nullptr, nullptr, text, 0, 2, 2, 0, 0, DST_PREFIXTEXT));
    EXPECT_TRUE(DrawStateW(disabled.dc(), nullptr, nullptr, text, 0, 2, 2, 0, 0, DST_PREFIXTEXT | DSS_DISABLED));
    bool red = false, shadow = false, highlight = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            red = red || GetBValue(normal.At(x, y)) < 128;
            shadow = shadow || disabled.At(x, y) == GetSysColor(COLOR_3DSHADOW);
            highlight = highlight || disabled.At(x, y) == GetSysColor(COLOR_3DHILIGHT);
        }
    EXPECT_TRUE(red) << "normal text in the text colour";
    EXPECT_TRUE(shadow);
    EXPECT_TRUE(highlight);
    EXPECT_EQ(GetBkMode(normal.dc()), OPAQUE) << "the DC's modes are restored";
    EXPECT_EQ(GetTextColor(normal.dc()), RGB(255, 0, 0));
    SelectObject(normal.dc(), oldN);
    SelectObject(disabled.dc(), oldD);
    DeleteObject(font);

    BitmapDC picture(2, 1, RGB(255, 255, 255));
    SetPixel(picture.dc(), 0, 0, RGB(10, 10, 10));
    HBITMAP bitmap = picture.Detach();
    BitmapDC target(4, 3, RGB(0, 0, 255));
    EXPECT_TRUE(DrawStateW(target.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, 1, 1, 0, 0, DST_BITMAP));
    EXPECT_EQ(target.At(1, 1), RGB(10, 10, 10));
    EXPECT_EQ(target.At(2, 1), RGB(255, 255, 255));
    BitmapDC grey(4, 3, RGB(0, 0, 255));
    DrawStateW(grey.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, 1, 1, 0, 0, DST_BITMAP | DSS_DISABLED);
    EXPECT_EQ(grey.At(1, 1), GetSysColor(COLOR_3DSHADOW)) << "dark pixels become the shadow";
    EXPECT_EQ(grey.At(2, 2), GetSysColor(COLOR_3DHILIGHT)) << "with the highlight below and right";
    EXPECT_EQ(grey.At(2, 1), RGB(0, 0, 255)) << "white pixels leave the background";
    DeleteObject(bitmap);
}

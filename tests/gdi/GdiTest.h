// Test helpers: a fixture that fails a test which leaves GDI objects open,
// and a memory DC with its own 32-bit bitmap.
#pragma once

#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <gtest/gtest.h>

#include <string>

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { m_before = gdi::LiveObjectCounts(); }
    void TearDown() override
    {
        gdi::ObjectCounts after = gdi::LiveObjectCounts();
        EXPECT_EQ(after.bitmaps, m_before.bitmaps) << "bitmaps leaked";
        EXPECT_EQ(after.brushes, m_before.brushes) << "brushes leaked";
        EXPECT_EQ(after.pens, m_before.pens) << "pens leaked";
        EXPECT_EQ(after.fonts, m_before.fonts) << "fonts leaked";
        EXPECT_EQ(after.regions, m_before.regions) << "regions leaked";
        EXPECT_EQ(after.dcs, m_before.dcs) << "DCs leaked";
        EXPECT_EQ(after.icons, m_before.icons) << "icons leaked";
    }

private:
    gdi::ObjectCounts m_before;
};

// A memory DC with a width x height 32-bit bitmap selected, filled with fill.
class BitmapDC {
public:
    BitmapDC(int width, int height, COLORREF fill = RGB(255, 255, 255))
    {
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateBitmap(width, height, 1, 32, nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT r{0, 0, width, height};
        FillRect(m_dc, &r, brush);
        DeleteObject(brush);
    }
    ~BitmapDC()
    {
        SelectObject(m_dc, m_old);
        if (m_bitmap)
            DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }

    // Takes the bitmap out of the DC and hands it to the caller, who must
    // delete it; the DC then paints into its default bitmap.
    HBITMAP Detach()
    {
        SelectObject(m_dc, m_old);
        HBITMAP bitmap = m_bitmap;
        m_bitmap = nullptr;
        return bitmap;
    }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }

    // The bounding box of the pixels that differ from background; empty
    // when there are none.
    RECT InkBounds(COLORREF background, int width, int height) const
    {
        RECT box{width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        if (box.left >= box.right)
            box = {0, 0, 0, 0};
        return box;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

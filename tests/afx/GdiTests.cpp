// The GDI wrappers: fonts by point size, solid fills and 3-D frames drawn
// through a memory DC, regions and the temporary objects of SelectObject.
#include "AfxTestSupport.h"

namespace {

class MemoryDC : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        ASSERT_TRUE(bitmap.CreateBitmap(10, 8, 1, 32, nullptr));
        previous = dc.SelectObject(&bitmap);
    }
    void TearDown() override { dc.SelectObject(previous); }

    CDC dc;
    CBitmap bitmap;
    CBitmap* previous = nullptr;
};

TEST(Fonts, APointFontTakesItsHeightFromTheScreenResolution)
{
    LOGFONTW font = {};
    CFont ten;
    ASSERT_TRUE(ten.CreatePointFont(100, u"MS Shell Dlg"));
    ASSERT_GT(ten.GetLogFont(&font), 0);
    EXPECT_EQ(font.lfHeight, -13); // 96 dots per inch
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(std::u16string(font.lfFaceName), u"MS Shell Dlg");
    CFont twelve;
    ASSERT_TRUE(twelve.CreatePointFont(120, font.lfFaceName));
    twelve.GetLogFont(&font);
    EXPECT_EQ(font.lfHeight, -16);
    HGDIOBJ handle = twelve.Detach();
    EXPECT_EQ(twelve.m_hObject, nullptr);
    EXPECT_TRUE(DeleteObject(handle)); // detached: the object did not delete it
}

TEST_F(MemoryDC, FillsAndThreeDFramesColourTheirEdges)
{
    dc.FillSolidRect(CRect(0, 0, 10, 8), RGB(0, 0, 255));
    dc.Draw3dRect(CRect(1, 1, 9, 7), RGB(255, 255, 255), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(dc.GetPixel(1, 1), RGB(255, 255, 255)); // top-left corner
    EXPECT_EQ(dc.GetPixel(7, 1), RGB(255, 255, 255)); // top edge up to the last but one column
    EXPECT_EQ(dc.GetPixel(8, 1), RGB(0, 0, 0));       // the right edge owns the corner
    EXPECT_EQ(dc.GetPixel(1, 6), RGB(0, 0, 0));       // so does the bottom edge
    EXPECT_EQ(dc.GetPixel(4, 4), RGB(0, 0, 255));     // the inside stays
    EXPECT_EQ(dc.GetBkColor(), RGB(0, 0, 0));         // a fill sets the background colour
}

TEST_F(MemoryDC, SelectObjectGivesBackTheObjectItReplaced)
{
    CBrush red(RGB(255, 0, 0));
    CBrush* old = dc.SelectObject(&red);
    ASSERT_NE(old, nullptr);
    CBrush* back = dc.SelectObject(old);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_hObject, red.m_hObject);
    EXPECT_NE(dc.SelectStockObject(NULL_PEN), nullptr);
    EXPECT_EQ(dc.GetCurrentBitmap()->m_hObject, bitmap.m_hObject);
}

TEST(Regions, CombinedRegionsAndTheirBoxes)
{
    CRgn a;
    CRgn b;
    CRgn result;
    ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(b.CreateRectRgn(5, 5, 20, 20));
    ASSERT_TRUE(result.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(result.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
    CRect box;
    result.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(5, 5, 10, 10));
    EXPECT_EQ(result.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(result.PtInRegion(15, 15));
    EXPECT_FALSE(result.PtInRegion(15, 2));
}

TEST(Rectangles, TheFrameworksRectangleOperations)
{
    CRect rect(10, 20, 110, 70);
    EXPECT_EQ(rect.Width(), 100);
    EXPECT_EQ(rect.CenterPoint(), CPoint(60, 45));
    rect.DeflateRect(5, 5);
    EXPECT_EQ(rect, CRect(15, 25, 105, 65));
    rect.OffsetRect(-15, -25);
    EXPECT_EQ(rect.TopLeft(), CPoint(0, 0));
    CRect flipped(10, 10, 0, 0);
    flipped.NormalizeRect();
    EXPECT_EQ(flipped, CRect(0, 0, 10, 10));
    EXPECT_EQ(CRect(0, 0, 5, 5) & CRect(3, 3, 8, 8), CRect(3, 3, 5, 5));
    EXPECT_TRUE(CRect(4, 4, 4, 9).IsRectEmpty());
}

} // namespace

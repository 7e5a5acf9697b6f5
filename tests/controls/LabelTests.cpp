// The rich label as the welcome text uses it: its font size and weight, its
// colour in pixels, and no background of its own over the skin.
#include "ControlsFixture.h"

namespace {

constexpr COLORREF kSkin = RGB(40, 160, 220);
constexpr COLORREF kRed = RGB(255, 0, 0);

class LabelTest : public ControlsTest {
protected:
    // Pixels of the label in exactly the colour.
    static int CountPixels(HWND label, COLORREF color)
    {
        RECT client;
        ::GetClientRect(label, &client);
        int n = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x)
                n += PixelOf(label, x, y) == color;
        return n;
    }
};

TEST_F(LabelTest, TheWelcomeLabelDrawsLargeBoldRedTextWithTheSkinShowingThrough)
{
    dialog.skinPath = WriteBitmap(u"C:\\skin.bmp", 600, 400, [](int, int) { return kSkin; });
    dialog.setUp = [](CControlsDlg& d) {
        d.m_welcome.SetFontSize(12).SetFontBold(TRUE).SetTextColor(0x0000FF).SetTransparent(TRUE);
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND label = ::GetDlgItem(window, 1031);

    const LOGFONTW& font = dialog.m_welcome.GetLogFont();
    EXPECT_EQ(font.lfHeight, -16) << "12 points on a 96 dots-per-inch screen";
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_NE(::GetWindowLongPtrW(label, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);

    RECT client;
    ::GetClientRect(label, &client);
    EXPECT_EQ(PixelOf(label, client.right - 2, client.bottom - 2), kSkin) << "no background of its own";
    const int boldRed = CountPixels(label, kRed);
    EXPECT_GT(boldRed, 30);

    dialog.Run([&] { dialog.m_welcome.SetFontBold(FALSE); });
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(dialog.m_welcome.GetLogFont().lfWeight, 400);
    const int plainRed = CountPixels(label, kRed);
    EXPECT_GT(plainRed, 0);
    EXPECT_LT(plainRed, boldRed) << "bold strokes are wider";

    dialog.Run([&] { dialog.m_welcome.SetTextColor(RGB(0, 128, 0)); });
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(CountPixels(label, kRed), 0);
    EXPECT_GT(CountPixels(label, RGB(0, 128, 0)), 0);
}

TEST_F(LabelTest, AnOpaqueLabelPaintsTheButtonFaceAndKeepsTheTransparentStyle)
{
    dialog.skinPath = WriteBitmap(u"C:\\skin.bmp", 600, 400, [](int, int) { return kSkin; });
    dialog.setUp = [](CControlsDlg& d) { d.m_welcome.SetTransparent(TRUE).SetTransparent(FALSE); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND label = ::GetDlgItem(window, 1031);
    RECT client;
    ::GetClientRect(label, &client);
    EXPECT_EQ(PixelOf(label, client.right - 2, client.bottom - 2), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(::GetWindowLongPtrW(label, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);

    dialog.Run([&] { dialog.m_welcome.SetBkColor(RGB(250, 240, 10)); });
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(PixelOf(label, client.right - 2, client.bottom - 2), RGB(250, 240, 10));
}

} // namespace

// The rich label as the welcome text uses it: its font size and weight, its
// colour in pixels, and no background of its own over the skin.
#include "ControlsFixture.h"

#include "win32/Shell.h"

#include <climits>

namespace {

constexpr COLORREF kSkin = RGB(40, 160, 220);
constexpr COLORREF kRed = RGB(255, 0, 0);

class LabelTest : public ControlsTest {};

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

namespace {

TEST_F(LabelTest, ALinkOpensItsTextAndANotifyingOneTellsItsParentInstead)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_welcome.SetLink(TRUE, FALSE); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND label = ::GetDlgItem(window, 1031);
    EXPECT_NE(::GetWindowLongPtrW(label, GWL_STYLE) & SS_NOTIFY, 0);
    automation::Click(label);
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 1; }));
    EXPECT_EQ(win32::ReadShellJournal()[0].verb, u"open");
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"Welcome");
    EXPECT_EQ(win32::ReadShellJournal()[0].show, SW_SHOWNORMAL);

    dialog.Run([&] { dialog.m_welcome.SetLink(TRUE, TRUE); });
    automation::Click(label);
    ASSERT_TRUE(automation::WaitUntil([&] { return dialog.Notifications().size() == 1; }));
    EXPECT_EQ(dialog.Notifications()[0], LOWORD(NM_LINKCLICK));
    std::vector<CControlsDlg::Notice> clicks;
    for (const auto& notice : dialog.Notices())
        if (notice.header.code == 0x8200)
            clicks.push_back(notice);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].wParam, 1031u);
    EXPECT_EQ(clicks[0].header.hwndFrom, label);
    EXPECT_EQ(clicks[0].header.idFrom, 1031u);
    EXPECT_EQ(win32::ReadShellJournal().size(), 1u) << "nothing opened";

    // Without a link the static lets its clicks through and tells no one.
    dialog.Run([&] { dialog.m_welcome.SetLink(FALSE, TRUE); });
    EXPECT_EQ(::GetWindowLongPtrW(label, GWL_STYLE) & SS_NOTIFY, 0);
    automation::Click(label);
    automation::Click(::GetDlgItem(window, 1005));
    ASSERT_TRUE(automation::WaitUntil([&] { return !dialog.Commands().empty(); }));
    EXPECT_EQ(dialog.Notifications().size(), 1u);
}

class Gradient : public ::testing::Test {
protected:
    // Paints the gradient over a strip of the width and reads its top row.
    std::vector<COLORREF> Paint(int width, COLORREF from, COLORREF to)
    {
        CClientDC screen(nullptr);
        CDC memory;
        memory.CreateCompatibleDC(&screen);
        CBitmap canvas;
        canvas.CreateCompatibleBitmap(&screen, 260, 4);
        CBitmap* previous = memory.SelectObject(&canvas);
        memory.FillSolidRect(0, 0, 260, 4, RGB(1, 2, 3));
        PaintGradient(&memory, CRect(0, 0, width, 4), from, to, 100);
        std::vector<COLORREF> row;
        for (int x = 0; x < 260; ++x)
            row.push_back(memory.GetPixel(x, 1));
        memory.SelectObject(previous);
        return row;
    }
};

TEST_F(Gradient, BandsOfTwoPixelsAndALastOneThatStopsShortOfTheEndColour)
{
    auto row = Paint(250, RGB(0, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(row[0], RGB(0, 0, 0));
    EXPECT_EQ(row[2], RGB(2, 2, 2)) << "the second band: 256 * 255 / 100 a step";
    EXPECT_EQ(row[197], RGB(249, 249, 249)) << "band 98 ends at 198";
    EXPECT_EQ(row[198], RGB(252, 252, 252)) << "the last band runs from 198 to the end";
    EXPECT_EQ(row[249], RGB(252, 252, 252));
    EXPECT_EQ(row[251], RGB(1, 2, 3));

    auto narrow = Paint(60, RGB(0, 0, 0), RGB(240, 0, 0));
    EXPECT_EQ(narrow[0], RGB(0, 0, 0));
    EXPECT_EQ(narrow[1], RGB(4, 0, 0)) << "60 bands of one pixel";
    EXPECT_EQ(narrow[59], RGB(236, 0, 0));

    auto none = Paint(0, RGB(0, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(none[0], RGB(1, 2, 3)) << "nothing over no width";
}

// Setters called before the label is bound keep their values for the first
// paint; a transparent static without a parent has nothing to repaint.
TEST(UnboundControls, SettersOfALabelWithoutAWindowStoreAndChain)
{
    CLabel label;
    CLabel& chained = label.SetTextColor(RGB(1, 2, 3)).SetFontBold(TRUE).SetBkColor(RGB(4, 5, 6)).SetText(u"x");
    EXPECT_EQ(&chained, &label);
    EXPECT_EQ(label.GetLogFont().lfWeight, FW_BOLD);
    label.SetRotationAngle(-45, TRUE).SetFontItalic(TRUE).SetTransparent(TRUE);
    EXPECT_EQ(label.GetLogFont().lfEscapement, -450);
    EXPECT_EQ(label.GetLogFont().lfOrientation, -450);
    EXPECT_EQ(label.GetLogFont().lfItalic, 1);

    // A point size sets the height and width only; a face name too long for
    // the description is cut to its 31 characters.
    label.SetFontName(u"DejaVu Sans").SetFontSize(10);
    EXPECT_EQ(label.GetLogFont().lfHeight, -13) << "10 points on a 96 dots-per-inch screen";
    EXPECT_EQ(label.GetLogFont().lfWidth, 0);
    EXPECT_EQ(label.GetLogFont().lfWeight, FW_BOLD);
    EXPECT_EQ(std::u16string(label.GetLogFont().lfFaceName), u"DejaVu Sans");
    const std::u16string longName(40, u'x');
    label.SetFontName(longName.c_str());
    EXPECT_EQ(std::u16string(label.GetLogFont().lfFaceName), longName.substr(0, 31));
    // A size whose tenths of a point overflow an int is held at the largest.
    label.SetFontSize(INT_MAX);
    EXPECT_EQ(label.GetLogFont().lfHeight, -::MulDiv(96, INT_MAX, 720));
    label.SetFontSize(INT_MIN);
    EXPECT_EQ(label.GetLogFont().lfHeight, -::MulDiv(96, INT_MIN, 720));

    CTransparentStatic alone;
    ASSERT_TRUE(alone.CreateEx(0, WC_STATIC, u"old", WS_POPUP | WS_VISIBLE, 0, 0, 80, 20, nullptr, nullptr));
    alone.SetWindowText(u"new");
    CString text;
    alone.GetWindowText(text);
    EXPECT_EQ(text, u"new");
    alone.DestroyWindow();
}

// Bound to its control, the label takes the control's font as its own.
TEST_F(LabelTest, TheLabelStartsFromTheFontOfItsControl)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    LOGFONTW control = {};
    auto font = reinterpret_cast<HFONT>(::SendMessageW(::GetDlgItem(window, 1031), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    ASSERT_NE(::GetObjectW(font, sizeof control, &control), 0);
    const LOGFONTW& label = dialog.m_welcome.GetLogFont();
    EXPECT_EQ(std::u16string(label.lfFaceName), std::u16string(control.lfFaceName));
    EXPECT_EQ(label.lfHeight, control.lfHeight);
    EXPECT_EQ(label.lfWeight, control.lfWeight);
    EXPECT_NE(control.lfHeight, 0);
}

// A label made on its own, whose control has no font, starts from the
// system font.
TEST(UnboundControls, ALabelWhoseControlHasNoFontTakesTheSystemFont)
{
    CLabel label;
    ASSERT_TRUE(label.CreateEx(0, WC_STATIC, u"x", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr));
    ASSERT_EQ(::SendMessageW(label.m_hWnd, WM_GETFONT, 0, 0), 0);
    LOGFONTW system = {};
    ASSERT_NE(::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof system, &system), 0);
    EXPECT_EQ(std::u16string(label.GetLogFont().lfFaceName), std::u16string(system.lfFaceName));
    EXPECT_EQ(label.GetLogFont().lfHeight, system.lfHeight);
    EXPECT_EQ(label.GetLogFont().lfWeight, system.lfWeight);
    label.DestroyWindow();
}

// A graded background runs in 100 bands from the left colour; the last band,
// reaching the right edge, stops short of the end colour.
TEST_F(LabelTest, AGradedBackgroundStartsAtItsColourAndEndsShortOfTheOther)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_welcome.SetBkColor(RGB(0, 0, 0), RGB(255, 255, 255), TRUE); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND label = ::GetDlgItem(window, 1031);
    RECT client;
    ::GetClientRect(label, &client);
    ASSERT_GT(client.right, 200);
    // The bands are drawn with the null pen, which leaves their last row
    // out: the rows above it show them.
    const int y = client.bottom - 2;
    EXPECT_EQ(PixelOf(label, 0, y), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(label, client.right - 1, y), RGB(252, 252, 252));
    EXPECT_EQ(PixelOf(label, client.right - 1, 0), RGB(252, 252, 252));
    const int step = client.right / 100;
    EXPECT_EQ(PixelOf(label, step, y), RGB(2, 2, 2)) << "the second band";

    // A solid colour after it gives the label its brush again.
    dialog.Run([&] { dialog.m_welcome.SetBkColor(RGB(9, 99, 199)); });
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(PixelOf(label, client.right - 1, y), RGB(9, 99, 199));
}

} // namespace

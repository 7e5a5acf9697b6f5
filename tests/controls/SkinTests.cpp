// The skin: the region builder's tolerance window and batches, the
// background painter with and without its bitmap, transparent statics over
// the skin, and the transparent static that repaints its parent.
#include "ControlsFixture.h"

#include "gdi/GdiObjects.h"

#include <tuple>

namespace {

class SkinRegion : public ::testing::Test {
protected:
    // A bitmap of one row of pixels, or of a painter's pixels.
    static HBITMAP Bitmap(int width, int height, const std::function<COLORREF(int, int)>& painter)
    {
        gdi::Surface image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.Set(x, y, gdi::PixelFromColor(painter(x, y)));
        return gdi::CreateBitmapFromSurface(image);
    }
    static bool Covers(HRGN region, int x, int y) { return ::PtInRegion(region, x, y) != FALSE; }
};

TEST_F(SkinRegion, PixelsInsideTheKeyWindowAreLeftOutAndThoseJustOutsideStay)
{
    const COLORREF row[] = {RGB(17, 238, 17), RGB(18, 238, 17), RGB(17, 237, 17), RGB(17, 238, 18),
                            RGB(0, 255, 200), RGB(0, 255, 0)};
    HBITMAP bitmap = Bitmap(6, 1, [&](int x, int) { return row[x]; });
    for (BOOL inverse : {FALSE, TRUE}) {
        HRGN region = BitmapToRegion(bitmap, 0x00FF00, inverse);
        ASSERT_NE(region, nullptr);
        EXPECT_FALSE(Covers(region, 0, 0));
        EXPECT_TRUE(Covers(region, 1, 0));
        EXPECT_TRUE(Covers(region, 2, 0));
        EXPECT_TRUE(Covers(region, 3, 0));
        EXPECT_TRUE(Covers(region, 4, 0)) << "blue is outside 0..17";
        EXPECT_FALSE(Covers(region, 5, 0));
        ::DeleteObject(region);
    }
    ::DeleteObject(bitmap);

    // Black and white keys use a window of 16.
    HBITMAP greys = Bitmap(4, 1, [](int x, int) {
        const BYTE level[] = {16, 17, 238, 239};
        return RGB(level[x], level[x], level[x]);
    });
    HRGN black = BitmapToRegion(greys, 0x000000, FALSE);
    HRGN white = BitmapToRegion(greys, 0xFFFFFF, FALSE);
    EXPECT_FALSE(Covers(black, 0, 0));
    EXPECT_TRUE(Covers(black, 1, 0));
    EXPECT_TRUE(Covers(white, 2, 0));
    EXPECT_FALSE(Covers(white, 3, 0));
    ::DeleteObject(black);
    ::DeleteObject(white);
    ::DeleteObject(greys);
    EXPECT_EQ(BitmapToRegion(nullptr, 0x00FF00, FALSE), nullptr);
}

TEST_F(SkinRegion, ManyRunsGiveTheSameRegionAsOneBatchAndBothWaysAgree)
{
    // Alternating columns: 100 runs a row, 4000 in all, more than one batch.
    HBITMAP stripes = Bitmap(200, 40, [](int x, int) { return x % 2 ? RGB(0, 255, 0) : RGB(90, 90, 90); });
    HRGN region = BitmapToRegion(stripes, 0x00FF00, FALSE);
    HRGN inverse = BitmapToRegion(stripes, 0x00FF00, TRUE);
    HRGN expected = ::CreateRectRgn(0, 0, 0, 0);
    for (int x = 0; x < 200; x += 2) {
        HRGN column = ::CreateRectRgn(x, 0, x + 1, 40);
        ::CombineRgn(expected, expected, column, RGN_OR);
        ::DeleteObject(column);
    }
    EXPECT_TRUE(::EqualRgn(region, expected));
    EXPECT_TRUE(::EqualRgn(inverse, expected));
    ::DeleteObject(region);
    ::DeleteObject(inverse);
    ::DeleteObject(expected);
    ::DeleteObject(stripes);

    // No pixel near the key: the whole picture, either way.
    HBITMAP grey = Bitmap(7, 3, [](int x, int y) { return RGB(90 + x, 90, 90 + y); });
    HRGN whole = ::CreateRectRgn(0, 0, 7, 3);
    for (BOOL inverse : {FALSE, TRUE}) {
        HRGN covered = BitmapToRegion(grey, 0x00FF00, inverse);
        EXPECT_TRUE(::EqualRgn(covered, whole)) << "inverse " << inverse;
        ::DeleteObject(covered);
    }
    ::DeleteObject(whole);
    ::DeleteObject(grey);

    HBITMAP green = Bitmap(5, 5, [](int, int) { return RGB(0, 255, 0); });
    HRGN none = BitmapToRegion(green, 0x00FF00, FALSE);
    RECT box;
    EXPECT_EQ(::GetRgnBox(none, &box), NULLREGION) << "all key: an empty region";
    ::DeleteObject(none);
    ::DeleteObject(green);
}

class SkinPainter : public ControlsTest {
protected:
    static COLORREF Pattern(int x, int y) { return RGB(x % 256, y % 256, 77); }
};

TEST_F(SkinPainter, TheBitmapLiesUnscaledAtTheTopLeftAndStaticsShowItThrough)
{
    dialog.skinPath = WriteBitmap(u"C:\\Program Files\\Pellinor\\main.bmp", 700, 500, Pattern);
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_NE(dialog.GetSkin().GetBitmap(), nullptr);
    // Points clear of every control.
    EXPECT_EQ(PixelOf(window, 150, 45), Pattern(150, 45));
    EXPECT_EQ(PixelOf(window, 30, 170), Pattern(30, 170));
    EXPECT_EQ(PixelOf(window, 300, 10), Pattern(300, 10));

    // The plain static: past its short text, the skin under it.
    HWND plain = ::GetDlgItem(window, 1034);
    RECT rect;
    ::GetWindowRect(plain, &rect);
    POINT corner = {rect.right - 3, rect.bottom - 2};
    ::ScreenToClient(window, &corner);
    EXPECT_EQ(PixelOf(window, corner.x, corner.y), Pattern(corner.x, corner.y));

    // An edit keeps the default colours.
    HWND edit = ::GetDlgItem(window, 1012);
    RECT editClient;
    ::GetClientRect(edit, &editClient);
    EXPECT_EQ(PixelOf(edit, editClient.right - 3, editClient.bottom / 2), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(SkinPainter, WithoutItsBitmapTheDialogErasesAsUsual)
{
    dialog.skinPath = u"C:\\Program Files\\Pellinor\\main.bmp"; // never written
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(dialog.GetSkin().GetBitmap(), nullptr);
    EXPECT_EQ(dialog.GetSkin().GetRegion(), nullptr);
    EXPECT_EQ(PixelOf(window, 150, 45), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(SkinPainter, ATransparentStaticLeavesNoTraceOfALongerText)
{
    dialog.skinPath = WriteBitmap(u"C:\\skin.bmp", 700, 500, Pattern);
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND status = ::GetDlgItem(window, 1033);
    RECT client;
    ::GetClientRect(status, &client);
    POINT origin = {0, 0};
    ::MapWindowPoints(status, window, &origin, 1);
    auto differs = [&](int fromX) {
        int n = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = fromX; x < client.right; ++x)
                n += PixelOf(status, x, y) != Pattern(origin.x + x, origin.y + y);
        return n;
    };
    const int half = client.right / 3;
    ASSERT_GT(differs(half), 0) << "the long text reaches into the right part";

    ::SetDlgItemTextW(window, 1033, u"Ok");
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(differs(half), 0);

    // The same text again still repaints the skin under the control: a
    // smear drawn over it goes.
    HDC dc = ::GetDC(status);
    HBRUSH smear = ::CreateSolidBrush(RGB(255, 0, 255));
    ::FillRect(dc, &client, smear);
    ::DeleteObject(smear);
    ::ReleaseDC(status, dc);
    ASSERT_GT(differs(half), 0);
    ::SetDlgItemTextW(window, 1033, u"Ok");
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(differs(half), 0);
}

// The dialog answers the colour requests of its buttons and statics with the
// hollow brush over a transparent background, and leaves every other kind of
// request to the default colours.
TEST_F(SkinPainter, ButtonsAndStaticsGetTheHollowBrushAndOtherRequestsTheDefaults)
{
    dialog.skinPath = WriteBitmap(u"C:\\skin.bmp", 700, 500, Pattern);
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    const HBRUSH hollow = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    struct Answer {
        HBRUSH brush;
        int mode;
    };
    auto ask = [&](UINT message, HWND control) {
        Answer answer = {};
        dialog.Run([&] {
            HDC dc = ::GetDC(control);
            ::SetBkMode(dc, OPAQUE);
            answer.brush = reinterpret_cast<HBRUSH>(
                ::SendMessageW(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
            answer.mode = ::GetBkMode(dc);
            ::ReleaseDC(control, dc);
        });
        return answer;
    };

    for (auto [message, id] : {std::pair{WM_CTLCOLORBTN, 1005}, std::pair{WM_CTLCOLORSTATIC, 1034}}) {
        const Answer answer = ask(message, ::GetDlgItem(window, id));
        EXPECT_EQ(answer.brush, hollow) << message;
        EXPECT_EQ(answer.mode, TRANSPARENT) << message;
    }
    const HWND edit = ::GetDlgItem(window, 1012);
    for (auto [message, control, color] :
         {std::tuple{WM_CTLCOLOREDIT, edit, COLOR_WINDOW}, std::tuple{WM_CTLCOLORLISTBOX, edit, COLOR_WINDOW},
          std::tuple{WM_CTLCOLORDLG, window, COLOR_3DFACE}, std::tuple{WM_CTLCOLORSCROLLBAR, edit, COLOR_3DFACE},
          std::tuple{WM_CTLCOLORMSGBOX, window, COLOR_3DFACE}}) {
        const Answer answer = ask(message, control);
        EXPECT_EQ(answer.brush, ::GetSysColorBrush(color)) << message;
        EXPECT_EQ(answer.mode, OPAQUE) << message;
    }
}

// Under a parent that leaves colour requests to its controls, the
// transparent static answers its own: the hollow brush, no background.
TEST(TransparentStatic, AnswersItsOwnColourRequestWithTheHollowBrush)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, WC_STATIC, u"", WS_POPUP, 0, 0, 120, 40, nullptr, nullptr));
    CTransparentStatic status;
    ASSERT_TRUE(status.CreateEx(0, WC_STATIC, u"text", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, parent.m_hWnd,
                                reinterpret_cast<HMENU>(7)));
    HDC dc = ::GetDC(status.m_hWnd);
    ::SetBkMode(dc, OPAQUE);
    const LRESULT brush =
        ::SendMessageW(parent.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(status.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    ::ReleaseDC(status.m_hWnd, dc);
    status.DestroyWindow();
    parent.DestroyWindow();
}

} // namespace

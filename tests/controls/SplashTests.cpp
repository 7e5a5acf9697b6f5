// The splash window: its picture's key colour cut out of its shape, its
// place, its fade on the machine's clock, and the object that ends with its
// window.
#include "ControlsFixture.h"

#include "controls/SplashScreenEx.h"
#include "display/Display.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 240);
constexpr COLORREF kCard = RGB(30, 60, 120);

// A splash that tells when it is gone.
class CWatchedSplash : public CSplashScreenEx {
public:
    explicit CWatchedSplash(bool* deleted)
        : m_deleted(deleted)
    {
    }
    ~CWatchedSplash() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

class SplashTest : public ControlsTest {
protected:
    // 8 x 4: key pixels at the left of row 0, at the end of row 1 after a
    // run, and one that differs from the key by one in blue.
    std::u16string Picture()
    {
        return WriteBitmap(u"C:\\Program Files\\Pellinor\\Flash.bmp", 8, 4, [](int x, int y) {
            if (y == 0 && x < 2)
                return kKey;
            if (y == 1 && x == 7)
                return kKey;
            if (y == 2 && x == 3)
                return RGB(255, 0, 239);
            return kCard;
        });
    }
};

TEST_F(SplashTest, TheKeyColourIsCutOutExactlyAndTheScreenShowsWhatLiesBelow)
{
    std::u16string path = Picture();
    bool deleted = false;
    auto* splash = new CWatchedSplash(&deleted);
    ASSERT_TRUE(splash->Create(nullptr, nullptr, 2000, 0x0F));
    ASSERT_TRUE(splash->SetBitmap(path.c_str(), 255, 0, 240));
    HWND hwnd = splash->m_hWnd;
    HRGN shape = ::GetWindowRegionHandle(hwnd);
    ASSERT_NE(shape, nullptr);
    EXPECT_FALSE(::PtInRegion(shape, 0, 0));
    EXPECT_FALSE(::PtInRegion(shape, 1, 0));
    EXPECT_TRUE(::PtInRegion(shape, 2, 0));
    EXPECT_TRUE(::PtInRegion(shape, 6, 1));
    EXPECT_FALSE(::PtInRegion(shape, 7, 1)) << "a key pixel in the last column after a run";
    EXPECT_TRUE(::PtInRegion(shape, 0, 2)) << "the next row starts clean";
    EXPECT_TRUE(::PtInRegion(shape, 3, 2)) << "one off in a channel stays";

    splash->Show();
    RECT rect;
    ::GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXFULLSCREEN) - 8) / 2);
    EXPECT_EQ(rect.top, (::GetSystemMetrics(SM_CYFULLSCREEN) - 4) / 2);
    EXPECT_EQ(rect.right - rect.left, 8);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_NE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(m_clock->TotalSlept().count(), 500) << "the fade in";

    auto screen = display::ComposeScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(gdi::ColorFromPixel(screen->At(rect.left + 3, rect.top)), kCard);
    EXPECT_NE(gdi::ColorFromPixel(screen->At(rect.left, rect.top)), kKey) << "the cut shows the desktop";
    // The drop shadow darkens the desktop below and right of the shape.
    const COLORREF desktop = ::GetSysColor(COLOR_DESKTOP);
    const COLORREF shadow = gdi::ColorFromPixel(screen->At(rect.left + 5, rect.bottom + 1));
    EXPECT_LT(GetRValue(shadow) + GetGValue(shadow) + GetBValue(shadow),
              GetRValue(desktop) + GetGValue(desktop) + GetBValue(desktop));
    EXPECT_EQ(gdi::ColorFromPixel(screen->At(rect.left + 1, rect.bottom + 1)), desktop) << "offset right";
    EXPECT_EQ(gdi::ColorFromPixel(screen->At(rect.right + 5, rect.bottom + 1)), desktop);

    splash->Hide();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(deleted) << "the object ends with its window";
    EXPECT_EQ(m_clock->TotalSlept().count(), 700) << "and the fade out";
}

TEST_F(SplashTest, NoKeyLeavesItRectangularAndASecondSplashNeedsTheShadowFlag)
{
    std::u16string path = Picture();
    auto* first = new CSplashScreenEx;
    ASSERT_TRUE(first->Create(nullptr, nullptr, 0, SPLASH_DROP_SHADOW));
    ASSERT_TRUE(first->SetBitmap(path.c_str(), -1, 0, 240));
    EXPECT_EQ(::GetWindowRegionHandle(first->m_hWnd), nullptr);
    first->Show();
    RECT rect;
    ::GetWindowRect(first->m_hWnd, &rect);
    EXPECT_EQ(rect.left, 0) << "no centring: the top-left corner";
    EXPECT_EQ(rect.top, 0);
    EXPECT_FALSE(first->SetBitmap(u"C:\\missing.bmp", -1, -1, -1));
    EXPECT_EQ(rect.right - rect.left, 8) << "a failed load keeps the picture";
    first->Hide();

    // The class stays registered: only the shadowed form creates again. A
    // splash without its window goes through the owner's calls and still
    // ends with Hide, its picture and key region freed (the sanitizer build
    // would report them).
    bool deleted = false;
    auto* plain = new CWatchedSplash(&deleted);
    EXPECT_FALSE(plain->Create(nullptr, nullptr, 0, 0));
    EXPECT_TRUE(plain->SetBitmap(path.c_str(), 255, 0, 240));
    plain->Show();
    plain->Hide();
    EXPECT_TRUE(deleted);
    auto* shadowed = new CSplashScreenEx;
    EXPECT_TRUE(shadowed->Create(nullptr, nullptr, 0, SPLASH_DROP_SHADOW));
    EXPECT_TRUE(shadowed->SetBitmap(300)) << "a bitmap resource of the program";
    shadowed->Show();
    ::GetWindowRect(shadowed->m_hWnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 440);
    shadowed->Hide();
}

// A splash of the dialog's GUI thread: centred on its parent (the screen's
// centring wins when both are asked), ended by a click aimed at it, or by
// its display time.
TEST_F(SplashTest, CentredOnItsParentItEndsOnAClickOrWhenItsTimeIsUp)
{
    std::u16string path = Picture();
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    RECT parent;
    ::GetWindowRect(window, &parent);

    bool deleted = false;
    HWND clicked = nullptr;
    dialog.Run([&] {
        auto* splash = new CWatchedSplash(&deleted);
        splash->Create(&dialog, u"Hello", 0, SPLASH_DROP_SHADOW | SPLASH_CENTER_PARENT | SPLASH_HIDE_ON_INPUT);
        splash->SetBitmap(path.c_str(), -1, -1, -1);
        splash->Show();
        clicked = splash->m_hWnd;
    });
    ASSERT_NE(clicked, nullptr);
    RECT rect;
    ::GetWindowRect(clicked, &rect);
    EXPECT_EQ(rect.left, parent.left + (parent.right - parent.left - 8) / 2);
    EXPECT_EQ(rect.top, parent.top + (parent.bottom - parent.top - 4) / 2);
    EXPECT_EQ(::GetWindow(clicked, GW_OWNER), window);
    automation::ClickAt(clicked, {4, 2});
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(clicked); }));
    EXPECT_TRUE(deleted);

    HWND timed = nullptr;
    dialog.Run([&] {
        auto* splash = new CSplashScreenEx;
        splash->Create(&dialog, nullptr, 1000,
                       SPLASH_DROP_SHADOW | SPLASH_CENTER_PARENT | SPLASH_CENTER_SCREEN);
        splash->SetBitmap(path.c_str(), -1, -1, -1);
        splash->Show();
        timed = splash->m_hWnd;
    });
    ASSERT_NE(timed, nullptr);
    ::GetWindowRect(timed, &rect);
    EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXFULLSCREEN) - 8) / 2) << "the screen wins";
    automation::ClickAt(timed, {4, 2});
    automation::WaitForPaint();
    EXPECT_TRUE(::IsWindow(timed)) << "input ends only a splash that asks for it";
    m_clock->Advance(std::chrono::milliseconds(999));
    ::PostMessageW(window, WM_NULL, 0, 0);
    automation::WaitForPaint();
    EXPECT_TRUE(::IsWindow(timed));
    m_clock->Advance(std::chrono::milliseconds(1));
    ::PostMessageW(window, WM_NULL, 0, 0);
    EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(timed); })) << "the display time is up";
}

// Text over the picture in its own font and colour, inside its rectangle;
// a key press aimed at a splash that asks for it ends it.
TEST_F(SplashTest, TextLiesInItsRectangleAndAKeyEndsTheSplash)
{
    std::u16string path = WriteBitmap(u"C:\\card.bmp", 120, 60, [](int, int) { return kCard; });
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    const COLORREF yellow = RGB(255, 255, 0);
    HWND splash = nullptr;
    dialog.Run([&] {
        auto* screen = new CSplashScreenEx;
        screen->Create(&dialog, u"Hi", 0, SPLASH_DROP_SHADOW | SPLASH_HIDE_ON_INPUT);
        screen->SetBitmap(path.c_str(), -1, -1, -1);
        screen->SetTextFont(u"DejaVu Sans", 160, 0x01);
        screen->SetTextColor(yellow);
        screen->SetTextRect(CRect(0, 30, 120, 60));
        screen->Show();
        splash = screen->m_hWnd;
    });
    ASSERT_NE(splash, nullptr);
    automation::WaitForPaint();
    int above = 0, inside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x)
            (y < 30 ? above : inside) += PixelOf(splash, x, y) == yellow;
    EXPECT_EQ(above, 0);
    EXPECT_GT(inside, 20) << "large bold text in the lower half";
    EXPECT_EQ(PixelOf(splash, 2, 2), kCard);

    automation::PressKey(splash, VK_SPACE);
    EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(splash); }));
}

// A picture wider than the screen, centred on it, starts left of the screen.
TEST_F(SplashTest, APictureWiderThanTheScreenStartsLeftOfIt)
{
    const int wide = ::GetSystemMetrics(SM_CXFULLSCREEN) + 101;
    std::u16string path = WriteBitmap(u"C:\\wide.bmp", wide, 3, [](int, int) { return kCard; });
    auto* splash = new CSplashScreenEx;
    ASSERT_TRUE(splash->Create(nullptr, nullptr, 0, SPLASH_DROP_SHADOW | SPLASH_CENTER_SCREEN));
    ASSERT_TRUE(splash->SetBitmap(path.c_str(), -1, -1, -1));
    splash->Show();
    RECT rect;
    ::GetWindowRect(splash->m_hWnd, &rect);
    EXPECT_EQ(rect.left, -50) << "(screen - width) / 2, truncated toward zero";
    splash->Hide();
}

// Without a display time no timer runs: the splash stays however long it
// shows, until input that it asks for (here the right button) ends it.
// Setting its picture does not show it.
TEST_F(SplashTest, WithoutADisplayTimeOnlyInputEndsIt)
{
    std::u16string path = Picture();
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND splash = nullptr;
    bool deleted = false;
    bool visibleBeforeShow = true;
    dialog.Run([&] {
        auto* screen = new CWatchedSplash(&deleted);
        screen->Create(&dialog, nullptr, 0, SPLASH_DROP_SHADOW | SPLASH_HIDE_ON_INPUT);
        screen->SetBitmap(path.c_str(), 255, 0, 240);
        visibleBeforeShow = ::IsWindowVisible(screen->m_hWnd) != FALSE;
        screen->Show();
        splash = screen->m_hWnd;
    });
    ASSERT_NE(splash, nullptr);
    EXPECT_FALSE(visibleBeforeShow);
    m_clock->Advance(std::chrono::minutes(10));
    ::PostMessageW(window, WM_NULL, 0, 0);
    automation::WaitForPaint();
    dialog.Run([] {});
    EXPECT_TRUE(::IsWindow(splash));
    EXPECT_FALSE(deleted);

    automation::RightClickAt(splash, {4, 2});
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(splash); }));
    dialog.Run([] {});
    EXPECT_TRUE(deleted);
}

// A bitmap resource that does not load leaves the splash without a picture
// but with the size it had; it still paints and ends.
TEST_F(SplashTest, AResourcePictureThatDoesNotLoadFails)
{
    std::u16string path = Picture();
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND splash = nullptr;
    BOOL loaded = TRUE;
    CSplashScreenEx* screen = nullptr;
    dialog.Run([&] {
        screen = new CSplashScreenEx;
        screen->Create(&dialog, u"text", 0, SPLASH_DROP_SHADOW);
        screen->SetBitmap(path.c_str(), -1, -1, -1);
        loaded = screen->SetBitmap(999);
        screen->Show();
        splash = screen->m_hWnd;
    });
    ASSERT_NE(splash, nullptr);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(automation::WaitForPaint());
    RECT rect;
    ::GetWindowRect(splash, &rect);
    EXPECT_EQ(rect.right - rect.left, 8);
    EXPECT_EQ(rect.bottom - rect.top, 4);
    dialog.Run([&] { screen->Hide(); });
    EXPECT_FALSE(::IsWindow(splash));
}

// Runs of the picture's other colours, row by row: one that ends at the
// right edge after a key pixel is a rectangle of its own; a picture all of
// the key gives an empty region, not none.
TEST_F(SplashTest, TheShapeIsTheRunsOfOtherColoursRowByRow)
{
    std::u16string path = WriteBitmap(u"C:\\runs.bmp", 3, 2, [](int x, int y) {
        return y == 0 && x != 1 ? kCard : kKey;
    });
    auto* splash = new CSplashScreenEx;
    ASSERT_TRUE(splash->Create(nullptr, nullptr, 0, SPLASH_DROP_SHADOW));
    ASSERT_TRUE(splash->SetBitmap(path.c_str(), 255, 0, 240));
    HRGN shape = ::GetWindowRegionHandle(splash->m_hWnd);
    ASSERT_NE(shape, nullptr);
    HRGN expected = ::CreateRectRgn(0, 0, 1, 1);
    HRGN last = ::CreateRectRgn(2, 0, 3, 1);
    ::CombineRgn(expected, expected, last, RGN_OR);
    EXPECT_TRUE(::EqualRgn(shape, expected));

    std::u16string keyOnly = WriteBitmap(u"C:\\key.bmp", 3, 2, [](int, int) { return kKey; });
    ASSERT_TRUE(splash->SetBitmap(keyOnly.c_str(), 255, 0, 240));
    ASSERT_NE(::GetWindowRegionHandle(splash->m_hWnd), nullptr);
    RECT box;
    EXPECT_EQ(::GetRgnBox(::GetWindowRegionHandle(splash->m_hWnd), &box), NULLREGION);
    ::DeleteObject(expected);
    ::DeleteObject(last);
    splash->Hide();
}

} // namespace

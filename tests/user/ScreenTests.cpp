// What the screen shows: top-level windows composed with their regions,
// layered windows, window animation, and screenshots read back.
#include "user/Automation.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include "display/Display.h"
#include "gdi/Gdi.h"
#include "gdi/PngFile.h"
#include "win32/Module.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Fills its client area with the colour in its user data, for WM_PAINT and
// for WM_PRINTCLIENT alike.
LRESULT FillProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto fill = [hwnd](HDC dc) {
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
    };
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint;
        fill(BeginPaint(hwnd, &paint));
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        fill(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kKey = RGB(255, 0, 240);

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = FillProc;
            wc.lpszClassName = u"ScreenFill";
            return RegisterClassExW(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
    }
    void TearDown() override
    {
        for (HWND hwnd : m_windows)
            DestroyWindow(hwnd);
    }

    HWND Window(RECT rect, COLORREF color, DWORD exStyle = 0)
    {
        HWND hwnd = CreateWindowExW(exStyle, u"ScreenFill", u"", WS_POPUP, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(color));
        m_windows.push_back(hwnd);
        return hwnd;
    }

    static void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }

    static COLORREF ScreenAt(int x, int y)
    {
        auto screen = display::ComposeScreen();
        return gdi::ColorFromPixel(screen->At(x, y) & 0xFFFFFF);
    }

    std::vector<HWND> m_windows;
};

TEST_F(ScreenTest, TheScreenHasTheSizeTheMetricsReport)
{
    auto screen = display::ComposeScreen();
    EXPECT_EQ(screen->Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(screen->Height(), GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(ScreenTest, AWindowRegionShapesTheWindowOnScreen)
{
    HWND below = Window({100, 100, 300, 200}, kGreen);
    HWND shaped = Window({100, 100, 300, 200}, kRed);
    SetWindowRgn(shaped, CreateEllipticRgn(0, 0, 200, 100), TRUE);
    ShowWindow(below, SW_SHOWNA);
    ShowWindow(shaped, SW_SHOW);
    Pump();
    EXPECT_EQ(ScreenAt(200, 150), kRed);   // the middle of the ellipse
    EXPECT_EQ(ScreenAt(102, 102), kGreen); // a corner outside it shows the window below
}

TEST_F(ScreenTest, ALayeredWindowShowsOnceToldHowAndItsKeyColourIsCutOut)
{
    HWND below = Window({400, 100, 500, 200}, kGreen);
    HWND layered = Window({400, 100, 500, 200}, kKey, WS_EX_LAYERED);
    ShowWindow(below, SW_SHOWNA);
    ShowWindow(layered, SW_SHOW);
    Pump();
    EXPECT_EQ(ScreenAt(450, 150), kGreen); // no attributes yet: not shown at all

    SetLayeredWindowAttributes(layered, kKey, 255, LWA_COLORKEY);
    // Paint a red square in the middle; the rest stays the key colour.
    HDC dc = GetDC(layered);
    RECT middle = {40, 40, 60, 60};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(dc, &middle, red);
    DeleteObject(red);
    ReleaseDC(layered, dc);
    EXPECT_EQ(ScreenAt(450, 150), kRed);
    EXPECT_EQ(ScreenAt(410, 110), kGreen);

    SetLayeredWindowAttributes(layered, 0, 0, LWA_ALPHA); // fully transparent
    EXPECT_EQ(ScreenAt(450, 150), kGreen);
}

TEST_F(ScreenTest, AnimateWindowDrawsTheWindowThroughPrintClientAndFades)
{
    using AnimateFunction = BOOL (*)(HWND, DWORD, DWORD);
    auto animate = reinterpret_cast<AnimateFunction>(GetProcAddress(GetModuleHandleA("user32"), "AnimateWindow"));
    ASSERT_NE(animate, nullptr);
    HWND splash = Window({600, 300, 700, 400}, kRed, WS_EX_TOPMOST);
    ASSERT_TRUE(animate(splash, 1, AW_BLEND));
    // No message was dispatched, yet the window shows what it draws.
    EXPECT_TRUE(IsWindowVisible(splash));
    EXPECT_EQ(ScreenAt(650, 350), kRed);
    EXPECT_FALSE(animate(splash, 1, AW_BLEND)); // already shown
    ASSERT_TRUE(animate(splash, 1, AW_BLEND | AW_HIDE));
    EXPECT_FALSE(IsWindowVisible(splash));
    EXPECT_NE(ScreenAt(650, 350), kRed);
}

TEST_F(ScreenTest, ScreenshotsDecodeToWhatTheWindowsShow)
{
    HWND window = Window({50, 400, 150, 450}, kGreen);
    ShowWindow(window, SW_SHOW);
    Pump();
    auto folder = std::filesystem::temp_directory_path() / ("marlwick-shots-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(user::automation::Screenshot(nullptr, folder / "screen.png"));
    ASSERT_TRUE(user::automation::Screenshot(window, folder / "window.png"));
    auto screen = gdi::ReadPng(folder / "screen.png");
    auto shot = gdi::ReadPng(folder / "window.png");
    ASSERT_TRUE(screen && shot);
    EXPECT_EQ(screen->Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(gdi::ColorFromPixel(screen->At(100, 425) & 0xFFFFFF), kGreen);
    EXPECT_EQ(shot->Width(), 100);
    EXPECT_EQ(shot->Height(), 50);
    EXPECT_EQ(gdi::ColorFromPixel(shot->At(10, 10) & 0xFFFFFF), kGreen);
    std::filesystem::remove_all(folder);
}

} // namespace

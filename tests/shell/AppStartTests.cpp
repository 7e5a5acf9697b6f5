// Start-up as the program's entry runs it: the settings, the splash window
// while the main dialog opens, the start block after it, the attachment
// folder, and the main dialog in its skin.
#include "WizardFixture.h"

#include "afx/WinApp.h"
#include "controls/SplashScreenEx.h"
#include "display/Display.h"
#include "gdi/BmpFormat.h"
#include "user/CommCtrl.h"
#include "user/Paint.h"

namespace fs = std::filesystem;

namespace {

// What the screen showed while the main dialog waited with its splash up.
struct SplashSighting {
    bool seen = false;
    RECT rect = {};
    COLORREF corner = 0; // a pixel of the key colour in the picture
    COLORREF card = 0;   // a pixel of the card
    std::string log;
};

// The machine's clock, looking at the screen when the 2.5 s wait begins.
class SplashWatchingClock : public win32::VirtualClock {
public:
    SplashWatchingClock(std::chrono::system_clock::time_point start, std::function<void()> look)
        : VirtualClock(start)
        , m_look(std::move(look))
    {
    }
    void Sleep(std::chrono::milliseconds duration) override
    {
        if (duration.count() == 2500)
            m_look();
        VirtualClock::Sleep(duration);
    }

private:
    std::function<void()> m_look;
};

HWND FindSplash()
{
    for (HWND hwnd : automation::TopLevelWindows()) {
        WCHAR name[64] = {};
        ::GetClassNameW(hwnd, name, 64);
        if (std::u16string(name) == kSplashClassName)
            return hwnd;
    }
    return nullptr;
}

COLORREF PixelOf(HWND window, int x, int y)
{
    HDC dc = ::GetDC(window);
    COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return color;
}

class AppStartTest : public WizardFixture {};

TEST_F(AppStartTest, TheSplashShowsWhileTheDialogOpensAndTheStartBlockFollowsIt)
{
    Install();
    SplashSighting sighting;
    auto clock = std::make_shared<SplashWatchingClock>(m_clock->Now(), [&] {
        HWND splash = FindSplash();
        if (!splash || !::IsWindowVisible(splash))
            return;
        sighting.seen = true;
        ::GetWindowRect(splash, &sighting.rect);
        auto screen = display::ComposeScreen();
        sighting.corner = gdi::ColorFromPixel(screen->At(sighting.rect.left, sighting.rect.top));
        sighting.card = gdi::ColorFromPixel(screen->At(sighting.rect.left + 200, sighting.rect.top + 230));
        sighting.log = Log();
    });
    win32::SetClock(clock);

    HWND main = Start();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(sighting.seen);
    EXPECT_EQ(sighting.rect.right - sighting.rect.left, 440) << "the size of Flash.bmp";
    EXPECT_EQ(sighting.rect.left, (::GetSystemMetrics(SM_CXFULLSCREEN) - 440) / 2);
    EXPECT_NE(sighting.corner, RGB(255, 0, 240)) << "the key colour is cut out of the window";
    EXPECT_NE(sighting.card, RGB(255, 0, 240));
    EXPECT_EQ(sighting.log.find("Start"), std::string::npos) << "the start block comes after the splash";
    EXPECT_FALSE(FindSplash()) << "hidden and destroyed before the dialog shows";
    EXPECT_EQ(clock->TotalSlept().count(), 500 + 2500 + 200) << "fade in, wait, fade out";

    EXPECT_EQ(std::u16string(g_szInstallDir), kInstallDir);
    EXPECT_EQ(std::u16string(m_app.GetRegistryKey()), u"Local AppWizard-Generated Applications");
    EXPECT_EQ(user::InitializedCommonControls(), 0xFFu);
    EXPECT_TRUE(AfxControlContainerEnabled());
    EXPECT_EQ(automation::TextOf(main), u"Pellinor for Lotus Notes NSF - MS Outlook PST");
    EXPECT_TRUE(fs::is_directory(Host(u"C:\\Program Files\\Pellinor\\Attachment")));
    EXPECT_EQ(Log(), "\r\n\r\n\r\n-----------------------Start--------------------------\r\nVersion 4.0\r\n8-12-2026 9:5");
    EXPECT_NE(::SendMessageW(main, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(::GetDlgItem(main, 1007), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the step picture";

    // The skin lies under the transparent label and the radio buttons.
    std::ifstream in(Host(u"C:\\Program Files\\Pellinor\\main.bmp"), std::ios::binary);
    std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto skin = gdi::ParseBmp(file).image;
    ASSERT_NE(skin, nullptr);
    auto skinAt = [&](HWND control, int x, int y) {
        POINT point = {x, y};
        ::MapWindowPoints(control, main, &point, 1);
        return gdi::ColorFromPixel(skin->At(point.x, point.y));
    };
    HWND welcome = ::GetDlgItem(main, 1031);
    RECT label;
    ::GetClientRect(welcome, &label);
    EXPECT_EQ(PixelOf(welcome, label.right - 2, label.bottom - 2), skinAt(welcome, label.right - 2, label.bottom - 2));
    int red = 0;
    for (int y = 0; y < label.bottom; ++y)
        for (int x = 0; x < label.right; ++x)
            red += PixelOf(welcome, x, y) == RGB(255, 0, 0);
    EXPECT_GT(red, 50) << "the welcome text in red";
    HWND radio = ::GetDlgItem(main, 1011);
    RECT radioRect;
    ::GetClientRect(radio, &radioRect);
    EXPECT_EQ(PixelOf(radio, radioRect.right - 1, 0), skinAt(radio, radioRect.right - 1, 0));
}

TEST_F(AppStartTest, WithoutASettingsKeyTheDialogOpensWithoutPictures)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(g_szInstallDir[0], 0);
    EXPECT_EQ(g_szLogDir[0], 0);
    EXPECT_TRUE(fs::exists(Host(u"C:\\Activity Log.txt")));
    EXPECT_TRUE(fs::is_directory(Host(u"C:\\Attachment")));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(main, 1007), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    RECT client;
    ::GetClientRect(main, &client);
    EXPECT_EQ(PixelOf(main, client.right - 5, client.bottom / 2), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(m_clock->TotalSlept().count(), 3200) << "a splash without a picture still fades and waits";
}

// Every user of the install folder appends "\" and a name to it: a setting
// that ends with a backslash doubles it, and the file system takes that.
TEST_F(AppStartTest, AnInstallFolderWithATrailingBackslashStillFindsEverything)
{
    Install();
    SetSetting(u"FilePath", u"C:\\Program Files\\Pellinor\\");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(std::u16string(g_szInstallDir), u"C:\\Program Files\\Pellinor\\");
    EXPECT_NE(::SendMessageW(::GetDlgItem(main, 1007), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the step picture";
    EXPECT_TRUE(fs::is_directory(Host(u"C:\\Program Files\\Pellinor\\Attachment")));
    EXPECT_EQ(Log(), "\r\n\r\n\r\n-----------------------Start--------------------------\r\nVersion 4.0\r\n8-12-2026 9:5");
    RECT client;
    ::GetClientRect(main, &client);
    EXPECT_NE(PixelOf(main, client.right - 5, client.bottom / 2), ::GetSysColor(COLOR_BTNFACE)) << "the skin";
}

} // namespace

// The desktop display under a virtual X server (Xvfb): it shows the
// composed screen and turns the server's events into input. Skipped where
// there is no Xvfb.
#include "X11Display.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Last: Xlib's macros (None, Bool, ...) would clash with names of the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

constexpr const char* kServer = "/usr/bin/Xvfb";

// An Xvfb of its own on a free display number, ended with the test.
class VirtualServer {
public:
    bool Start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execl(kServer, kServer, "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number and a newline when it is ready.
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        m_display = ":" + number;
        return !number.empty();
    }
    ~VirtualServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& Name() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

bool WaitUntil(const std::function<bool()>& condition)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

::Window FindWindow(::Display* x, const char* name)
{
    ::Window root = DefaultRootWindow(x);
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    ::Window found = 0;
    if (XQueryTree(x, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            char* title = nullptr;
            if (XFetchName(x, children[i], &title) && title) {
                if (std::string(title) == name)
                    found = children[i];
                XFree(title);
            }
        }
        XFree(children);
    }
    return found;
}

struct Events {
    std::mutex mutex;
    std::vector<std::tuple<POINT, int, bool>> buttons;
    std::vector<std::pair<UINT, bool>> keys;
};

TEST(X11Display, ShowsTheComposedScreenAndTurnsTheServersEventsIntoInput)
{
    if (!std::filesystem::exists(kServer))
        GTEST_SKIP() << "no Xvfb on this machine";
    VirtualServer server;
    ASSERT_TRUE(server.Start());
    setenv("DISPLAY", server.Name().c_str(), 1);

    auto red = std::make_shared<gdi::Surface>(100, 80);
    red->Fill(0xFF0000);
    display::SetSceneSource([red] {
        display::Layer layer;
        layer.image = red;
        layer.rect = {20, 30, 120, 110};
        return std::vector<display::Layer>{layer};
    });
    Events events;
    display::InputSink sink;
    sink.mouseButton = [&](POINT at, int button, bool down) {
        std::lock_guard lock(events.mutex);
        events.buttons.emplace_back(at, button, down);
    };
    sink.key = [&](UINT key, bool down) {
        std::lock_guard lock(events.mutex);
        events.keys.emplace_back(key, down);
    };
    display::SetInputSink(sink);

    {
        auto desktop = display::OpenX11Display();
        ASSERT_NE(desktop, nullptr);
        EXPECT_STREQ(desktop->Name(), "x11");
        desktop->Changed();

        ::Display* x = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(x, nullptr);
        ::Window window = 0;
        ASSERT_TRUE(WaitUntil([&] { return (window = FindWindow(x, "Marlwick")) != 0; }));
        // The composed screen shows in the window: the layer where it lies, the desktop elsewhere.
        auto pixelAt = [&](int px, int py) {
            XImage* image = XGetImage(x, window, px, py, 1, 1, AllPlanes, ZPixmap);
            unsigned long pixel = image ? XGetPixel(image, 0, 0) : 0;
            if (image)
                XDestroyImage(image);
            return pixel & 0xFFFFFF;
        };
        EXPECT_TRUE(WaitUntil([&] { return pixelAt(50, 50) == 0xFF0000; }));
        EXPECT_NE(pixelAt(300, 300), 0xFF0000u);

        // A press and a key of the server reach the sink, in screen coordinates.
        XEvent press = {};
        press.xbutton.type = ButtonPress;
        press.xbutton.window = window;
        press.xbutton.button = Button1;
        press.xbutton.x = 33;
        press.xbutton.y = 44;
        XSendEvent(x, window, False, ButtonPressMask, &press);
        XEvent key = {};
        key.xkey.type = KeyPress;
        key.xkey.window = window;
        key.xkey.keycode = XKeysymToKeycode(x, XK_Escape);
        XSendEvent(x, window, False, KeyPressMask, &key);
        XFlush(x);
        ASSERT_TRUE(WaitUntil([&] {
            std::lock_guard lock(events.mutex);
            return !events.buttons.empty() && !events.keys.empty();
        }));
        {
            std::lock_guard lock(events.mutex);
            auto [at, button, down] = events.buttons[0];
            EXPECT_EQ(at.x, 33);
            EXPECT_EQ(at.y, 44);
            EXPECT_EQ(button, 0);
            EXPECT_TRUE(down);
            EXPECT_EQ(events.keys[0], (std::pair<UINT, bool>{0x1B, true}));
        }
        XCloseDisplay(x);
    }
    display::SetSceneSource(nullptr);
    display::SetInputSink({});
    unsetenv("DISPLAY");
}

} // namespace

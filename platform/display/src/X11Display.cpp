// The desktop display. One thread owns the X connection: it shows the
// composed screen in a window of the screen's size, recomposes when the
// scene changes, and hands the window's mouse and key events to the input
// sink, in screen coordinates of the composed screen.
#include "X11Display.h"

#include "X11Keys.h"

#include "gdi/GdiObjects.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace display {

namespace {

constexpr int kFrameMilliseconds = 30; // at most this often the screen is composed again

class X11Display : public Display {
public:
    X11Display(::Display* connection, int width, int height) : m_x(connection), m_width(width), m_height(height) {}

    bool Open()
    {
        if (pipe(m_wake) != 0)
            return false;
        int screen = DefaultScreen(m_x);
        Visual* visual = DefaultVisual(m_x, screen);
        if (DefaultDepth(m_x, screen) < 24 || visual->c_class != TrueColor)
            return false;
        m_window = XCreateSimpleWindow(m_x, RootWindow(m_x, screen), 0, 0, static_cast<unsigned>(m_width),
                                       static_cast<unsigned>(m_height), 0, BlackPixel(m_x, screen),
                                       BlackPixel(m_x, screen));
        XStoreName(m_x, m_window, "Marlwick");
        XSelectInput(m_x, m_window,
                     ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask
                         | KeyReleaseMask);
        // The window keeps the screen's size.
        XSizeHints hints = {};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = m_width;
        hints.min_height = hints.max_height = m_height;
        XSetWMNormalHints(m_x, m_window, &hints);
        m_gc = XCreateGC(m_x, m_window, 0, nullptr);
        m_pixels.resize(static_cast<std::size_t>(m_width) * m_height);
        m_image = XCreateImage(m_x, visual, static_cast<unsigned>(DefaultDepth(m_x, screen)), ZPixmap, 0,
                               reinterpret_cast<char*>(m_pixels.data()), static_cast<unsigned>(m_width),
                               static_cast<unsigned>(m_height), 32, m_width * 4);
        if (!m_image)
            return false;
        XMapWindow(m_x, m_window);
        XFlush(m_x);
        m_thread = std::thread([this] { Run(); });
        return true;
    }

    // The process's display lives as long as the process; a display closed
    // earlier stops its thread before it lets the connection go.
    ~X11Display() override
    {
        if (m_thread.joinable()) {
            m_stop = true;
            Wake();
            m_thread.join();
        }
        if (m_image) {
            m_image->data = nullptr; // the pixels are the vector's
            XDestroyImage(m_image);
        }
        if (m_gc)
            XFreeGC(m_x, m_gc);
        if (m_window)
            XDestroyWindow(m_x, m_window);
        XCloseDisplay(m_x);
        for (int fd : m_wake) {
            if (fd >= 0)
                close(fd);
        }
    }

    const char* Name() const override { return "x11"; }

    void Changed() override
    {
        if (!m_dirty.exchange(true))
            Wake();
    }

private:
    void Wake()
    {
        char byte = 1;
        [[maybe_unused]] ssize_t n = write(m_wake[1], &byte, 1);
    }

    void Run()
    {
        while (!m_stop) {
            pollfd fds[2] = {{ConnectionNumber(m_x), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            if (!XPending(m_x))
                poll(fds, 2, m_dirty ? kFrameMilliseconds : -1);
            if (fds[1].revents & POLLIN) {
                char buffer[64];
                [[maybe_unused]] ssize_t n = read(m_wake[0], buffer, sizeof buffer);
            }
            while (XPending(m_x)) {
                XEvent event;
                XNextEvent(m_x, &event);
                Handle(event);
            }
            if (m_dirty.exchange(false))
                Show();
        }
    }

    void Show()
    {
        auto screen = ComposeScreen();
        int w = std::min(m_width, screen->Width());
        int h = std::min(m_height, screen->Height());
        for (int y = 0; y < h; ++y)
            std::memcpy(&m_pixels[static_cast<std::size_t>(y) * m_width], screen->Row(y), static_cast<std::size_t>(w) * 4);
        XPutImage(m_x, m_window, m_gc, m_image, 0, 0, 0, 0, static_cast<unsigned>(m_width),
                  static_cast<unsigned>(m_height));
        XFlush(m_x);
    }

    void Handle(XEvent& event)
    {
        InputSink sink = CurrentInputSink();
        switch (event.type) {
        case Expose:
            m_dirty = true;
            break;
        case MotionNotify:
            if (sink.mouseMove)
                sink.mouseMove({event.xmotion.x, event.xmotion.y});
            break;
        case ButtonPress:
        case ButtonRelease: {
            // Buttons 4 and 5 are the wheel's notches away and towards the user; a notch is one press.
            if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
                if (event.type == ButtonPress && sink.wheel)
                    sink.wheel({event.xbutton.x, event.xbutton.y}, event.xbutton.button == Button4 ? 120 : -120);
                break;
            }
            int button = event.xbutton.button == Button1 ? 0 : event.xbutton.button == Button3 ? 1 : 2;
            if (event.xbutton.button <= Button3 && sink.mouseButton)
                sink.mouseButton({event.xbutton.x, event.xbutton.y}, button, event.type == ButtonPress);
            break;
        }
        case KeyPress:
        case KeyRelease: {
            char text[8];
            KeySym keysym = 0;
            XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
            KeyMeaning meaning = MeaningOfKeySym(keysym);
            bool down = event.type == KeyPress;
            if (meaning.virtualKey && sink.key)
                sink.key(meaning.virtualKey, down);
            else if (meaning.character && down && sink.character)
                sink.character(meaning.character);
            break;
        }
        default:
            break;
        }
    }

    ::Display* m_x;
    int m_width;
    int m_height;
    ::Window m_window = 0;
    GC m_gc = nullptr;
    XImage* m_image = nullptr;
    std::vector<std::uint32_t> m_pixels;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_dirty{true};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

std::unique_ptr<Display> OpenX11Display()
{
    ::Display* connection = XOpenDisplay(nullptr);
    if (!connection)
        return nullptr;
    SIZE size = gdi::GetScreenSize();
    auto display = std::make_unique<X11Display>(connection, size.cx, size.cy);
    if (!display->Open())
        return nullptr; // the destructor lets the connection go
    return display;
}

} // namespace display

// Choosing the display of the process, the headless display, and the input
// sink that displays feed.
#include "display/Display.h"

#include "X11Display.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace display {

namespace {

// Composes only when asked: screenshots and tests read the screen through
// ComposeScreen.
class HeadlessDisplay : public Display {
public:
    const char* Name() const override { return "headless"; }
    void Changed() override {}
};

std::mutex g_sinkMutex;
InputSink g_sink;

std::atomic<Display*> g_current{nullptr};

std::unique_ptr<Display> Choose()
{
    const char* wanted = std::getenv("MARLWICK_DISPLAY");
    const char* x = std::getenv("DISPLAY");
    if ((!wanted || std::strcmp(wanted, "headless") != 0) && x && *x) {
        if (auto desktop = OpenX11Display())
            return desktop;
    }
    return std::make_unique<HeadlessDisplay>();
}

} // namespace

void SetInputSink(InputSink sink)
{
    std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(sink);
}

InputSink CurrentInputSink()
{
    std::lock_guard lock(g_sinkMutex);
    return g_sink;
}

Display& Current()
{
    static Display* display = [] {
        Display* chosen = Choose().release(); // lives as long as the process
        g_current = chosen;
        return chosen;
    }();
    return *display;
}

void Changed()
{
    if (Display* display = g_current.load())
        display->Changed();
}

} // namespace display

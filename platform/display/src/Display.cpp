// Choosing the display of the process, the headless display, and the input
// sink that displays feed.
#include "display/Display.h"

#include "X11Display.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
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

// A person who starts the program without a desktop would otherwise wait
// for windows that never show. Tests ask for the headless screen, and a
// script drives a run that nobody watches: neither needs telling.
void TellHeadless(const char* why)
{
    std::fprintf(stderr,
                 "%s: %s, so it runs headless and its windows cannot be seen.\n"
                 "To see them, run it under an X server (set DISPLAY, e.g. a desktop session or Xvfb with a VNC "
                 "viewer), or drive the run with a script (MARLWICK_SCRIPT=run.txt, see README.md).\n",
                 program_invocation_short_name, why);
    std::fflush(stderr);
}

std::unique_ptr<Display> Choose()
{
    const char* wanted = std::getenv("MARLWICK_DISPLAY");
    const char* x = std::getenv("DISPLAY");
    const bool headlessAsked = wanted && std::strcmp(wanted, "headless") == 0;
    if (!headlessAsked && x && *x) {
        if (auto desktop = OpenX11Display())
            return desktop;
    }
    const char* script = std::getenv("MARLWICK_SCRIPT");
    if (!headlessAsked && !(script && *script))
        TellHeadless(x && *x ? "the X display named by DISPLAY cannot be opened" : "DISPLAY is not set");
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

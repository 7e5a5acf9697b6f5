// Cost of a message sent from a worker to a window of another thread and
// back: the progress texts and bars of a conversion and the folder tree of
// step 3 pay it for every call. The median of single round trips is printed
// beside its limit; nothing is asserted.
#include "user/MessageQueue.h"
#include "user/Messages.h"
#include "user/Window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr double kLimitMicroseconds = 10.0;

LRESULT EchoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_USER)
        return static_cast<LRESULT>(wParam + 1);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A window on a thread of its own that pumps messages as a GUI thread does.
class GuiThread {
public:
    GuiThread()
    {
        m_thread = std::thread([this] {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = EchoProc;
            wc.lpszClassName = u"SendMessageBenchmarkEcho";
            RegisterClassExW(&wc);
            m_window.store(CreateWindowExW(0, u"SendMessageBenchmarkEcho", u"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr));
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0))
                DispatchMessageW(&msg);
            DestroyWindow(m_window.load());
        });
        while (!m_window.load())
            std::this_thread::yield();
        m_threadId = GetWindowThreadProcessId(m_window.load(), nullptr);
    }
    ~GuiThread()
    {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_window.load(); }

private:
    std::atomic<HWND> m_window{nullptr};
    DWORD m_threadId = 0;
    std::thread m_thread;
};

void BM_CrossThreadSendMessageRoundTrip(benchmark::State& state)
{
    GuiThread gui;
    std::vector<double> trips;
    trips.reserve(1 << 20);
    WPARAM n = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const LRESULT result = SendMessageW(gui.Window(), WM_USER, n, 0);
        const auto end = std::chrono::steady_clock::now();
        if (result != static_cast<LRESULT>(n + 1))
            state.SkipWithError("the window answered wrongly");
        ++n;
        if (trips.size() < trips.capacity())
            trips.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    if (trips.empty())
        return;
    std::sort(trips.begin(), trips.end());
    const double median = trips[trips.size() / 2];
    const double p90 = trips[trips.size() * 9 / 10];
    state.counters["median_us"] = median;
    state.counters["p90_us"] = p90;
    std::printf("cross-thread SendMessage round trip: median %.2f us (limit %.0f us), 90%% under %.2f us, %zu trips\n",
                median, kLimitMicroseconds, p90, trips.size());
}
BENCHMARK(BM_CrossThreadSendMessageRoundTrip)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

} // namespace

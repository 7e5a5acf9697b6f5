// A progress bar moved from a thread that does not own it: a position that
// leaves the bar as it is needs no answer from the owner, every other one
// goes to the owner's thread as before.
#include "ControlTest.h"

#include "user/ProgressBar.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A thread that owns a bar at position 100 of 0 to 100, then does what the
// test gives it.
class BarOwner {
public:
    explicit BarOwner(std::function<void(HWND bar)> then)
    {
        std::promise<HWND> made;
        auto ready = made.get_future();
        m_thread = std::thread([&made, then] {
            HWND bar = CreateWindowExW(0, PROGRESS_CLASS, u"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr,
                                       nullptr);
            SendMessageW(bar, PBM_SETPOS, 100, 0);
            made.set_value(bar);
            then(bar);
            if (IsWindow(bar))
                DestroyWindow(bar);
        });
        m_bar = ready.get();
    }
    ~BarOwner() { m_thread.join(); }
    HWND Bar() const { return m_bar; }

private:
    std::thread m_thread;
    HWND m_bar = nullptr;
};

// Takes messages until stop, which a posted message lets the loop see.
void Pump(const std::atomic<bool>& stop)
{
    MSG msg;
    while (!stop.load() && GetMessageW(&msg, nullptr, 0, 0))
        DispatchMessageW(&msg);
}

std::atomic<int> g_subclassSaw{0};
WNDPROC g_barProc = nullptr;

LRESULT CountingSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == PBM_SETPOS)
        ++g_subclassSaw;
    return CallWindowProcW(g_barProc, hwnd, msg, wParam, lParam);
}

} // namespace

TEST(ProgressThreadTest, AnUnchangedPositionIsAnsweredWhileTheOwnerTakesNoMessagesAndANewOneWaitsForIt)
{
    std::promise<void> asked;
    auto askedDone = asked.get_future();
    std::atomic<bool> stop{false};
    BarOwner owner([&](HWND) {
        // Takes no messages until the unchanged positions are answered.
        askedDone.wait();
        Pump(stop);
    });
    HWND bar = owner.Bar();
    EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 100, 0), 100);
    // Past the end is clamped to the end, where the bar already is.
    EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 250, 0), 100);
    // A new position is the owner's to make: it is answered once the owner
    // takes messages, and the owner has it then.
    auto moved = std::async(std::launch::async, [bar] { return SendMessageW(bar, PBM_SETPOS, 30, 0); });
    asked.set_value();
    EXPECT_EQ(moved.get(), 100);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 30);
    EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 30, 0), 30);
    stop = true;
    PostMessageW(bar, WM_NULL, 0, 0);
}

TEST(ProgressThreadTest, AnUnknownSubclassSeesEveryPositionOnTheOwnersThread)
{
    g_subclassSaw = 0;
    std::atomic<bool> pumping{false};
    std::atomic<bool> stop{false};
    BarOwner owner([&](HWND bar) {
        g_barProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingSubclass)));
        pumping = true;
        Pump(stop);
    });
    while (!pumping)
        std::this_thread::yield();
    EXPECT_EQ(SendMessageW(owner.Bar(), PBM_SETPOS, 100, 0), 100);
    EXPECT_EQ(g_subclassSaw.load(), 1);
    stop = true;
    PostMessageW(owner.Bar(), WM_NULL, 0, 0);
}

TEST(ProgressThreadTest, ABarDestroyedByItsOwnerAnswersNothing)
{
    std::promise<void> destroyed;
    auto gone = destroyed.get_future();
    std::promise<void> asked;
    auto askedDone = asked.get_future();
    BarOwner owner([&](HWND bar) {
        DestroyWindow(bar);
        destroyed.set_value();
        askedDone.wait();
    });
    gone.wait();
    EXPECT_EQ(SendMessageW(owner.Bar(), PBM_SETPOS, 100, 0), 0);
    asked.set_value();
}

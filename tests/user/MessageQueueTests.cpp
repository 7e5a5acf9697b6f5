#include "RecordingWindow.h"
#include "user/Automation.h"
#include "win32/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A thread that owns a window and runs a message loop until WM_QUIT.
class GuiThread {
public:
    explicit GuiThread(std::function<void(HWND)> loop = nullptr)
    {
        std::promise<HWND> made;
        auto ready = made.get_future();
        m_thread = std::thread([this, &made, loop] {
            HWND hwnd = RecordingClass::Get().Create(nullptr, WS_OVERLAPPED, 0, u"gui");
            m_threadId = GetCurrentThreadId();
            made.set_value(hwnd);
            if (loop) {
                loop(hwnd);
            } else {
                MSG msg;
                while (GetMessageW(&msg, nullptr, 0, 0))
                    DispatchMessageW(&msg);
            }
            DestroyWindow(hwnd);
        });
        m_hwnd = ready.get();
    }
    ~GuiThread()
    {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        PostMessageW(m_hwnd, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_hwnd; }

private:
    std::thread m_thread;
    HWND m_hwnd = nullptr;
    DWORD m_threadId = 0;
};

} // namespace

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordingClass::Get().handler = nullptr;
        RecordingClass::Get().Take();
    }
    void TearDown() override
    {
        RecordingClass::Get().handler = nullptr;
        win32::SetClock(nullptr);
    }
};

TEST_F(MessageQueueTest, SendingToAnotherThreadsWindowWaitsForThatThread)
{
    GuiThread gui;
    std::thread::id ranOn;
    RecordingClass::Get().handler = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT* result) {
        if (msg != WM_USER)
            return false;
        ranOn = std::this_thread::get_id();
        *result = 42;
        return true;
    };
    EXPECT_EQ(SendMessageW(gui.Window(), WM_USER, 0, 0), 42);
    EXPECT_NE(ranOn, std::this_thread::get_id());
    // Window calls from a worker are carried to the owner too.
    EXPECT_TRUE(SetWindowTextW(gui.Window(), u"from a worker"));
    WCHAR text[32];
    GetWindowTextW(gui.Window(), text, 32);
    EXPECT_EQ(std::u16string(text), u"from a worker");
}

TEST_F(MessageQueueTest, AThreadInANestedLoopOrInItsOwnSendStillServesSentMessages)
{
    // The GUI thread sends to a worker's window; the worker, while handling
    // it, sends back to the GUI thread. Neither waits for ever.
    std::promise<HWND> workerWindow;
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        HWND hwnd = RecordingClass::Get().Create(nullptr, WS_OVERLAPPED, 0, u"worker");
        workerWindow.set_value(hwnd);
        MSG msg;
        while (!stop) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        DestroyWindow(hwnd);
    });
    HWND other = workerWindow.get_future().get();

    GuiThread gui([&](HWND self) {
        // A modal-style loop of its own, as a dialog box runs.
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0)) {
            if (msg.message == WM_USER + 5)
                SendMessageW(other, WM_USER + 6, 0, reinterpret_cast<LPARAM>(self));
            DispatchMessageW(&msg);
        }
    });
    std::atomic<int> answered{0};
    RecordingClass::Get().handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
        if (msg == WM_USER + 6) { // on the worker: ask the GUI thread back
            *result = SendMessageW(reinterpret_cast<HWND>(lParam), WM_USER + 7, 0, 0);
            answered = static_cast<int>(*result);
            return true;
        }
        if (msg == WM_USER + 7) {
            *result = 7;
            return true;
        }
        (void)hwnd;
        return false;
    };
    PostMessageW(gui.Window(), WM_USER + 5, 0, 0);
    EXPECT_TRUE(user::automation::WaitUntil([&] { return answered != 0; }, std::chrono::seconds(60)));
    EXPECT_EQ(answered, 7);
    stop = true;
    worker.join();
}

TEST_F(MessageQueueTest, ASendToAThreadThatEndedReturnsZero)
{
    HWND orphan = nullptr;
    std::thread([&] { orphan = RecordingClass::Get().Create(nullptr, WS_OVERLAPPED, 0, u"orphan"); }).join();
    EXPECT_EQ(SendMessageW(orphan, WM_USER, 0, 0), 0);
}

TEST_F(MessageQueueTest, QuitComesAfterThePostedMessages)
{
    HWND hwnd = RecordingClass::Get().Create();
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageW(hwnd, WM_USER + 2, 0, 0);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 2u);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    DestroyWindow(hwnd);
}

TEST_F(MessageQueueTest, TimersFireOnTheMachinesClock)
{
    auto clock = std::make_shared<win32::VirtualClock>(std::chrono::system_clock::now());
    win32::SetClock(clock);
    HWND hwnd = RecordingClass::Get().Create();
    EXPECT_EQ(SetTimer(hwnd, 5, 100, nullptr), 5u);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    clock->Advance(std::chrono::milliseconds(100));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)); // rearmed, not due
    clock->Advance(std::chrono::milliseconds(100));
    EXPECT_TRUE(KillTimer(hwnd, 5));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(KillTimer(hwnd, 5));
    SetTimer(hwnd, 6, 50, nullptr);
    DestroyWindow(hwnd); // a window's timers end with it
    clock->Advance(std::chrono::milliseconds(100));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(MessageQueueTest, AWaitingThreadWakesForAPostFromAnotherThread)
{
    HWND hwnd = RecordingClass::Get().Create();
    std::thread poster([hwnd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageW(hwnd, WM_USER + 9, 1, 2);
    });
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 9u);
    EXPECT_EQ(msg.lParam, 2);
    poster.join();
    DestroyWindow(hwnd);
}

TEST_F(MessageQueueTest, KeysBecomeCharactersAndF1AsksForHelp)
{
    HWND parent = RecordingClass::Get().Create();
    HWND child = RecordingClass::Get().Create(parent, WS_CHILD | WS_VISIBLE, 3);
    MSG key = {child, WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(u'a'));
    RecordingClass::Get().Take();
    SendMessageW(child, WM_KEYDOWN, VK_F1, 0);
    auto received = RecordingClass::Get().Take();
    std::vector<HWND> helped;
    for (const auto& r : received) {
        if (r.message == WM_HELP)
            helped.push_back(r.hwnd);
    }
    EXPECT_EQ(helped, (std::vector<HWND>{child, parent}));
    DestroyWindow(parent);
}

TEST_F(MessageQueueTest, ManySendersToOneWindowEachGetTheirOwnAnswerWhetherItComesAtOnceOrLate)
{
    // Quick answers (the receiver spins for the next one), slow ones (the
    // senders give up spinning and sleep) and posts from elsewhere mixed.
    GuiThread gui;
    std::atomic<int> served{0};
    std::atomic<int> posted{0};
    RecordingClass::Get().handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
        if (msg == WM_USER + 2) {
            ++posted;
            return true;
        }
        if (msg != WM_USER + 1)
            return false;
        if (wParam % 97 == 0) {
            // A handler that takes long, as a repaint does.
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(300);
            while (std::chrono::steady_clock::now() < until) {
            }
        }
        ++served;
        *result = static_cast<LRESULT>(wParam * 2 + 1);
        return true;
    };
    constexpr int kSenders = 8;
    constexpr int kCalls = 1500;
    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kCalls; ++i) {
                const WPARAM tag = static_cast<WPARAM>(s) << 20 | static_cast<WPARAM>(i);
                if (SendMessageW(gui.Window(), WM_USER + 1, tag, 0) != static_cast<LRESULT>(tag * 2 + 1))
                    ++wrong;
                if (i % 50 == 0)
                    PostMessageW(gui.Window(), WM_USER + 2, 0, 0);
            }
        });
    }
    for (auto& sender : senders)
        sender.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(served, kSenders * kCalls);
    // The posts are taken too, with nobody sending any more to wake the thread.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (posted < kSenders * (kCalls / 50) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(posted, kSenders * (kCalls / 50));
}

TEST_F(MessageQueueTest, ASenderWhoseReceiverStopsServingSleepsUntilItServesAgain)
{
    // The receiver answers at once for a while, so that senders learn to
    // spin, then stays away without pumping far longer than any spin, as a
    // thread in a long computation does. The senders get their answers when
    // it comes back, and meanwhile sleep instead of spinning through the wait.
    std::atomic<bool> away{false};
    std::atomic<bool> isAway{false};
    std::atomic<bool> back{false};
    GuiThread gui([&](HWND) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0)) {
            DispatchMessageW(&msg);
            if (away.exchange(false)) {
                isAway = true;
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                while (!back && std::chrono::steady_clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    });
    const auto waitFor = [](const auto& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return done();
    };
    RecordingClass::Get().handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
        if (msg != WM_USER + 5)
            return false;
        *result = static_cast<LRESULT>(wParam + 7);
        return true;
    };
    constexpr int kSenders = 3;
    std::atomic<int> warm{0};
    std::atomic<bool> go{false};
    std::atomic<int> waiting{0};
    std::vector<std::future<std::pair<bool, double>>> senders;
    for (int s = 0; s < kSenders; ++s)
        senders.push_back(std::async(std::launch::async, [&, s] {
            bool right = true;
            for (int i = 0; i < 2000; ++i)
                right = right && SendMessageW(gui.Window(), WM_USER + 5, static_cast<WPARAM>(i), 0) == i + 7;
            ++warm;
            waitFor([&] { return go.load(); });
            timespec before{}, after{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
            ++waiting;
            right = right && SendMessageW(gui.Window(), WM_USER + 5, static_cast<WPARAM>(s), 0) == s + 7;
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
            const double cpu = static_cast<double>(after.tv_sec - before.tv_sec) +
                               static_cast<double>(after.tv_nsec - before.tv_nsec) * 1e-9;
            return std::make_pair(right, cpu);
        }));
    struct Release { // a failed step below must not leave the senders waiting
        std::atomic<bool>& go;
        std::atomic<bool>& back;
        ~Release() { go = back = true; }
    } release{go, back};
    // Once the senders spin, the receiver goes away after the next message
    // it takes; the senders' last calls wait for it.
    ASSERT_TRUE(waitFor([&] { return warm == kSenders; }));
    away = true;
    PostMessageW(gui.Window(), WM_NULL, 0, 0);
    ASSERT_TRUE(waitFor([&] { return isAway.load(); }));
    go = true;
    ASSERT_TRUE(waitFor([&] { return waiting == kSenders; }));
    // Long enough for a sender that never stopped spinning to show it in its
    // processor time, and the spins are far shorter than this.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    back = true;
    for (auto& sender : senders) {
        ASSERT_EQ(sender.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "a sender hangs";
        const auto [right, cpu] = sender.get();
        EXPECT_TRUE(right) << "a sender got another's answer";
        EXPECT_LT(cpu, 0.1) << "a sender spun through the receiver's absence";
    }
}

TEST_F(MessageQueueTest, SendersWhoseReceiverEndsAreReleasedWithZeroOrTheirAnswer)
{
    std::promise<HWND> made;
    std::atomic<bool> othersSending{false};
    std::thread receiver([&] {
        HWND hwnd = RecordingClass::Get().Create(nullptr, WS_OVERLAPPED, 0, u"leaving");
        made.set_value(hwnd);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0))
            DispatchMessageW(&msg);
        // The thread ends with its window and whatever was still sent to it.
    });
    HWND hwnd = made.get_future().get();
    RecordingClass::Get().handler = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT* result) {
        if (msg == WM_USER + 3) {
            *result = 5;
            return true;
        }
        if (msg != WM_USER + 4)
            return false;
        // Ends the loop once the others are on their way; what they sent
        // meanwhile is never served.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!othersSending && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        PostQuitMessage(0);
        *result = 9;
        return true;
    };
    auto first = std::async(std::launch::async, [&] { return SendMessageW(hwnd, WM_USER + 4, 0, 0); });
    std::vector<std::future<LRESULT>> others;
    for (int s = 0; s < 6; ++s)
        others.push_back(std::async(std::launch::async, [&] {
            othersSending = true;
            // Served until the thread takes its quit, then released.
            LRESULT last = 5;
            for (long i = 0; i < 100'000'000 && last == 5; ++i)
                last = SendMessageW(hwnd, WM_USER + 3, 0, 0);
            return last;
        }));
    ASSERT_EQ(first.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the first sender hangs";
    EXPECT_EQ(first.get(), 9);
    for (auto& other : others) {
        ASSERT_EQ(other.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "a sender hangs";
        EXPECT_EQ(other.get(), 0) << "every sender ends up with the answer of a window that is gone";
    }
    receiver.join();
    EXPECT_EQ(SendMessageW(hwnd, WM_USER + 3, 0, 0), 0) << "a send after the end";
}

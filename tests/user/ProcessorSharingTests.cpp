// A thread that keeps sending to another thread's window runs on that
// thread's processor while it lives; the other thread gets its processors
// back when it ends. Nothing else about the messages changes.
#include "RecordingWindow.h"
#include "win32/FileApi.h"
#include "win32/Thread.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <sched.h>
#include <thread>
#include <vector>

namespace {

cpu_set_t MaskOf(pid_t thread)
{
    cpu_set_t mask;
    CPU_ZERO(&mask);
    EXPECT_EQ(sched_getaffinity(thread, sizeof mask, &mask), 0);
    return mask;
}

bool SameMask(const cpu_set_t& a, const cpu_set_t& b)
{
    return CPU_EQUAL(&a, &b);
}

// A thread with a window that answers WM_USER with its argument plus one,
// until it is told to quit.
class Owner {
public:
    Owner()
    {
        std::promise<HWND> made;
        auto ready = made.get_future();
        m_thread = std::thread([this, &made] {
            m_tid = static_cast<pid_t>(GetCurrentThreadId());
            made.set_value(RecordingClass::Get().Create(nullptr, WS_OVERLAPPED, 0, u"owner"));
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0))
                DispatchMessageW(&msg);
        });
        m_hwnd = ready.get();
    }
    ~Owner()
    {
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        PostThreadMessageW(static_cast<DWORD>(m_tid), WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_hwnd; }
    pid_t Tid() const { return m_tid; }

private:
    std::thread m_thread;
    HWND m_hwnd = nullptr;
    pid_t m_tid = 0;
};

} // namespace

TEST(ProcessorSharing, ASenderAndItsPartnerShareOneProcessorUntilTheSenderEnds)
{
    const cpu_set_t all = MaskOf(0);
    if (CPU_COUNT(&all) < 2)
        GTEST_SKIP() << "one processor: nothing to share";
    Owner owner;
    const cpu_set_t before = MaskOf(owner.Tid());

    std::promise<void> checked;
    auto mayEnd = checked.get_future();
    std::promise<cpu_set_t> senderMask;
    auto sent = senderMask.get_future();
    std::atomic<int> wrong{0};
    std::thread sender([&] {
        // A few sends tie nothing; a long run does.
        for (int i = 0; i < 16; ++i)
            SendMessageW(owner.Window(), WM_NULL, 0, 0);
        if (!SameMask(MaskOf(0), all))
            ++wrong;
        for (int i = 0; i < 200; ++i)
            SendMessageW(owner.Window(), WM_NULL, 0, 0);
        senderMask.set_value(MaskOf(0));
        mayEnd.wait();
    });
    const cpu_set_t mine = sent.get();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(CPU_COUNT(&mine), 1);
    EXPECT_TRUE(SameMask(MaskOf(owner.Tid()), mine));
    checked.set_value();
    sender.join();
    EXPECT_TRUE(SameMask(MaskOf(owner.Tid()), before));
}

TEST(ProcessorSharing, TwoSendersShareTheirPartnersProcessorAndItIsFreedAfterTheLast)
{
    const cpu_set_t all = MaskOf(0);
    if (CPU_COUNT(&all) < 2)
        GTEST_SKIP() << "one processor: nothing to share";
    Owner owner;
    const cpu_set_t before = MaskOf(owner.Tid());
    auto runSender = [&](std::promise<cpu_set_t>& mask, std::shared_future<void> mayEnd) {
        return std::thread([&owner, &mask, mayEnd] {
            for (int i = 0; i < 200; ++i)
                SendMessageW(owner.Window(), WM_NULL, 0, 0);
            mask.set_value(MaskOf(0));
            mayEnd.wait();
        });
    };
    std::promise<void> firstMayEnd, secondMayEnd;
    std::promise<cpu_set_t> firstMask, secondMask;
    std::thread first = runSender(firstMask, firstMayEnd.get_future().share());
    const cpu_set_t one = firstMask.get_future().get();
    std::thread second = runSender(secondMask, secondMayEnd.get_future().share());
    EXPECT_TRUE(SameMask(secondMask.get_future().get(), one));
    firstMayEnd.set_value();
    first.join();
    // The second sender still shares the owner's processor.
    EXPECT_TRUE(SameMask(MaskOf(owner.Tid()), one));
    secondMayEnd.set_value();
    second.join();
    EXPECT_TRUE(SameMask(MaskOf(owner.Tid()), before));
}

TEST(ProcessorSharing, ASenderWhosePartnerEndsGetsItsProcessorsBack)
{
    std::promise<cpu_set_t> before, during, after;
    std::promise<void> partnerGone;
    auto gone = partnerGone.get_future();
    std::promise<HWND> window;
    auto windowReady = window.get_future();
    std::thread sender([&] {
        before.set_value(MaskOf(0));
        HWND hwnd = windowReady.get();
        for (int i = 0; i < 200; ++i)
            SendMessageW(hwnd, WM_NULL, 0, 0);
        during.set_value(MaskOf(0));
        gone.wait();
        after.set_value(MaskOf(0));
    });
    const cpu_set_t all = before.get_future().get();
    {
        Owner owner;
        window.set_value(owner.Window());
        const cpu_set_t shared = during.get_future().get();
        EXPECT_EQ(CPU_COUNT(&shared), CPU_COUNT(&all) < 2 ? CPU_COUNT(&all) : 1);
    }
    partnerGone.set_value();
    EXPECT_TRUE(SameMask(after.get_future().get(), all));
    sender.join();
}

// What a tied thread starts is not tied: a thread it creates runs where the
// process may run.
TEST(ProcessorSharing, AThreadMadeByATiedSenderRunsOnTheProcessesProcessors)
{
    const cpu_set_t all = MaskOf(0);
    if (CPU_COUNT(&all) < 2)
        GTEST_SKIP() << "one processor: nothing to share";
    Owner owner;
    std::promise<cpu_set_t> senderMask, childMask;
    std::thread sender([&] {
        for (int i = 0; i < 200; ++i)
            SendMessageW(owner.Window(), WM_NULL, 0, 0);
        senderMask.set_value(MaskOf(0));
        HANDLE child = CreateThread(
            nullptr, 0,
            [](LPVOID mask) -> DWORD {
                static_cast<std::promise<cpu_set_t>*>(mask)->set_value(MaskOf(0));
                return 0;
            },
            &childMask, 0, nullptr);
        ASSERT_NE(child, nullptr);
        WaitForSingleObject(child, INFINITE);
        CloseHandle(child);
    });
    const cpu_set_t tied = senderMask.get_future().get();
    EXPECT_EQ(CPU_COUNT(&tied), 1);
    EXPECT_TRUE(SameMask(childMask.get_future().get(), all));
    sender.join();
}

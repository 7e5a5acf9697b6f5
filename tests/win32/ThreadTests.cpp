#include "win32/Clock.h"
#include "win32/FileApi.h"
#include "win32/Thread.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Waits in real time for a condition another thread makes true; a generous
// limit only keeps a broken test from hanging.
bool Eventually(const std::function<bool()>& condition)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs a callable as a thread routine.
struct Routine {
    std::function<DWORD()> body;
    static DWORD Entry(LPVOID self) { return static_cast<Routine*>(self)->body(); }
};

HANDLE Start(Routine& routine, DWORD flags = 0, DWORD* id = nullptr)
{
    return CreateThread(nullptr, 0, &Routine::Entry, &routine, flags, id);
}

DWORD Finish(HANDLE thread)
{
    EXPECT_EQ(WaitForSingleObject(thread, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    CloseHandle(thread);
    return code;
}

// A worker that counts units of work, each begun after a safe point.
struct Counter {
    std::atomic<int> units{0};
    std::atomic<bool> stop{false};
    Routine routine{[this]() -> DWORD {
        while (!stop) {
            Sleep(0);
            ++units;
        }
        return 0;
    }};
};

TEST(Threads, ExitCodeIsStillActiveUntilTheRoutineReturnsItsResult)
{
    std::atomic<bool> release{false};
    DWORD seenId = 0;
    Routine routine{[&]() -> DWORD {
        seenId = GetCurrentThreadId();
        while (!release)
            std::this_thread::yield();
        return 42;
    }};
    DWORD id = 0;
    HANDLE thread = Start(routine, 0, &id);
    ASSERT_NE(thread, nullptr);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    release = true;
    EXPECT_EQ(Finish(thread), 42u);
    EXPECT_EQ(seenId, id);
    EXPECT_NE(id, GetCurrentThreadId());
}

TEST(Threads, SuspendCountsNestAndOnlyTheLastResumeReleasesACreatedSuspendedThread)
{
    std::atomic<bool> ran{false};
    Routine routine{[&]() -> DWORD {
        ran = true;
        return 0;
    }};
    HANDLE thread = Start(routine, CREATE_SUSPENDED);
    EXPECT_EQ(SuspendThread(thread), 1u);
    EXPECT_EQ(SuspendThread(thread), 2u);
    EXPECT_TRUE(Eventually([&] { return win32::IsThreadParked(thread); }));
    EXPECT_EQ(ResumeThread(thread), 3u);
    EXPECT_EQ(ResumeThread(thread), 2u);
    EXPECT_FALSE(ran);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(Finish(thread), 0u);
    EXPECT_TRUE(ran);
}

TEST(Threads, ResumingARunningThreadChangesNothingAndAnEndedThreadRefusesBoth)
{
    Counter counter;
    HANDLE thread = Start(counter.routine);
    EXPECT_EQ(ResumeThread(thread), 0u);
    counter.stop = true;
    ASSERT_EQ(WaitForSingleObject(thread, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1));
    EXPECT_EQ(ResumeThread(thread), static_cast<DWORD>(-1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(thread);
}

TEST(Threads, SuspensionStopsAtTheLimitOfTheCount)
{
    Routine routine{[]() -> DWORD { return 0; }};
    HANDLE thread = Start(routine, CREATE_SUSPENDED);
    for (DWORD i = 1; i < MAXIMUM_SUSPEND_COUNT; ++i)
        ASSERT_EQ(SuspendThread(thread), i);
    EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SIGNAL_REFRAINED));
    while (ResumeThread(thread) > 1) {
    }
    Finish(thread);
}

TEST(Threads, ASuspendedWorkerBeginsNoNewUnitOfWork)
{
    Counter counter;
    HANDLE thread = Start(counter.routine);
    ASSERT_TRUE(Eventually([&] { return counter.units > 3; }));

    ASSERT_EQ(SuspendThread(thread), 0u);
    int atSuspend = counter.units;
    ASSERT_TRUE(Eventually([&] { return win32::IsThreadParked(thread); }));
    int parkedAt = counter.units;
    // The unit under way when the suspension came may finish; no other starts.
    EXPECT_LE(parkedAt, atSuspend + 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.units, parkedAt);

    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_TRUE(Eventually([&] { return counter.units > parkedAt + 3; }));
    counter.stop = true;
    Finish(thread);
}

// Safe points look at a flag kept with the suspend count rather than take
// the thread's lock: the flag must follow the count through every change.
TEST(Threads, EverySuspensionOfARepeatedCycleParksTheWorkerUntilTheCountIsBackToZero)
{
    Counter counter;
    HANDLE thread = Start(counter.routine);
    ASSERT_TRUE(Eventually([&] { return counter.units > 3; }));
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_EQ(SuspendThread(thread), 0u);
        ASSERT_EQ(SuspendThread(thread), 1u);
        ASSERT_TRUE(Eventually([&] { return win32::IsThreadParked(thread); }));
        // One resume of two leaves it suspended.
        ASSERT_EQ(ResumeThread(thread), 2u);
        const int parkedAt = counter.units;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(counter.units, parkedAt);
        EXPECT_TRUE(win32::IsThreadParked(thread));
        ASSERT_EQ(ResumeThread(thread), 1u);
        ASSERT_TRUE(Eventually([&] { return counter.units > parkedAt + 3; }));
        EXPECT_FALSE(win32::IsThreadParked(thread));
    }
    counter.stop = true;
    Finish(thread);
}

TEST(Threads, AThreadHoldingALockIsNotParkedUntilItLetsGo)
{
    std::atomic<bool> holding{false};
    std::atomic<bool> letGo{false};
    std::atomic<int> unitsWhileHolding{0};
    std::atomic<bool> after{false};
    Routine routine{[&]() -> DWORD {
        {
            win32::DeferSafePoints lockHeld;
            holding = true;
            while (!letGo) {
                Sleep(0);
                ++unitsWhileHolding;
            }
        }
        Sleep(0);
        after = true;
        return 0;
    }};
    HANDLE thread = Start(routine);
    ASSERT_TRUE(Eventually([&] { return holding.load(); }));
    SuspendThread(thread);
    int before = unitsWhileHolding;
    EXPECT_TRUE(Eventually([&] { return unitsWhileHolding > before + 3; }));
    EXPECT_FALSE(win32::IsThreadParked(thread));
    letGo = true;
    EXPECT_TRUE(Eventually([&] { return win32::IsThreadParked(thread); }));
    EXPECT_FALSE(after);
    ResumeThread(thread);
    Finish(thread);
    EXPECT_TRUE(after);
}

TEST(Threads, TerminationUnwindsThroughACatchAllAtTheNextSafePoint)
{
    struct Sentinel {
        std::atomic<bool>* destroyed;
        ~Sentinel() { *destroyed = true; }
    };
    std::atomic<bool> destroyed{false};
    std::atomic<bool> swallowed{false};
    std::atomic<bool> pastTheGuard{false};
    std::atomic<bool> reachedTheEnd{false};
    std::atomic<bool> looping{false};
    Routine routine{[&]() -> DWORD {
        Sentinel sentinel{&destroyed};
        try {
            for (looping = true;;)
                Sleep(0);
        } catch (...) {
            swallowed = true; // a converter's per-field guard
        }
        pastTheGuard = true;
        Sleep(0); // the request still stands here
        reachedTheEnd = true;
        return 7;
    }};
    HANDLE thread = Start(routine);
    ASSERT_TRUE(Eventually([&] { return looping.load(); }));
    EXPECT_TRUE(TerminateThread(thread, 42));
    EXPECT_EQ(Finish(thread), 42u);
    EXPECT_TRUE(swallowed);
    EXPECT_TRUE(pastTheGuard);
    EXPECT_FALSE(reachedTheEnd);
    EXPECT_TRUE(destroyed);
}

TEST(Threads, AParkedOrWaitingThreadEndsWhenTerminatedWithoutBeingResumed)
{
    Counter counter;
    HANDLE parked = Start(counter.routine);
    SuspendThread(parked);
    ASSERT_TRUE(Eventually([&] { return win32::IsThreadParked(parked); }));
    TerminateThread(parked, 3);
    EXPECT_EQ(Finish(parked), 3u);

    std::atomic<bool> blockerStop{false};
    Routine blockerRoutine{[&]() -> DWORD {
        while (!blockerStop)
            std::this_thread::yield();
        return 0;
    }};
    HANDLE blocker = Start(blockerRoutine);
    Routine waiterRoutine{[&]() -> DWORD { return WaitForSingleObject(blocker, INFINITE); }};
    HANDLE waiter = Start(waiterRoutine);
    TerminateThread(waiter, 9);
    EXPECT_EQ(Finish(waiter), 9u);
    blockerStop = true;
    Finish(blocker);
}

TEST(Threads, WaitForMultipleObjectsReportsTheFirstEndedOrAll)
{
    Counter slow;
    Routine quick{[]() -> DWORD { return 5; }};
    HANDLE handles[2] = {Start(slow.routine), Start(quick)};
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 20000), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 0), WAIT_TIMEOUT);
    slow.stop = true;
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_OBJECT_0);

    HANDLE file = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(0x7FFF0));
    HANDLE withBad[2] = {handles[0], file};
    EXPECT_EQ(WaitForMultipleObjects(2, withBad, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, handles, FALSE, 0), WAIT_FAILED);
    CloseHandle(handles[0]);
    CloseHandle(handles[1]);
    EXPECT_EQ(WaitForSingleObject(handles[0], 0), WAIT_FAILED);
}

} // namespace

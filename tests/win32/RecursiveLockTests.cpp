// The light recursive lock: it excludes other threads while its owner holds
// it at any depth, and a thread that waited for it (asleep, past its spins)
// is woken when the owner lets go.
#include "win32/RecursiveLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

TEST(RecursiveLock, ThreadsThatTakeItNestedNeverOverlapAndLoseNoUpdate)
{
    win32::RecursiveLock lock;
    long long counter = 0; // plain: only the lock keeps the updates apart
    int inside = 0;
    bool overlapped = false;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20'000; ++i) {
                std::lock_guard outer(lock);
                overlapped = overlapped || inside != 0;
                ++inside;
                {
                    std::lock_guard inner(lock); // the owner takes it again
                    ++counter;
                }
                ++counter; // still held after the inner hold ends
                --inside;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 4 * 20'000 * 2);
    EXPECT_FALSE(overlapped);
}

TEST(RecursiveLock, TryLockFailsWhileAnotherThreadHoldsItAndSucceedsForTheOwner)
{
    win32::RecursiveLock lock;
    std::unique_lock held(lock);
    EXPECT_TRUE(lock.try_lock()); // the owner, one level deeper
    lock.unlock();
    bool other = true;
    std::thread([&] { other = lock.try_lock(); }).join();
    EXPECT_FALSE(other);
    held.unlock();
    std::thread([&] {
        other = lock.try_lock();
        if (other)
            lock.unlock();
    }).join();
    EXPECT_TRUE(other);
}

TEST(RecursiveLock, AWaiterThatWentToSleepIsWokenWhenTheOwnerLetsGo)
{
    win32::RecursiveLock lock;
    std::atomic<bool> got{false};
    lock.lock();
    lock.lock();
    std::thread waiter([&] {
        std::lock_guard guard(lock);
        got = true;
    });
    // Long past the waiter's spins: it sleeps on the lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(got.load());
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(got.load()); // one level is still held
    lock.unlock();
    waiter.join();
    EXPECT_TRUE(got.load());
}

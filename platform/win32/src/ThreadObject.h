// The kernel object behind a thread handle.
#pragma once

#include "Waitable.h"

#include "win32/Thread.h"

#include <atomic>
#include <memory>

namespace win32 {

class ThreadObject : public WaitableObject, public std::enable_shared_from_this<ThreadObject> {
public:
    bool IsSignaled() const override { return ended; }

    // Guarded by mutex; wake tells a parked thread to look again.
    std::mutex mutex;
    std::condition_variable wake;
    DWORD id = 0;
    // Changed under mutex, atomic so that a safe point of a thread nothing
    // was asked of reads it without the lock.
    std::atomic<DWORD> suspendCount{0};
    bool parked = false;
    int priority = THREAD_PRIORITY_NORMAL;

    std::atomic<bool> terminateRequested{false};
    std::atomic<DWORD> terminateCode{0};

    // Guarded by WaitLock().
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

// The calling thread's object; a thread that CreateThread did not make gets
// one on first need.
std::shared_ptr<ThreadObject> CurrentThreadObject();

// Throws ThreadTermination when the calling thread is to end and may unwind.
void ThrowIfTerminating();

} // namespace win32

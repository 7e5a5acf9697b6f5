// Waits on kernel objects: one lock and one condition for all of them, so a
// wait for several objects needs no more than a wait for one.
#include "ThreadObject.h"

#include <chrono>
#include <vector>

namespace win32 {

std::mutex& WaitLock()
{
    static auto* lock = new std::mutex; // lives past the exit handlers
    return *lock;
}

std::condition_variable& WaitCondition()
{
    static auto* condition = new std::condition_variable;
    return *condition;
}

void WakeWaiters()
{
    std::lock_guard lock(WaitLock());
    WaitCondition().notify_all();
}

} // namespace win32

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    win32::ThreadSafePoint();
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<win32::WaitableObject>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto object = handles[i] == GetCurrentThread() ? win32::CurrentThreadObject()
                                                       : win32::LookupHandleAs<win32::WaitableObject>(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    // WAIT_OBJECT_0 + i for what is signalled, WAIT_TIMEOUT while nothing is.
    auto ready = [&]() -> DWORD {
        bool all = true;
        for (DWORD i = 0; i < count; ++i) {
            bool signaled = objects[i]->IsSignaled();
            if (signaled && !waitAll)
                return WAIT_OBJECT_0 + i;
            all = all && signaled;
        }
        return waitAll && all ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock lock(win32::WaitLock());
    for (;;) {
        if (DWORD result = ready(); result != WAIT_TIMEOUT)
            return result;
        win32::ThrowIfTerminating(); // a terminated thread does not wait on
        if (milliseconds == INFINITE)
            win32::WaitCondition().wait(lock);
        else if (std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;
        else
            win32::WaitCondition().wait_until(lock, deadline);
    }
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

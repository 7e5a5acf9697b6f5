// Kernel objects that a wait can be made on. Their signalled state changes
// under the waits' one lock, and every change wakes the waiters, who then
// look again at the objects they wait for.
#pragma once

#include "win32/HandleTable.h"

#include <condition_variable>
#include <mutex>

namespace win32 {

class WaitableObject : public KernelObject {
public:
    // Called with WaitLock() held.
    virtual bool IsSignaled() const = 0;
};

std::mutex& WaitLock();
// Wakes every waiter; call after changing a state under WaitLock().
void WakeWaiters();
std::condition_variable& WaitCondition();

} // namespace win32

// Threads under handles, with cooperative suspension and termination.
#include "ThreadObject.h"
#include "win32/StartAffinity.h"

#include <exception>
#include <sys/syscall.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace win32 {

namespace {

// The pseudo handle of the calling thread, as Windows gives it.
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));

// Plain pointers without destructors, so that they stay usable while the
// thread's other thread-local objects are destroyed.
thread_local ThreadObject* t_current = nullptr;
thread_local int t_deferDepth = 0;

// Marks the thread ended when the thread itself is gone: it is destroyed
// after every thread-local object that the start routine made (the window
// layer's message queue among them), so a waiter sees a finished thread.
struct EndOfThread {
    std::shared_ptr<ThreadObject> self;
    DWORD exitCode = 0;

    ~EndOfThread()
    {
        if (!self)
            return;
        if (self->terminateRequested)
            exitCode = self->terminateCode;
        {
            std::lock_guard lock(WaitLock());
            self->ended = true;
            self->exitCode = exitCode;
        }
        WakeWaiters();
        t_current = nullptr;
    }
};

// Keeps the object of a thread that CreateThread did not make.
struct AdoptedThread {
    std::shared_ptr<ThreadObject> self;
    ~AdoptedThread()
    {
        if (t_current == self.get())
            t_current = nullptr;
    }
};

void RunThread(std::shared_ptr<ThreadObject> self, LPTHREAD_START_ROUTINE start, LPVOID parameter)
{
    thread_local EndOfThread end;
    end.self = self;
    t_current = self.get();
    TakeStartAffinity(); // not the creator's tie to another thread's processor
    {
        std::lock_guard lock(self->mutex);
        self->id = GetCurrentThreadId();
    }
    self->wake.notify_all();
    try {
        ThreadSafePoint(); // a thread made suspended waits here for its first resume
        end.exitCode = start(parameter);
    } catch (const ThreadTermination& termination) {
        end.exitCode = termination.exitCode;
    }
}

bool MayStop()
{
    return t_deferDepth == 0 && std::uncaught_exceptions() == 0;
}

std::shared_ptr<ThreadObject> ThreadOf(HANDLE thread)
{
    auto object = thread == kCurrentThread ? CurrentThreadObject() : LookupHandleAs<ThreadObject>(thread);
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

bool HasEnded(const ThreadObject& thread)
{
    std::lock_guard lock(WaitLock());
    return thread.ended;
}

// The object of a thread that still runs; a thread that has ended can be
// neither suspended nor resumed.
std::shared_ptr<ThreadObject> RunningThreadOf(HANDLE thread)
{
    auto object = ThreadOf(thread);
    if (object && HasEnded(*object)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return object;
}

} // namespace

std::shared_ptr<ThreadObject> CurrentThreadObject()
{
    if (t_current)
        return t_current->shared_from_this();
    thread_local AdoptedThread adopted;
    adopted.self = std::make_shared<ThreadObject>();
    adopted.self->id = GetCurrentThreadId();
    t_current = adopted.self.get();
    return adopted.self;
}

void ThrowIfTerminating()
{
    ThreadObject* self = t_current;
    if (self && self->terminateRequested && MayStop())
        throw ThreadTermination{self->terminateCode};
}

void ThreadSafePoint()
{
    ThreadObject* self = t_current;
    // A suspension or termination asked before this look is seen here as the
    // lock would show it; one asked later stops the thread at its next point.
    if (!self || (self->suspendCount.load() == 0 && !self->terminateRequested.load()) || !MayStop())
        return;
    ThrowIfTerminating();
    std::unique_lock lock(self->mutex);
    if (self->suspendCount == 0)
        return;
    self->parked = true;
    self->wake.wait(lock, [self] { return self->suspendCount == 0 || self->terminateRequested; });
    self->parked = false;
    lock.unlock();
    ThrowIfTerminating();
}

DeferSafePoints::DeferSafePoints()
{
    ++t_deferDepth;
}

DeferSafePoints::~DeferSafePoints()
{
    --t_deferDepth;
}

bool IsThreadParked(HANDLE thread)
{
    auto object = ThreadOf(thread);
    if (!object)
        return false;
    std::lock_guard lock(object->mutex);
    return object->parked;
}

} // namespace win32

using win32::ThreadObject;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId)
{
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    if (creationFlags & CREATE_SUSPENDED)
        object->suspendCount = 1;
    HANDLE handle = win32::InsertHandle(object);
    try {
        std::thread(win32::RunThread, object, start, parameter).detach();
    } catch (const std::system_error&) {
        win32::RemoveHandle(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // The id is the host's, known once the thread runs.
    std::unique_lock lock(object->mutex);
    object->wake.wait(lock, [&object] { return object->id != 0; });
    if (threadId)
        *threadId = object->id;
    return handle;
}

DWORD SuspendThread(HANDLE thread)
{
    auto object = win32::RunningThreadOf(thread);
    if (!object)
        return static_cast<DWORD>(-1);
    DWORD previous;
    {
        std::lock_guard lock(object->mutex);
        if (object->suspendCount >= MAXIMUM_SUSPEND_COUNT) {
            SetLastError(ERROR_SIGNAL_REFRAINED);
            return static_cast<DWORD>(-1);
        }
        previous = object->suspendCount++;
    }
    if (object.get() == win32::t_current)
        win32::ThreadSafePoint(); // a thread that suspends itself stops at once
    return previous;
}

DWORD ResumeThread(HANDLE thread)
{
    auto object = win32::RunningThreadOf(thread);
    if (!object)
        return static_cast<DWORD>(-1);
    DWORD previous;
    {
        std::lock_guard lock(object->mutex);
        previous = object->suspendCount;
        if (previous > 0)
            --object->suspendCount;
    }
    if (previous == 1)
        object->wake.notify_all();
    return previous;
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode)
{
    auto object = win32::ThreadOf(thread);
    if (!object)
        return FALSE;
    if (win32::HasEnded(*object))
        return TRUE;
    {
        std::lock_guard lock(object->mutex);
        object->terminateCode = exitCode;
        object->terminateRequested = true;
    }
    object->wake.notify_all(); // a parked thread unwinds at once
    win32::WakeWaiters();      // and so does one that waits for an object
    if (object.get() == win32::t_current)
        win32::ThreadSafePoint();
    return TRUE;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    auto object = win32::ThreadOf(thread);
    if (!object || !exitCode)
        return FALSE;
    std::lock_guard lock(win32::WaitLock());
    *exitCode = object->exitCode;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE thread, int priority)
{
    auto object = win32::ThreadOf(thread);
    if (!object)
        return FALSE;
    bool valid = (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST)
        || priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(object->mutex);
    object->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE thread)
{
    auto object = win32::ThreadOf(thread);
    if (!object)
        return THREAD_PRIORITY_ERROR_RETURN;
    std::lock_guard lock(object->mutex);
    return object->priority;
}

HANDLE GetCurrentThread()
{
    return win32::kCurrentThread;
}

DWORD GetCurrentThreadId()
{
    return static_cast<DWORD>(::syscall(SYS_gettid));
}

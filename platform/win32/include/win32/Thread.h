// Threads: a std::thread under a Win32-style handle, with suspension and
// termination that are cooperative.
//
// A thread stops only at a safe point: the calls into the platform begin with
// win32::ThreadSafePoint() (window calls, file reads and writes, Notes and
// automation calls, Sleep, waits). SuspendThread marks the thread and
// returns; the thread parks at its next safe point, so no new unit of work
// starts while it is suspended, and it is never frozen in the middle of a
// platform call, where it could hold a lock. TerminateThread makes the next
// safe point throw win32::ThreadTermination, which unwinds the thread's stack
// (destructors run) up to the thread's entry, the only place that catches it.
//
// A catch-all handler (catch (...)) on the way swallows that unwinding, as
// the converters' per-field guards do. So the request stays: every later safe
// point throws again, until the thread has left its start routine. A loop
// whose every safe point lies inside a catch-all would never end; a loop that
// makes one platform call outside its guards ends at that call.
//
// The stack size of CreateThread is not honoured (the host decides it), and
// priorities are kept but change nothing.
#pragma once

#include "win32/Types.h"

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD MAXIMUM_SUSPEND_COUNT = 127;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// ERROR_SIGNAL_REFRAINED: a suspension beyond MAXIMUM_SUSPEND_COUNT.
constexpr LONG ERROR_SIGNAL_REFRAINED = 156;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId);
// Both return the suspend count before the call, or (DWORD)-1 on failure.
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
// STILL_ACTIVE while the thread runs.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
// A pseudo handle that means "the calling thread" to the functions above.
HANDLE GetCurrentThread();
DWORD GetCurrentThreadId();

// A thread handle is signalled when its thread has ended. Timeouts are in
// real time, whatever clock the machine runs on.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);

namespace win32 {

// What unwinds a terminated thread. Deliberately no std::exception, so that
// handlers of ordinary errors let it pass; only catch-alls stop it.
struct ThreadTermination {
    DWORD exitCode;
};

// Parks the calling thread while it is suspended, and throws
// ThreadTermination once it is to end. Does nothing inside a
// DeferSafePoints scope, or while the thread is already unwinding.
void ThreadSafePoint();

// A scope in which the calling thread holds a lock of its own: its safe
// points neither park nor throw until the scope ends, so the thread is never
// frozen or unwound while others may wait for that lock. Destructors that
// make platform calls use it too, since nothing may be thrown out of them.
class DeferSafePoints {
public:
    DeferSafePoints();
    ~DeferSafePoints();
    DeferSafePoints(const DeferSafePoints&) = delete;
    DeferSafePoints& operator=(const DeferSafePoints&) = delete;
};

// Whether the thread stands parked at a safe point: it is suspended and has
// reached one. (A suspended thread runs on until its next safe point.)
bool IsThreadParked(HANDLE thread);

} // namespace win32

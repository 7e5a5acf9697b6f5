// Mutexes. A named mutex is one object for every process of the machine root:
// the first CreateMutexW of a name makes it, and every later one (in this or
// another process) opens the same object and sets ERROR_ALREADY_EXISTS. The
// object lives while any process holds a handle to it; a process that ends,
// however it ends, lets go of its handles.
//
// Ownership is what CreateMutexW's initial owner and ReleaseMutex give; the
// waits do not take mutexes (nothing here waits for one).
#pragma once

#include "win32/Types.h"

struct SECURITY_ATTRIBUTES;

constexpr LONG ERROR_NOT_OWNER = 288;

// A new or the existing mutex of `name` ("Global\" and "Local\" name the one
// namespace of the machine); null `name` makes one of this process alone.
HANDLE CreateMutexW(SECURITY_ATTRIBUTES* security, BOOL initialOwner, LPCWSTR name);
// Gives up the calling thread's ownership; FALSE with ERROR_NOT_OWNER when the
// thread does not own the mutex.
BOOL ReleaseMutex(HANDLE mutex);

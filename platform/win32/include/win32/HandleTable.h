// Kernel objects behind HANDLE values. Every kind of handle (files, find
// searches, threads, processes) is an object in one table, so CloseHandle and
// the waits work on any of them.
#pragma once

#include "win32/Types.h"

#include <memory>

namespace win32 {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or null when the handle is not open.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <typename T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

// Removes the handle; false when it was not open.
bool RemoveHandle(HANDLE handle);

} // namespace win32

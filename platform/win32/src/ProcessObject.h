// The kernel object behind a process handle, shared by the process functions.
#pragma once

#include "win32/HandleTable.h"
#include "win32/ProcessTable.h"

#include <memory>

namespace win32 {

class ProcessObject : public KernelObject {
public:
    // What the process was when it was opened; queries answer from it.
    ProcessRecord record;
    DWORD access = 0;
    std::unique_ptr<ProcessLink> link;
};

// The process behind a handle that holds every right of `needed`. Sets
// ERROR_INVALID_HANDLE or ERROR_ACCESS_DENIED and gives null otherwise.
std::shared_ptr<ProcessObject> ProcessOfHandle(HANDLE process, DWORD needed);

} // namespace win32

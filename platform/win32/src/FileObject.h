// The kernel object behind a file handle, shared by the file functions.
#pragma once

#include "ShareLock.h"
#include "win32/HandleTable.h"

#include <memory>

namespace win32 {

class FileObject : public KernelObject {
public:
    ~FileObject() override;
    int fd = -1;
    DWORD access = 0;
};

// The file object of a handle; null, with ERROR_INVALID_HANDLE, when the
// handle is not an open file.
std::shared_ptr<FileObject> FileOf(HANDLE handle);

LONG ErrnoToWin32(int err);

// Counts one flush to the disk for HostSyncCount.
void CountHostSync();

// Releases the byte-range locks an open holds (its handles are all closed).
void DropRangeLocks(const FileObject* file);

} // namespace win32

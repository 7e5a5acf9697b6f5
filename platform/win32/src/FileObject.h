// The kernel object behind a file handle, shared by the file functions.
#pragma once

#include "ShareLock.h"
#include "win32/HandleTable.h"

#include <memory>
#include <sys/types.h>

namespace win32 {

class FileObject : public KernelObject {
public:
    ~FileObject() override;
    int fd = -1;
    DWORD access = 0;
    // An open that emptied the file keeps its descriptor for the next open
    // of the same file (EmptiedFiles.h) once its last handle closes.
    bool keepOnClose = false;
    dev_t device = 0;
    ino_t inode = 0;
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

// The kernel object behind a file handle, shared by the file functions.
#pragma once

#include "ShareLock.h"
#include "win32/HandleTable.h"

#include <memory>
#include <mutex>
#include <sys/types.h>

namespace win32 {

class FileObject : public KernelObject {
public:
    ~FileObject() override;
    int fd = -1;
    DWORD access = 0;
    // The handle's file pointer: reads and writes go to it by position, so a
    // descriptor taken up again needs no seek. Handles made by
    // DuplicateHandle share it, as on Windows.
    off_t position = 0;
    std::mutex positionMutex;
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

// Descriptors of files that an open emptied (CREATE_ALWAYS or
// TRUNCATE_EXISTING), kept for a while after their last handle closes.
//
// A file the host emptied and then saw written is pushed to the disk when
// its last descriptor closes (the host's guard for files rewritten in
// place), which costs a write and its allocation every time a program
// rewrites the same small file. Keeping the descriptor, with every lock of
// the closed handle given back, lets the next open of that very file take
// it up again instead: to every handle, and to other processes, the file
// is closed as before. A descriptor is taken up only for the same device
// and inode that the path names now; a file deleted through the layer is
// let go at once.
#pragma once

#include <sys/types.h>

namespace win32 {

// Gives back every lock the descriptor's open holds (share markers and byte
// ranges) and keeps it; the oldest kept is closed when too many are.
// Takes ownership of fd.
void KeepEmptiedFile(int fd, dev_t device, ino_t inode);

// The kept descriptor of that file, now owned by the caller; -1 when none
// is kept. Its offset is wherever the last handle left it: the file layer
// reads and writes by position.
int TakeEmptiedFile(dev_t device, ino_t inode);

// Closes the kept descriptor of that file, if any (the file is going away).
void ForgetEmptiedFile(dev_t device, ino_t inode);

} // namespace win32

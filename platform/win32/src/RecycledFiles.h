// Files deleted through the layer, kept emptied for the next new file.
//
// ext4 without a journal, looking for a free inode for a new file, skips
// every inode of the group freed in the last minutes, reading its table
// block each time: a program that deletes and makes a file per item (an
// attachment folder emptied per message) pays more for every new file the
// longer it runs. A deleted file moved aside and emptied, then moved into
// the new name, frees and allocates no inode.
//
// A file is emptied only while the kernel grants this process a write
// lease on it, which it refuses while any other open of the file exists,
// in any process, including the open behind a mapping (a loaded module)
// whose descriptor was closed; such a file is unlinked as before. The kept
// files lie in a hidden folder of the machine root, at most a few per
// process, and are unlinked when the process exits; those of a process
// killed before its exit are unlinked by the next one to keep a file there.
#pragma once

#include <string>
#include <sys/stat.h>

namespace win32 {

// Moves the file at host, open on fd for reading and writing and described
// by st, aside and empties it, when nothing else holds it. False when it is
// left as it was: the caller unlinks it.
bool RecycleDeletedFile(int fd, const std::string& host, const struct stat& st);

// A new empty file at host, made from a kept one with the given mode (before
// the umask) and the times of now, open for reading and writing. -1 when
// none is taken: errno is EEXIST when host exists, else 0 (make one).
int TakeRecycledFile(const std::string& host, mode_t mode);

} // namespace win32

// Share modes across handles and processes. Each open file holds shared
// open-file-description locks on marker bytes far past any real data: one
// byte per access it has and one per access it denies to others. A new open
// conflicts when someone denies what it asks for, or has what it denies.
#pragma once

#include "win32/Types.h"

#include <filesystem>

namespace win32 {

class ShareLock {
public:
    // Checks the file's current opens and takes this open's markers on the
    // open's own descriptor, which must be open for reading; the markers go
    // with the descriptor's open file description when it is closed.
    // ERROR_SUCCESS or ERROR_SHARING_VIOLATION.
    static LONG Acquire(int fd, DWORD access, DWORD shareMode);
};

// Serialises the check-and-take of share markers between the processes of
// one root (an exclusive lock on a file in the root, and a mutex in-process).
class ShareGate {
public:
    ShareGate();
    ~ShareGate();
    ShareGate(const ShareGate&) = delete;
    ShareGate& operator=(const ShareGate&) = delete;

private:
    int m_fd = -1;
};

// Whether some open of the file denies the given accesses (GENERIC_READ,
// GENERIC_WRITE, DELETE).
bool IsAccessDenied(const std::filesystem::path& file, DWORD access);

} // namespace win32

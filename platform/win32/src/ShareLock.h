// Share modes across handles and processes. Each open holds one shared
// open-file-description lock on a marker byte far past any real data; which
// of 64 bytes it is says what the open has (read, write, delete) and what it
// denies to others. A new open conflicts when someone denies what it asks
// for, or has what it denies.
#pragma once

#include "win32/Types.h"

namespace win32 {

class ShareLock {
public:
    // Takes this open's marker on the open's own descriptor, which must be
    // open for reading, and checks it against the markers of every other
    // open; the marker goes with the descriptor's open file description when
    // it is closed. ERROR_SUCCESS, or ERROR_SHARING_VIOLATION with no marker
    // left taken.
    static LONG Acquire(int fd, DWORD access, DWORD shareMode);
};

} // namespace win32

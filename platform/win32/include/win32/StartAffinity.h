// The processors the process was started on. The window system may tie a
// thread that keeps sending to another thread's windows to that thread's
// processor; what such a thread starts (a thread, a program) runs where the
// process itself may run, not on the tie it inherited.
#pragma once

#include <sys/types.h>

namespace win32 {

// Gives the calling thread (0) or the process pid the start's processors.
void TakeStartAffinity(pid_t pid = 0);

} // namespace win32

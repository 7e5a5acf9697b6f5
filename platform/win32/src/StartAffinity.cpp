#include "win32/StartAffinity.h"

#include <sched.h>

namespace win32 {

namespace {

struct StartMask {
    cpu_set_t mask = {};
    bool known = false;
    StartMask() { known = ::sched_getaffinity(0, sizeof mask, &mask) == 0; }
};

// Read while the library loads, on the main thread, before any tie.
const StartMask g_start;

} // namespace

void TakeStartAffinity(pid_t pid)
{
    if (g_start.known)
        (void)::sched_setaffinity(pid, sizeof g_start.mask, &g_start.mask);
}

} // namespace win32

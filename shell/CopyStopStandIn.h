// STAND-IN until the backup copier lands: its stop flag, which step 3's Back
// clears. Remove this file pair when the copier's own declaration is merged.
#pragma once

#include <atomic>

extern std::atomic<int> g_bCopyStop;

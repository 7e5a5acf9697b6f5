// STAND-IN until the backup copier lands (see CopyStopStandIn.h).
#include "CopyStopStandIn.h"

std::atomic<int> g_bCopyStop{0};

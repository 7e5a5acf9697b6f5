// One value that every server library linking this code reaches; it shows
// whether servers loaded into one process share one copy of the code they
// have in common, as the default mail profile needs.
#pragma once

#include "win32/Types.h"

namespace probe {

LONG& SharedValue();

} // namespace probe

#pragma once

#include "win32/Types.h"

namespace user::detail {

// The screen's mouse moved to the point: leave requests whose window the
// cursor has left post their WM_MOUSELEAVE.
void MouseMovedForTracking(POINT screen);

} // namespace user::detail

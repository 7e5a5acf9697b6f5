// What a window keeps of each of its standard scroll bars.
#pragma once

#include "win32/Types.h"

namespace user::detail {

struct ScrollBarState {
    int min = 0;
    int max = 100; // a window's bars start with the range 0 to 100
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false; // the thumb is being dragged
    UINT disabled = 0;     // ESB_DISABLE_LTUP / ESB_DISABLE_RTDN
    int pressed = 0;       // the ScrollPart shown pushed, 0 for none
};

} // namespace user::detail

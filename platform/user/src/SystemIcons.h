// The system's own images, drawn here: the icons of message boxes and the
// application icon, and the arrow, hourglass and hand cursors.
#pragma once

#include "gdi/GdiTypes.h"

namespace user::detail {

// The icon of IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION or
// IDI_ASTERISK (by number); null for another number. Shared for the process.
HICON SystemIcon(int id);
// IDC_ARROW, IDC_WAIT or IDC_HAND (by number); null for another number.
HCURSOR SystemCursor(int id);

} // namespace user::detail

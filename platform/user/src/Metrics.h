// The fixed metrics of this machine's classic look, in pixels.
#pragma once

#include "win32/Types.h"

namespace user::detail {

constexpr int kCaption = 18;       // the caption bar, its bottom line included
constexpr int kMenuBar = 19;
constexpr int kDialogFrame = 3;
constexpr int kThickFrame = 4;
constexpr int kCaptionButtonWidth = 16;
constexpr int kCaptionButtonHeight = 14;
constexpr int kSmallIcon = 16;
constexpr int kMinimizedWidth = 160;

// The width of the outer frame that styles ask for (edges not included).
int FrameThickness(DWORD style, DWORD exStyle);

} // namespace user::detail

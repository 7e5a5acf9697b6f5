// The desktop display: the composed screen in a window of the X server
// named by DISPLAY, with the server's mouse and keys as input.
#pragma once

#include "display/Display.h"

#include <memory>

namespace display {

// Null when the server cannot be reached.
std::unique_ptr<Display> OpenX11Display();

} // namespace display

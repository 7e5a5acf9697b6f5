// The framework's 3-D look for the controls of dialogs. An application asks
// for it once at start-up; dialogs consult the flag when they draw.
#pragma once

#include "win32/Types.h"

// Always TRUE: the look is built in, so there is no library that could be missing.
BOOL Enable3dControls();
bool Afx3dControlsEnabled();

#pragma once

#include "gdi/GdiTypes.h"

#include <string>
#include <vector>

namespace artwork {

std::vector<BYTE> MakeMainBackground();
std::vector<BYTE> MakeSkinBackground();
std::vector<BYTE> MakeSplash();
// A step picture: the banner under the tool buttons of a wizard step.
// mode 0 for the steps that show the same picture in every mode.
std::vector<BYTE> MakeStepPicture(int step, int mode);

} // namespace artwork

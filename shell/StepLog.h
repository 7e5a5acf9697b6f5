// The blocks the wizard steps append to the activity log: an empty line, the
// heading ("Step 2 :"), a rule of seven hyphens, then the step's lines.
#pragma once

#include "win32/Types.h"

void WriteStepHeading(int step);
// The label followed by the value, built in a line of MAX_PATH characters:
// what does not fit is cut.
void WriteStepLine(LPCWSTR label, LPCWSTR value);

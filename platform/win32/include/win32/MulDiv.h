// MulDiv: number * numerator / denominator with a 64-bit intermediate,
// rounded half away from zero; -1 when the denominator is 0 or the result
// does not fit in 32 bits, as on Windows.
#pragma once

#include "win32/Types.h"

int MulDiv(int number, int numerator, int denominator);

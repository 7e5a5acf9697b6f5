// Upper case of narrow text in the ANSI code page, character
// by character as the wide upper case has it; a character whose upper case
// the code page cannot hold (the micro sign, for one) is left as it is.
#pragma once

#include "win32/Types.h"

// Converts in place the first `length` bytes; returns the bytes examined.
DWORD CharUpperBuffA(LPSTR text, DWORD length);
// Converts a terminated text in place and returns it.
LPSTR CharUpperA(LPSTR text);

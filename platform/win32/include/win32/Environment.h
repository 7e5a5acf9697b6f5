// The process environment, as Windows programs see it. Variables pass through
// to the host environment (so the programs this one starts inherit them),
// except PATH: the Windows search path holds Windows folders, which would
// break the host's own PATH, so it lives in the host variable MARLWICK_WINPATH.
#pragma once

#include "win32/Types.h"

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD bufferChars);
BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value);

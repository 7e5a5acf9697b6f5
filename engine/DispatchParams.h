// The VTS_ strings of the framework as InvokeHelper takes them.
#pragma once

#include "win32/Types.h"

inline const BYTE* Params(const char* kinds)
{
    return reinterpret_cast<const BYTE*>(kinds);
}

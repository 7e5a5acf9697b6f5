// A date written as text, read as the machine's locale reads it.
#pragma once

#include "ole/OleAuto.h"

#include <string_view>

// The text converted to a date by VariantChangeType; 0.0 (30 December
// 1899, midnight) when it does not read as one.
DATE DateTextToDate(std::u16string_view text);

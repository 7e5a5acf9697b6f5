// Automation dates are the machine's local wall-clock time; the store keeps
// UTC FILETIMEs. The machine's time zone is the host's, as for GetLocalTime.
#pragma once

#include "ole/OleAuto.h"

#include <cstdint>
#include <optional>

namespace components {

// 100-nanosecond intervals since 1 January 1601 UTC of a local DATE, to the
// second; nothing for a date outside the automation range or before 1601.
// A wall-clock time that the zone skips or repeats is resolved as the C
// library's mktime resolves it.
std::optional<std::uint64_t> FileTimeFromLocalDate(DATE date);

inline constexpr std::uint64_t kFileTimeMinute = 600000000ull;
inline constexpr std::uint64_t kFileTimeDay = 1440 * kFileTimeMinute;

} // namespace components

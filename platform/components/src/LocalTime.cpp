#include "components/LocalTime.h"

#include <ctime>

namespace components {

namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDifference = 11644473600;

} // namespace

std::optional<std::uint64_t> FileTimeFromLocalDate(DATE date)
{
    SYSTEMTIME local{};
    if (!VariantTimeToSystemTime(date, &local))
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = local.wYear - 1900;
    fields.tm_mon = local.wMonth - 1;
    fields.tm_mday = local.wDay;
    fields.tm_hour = local.wHour;
    fields.tm_min = local.wMinute;
    fields.tm_sec = local.wSecond;
    fields.tm_isdst = -1; // the zone's own rule for that day
    fields.tm_yday = -1;  // mktime fills it in only when it succeeds
    std::time_t utc = std::mktime(&fields);
    std::int64_t seconds = static_cast<std::int64_t>(utc) + kEpochDifference;
    if (fields.tm_yday == -1 || seconds < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(seconds) * 10000000ull;
}

} // namespace components

// A Notes date-time as the database file stores it: a wall-clock time in
// seconds since 1970-01-01 00:00:00 (no time zone: the time as the user saw
// it), and which of its parts is meaningful.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace notes::format {

enum class DatePrecision : std::uint8_t {
    DateAndTime = 0,
    DateOnly = 1,
    TimeOnly = 2,
};

struct DateTimeValue {
    std::int64_t seconds = 0;
    DatePrecision precision = DatePrecision::DateAndTime;
    bool operator==(const DateTimeValue&) const = default;
};

// One value of a date-time list: a single time, or a range (start and end).
struct DateTimeEntry {
    DateTimeValue start;
    std::optional<DateTimeValue> end;
    bool operator==(const DateTimeEntry&) const = default;
};

struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

std::int64_t SecondsFromCivil(const CivilTime& civil);
CivilTime CivilFromSeconds(std::int64_t seconds);

// The one text form of this library, which the automation layer parses back:
//   date and time  "2026-12-08 09:05:00"   (ISO 8601 order, 24-hour clock)
//   date only      "2026-12-08"
//   time only      "09:05:00"
//   a range        start " - " end         ("2026-12-08 09:00:00 - 2026-12-08 10:00:00")
// Lists join their values with the separator the caller gives (";" in the
// converters), with no blank added.
std::string FormatDateTime(const DateTimeValue& value);
std::string FormatDateTimeEntry(const DateTimeEntry& entry);

// Parses the forms above (also with "T" between date and time). Fails on
// anything else, including impossible dates like 2026-02-30.
std::optional<DateTimeValue> ParseDateTime(std::string_view text);

} // namespace notes::format

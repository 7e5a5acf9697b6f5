#include "notes/format/DateTimeValue.h"

#include <cstdio>

namespace notes::format {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date, counting in eras of
// 400 years so that negative years work too.
std::int64_t DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t monthIndex = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * monthIndex + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ReadNumber(std::string_view text, std::size_t& offset, int digits, int& value)
{
    if (text.size() - offset < static_cast<std::size_t>(digits))
        return false;
    value = 0;
    for (int i = 0; i < digits; ++i) {
        char c = text[offset + i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    offset += digits;
    return true;
}

bool ReadChar(std::string_view text, std::size_t& offset, char expected)
{
    if (offset >= text.size() || text[offset] != expected)
        return false;
    ++offset;
    return true;
}

bool ReadDate(std::string_view text, std::size_t& offset, CivilTime& civil)
{
    return ReadNumber(text, offset, 4, civil.year) && ReadChar(text, offset, '-') &&
           ReadNumber(text, offset, 2, civil.month) && ReadChar(text, offset, '-') &&
           ReadNumber(text, offset, 2, civil.day) && civil.month >= 1 && civil.month <= 12 && civil.day >= 1 &&
           civil.day <= DaysInMonth(civil.year, civil.month);
}

bool ReadTime(std::string_view text, std::size_t& offset, CivilTime& civil)
{
    return ReadNumber(text, offset, 2, civil.hour) && ReadChar(text, offset, ':') &&
           ReadNumber(text, offset, 2, civil.minute) && ReadChar(text, offset, ':') &&
           ReadNumber(text, offset, 2, civil.second) && civil.hour < 24 && civil.minute < 60 && civil.second < 60;
}

} // namespace

std::int64_t SecondsFromCivil(const CivilTime& civil)
{
    return DaysFromCivil(civil.year, civil.month, civil.day) * kSecondsPerDay + civil.hour * 3600 +
           civil.minute * 60 + civil.second;
}

CivilTime CivilFromSeconds(std::int64_t seconds)
{
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    CivilTime civil;
    CivilFromDays(days, civil.year, civil.month, civil.day);
    civil.hour = static_cast<int>(rest / 3600);
    civil.minute = static_cast<int>(rest / 60 % 60);
    civil.second = static_cast<int>(rest % 60);
    return civil;
}

namespace {

// Digits of a field known to fit them, with leading zeros.
void PutDigits(std::string& out, int value, int digits)
{
    char text[4];
    for (int k = digits - 1; k >= 0; --k) {
        text[k] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(text, static_cast<std::size_t>(digits));
}

} // namespace

std::string FormatDateTime(const DateTimeValue& value)
{
    CivilTime c = CivilFromSeconds(value.seconds);
    // The years of four digits, every date a file holds in practice, are
    // written directly; the rest as printf writes them.
    if (c.year >= 0 && c.year <= 9999) {
        std::string text;
        text.reserve(19);
        if (value.precision != DatePrecision::TimeOnly) {
            PutDigits(text, c.year, 4);
            text += '-';
            PutDigits(text, c.month, 2);
            text += '-';
            PutDigits(text, c.day, 2);
        }
        if (value.precision == DatePrecision::DateOnly)
            return text;
        if (value.precision != DatePrecision::TimeOnly)
            text += ' ';
        PutDigits(text, c.hour, 2);
        text += ':';
        PutDigits(text, c.minute, 2);
        text += ':';
        PutDigits(text, c.second, 2);
        return text;
    }
    char buffer[48];
    switch (value.precision) {
    case DatePrecision::DateOnly:
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", c.year, c.month, c.day);
        break;
    case DatePrecision::TimeOnly:
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", c.hour, c.minute, c.second);
        break;
    default:
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                      c.minute, c.second);
        break;
    }
    return buffer;
}

std::string FormatDateTimeEntry(const DateTimeEntry& entry)
{
    std::string text = FormatDateTime(entry.start);
    if (entry.end) {
        text += " - ";
        text += FormatDateTime(*entry.end);
    }
    return text;
}

std::optional<DateTimeValue> ParseDateTime(std::string_view text)
{
    CivilTime civil;
    std::size_t offset = 0;
    DateTimeValue value;
    if (text.size() == 8) {
        if (!ReadTime(text, offset, civil))
            return std::nullopt;
        value.precision = DatePrecision::TimeOnly;
    } else {
        if (!ReadDate(text, offset, civil))
            return std::nullopt;
        if (offset == text.size()) {
            value.precision = DatePrecision::DateOnly;
        } else if ((text[offset] == ' ' || text[offset] == 'T') && (++offset, ReadTime(text, offset, civil))) {
            value.precision = DatePrecision::DateAndTime;
        } else {
            return std::nullopt;
        }
    }
    if (offset != text.size())
        return std::nullopt;
    value.seconds = SecondsFromCivil(civil);
    return value;
}

} // namespace notes::format

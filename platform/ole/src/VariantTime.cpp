#include "ole/DateText.h"

#include <cmath>

namespace {

// Days from 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's
// civil-from-days arithmetic, in both directions).
long DaysFromCivil(long y, long m, long d)
{
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& year, int& month, int& day)
{
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const long kEpochOffset = DaysFromCivil(1899, 12, 30);

// The range of DATE on Windows: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0;

} // namespace

namespace ole {

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

long DayNumber(int year, int month, int day)
{
    return DaysFromCivil(year, month, day) - kEpochOffset;
}

DATE MakeDate(int year, int month, int day, int hour, int minute, double second)
{
    double days = static_cast<double>(DayNumber(year, month, day));
    double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return days >= 0 ? days + time : days - time;
}

} // namespace ole

INT SystemTimeToVariantTime(const SYSTEMTIME* time, DOUBLE* date)
{
    if (!time || !date)
        return FALSE;
    if (time->wYear < 100 || time->wYear > 9999 || time->wMonth < 1 || time->wMonth > 12 || time->wDay < 1
        || time->wDay > ole::DaysInMonth(time->wYear, time->wMonth) || time->wHour > 23 || time->wMinute > 59
        || time->wSecond > 59 || time->wMilliseconds > 999)
        return FALSE;
    *date = ole::MakeDate(time->wYear, time->wMonth, time->wDay, time->wHour, time->wMinute,
                          time->wSecond + time->wMilliseconds / 1000.0);
    return TRUE;
}

INT VariantTimeToSystemTime(DOUBLE date, SYSTEMTIME* time)
{
    if (!time || !(date >= kMinDate && date < kMaxDate))
        return FALSE;
    // The day is the whole part towards zero; the fraction counts forward
    // from that day's midnight on either side of day 0. Times are rounded to
    // the second, as Windows does.
    double whole = std::trunc(date);
    long day = static_cast<long>(whole);
    long seconds = std::lround(std::fabs(date - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    int year, month, dayOfMonth;
    CivilFromDays(day + kEpochOffset, year, month, dayOfMonth);
    time->wYear = static_cast<WORD>(year);
    time->wMonth = static_cast<WORD>(month);
    time->wDay = static_cast<WORD>(dayOfMonth);
    // 30 December 1899 was a Saturday.
    time->wDayOfWeek = static_cast<WORD>(((day % 7) + 7 + 6) % 7);
    time->wHour = static_cast<WORD>(seconds / 3600);
    time->wMinute = static_cast<WORD>(seconds / 60 % 60);
    time->wSecond = static_cast<WORD>(seconds % 60);
    time->wMilliseconds = 0;
    return TRUE;
}

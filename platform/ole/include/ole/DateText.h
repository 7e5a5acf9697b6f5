// Reading and writing dates as text in the machine's locale, the way
// VariantChangeType turns a VT_BSTR into a VT_DATE and back.
//
// The machine is set up as an English (UK) Windows: a date with slashes is
// day/month/year. That order is kept in one place, kMachineDateOrder in
// DateText.cpp.
#pragma once

#include "ole/OleAuto.h"

#include <optional>
#include <string>
#include <string_view>

namespace ole {

// Accepted, with blanks around the parts allowed:
//   "DD/MM/YYYY", "DD/MM/YY" (also with "-" or "." between the parts),
//   "YYYY-MM-DD", "YYYY/MM/DD",
//   English month names or their abbreviations: "9 Dec 2026", "09-Dec-2026",
//   "December 9, 2026",
//   any of these followed by a time, or a time alone: "HH:MM", "HH:MM:SS",
//   optionally ".hh" or ",hh" hundredths and "AM"/"PM" (a time alone is on
//   30 December 1899, as on Windows),
//   and a plain decimal number, taken as the DATE value itself.
// Two-digit years 00 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999.
// Anything else fails, a list of dates separated by ";" included.
std::optional<DATE> ParseDateText(std::u16string_view text);

// "DD/MM/YYYY HH:MM:SS"; the date alone at midnight, the time alone on day 0.
std::u16string FormatDateText(DATE date);

// Days since 30 December 1899 of a calendar day (proleptic Gregorian).
long DayNumber(int year, int month, int day);
int DaysInMonth(int year, int month);
DATE MakeDate(int year, int month, int day, int hour = 0, int minute = 0, double second = 0);

} // namespace ole

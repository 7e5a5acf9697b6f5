#include "ole/DateText.h"

#include <gtest/gtest.h>

namespace {

SYSTEMTIME Split(DATE date)
{
    SYSTEMTIME st{};
    EXPECT_TRUE(VariantTimeToSystemTime(date, &st));
    return st;
}

void ExpectDateTime(DATE date, int y, int mo, int d, int h, int mi, int s)
{
    SYSTEMTIME st = Split(date);
    EXPECT_EQ(st.wYear, y);
    EXPECT_EQ(st.wMonth, mo);
    EXPECT_EQ(st.wDay, d);
    EXPECT_EQ(st.wHour, h);
    EXPECT_EQ(st.wMinute, mi);
    EXPECT_EQ(st.wSecond, s);
}

TEST(DateArithmetic, DaysCountFromThirtiethDecember1899)
{
    EXPECT_EQ(ole::DayNumber(1899, 12, 30), 0);
    EXPECT_EQ(ole::DayNumber(1899, 12, 31), 1);
    EXPECT_EQ(ole::DayNumber(1900, 1, 1), 2);
    // 1900 was no leap year, unlike in some spreadsheets' counting.
    EXPECT_EQ(ole::DayNumber(1900, 3, 1), 61);
    EXPECT_EQ(ole::DayNumber(2000, 1, 1), 36526);
    EXPECT_EQ(ole::DayNumber(2026, 12, 9), 46365);
    EXPECT_EQ(ole::DayNumber(1899, 12, 29), -1);
    EXPECT_EQ(ole::DayNumber(100, 1, 1), -657434);
}

TEST(DateArithmetic, TimeIsTheFractionCountedAwayFromDayZero)
{
    EXPECT_DOUBLE_EQ(ole::MakeDate(1899, 12, 30, 12, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(ole::MakeDate(1900, 1, 1, 18, 0, 0), 2.75);
    // Before day 0 the fraction still runs forward from that day's midnight.
    EXPECT_DOUBLE_EQ(ole::MakeDate(1899, 12, 29, 6, 0, 0), -1.25);
    ExpectDateTime(-1.25, 1899, 12, 29, 6, 0, 0);
    ExpectDateTime(-2.5, 1899, 12, 28, 12, 0, 0);
    ExpectDateTime(0.0, 1899, 12, 30, 0, 0, 0);
}

TEST(DateArithmetic, SystemTimeRoundTripsAndRejectsInvalidDays)
{
    SYSTEMTIME in{2024, 2, 0, 29, 23, 59, 59, 0};
    DOUBLE date = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&in, &date));
    SYSTEMTIME out = Split(date);
    EXPECT_EQ(out.wYear, 2024);
    EXPECT_EQ(out.wMonth, 2);
    EXPECT_EQ(out.wDay, 29);
    EXPECT_EQ(out.wHour, 23);
    EXPECT_EQ(out.wMinute, 59);
    EXPECT_EQ(out.wSecond, 59);
    EXPECT_EQ(out.wDayOfWeek, 4); // a Thursday

    SYSTEMTIME noLeap{2023, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToVariantTime(&noLeap, &date));
    SYSTEMTIME badHour{2023, 1, 0, 1, 24, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToVariantTime(&badHour, &date));
    EXPECT_FALSE(VariantTimeToSystemTime(3e6, &out));
}

TEST(DateArithmetic, TimesRoundToTheSecondAndCarryIntoTheNextDay)
{
    DATE almostMidnight = ole::MakeDate(2026, 12, 9, 23, 59, 59.7);
    ExpectDateTime(almostMidnight, 2026, 12, 10, 0, 0, 0);
    ExpectDateTime(ole::MakeDate(2026, 12, 9, 10, 0, 0.4), 2026, 12, 9, 10, 0, 0);
}

TEST(DateText, DayComesBeforeMonthInSlashedDates)
{
    auto date = ole::ParseDateText(u"09/12/2026 14:30:05");
    ASSERT_TRUE(date);
    ExpectDateTime(*date, 2026, 12, 9, 14, 30, 5);

    date = ole::ParseDateText(u"13/01/2026");
    ASSERT_TRUE(date);
    EXPECT_DOUBLE_EQ(*date, ole::DayNumber(2026, 1, 13));
    // Month 13 does not exist: no silent swap to month/day.
    EXPECT_FALSE(ole::ParseDateText(u"01/13/2026"));
}

TEST(DateText, IsoDatesAndOtherSeparators)
{
    auto date = ole::ParseDateText(u"2026-12-09 08:05:00");
    ASSERT_TRUE(date);
    ExpectDateTime(*date, 2026, 12, 9, 8, 5, 0);
    date = ole::ParseDateText(u"2026-12-09T08:05");
    ASSERT_TRUE(date);
    ExpectDateTime(*date, 2026, 12, 9, 8, 5, 0);
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(u"2026-12-09"), ole::DayNumber(2026, 12, 9));
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(u"9.12.2026"), ole::DayNumber(2026, 12, 9));
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(u"  9-12-2026  "), ole::DayNumber(2026, 12, 9));
    // Mixed separators are no date.
    EXPECT_FALSE(ole::ParseDateText(u"9/12-2026"));
}

TEST(DateText, MonthNamesInEitherPlace)
{
    const DATE day = ole::DayNumber(2026, 12, 9);
    for (const char16_t* text : {u"9 Dec 2026", u"09-dec-2026", u"9 December 2026", u"December 9, 2026",
                                 u"Dec. 9 2026"}) {
        auto date = ole::ParseDateText(text);
        ASSERT_TRUE(date) << Utf16ToUtf8(text);
        EXPECT_DOUBLE_EQ(*date, day) << Utf16ToUtf8(text);
    }
    ExpectDateTime(*ole::ParseDateText(u"9 Sep 2026 10:15 PM"), 2026, 9, 9, 22, 15, 0);
    EXPECT_FALSE(ole::ParseDateText(u"31 Feb 2026"));
    EXPECT_FALSE(ole::ParseDateText(u"9 Foo 2026"));
    EXPECT_FALSE(ole::ParseDateText(u"9-Dec 2026"));
}

TEST(DateText, TwelveHourClockAndHundredths)
{
    ExpectDateTime(*ole::ParseDateText(u"09/12/2026 02:30:05 PM"), 2026, 12, 9, 14, 30, 5);
    ExpectDateTime(*ole::ParseDateText(u"09/12/2026 12:15 am"), 2026, 12, 9, 0, 15, 0);
    ExpectDateTime(*ole::ParseDateText(u"09/12/2026 12:15 PM"), 2026, 12, 9, 12, 15, 0);
    ExpectDateTime(*ole::ParseDateText(u"09/12/2026 10:00:00,60"), 2026, 12, 9, 10, 0, 1);
    EXPECT_FALSE(ole::ParseDateText(u"09/12/2026 13:00 PM"));
    EXPECT_FALSE(ole::ParseDateText(u"09/12/2026 00:10 AM"));
}

TEST(DateText, TwoDigitYearsFollowTheWindowsWindow)
{
    SYSTEMTIME st = Split(*ole::ParseDateText(u"01/02/29"));
    EXPECT_EQ(st.wYear, 2029);
    st = Split(*ole::ParseDateText(u"01/02/30"));
    EXPECT_EQ(st.wYear, 1930);
}

TEST(DateText, TimeAloneIsOnDayZeroAndNumbersAreDates)
{
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(u"18:00"), 0.75);
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(u"46365.5"), 46365.5);
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(u"-1.25"), -1.25);
}

TEST(DateText, RejectsListsPartsOutOfRangeAndGarbage)
{
    for (const char16_t* text : {u"09/12/2026;10/12/2026", u"09/12/2026 10:00;10/12/2026 11:00", u"", u"   ",
                                 u"yesterday", u"31/04/2026", u"29/02/2023", u"09/12/2026 24:00", u"09/12/2026 10:60",
                                 u"09/12/2026 10:00:61", u"09/12/2026 10", u"09/12/2026x", u"2026-12-09 10:00 ZE1",
                                 u"1.2.3.4", u"9999999", u"09/12/026"}) {
        EXPECT_FALSE(ole::ParseDateText(text)) << Utf16ToUtf8(text);
    }
}

TEST(DateText, FormatsDateTimeDateOnlyAndTimeOnlyAndReadsItBack)
{
    DATE moment = ole::MakeDate(2026, 12, 9, 14, 30, 5);
    EXPECT_EQ(ole::FormatDateText(moment), u"09/12/2026 14:30:05");
    EXPECT_EQ(ole::FormatDateText(ole::MakeDate(2026, 12, 9)), u"09/12/2026");
    EXPECT_EQ(ole::FormatDateText(0.75), u"18:00:00");
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(ole::FormatDateText(moment)), moment);
    DATE early = ole::MakeDate(1850, 6, 1, 6, 0, 0);
    EXPECT_DOUBLE_EQ(*ole::ParseDateText(ole::FormatDateText(early)), early);
}

} // namespace

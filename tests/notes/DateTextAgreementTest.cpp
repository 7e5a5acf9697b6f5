// The converters read Notes date-times as text and hand that text to the
// automation layer, which turns it into a DATE with VariantChangeType. The
// two layers are written apart, so every text form the Notes library writes
// must come back as the same moment, and the forms a DATE cannot hold (lists
// and ranges) must fail rather than give a wrong date.
#include "notes/format/DateTimeValue.h"
#include "ole/DateText.h"
#include "ole/OleAuto.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace {

using notes::format::CivilTime;
using notes::format::DatePrecision;
using notes::format::DateTimeEntry;
using notes::format::DateTimeValue;

std::optional<DATE> ConvertAsTheConvertersDo(const std::string& ansi)
{
    const std::u16string wide(ansi.begin(), ansi.end()); // the forms are ASCII
    VARIANT source;
    VARIANT target;
    VariantInit(&source);
    VariantInit(&target);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(wide.c_str());
    const HRESULT hr = VariantChangeType(&target, &source, 0, VT_DATE);
    VariantClear(&source);
    if (FAILED(hr))
        return std::nullopt;
    EXPECT_EQ(target.vt, VT_DATE);
    return target.date;
}

DATE Expected(const CivilTime& civil, DatePrecision precision)
{
    switch (precision) {
    case DatePrecision::DateOnly:
        return ole::MakeDate(civil.year, civil.month, civil.day);
    case DatePrecision::TimeOnly:
        // A time alone lies on day 0, 30 December 1899.
        return ole::MakeDate(1899, 12, 30, civil.hour, civil.minute, civil.second);
    case DatePrecision::DateAndTime:
        break;
    }
    return ole::MakeDate(civil.year, civil.month, civil.day, civil.hour, civil.minute, civil.second);
}

TEST(DateTextAgreement, EveryWrittenFormParsesToTheSameMoment)
{
    // Fixed corners (leap days, the ends of days and years, dates before 1900
    // and far ahead) and a spread of random moments.
    std::vector<CivilTime> moments{
        {2026, 12, 8, 9, 5, 0},  {2024, 2, 29, 23, 59, 59}, {2000, 1, 1, 0, 0, 0},  {1899, 12, 30, 12, 0, 0},
        {1850, 6, 15, 6, 30, 1}, {2099, 12, 31, 23, 59, 59}, {1970, 1, 1, 0, 0, 1},
    };
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::int64_t> seconds(-2208988800LL, 4102444799LL); // 1900 to 2099
    for (int i = 0; i < 500; ++i)
        moments.push_back(notes::format::CivilFromSeconds(seconds(random)));

    for (const CivilTime& civil : moments) {
        for (DatePrecision precision :
             {DatePrecision::DateAndTime, DatePrecision::DateOnly, DatePrecision::TimeOnly}) {
            const DateTimeValue value{notes::format::SecondsFromCivil(civil), precision};
            const std::string text = notes::format::FormatDateTime(value);
            const auto date = ConvertAsTheConvertersDo(text);
            ASSERT_TRUE(date.has_value()) << text;
            // A second is 1/86400 of a day; the parse must land well inside it.
            EXPECT_NEAR(*date, Expected(civil, precision), 0.1 / 86400) << text;
        }
    }
}

TEST(DateTextAgreement, ListsAndRangesAreNotOneDate)
{
    const DateTimeValue start{notes::format::SecondsFromCivil({2026, 12, 8, 9, 0, 0})};
    const DateTimeValue end{notes::format::SecondsFromCivil({2026, 12, 8, 10, 0, 0})};
    const std::string range = notes::format::FormatDateTimeEntry(DateTimeEntry{start, end});
    EXPECT_FALSE(ConvertAsTheConvertersDo(range)) << range;

    const std::string list = notes::format::FormatDateTime(start) + ";" + notes::format::FormatDateTime(end);
    EXPECT_FALSE(ConvertAsTheConvertersDo(list)) << list;
    EXPECT_FALSE(ConvertAsTheConvertersDo(notes::format::FormatDateTime(start) + ";")) << "a closing separator";
}

} // namespace

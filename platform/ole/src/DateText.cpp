#include "ole/DateText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

enum class DayMonthOrder { DayFirst, MonthFirst };

// The machine's locale is English (UK): "09/12/2026" is 9 December 2026.
// This is the one place that decides it.
constexpr DayMonthOrder kMachineDateOrder = DayMonthOrder::DayFirst;

class Cursor {
public:
    explicit Cursor(std::u16string_view text)
        : m_text(text)
    {
    }

    bool AtEnd() const { return m_at >= m_text.size(); }
    char16_t Peek() const { return AtEnd() ? 0 : m_text[m_at]; }
    void Next() { ++m_at; }

    bool SkipBlanks()
    {
        std::size_t start = m_at;
        while (!AtEnd() && (Peek() == u' ' || Peek() == u'\t'))
            ++m_at;
        return m_at != start;
    }

    bool Take(char16_t c)
    {
        if (Peek() != c)
            return false;
        ++m_at;
        return true;
    }

    // Up to maxDigits decimal digits; false when there is none.
    bool Number(int maxDigits, int& value, int& digits)
    {
        value = 0;
        digits = 0;
        while (digits < maxDigits && Peek() >= u'0' && Peek() <= u'9') {
            value = value * 10 + (Peek() - u'0');
            ++m_at;
            ++digits;
        }
        return digits > 0;
    }

    bool TakeWordNoCase(std::u16string_view word)
    {
        if (m_text.size() - m_at < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            char16_t c = m_text[m_at + i];
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - u'a' + u'A');
            if (c != word[i])
                return false;
        }
        m_at += word.size();
        return true;
    }

    std::size_t Position() const { return m_at; }
    void Rewind(std::size_t at) { m_at = at; }

private:
    std::u16string_view m_text;
    std::size_t m_at = 0;
};

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
};

struct TimeParts {
    int hour = 0;
    int minute = 0;
    double second = 0;
};

int ExpandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

bool ValidDate(const DateParts& d)
{
    return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1
        && d.day <= ole::DaysInMonth(d.year, d.month);
}

// An English month name or its three-letter abbreviation: 1 to 12, or 0.
int TakeMonthName(Cursor& in)
{
    static const char16_t* const names[] = {u"JANUARY", u"FEBRUARY", u"MARCH",     u"APRIL",   u"MAY",      u"JUNE",
                                            u"JULY",    u"AUGUST",   u"SEPTEMBER", u"OCTOBER", u"NOVEMBER", u"DECEMBER"};
    for (int m = 0; m < 12; ++m) {
        std::u16string_view name(names[m]);
        if (in.TakeWordNoCase(name))
            return m + 1;
    }
    for (int m = 0; m < 12; ++m) {
        if (in.TakeWordNoCase(std::u16string_view(names[m]).substr(0, 3))) {
            in.Take(u'.');
            return m + 1;
        }
    }
    return 0;
}

bool TakeYear(Cursor& in, int& year)
{
    int digits;
    if (!in.Number(4, year, digits) || digits == 3)
        return false;
    year = ExpandYear(year, digits);
    return true;
}

// "Dec 9, 2026" and "December 9 2026".
bool ParseMonthFirstName(Cursor& in, DateParts& date)
{
    int month = TakeMonthName(in);
    int day, digits;
    if (!month || !in.SkipBlanks() || !in.Number(2, day, digits))
        return false;
    in.Take(u',');
    in.SkipBlanks();
    if (!TakeYear(in, date.year))
        return false;
    date.month = month;
    date.day = day;
    return ValidDate(date);
}

// "A/B/C" with one separator throughout; a four-digit first part is a year.
// "9 Dec 2026" and "09-Dec-2026" name the month.
bool ParseDate(Cursor& in, DateParts& date)
{
    if (in.Peek() < u'0' || in.Peek() > u'9')
        return ParseMonthFirstName(in, date);
    int a, b, c, da, db, dc;
    if (!in.Number(4, a, da))
        return false;
    char16_t sep = in.Peek();
    if (da <= 2 && (sep == u' ' || sep == u'-')) {
        std::size_t afterDay = in.Position();
        bool blank = in.SkipBlanks() || in.Take(u'-');
        if (int month = blank ? TakeMonthName(in) : 0) {
            bool separated = sep == u'-' ? in.Take(u'-') : in.SkipBlanks();
            if (!separated || !TakeYear(in, date.year))
                return false;
            date.month = month;
            date.day = a;
            return ValidDate(date);
        }
        in.Rewind(afterDay);
    }
    if (sep != u'/' && sep != u'-' && sep != u'.')
        return false;
    in.Next();
    if (!in.Number(2, b, db) || !in.Take(sep) || !in.Number(4, c, dc))
        return false;
    if (da > 2) {
        if (dc > 2)
            return false;
        date = {a, b, c};
    } else if (dc == 3) {
        return false;
    } else if (kMachineDateOrder == DayMonthOrder::DayFirst) {
        date = {ExpandYear(c, dc), b, a};
    } else {
        date = {ExpandYear(c, dc), a, b};
    }
    return ValidDate(date);
}

bool ParseTime(Cursor& in, TimeParts& time)
{
    int hour, minute, second = 0, digits;
    if (!in.Number(2, hour, digits) || !in.Take(u':') || !in.Number(2, minute, digits) || digits != 2)
        return false;
    double fraction = 0;
    if (in.Take(u':')) {
        if (!in.Number(2, second, digits) || digits != 2)
            return false;
        if (in.Peek() == u'.' || in.Peek() == u',') {
            in.Next();
            int value;
            if (!in.Number(3, value, digits))
                return false;
            fraction = value / std::pow(10.0, digits);
        }
    }
    std::size_t beforeMarker = in.Position();
    in.SkipBlanks();
    bool am = in.TakeWordNoCase(u"AM");
    bool pm = !am && in.TakeWordNoCase(u"PM");
    if (am || pm) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (pm ? 12 : 0);
    } else {
        in.Rewind(beforeMarker);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    time = {hour, minute, second + fraction};
    return true;
}

// A plain decimal number: optional sign, digits, at most one point.
std::optional<DATE> ParseNumber(std::u16string_view text)
{
    std::string ascii;
    bool digit = false, point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if ((c == u'-' || c == u'+') && i == 0) {
        } else if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            digit = true;
        } else {
            return std::nullopt;
        }
        ascii += static_cast<char>(c);
    }
    if (!digit)
        return std::nullopt;
    double value = std::strtod(ascii.c_str(), nullptr);
    if (!(value >= -657434.0 && value < 2958466.0))
        return std::nullopt;
    return value;
}

std::u16string_view Trim(std::u16string_view text)
{
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

namespace ole {

std::optional<DATE> ParseDateText(std::u16string_view text)
{
    text = Trim(text);
    if (text.empty())
        return std::nullopt;
    if (auto number = ParseNumber(text))
        return number;

    Cursor in(text);
    DateParts date;
    TimeParts time;
    bool haveDate = ParseDate(in, date);
    if (!haveDate) {
        in.Rewind(0);
        if (!ParseTime(in, time) || !in.AtEnd())
            return std::nullopt;
        return MakeDate(date.year, date.month, date.day, time.hour, time.minute, time.second);
    }
    if (!in.AtEnd()) {
        bool separated = in.SkipBlanks();
        if (!separated && !in.Take(u'T'))
            return std::nullopt;
        if (!ParseTime(in, time) || !in.AtEnd())
            return std::nullopt;
    }
    return MakeDate(date.year, date.month, date.day, time.hour, time.minute, time.second);
}

std::u16string FormatDateText(DATE date)
{
    SYSTEMTIME st{};
    if (!VariantTimeToSystemTime(date, &st))
        return {};
    char buffer[32];
    bool hasTime = st.wHour || st.wMinute || st.wSecond;
    bool hasDate = !(st.wYear == 1899 && st.wMonth == 12 && st.wDay == 30);
    unsigned first = kMachineDateOrder == DayMonthOrder::DayFirst ? st.wDay : st.wMonth;
    unsigned second = kMachineDateOrder == DayMonthOrder::DayFirst ? st.wMonth : st.wDay;
    int n;
    if (hasDate && !hasTime)
        n = std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04u", first, second, st.wYear);
    else if (!hasDate)
        n = std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u", st.wHour, st.wMinute, st.wSecond);
    else
        n = std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04u %02u:%02u:%02u", first, second, st.wYear,
                          st.wHour, st.wMinute, st.wSecond);
    return std::u16string(buffer, buffer + n);
}

} // namespace ole

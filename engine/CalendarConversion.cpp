#include "CalendarConversion.h"

#include <atomic>

namespace {

std::atomic<CalendarConversion> g_calendarConversion{nullptr};

} // namespace

void SetCalendarConversion(CalendarConversion conversion)
{
    g_calendarConversion = conversion;
}

CalendarConversion GetCalendarConversion()
{
    return g_calendarConversion;
}

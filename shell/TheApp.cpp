// The one application object of the program, built before the entry runs,
// and the calendar conversion installed as the calendar mode's converter:
// it lives above the engine, which cannot reach it by itself.
#include "CalendarConverter.h"
#include "MarlwickApp.h"

namespace {

const bool g_calendarInstalled = (InstallCalendarConversion(), true);

} // namespace

CMarlwickApp theApp;

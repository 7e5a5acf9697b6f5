// The calendar conversion lives in its own library above the engine, which
// cannot call up into it: the program installs it here before a run starts.
// A run of the calendar mode without it walks the ticked folders as the
// stand-in converter does, which is what the run's own tests rely on.
#pragma once

class CProDlg;

using CalendarConversion = void (*)(CProDlg& dialog);

void SetCalendarConversion(CalendarConversion conversion);
CalendarConversion GetCalendarConversion();

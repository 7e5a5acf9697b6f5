// The calendar mode's converter: the calendar library's conversion once the
// program has installed it (CalendarConversion.h). A run without it, as the
// run's own tests make, walks the stand-in below: the converters' shared
// first steps (Outlook check, PST folder, target components, stop check),
// then one unit of work per selected folder with the converters' progress
// and stop checks, ending in the completion dialog as a converter does.
#include "CProDlg.h"

#include "CalendarConversion.h"
#include "RunFlags.h"
#include "StringList.h"
#include "WizardSelections.h"
#include "user/ProgressBar.h"
#include "win32/Clock.h"
#include "win32/WideString.h"

namespace {

// The time one unit of work takes, so that a person sees the run go.
constexpr DWORD kUnitOfWork = 400;

} // namespace

void CProDlg::ConvertCalendar()
{
    if (CalendarConversion conversion = GetCalendarConversion()) {
        conversion(*this);
        return;
    }
    RunStandInConverter();
}

void CProDlg::RunStandInConverter()
{
    if (!CheckOutlookInstalled())
        return;
    if (!PrepareTargetComponents())
        return;
    const int units = CountStringNodes(g_pSelFolderList);
    int unit = 0;
    for (const StringNode* folder = g_pSelFolderList; folder; folder = folder->next) {
        ++unit;
        g_nCurrentProgress = unit;
        g_nOverallProgress = unit;
        if (StopCheck())
            return;
        WCHAR text[MAX_PATH];
        StringCchPrintfW(text, MAX_PATH, u"%d/%d   [%s]", unit, g_nSelFolderCount, folder->text);
        SetDlgItemText(1033, text);
        StringCchPrintfW(text, MAX_PATH, u"%d/%d", unit, units);
        SetDlgItemText(1034, text);
        Sleep(kUnitOfWork);
        const int position = unit * 100 / units;
        m_progCurrent.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
        m_progOverall.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
    }
    if (StopCheck())
        return;
    ShowCompletionDialog();
}

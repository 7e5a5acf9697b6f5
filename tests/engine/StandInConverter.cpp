#include "StandInConverter.h"

#include "CProDlg.h"
#include "RunFlags.h"
#include "StringList.h"
#include "WizardSelections.h"
#include "user/ProgressBar.h"
#include "win32/Clock.h"
#include "win32/WideString.h"

namespace enginetest {

namespace {

// The time one unit of work takes, through the test's clock.
constexpr DWORD kUnitOfWork = 400;

} // namespace

void RunStandInConverter(CProDlg& dialog)
{
    if (!dialog.CheckOutlookInstalled())
        return;
    if (!dialog.PrepareTargetComponents())
        return;
    const int units = CountStringNodes(g_pSelFolderList);
    int unit = 0;
    for (const StringNode* folder = g_pSelFolderList; folder; folder = folder->next) {
        ++unit;
        g_nCurrentProgress = unit;
        g_nOverallProgress = unit;
        if (dialog.StopCheck())
            return;
        WCHAR text[MAX_PATH];
        StringCchPrintfW(text, MAX_PATH, u"%d/%d   [%s]", unit, g_nSelFolderCount, folder->text);
        dialog.SetDlgItemText(1033, text);
        StringCchPrintfW(text, MAX_PATH, u"%d/%d", unit, units);
        dialog.SetDlgItemText(1034, text);
        Sleep(kUnitOfWork);
        const int position = unit * 100 / units;
        dialog.m_progCurrent.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
        dialog.m_progOverall.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
    }
    if (dialog.StopCheck())
        return;
    dialog.ShowCompletionDialog();
}

} // namespace enginetest

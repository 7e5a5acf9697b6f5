#include "ConversionThreads.h"

#include "ActivityLog.h"
#include "CCompDlg.h"
#include "CProDlg.h"
#include "RunFlags.h"
#include "WizardSelections.h"
#include "win32/WideString.h"

namespace {

void WriteCountLine(LPCWSTR label, int value)
{
    WCHAR line[MAX_PATH];
    StringCchPrintfW(line, MAX_PATH, u"%s%d", label, value);
    WriteActivityLog(line);
}

// The end of a worker whose converter returned: the summary first, then the
// worker is gone, then the repaint, so the completion dialog's result line
// always follows the summary.
UINT FinishRun(CProDlg* dialog)
{
    WriteRunSummary(g_nSelFolderCount);
    g_pConvThread = nullptr;
    dialog->InvalidateRect(nullptr, TRUE);
    return 0;
}

} // namespace

void WriteRunSummary(int foldersSelected)
{
    WriteActivityLog(u"\r\n");
    WriteActivityLog(u"Step 6 :");
    WriteActivityLog(u"-------");
    WriteCountLine(u"No. of folder selected : ", foldersSelected);
    WriteCountLine(u"Current Progress : ", g_nCurrentProgress);
    WriteCountLine(u"Overall Progress : ", g_nOverallProgress);
}

UINT MailThreadProc(LPVOID pParam)
{
    auto* dialog = static_cast<CProDlg*>(pParam);
    dialog->ConvertMailFolders();
    return FinishRun(dialog);
}

UINT ContactsThreadProc(LPVOID pParam)
{
    auto* dialog = static_cast<CProDlg*>(pParam);
    dialog->ConvertContacts();
    return FinishRun(dialog);
}

UINT CalendarThreadProc(LPVOID pParam)
{
    auto* dialog = static_cast<CProDlg*>(pParam);
    dialog->ConvertCalendar();
    return FinishRun(dialog);
}

BOOL CProDlg::StopCheck()
{
    if (!g_bStopRequested)
        return FALSE;
    ShowCompletionDialog();
    return TRUE;
}

void CProDlg::ShowCompletionDialog()
{
    CCompDlg completion(nullptr);
    ShowWindow(SW_HIDE);
    completion.DoModal();
    ShowWindow(SW_SHOWNORMAL);
}

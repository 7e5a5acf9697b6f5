#include "PstFreeSpace.h"

#include "ActivityLog.h"
#include "AppSettings.h"
#include "CCompDlg.h"
#include "CProDlg.h"
#include "ConversionThreads.h"
#include "RunFlags.h"
#include "win32/FileApi.h"
#include "win32/WideString.h"

std::atomic<int> g_nFoldersLogged{0};

namespace {

constexpr LPCWSTR kLowSpaceQuestion = u"Free space is less than 300 MB. Are you sure you want to continue?";
constexpr LPCWSTR kUnmeasuredLine = u"Free space of the PST drive could not be read; no free-space question asked";
constexpr UINT kQuestionFlags = 0x1024; // system-modal, question icon, Yes and No
constexpr int kYesAnswersAllowed = 3;

} // namespace

BOOL CProDlg::CheckPstFreeSpace(int foldersToLog, PstFreeSpaceAnswers& answers)
{
    WCHAR folder[MAX_PATH];
    lstrcpynW(folder, g_strPstDir, MAX_PATH);
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExW(folder, &available, &total, &free)) {
        // Without a figure there is nothing to ask about.
        if (!answers.failureLogged) {
            WriteActivityLog(kUnmeasuredLine);
            answers.failureLogged = true;
        }
        return TRUE;
    }
    if (free.QuadPart > kLowPstFreeSpace)
        return TRUE;

    if (MessageBox(kLowSpaceQuestion, g_szMsgCaption, kQuestionFlags) != IDYES) {
        g_nFoldersLogged = foldersToLog;
        WriteRunSummary(foldersToLog);
        g_bAbortRequested = 1;
        CCompDlg completion(nullptr);
        ShowWindow(SW_HIDE);
        InvalidateRect(nullptr, TRUE);
        completion.DoModal();
        ShowWindow(SW_SHOWNORMAL);
        return FALSE;
    }
    if (++answers.yesCount > kYesAnswersAllowed) {
        RaiseStopFlags();
        return FALSE;
    }
    return TRUE;
}

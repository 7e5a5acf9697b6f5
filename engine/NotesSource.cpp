// Opening the NSF, the shared first step of the converters that read it.
#include "CProDlg.h"

#include "AppSettings.h"
#include "RunFlags.h"
#include "notes/Notes.h"
#include "win32/CodePage.h"

namespace {

constexpr LNINT kClassLibraryVersion = 700;
// The texts of the wizard's folder step and of the contacts conversion for
// the same two conditions.
constexpr LPCWSTR kNotesNotConfigured = u"Your Lotus Notes is not confogured, please call Administrator ";
constexpr LPCWSTR kWrongSourceFile = u"Please check if you have select the correct source file.";
constexpr UINT kNoticeFlags = 0x1040; // system-modal, information icon, OK
constexpr UINT kErrorFlags = 0x1010;  // system-modal, stop icon, OK

void MarkNotCompleted()
{
    g_bNotCompleted = 1;
    RaiseStopFlags();
}

} // namespace

BOOL CProDlg::OpenNotesDatabase(LNNotesSession& session, LNDatabase& database)
{
    const std::string nsfPath = WideToAnsi(g_strNsfPath.Str());
    if (session.Initialize(kClassLibraryVersion, 0, nullptr, TRUE, nullptr) != LNNOERROR) {
        // Ending here without a word would report the run as a success.
        MessageBox(kNotesNotConfigured, g_szMsgCaption, kNoticeFlags);
        MarkNotCompleted();
        return FALSE;
    }
    LNSetThrowAllErrorsGlobal(TRUE);
    session.GetDatabase(nsfPath, &database, nullptr);
    database.Open();
    return TRUE;
}

void CProDlg::ReportUnreadableNsf()
{
    MessageBox(kWrongSourceFile, g_szMsgCaption, kErrorFlags);
    MarkNotCompleted();
}

// The calendar run's set-up, its walk over the view folders, its end and the
// handlers of the view folder and the database.
#include "CalendarConverter.h"

#include "AppSettings.h"
#include "CProDlg.h"
#include "RdoDispatch.h"
#include "RunFlags.h"
#include "StepGuard.h"
#include "win32/Clock.h"
#include "win32/CodePage.h"

int g_bSeriesType2Done = 0;
int g_bSeriesType16Done = 0;
int g_bSeriesType8Done = 0;
std::atomic<unsigned> g_nCalendarEntryCount{0};

namespace {

constexpr LPCWSTR kRdoSessionProgId = u"TolvaneRedmp.RDOSessionTol";
constexpr const char* kCalendarView = "($Calendar)";
// The narrow copy of a view folder's name.
constexpr std::size_t kViewNameBytes = 260;
constexpr DWORD kFolderPause = 1000;
constexpr UINT kQuestionOkFlags = 0x1020; // system-modal, question icon, OK
constexpr LPCWSTR kViewUnreadable = u"1Please Verify the NSF file...";
constexpr LPCWSTR kDatabaseUnreadable = u"Please Verify the NSF file...";

} // namespace

void FetchErrorText(LNSTATUS status)
{
    // The handlers fetch the text and show none of it.
    char text[512];
    LNGetErrorMessageText(status, text, sizeof text);
}

std::u16string CalendarFolderPath(const std::u16string& targetFolder, const std::u16string& folderName)
{
    return u"\\\\" + targetFolder + u"\\" + folderName;
}

void RunCalendarConversion(CProDlg& dialog)
{
    CCalendarConverter converter(dialog);
    try {
        converter.Run();
    } catch (const LeaveConverter&) {
    }
}

CCalendarConverter::CCalendarConverter(CProDlg& dialog)
    : m_dialog(dialog)
{
}

void CCalendarConverter::StopCheck()
{
    if (!g_bStopRequested)
        return;
    m_dialog.StopCheck();
    throw LeaveConverter{};
}

void CCalendarConverter::Run()
{
    if (!m_dialog.CheckOutlookInstalled())
        return;
    Relabel();
    bool prepared = false;
    // An exception out of the component set-up ends the run at once.
    if (!RunGuarded([&] { prepared = m_dialog.PrepareTargetComponents(); }) || !prepared)
        return;
    try {
        CreateCalendarFolder();
        ConvertNotesSource();
    } catch (const CException&) {
        FinishCalendarRunOnTargetFailure();
        return;
    }
    FinishCalendarRun();
}

void CCalendarConverter::Relabel()
{
    m_dialog.SetDlgItemText(1037, u"No. of item (s)     :");
    m_dialog.SetDlgItemText(1038, u"Date                    :");
    m_dialog.SetDlgItemText(1047, u"Enumerating Calendar, Please wait...");
    m_dialog.SetDlgItemText(1033, g_strPstFolderName);
}

void CCalendarConverter::CreateCalendarFolder()
{
    COleDispatchDriver session;
    session.CreateDispatch(kRdoSessionProgId);
    RdoSession_Logon(session);
    const std::u16string rootPath = u"\\\\" + m_dialog.m_strTargetFolder.Str();
    COleDispatchDriver root;
    root.AttachDispatch(RdoSession_GetFolderFromPath(session, rootPath.c_str()));
    m_rootFolders.AttachDispatch(RdoObject_Get12(root));
    Sleep(kFolderPause);
    // A folder that cannot be added may be there already: the entries open
    // it by its path all the same.
    RunGuarded([&] { RdoFolders_Add(m_rootFolders, g_strPstFolderName, kRdoFolderCalendar); });
    Sleep(kFolderPause);
    root.ReleaseDispatch();
    m_calendarFolderPath = CalendarFolderPath(m_dialog.m_strTargetFolder.Str(), g_strPstFolderName.Str());
    // A folder that was neither made nor there would take every entry's
    // item calls and save nothing: the run ends here instead (the caller's
    // handler) rather than report a success.
    COleDispatchDriver calendar;
    calendar.AttachDispatch(RdoSession_GetFolderFromPath(session, m_calendarFolderPath.c_str()));
    calendar.ReleaseDispatch();
    session.ReleaseDispatch();
}

void CCalendarConverter::ConvertNotesSource()
{
    try {
        // Every Notes error from the session's start on is thrown, the
        // session's own included.
        LNSetThrowAllErrorsGlobal(TRUE);
        if (!m_dialog.OpenNotesDatabase(m_session, m_database)) {
            StopCheck();
            return;
        }
        m_database.GetViewFolders(&m_viewFolders, FALSE);
        StopCheck();
        for (LNINT v = 0; v < m_viewFolders.GetCount(); ++v) {
            ConvertCalendarView(v);
            StopCheck();
        }
        m_database.Close();
        StopCheck();
    } catch (LNSTATUS status) {
        OnCalendarDatabaseError(status);
    }
}

void CCalendarConverter::OnCalendarDatabaseError(LNSTATUS status)
{
    FetchErrorText(status);
    g_bNotCompleted = 1;
    g_bAbortRequested = 1;
    m_dialog.MessageBox(kDatabaseUnreadable, g_szMsgCaption, kQuestionOkFlags);
}

void CCalendarConverter::ConvertCalendarView(LNINT v)
{
    try {
        LNViewFolder view = m_viewFolders[v];
        view.Open(0);
        const LNString fullName = view.GetName();
        const std::string name = fullName.Text().substr(0, AnsiCutLength(fullName.Text(), kViewNameBytes - 1));
        StopCheck();
        if (name != kCalendarView)
            return;
        m_viewSession.ReleaseDispatch();
        m_viewSession.CreateDispatch(kRdoSessionProgId);
        RdoSession_Logon(m_viewSession);
        const unsigned count = static_cast<unsigned>(view.GetEntryCount());
        g_nCalendarEntryCount = count;
        StopCheck();
        ConvertCalendarEntries(view, count);
        NextCalendarView();
    } catch (LNSTATUS status) {
        OnCalendarViewError(status);
    }
}

void CCalendarConverter::NextCalendarView()
{
    m_viewSession.ReleaseDispatch();
    StopCheck();
}

void CCalendarConverter::OnCalendarViewError(LNSTATUS status)
{
    FetchErrorText(status);
    g_bNotCompleted = 1;
    m_dialog.MessageBox(kViewUnreadable, g_szMsgCaption, kQuestionOkFlags);
}

void CCalendarConverter::FinishCalendarRun()
{
    // Nothing may keep the run from its completion dialog now.
    RunGuarded([&] { m_session.Term(0); });
    m_dialog.ShowCompletionDialog();
}

void CCalendarConverter::FinishCalendarRunOnTargetFailure()
{
    g_bNotCompleted = 1;
    g_bAbortRequested = 1;
    FreeStringList(&g_lstStartDates);
    FreeStringList(&g_lstEndDates);
    FinishCalendarRun();
}

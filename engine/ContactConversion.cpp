// The contact converter's set-up (labels, target, contacts folder, the
// "Person" documents) and the end of its run.
#include "ContactConverter.h"

#include "AppSettings.h"
#include "CProDlg.h"
#include "ConversionThreads.h"
#include "Converters.h"
#include "RdoDispatch.h"
#include "RunFlags.h"
#include "StepGuard.h"
#include "WizardSelections.h"
#include "win32/Clock.h"

namespace {

constexpr LPCWSTR kNoPersons = u"Please check if you have select the correct source file.";
constexpr UINT kErrorFlags = 0x1010; // system-modal, stop icon, OK
// The folder is made between two waits, which give the store time to settle.
constexpr DWORD kFolderWait = 1000;

// The failures that keep the run from its contacts end it as not completed.
void MarkNotCompleted()
{
    g_bNotCompleted = 1;
    RaiseStopFlags();
}

} // namespace

void RunContactConversion(CProDlg& dialog)
{
    CContactConverter converter(dialog);
    try {
        converter.Run();
    } catch (const LeaveConverter&) {
    }
}

CContactConverter::CContactConverter(CProDlg& dialog)
    : m_dialog(dialog)
{
}

void CContactConverter::StopCheck()
{
    if (!g_bStopRequested)
        return;
    m_dialog.StopCheck();
    throw LeaveConverter{};
}

void CContactConverter::Run()
{
    if (!m_dialog.CheckOutlookInstalled())
        return;
    Relabel();
    StopCheck();
    if (!m_dialog.PrepareTargetComponents())
        return;
    if (!CreateContactsFolder()) {
        MarkNotCompleted();
        StopCheck();
        return;
    }
    if (!FindPersons())
        return;
    ConvertPersons();
    EndRun();
}

void CContactConverter::Relabel()
{
    m_dialog.SetDlgItemText(1037, u"No. of Contact(s):");
    m_dialog.SetDlgItemText(1038, u"Name                   :");
    m_dialog.SetDlgItemText(1039, u"Mobile No             :");
    m_dialog.SetDlgItemText(1033, g_strPstFolderName);
    m_dialog.SetDlgItemText(1047, u"Enumerating contacts. Please wait...");
}

bool CContactConverter::CreateContactsFolder()
{
    const CString rootPath = CString(u"\\\\") + m_dialog.m_strTargetFolder;
    COleDispatchDriver session;
    if (!session.CreateDispatch(kRdoSessionProgId))
        return false;
    // A store that cannot be reached leaves the run nowhere to write.
    return RunGuarded([&] {
        RdoSession_Logon(session);
        COleDispatchDriver root(RdoSession_GetFolderFromPath(session, rootPath));
        COleDispatchDriver folders(RdoObject_Get12(root));
        Sleep(kFolderWait);
        // A folder of that name may be there already: the contacts join it.
        RunGuarded([&] { RdoFolders_Add(folders, g_strPstFolderName, kRdoFolderContacts); });
        Sleep(kFolderWait);
        m_contactsPath = rootPath + u"\\" + g_strPstFolderName;
    });
}

bool CContactConverter::FindPersons()
{
    bool sessionReady = false;
    const bool found = RunGuarded([&] {
        sessionReady = m_dialog.OpenNotesDatabase(m_session, m_database);
        if (!sessionReady)
            return;
        m_database.Search(LNFormula("Form=\"Person\""), &m_persons);
        m_count = m_persons.GetCount();
    });
    if (!found) {
        // An NSF that cannot be opened or searched ends the run as not
        // completed, through the completion dialog.
        RunGuarded([&] { m_session.Term(0); });
        m_dialog.ReportUnreadableNsf();
        // The completion dialog ends the process: the run's end block goes
        // to the log before it, as at every other end of the run.
        g_nFoldersLogged = 1;
        WriteRunSummary(1);
        StopCheck();
        return false;
    }
    if (!sessionReady)
        return false;
    if (m_count == 0) {
        m_dialog.MessageBox(kNoPersons, g_szMsgCaption, kErrorFlags);
        RaiseStopFlags();
        RunGuarded([&] { m_database.Close(); });
        RunGuarded([&] { m_session.Term(0); });
        return false;
    }
    return true;
}

void CContactConverter::EndRun()
{
    // Nothing may keep the run from its end block and completion dialog now.
    m_persons = LNDocumentArray();
    RunGuarded([&] { m_database.Close(); });
    g_nFoldersLogged = 1;
    WriteRunSummary(1);
    RunGuarded([&] { m_session.Term(0); });
    m_dialog.ShowCompletionDialog();
}

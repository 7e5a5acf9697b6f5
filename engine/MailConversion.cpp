// The mail converter's set-up, its walk over the view folders and the end of
// its run.
#include "MailConverter.h"

#include "AppSettings.h"
#include "BrenmoorDispatch.h"
#include "CProDlg.h"
#include "Converters.h"
#include "MailFolderPaths.h"
#include "PartString.h"
#include "RunFlags.h"
#include "StepGuard.h"
#include "WizardSelections.h"
#include "user/ProgressBar.h"
#include "win32/CodePage.h"

#include <algorithm>
#include <vector>

std::atomic<int> g_nFoldersDone{0};

namespace {

constexpr int kFolderText = 1033;

} // namespace

void RunMailConversion(CProDlg& dialog)
{
    CMailConverter converter(dialog);
    try {
        converter.Run();
    } catch (const LeaveConverter&) {
    }
}

CMailConverter::CMailConverter(CProDlg& dialog)
    : m_dialog(dialog)
    , m_builder(dialog, m_session, [this] { StopCheck(); })
{
}

void CMailConverter::StopCheck()
{
    if (!g_bStopRequested)
        return;
    m_dialog.StopCheck();
    throw LeaveConverter{};
}

void CMailConverter::Run()
{
    if (!m_dialog.CheckOutlookInstalled())
        return;
    if (!m_dialog.PrepareTargetComponents())
        return;
    LNINT viewFolderCount = 0;
    if (!OpenSource(viewFolderCount))
        return;
    for (LNINT k = 0; k < viewFolderCount; ++k) {
        StopCheck();
        // A failure inside a view folder leaves it there; what reached the
        // PST stays.
        RunGuarded([&] { WalkViewFolder(k); });
        m_dialog.m_progOverall.SendMessage(PBM_SETPOS, static_cast<WPARAM>((k + 1) * 100 / viewFolderCount));
    }
    EndRun();
}

bool CMailConverter::OpenSource(LNINT& viewFolderCount)
{
    m_folderName = WideToAnsi(g_strPstFolderName.Str());
    bool sessionReady = false;
    bool opened = RunGuarded([&] {
        sessionReady = m_dialog.OpenNotesDatabase(m_session, m_database);
        if (!sessionReady)
            return;
        m_database.GetViewFolders(&m_viewFolders, FALSE);
        viewFolderCount = m_viewFolders.GetCount();
    });
    if (!opened) {
        // An NSF that cannot be opened ends the run as not completed,
        // through the completion dialog.
        RunGuarded([&] { m_session.Term(0); });
        m_dialog.ReportUnreadableNsf();
        StopCheck();
    }
    return sessionReady;
}

void CMailConverter::WalkViewFolder(LNINT k)
{
    LNViewFolder viewFolder = m_viewFolders[k];
    viewFolder.Open(0);
    const LNString notesName = viewFolder.GetName();
    const std::u16string folderPath = MailFolderPath(m_folderName, MapNotesFolderName(notesName.Text()));
    if (!IsFolderSelected(folderPath))
        return;

    MailMessageParts parts;
    parts.folderPath = CString(PstFolderPath(m_dialog.m_strTargetFolder.Str(), folderPath));
    g_nOverallProgress = ++g_nFoldersDone;
    CString counter;
    counter.Format(u"%d/%d   [%s]", g_nFoldersDone.load(), g_nSelFolderCount,
                   AnsiToWide(notesName.Text()).c_str());
    m_dialog.SetDlgItemText(kFolderText, counter);
    CreatePstFolderPath(folderPath);
    ConvertDocuments(viewFolder, parts);
}

bool CMailConverter::IsFolderSelected(const std::u16string& folderPath)
{
    bool matched = false;
    for (const StringNode* entry = g_pSelFolderList; entry; entry = entry->next) {
        StopCheck();
        if (SelectionComparisonPath(m_folderName, entry->text) == folderPath)
            matched = true;
    }
    return matched;
}

void CMailConverter::CreatePstFolderPath(const std::u16string& folderPath)
{
    const int levels = static_cast<int>(std::count(folderPath.begin(), folderPath.end(), u'\\'));
    std::u16string path = u"\\\\" + m_dialog.m_strTargetFolder.Str();
    std::vector<WCHAR> level(folderPath.size() + 1);
    for (int j = 0; j < levels; ++j) {
        m_dialog.GetPathComponent(folderPath.c_str(), j, level.data(), level.size());
        path += u'\\';
        path += level.data();
        // A level that fails is skipped; the deeper ones follow.
        RunGuarded([&] {
            CPartString call{CString(path)};
            Brenmoor_Call6003002C(m_dialog.m_dispBrenmoor, call.Ref());
        });
    }
}

void CMailConverter::EndRun()
{
    // Nothing may keep the run from its completion dialog now.
    RunGuarded([&] { m_database.Close(); });
    RunGuarded([&] { m_session.Term(0); });
    m_dialog.ShowCompletionDialog();
}

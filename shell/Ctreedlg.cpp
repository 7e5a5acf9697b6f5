#include "Ctreedlg.h"

#include "ActivityLog.h"
#include "AppSettings.h"
#include "CCopyProg.h"
#include "CTrgDlg.h"
#include "ExitPrompts.h"
#include "Help.h"
#include "MarlwickDlg.h"
#include "StepPicture.h"
#include "ToolButtons.h"
#include "WizardChain.h"
#include "WizardIds.h"
#include "WizardSelections.h"
#include "win32/CodePage.h"
#include "win32/Thread.h"

std::atomic<int> g_bTreeStop{0};

namespace {

constexpr int kViewLog = 1024;
constexpr int kSupport = 1025;
constexpr int kExit = 1026;
constexpr int kBack = 1015;
constexpr int kTree = 1023;
constexpr int kProgress = 1019;
constexpr int kEnumerating = 1032;

// System-modal, exclamation icon, OK.
constexpr UINT kNoSelectionFlags = 0x1030;

LPCWSTR StepPictureOf(int mode)
{
    switch (mode) {
    case 1:
        return u"\\step3_mail.bmp";
    case 2:
        return u"\\step3_add.bmp";
    case 3:
        return u"\\step3_cal.bmp";
    default:
        return nullptr;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(Ctreedlg, CSkinDialog)
ON_BN_CLICKED(IDOK, &Ctreedlg::OnNext)
ON_BN_CLICKED(kBack, &Ctreedlg::OnBack)
ON_BN_CLICKED(kExit, &Ctreedlg::OnExit)
ON_BN_CLICKED(kViewLog, &Ctreedlg::OnViewLog)
ON_BN_CLICKED(kSupport, &Ctreedlg::OnSupport)
ON_COMMAND(ID_FILE_EXIT, &Ctreedlg::OnQuitCommand)
ON_NOTIFY(TVN_KEYDOWN, kTree, &Ctreedlg::OnTreeKeyDown)
ON_NOTIFY(NM_CUSTOMDRAW, kProgress, &Ctreedlg::OnNothingToDo)
ON_NOTIFY(TVN_SELCHANGED, kTree, &Ctreedlg::OnNothingToDo)
ON_WM_HELPINFO()
ON_WM_DESTROY()
END_MESSAGE_MAP()

Ctreedlg::Ctreedlg(CWnd* pParent)
    : CSkinDialog(IDD, pParent)
{
}

Ctreedlg::~Ctreedlg()
{
    delete m_pEnumThread;
    if (m_hStepPicture)
        ::DeleteObject(m_hStepPicture);
}

void Ctreedlg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kViewLog, m_btnViewLog);
    DDX_Control(pDX, kSupport, m_btnSupport);
    DDX_Control(pDX, kExit, m_btnExit);
    DDX_Control(pDX, kTree, m_tree);
    DDX_Control(pDX, IDC_STEPPICTURE, m_stcStep);
    DDX_Control(pDX, kBack, m_btnBack);
    DDX_Control(pDX, IDOK, m_btnNext);
    DDX_Control(pDX, kProgress, m_progress);
    DDX_Control(pDX, kEnumerating, m_lblEnumerating);
}

BOOL Ctreedlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    SetWindowText(g_szAppTitle);
    SetUpToolButtons(m_btnViewLog, m_btnSupport, m_btnExit);
    if (LPCWSTR picture = StepPictureOf(g_nConvMode))
        m_hStepPicture = LoadStepPicture(m_stcStep, picture);
    m_skin.Load(CString(g_szInstallDir) + u"\\main.bmp");
    StartEnumeration();
    return TRUE;
}

void Ctreedlg::StartEnumeration()
{
    AFX_THREADPROC walk = nullptr;
    if (g_nConvMode == 1)
        walk = EnumNsfFoldersThread;
    else if (g_nConvMode == 2 || g_nConvMode == 3)
        walk = SingleFileTreeThread;
    if (!walk)
        return;
    // Back and Next are disabled before the walk starts, not once its thread
    // gets to them: until then they showed enabled, and a click that came in
    // that moment was lost when the thread disabled them.
    EnableStepButtons(FALSE);
    // Started held so that the object is kept once the thread ends: the
    // dialog waits for it before its windows go.
    m_pEnumThread = AfxBeginThread(walk, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!m_pEnumThread) {
        EnableStepButtons(TRUE);
        return;
    }
    m_pEnumThread->m_bAutoDelete = FALSE;
    m_pEnumThread->ResumeThread();
}

void Ctreedlg::OnDestroy()
{
    EndEnumeration();
    CSkinDialog::OnDestroy();
}

void Ctreedlg::EndEnumeration()
{
    if (!m_pEnumThread)
        return;
    const HANDLE thread = m_pEnumThread->m_hThread;
    DWORD code = 0;
    if (::GetExitCodeThread(thread, &code) && code == STILL_ACTIVE)
        ::TerminateThread(thread, 0);
    MSG msg;
    while (::WaitForSingleObject(thread, 10) == WAIT_TIMEOUT)
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

void Ctreedlg::EnableStepButtons(BOOL bEnable)
{
    m_btnBack.EnableWindow(bEnable);
    m_btnNext.EnableWindow(bEnable);
}

void Ctreedlg::HideEnumerationProgress()
{
    m_lblEnumerating.ShowWindow(SW_HIDE);
    m_progress.ShowWindow(SW_HIDE);
}

void Ctreedlg::OnNext()
{
    CollectSelectedFolders();
    g_nSelFolderCount = CountStringNodes(g_pSelFolderList);
    if (g_nSelFolderCount == 0) {
        MessageBox(u"Please Select Any Folder", g_szMsgCaption, kNoSelectionFlags);
        return;
    }
    WriteActivityLog(u"\r\n");
    WriteActivityLog(u"Step 3 :");
    WriteActivityLog(u"-------");
    WriteActivityLog(u"List of Selected NSF Folder(s) : ");
    for (g_pSelFolderCursor = g_pSelFolderList; g_pSelFolderCursor; g_pSelFolderCursor = g_pSelFolderCursor->next)
        WriteActivityLog(g_pSelFolderCursor->text);
    RunNextStep<CTrgDlg>(*this);
}

void Ctreedlg::CollectSelectedFolders()
{
    for (HTREEITEM top = m_tree.GetRootItem(); top; top = m_tree.GetNextSiblingItem(top))
        CollectBelow(top);
}

void Ctreedlg::CollectBelow(HTREEITEM item)
{
    for (HTREEITEM child = m_tree.GetChildItem(item); child; child = m_tree.GetNextSiblingItem(child)) {
        if (m_tree.IsChecked(child)) {
            char path[CFolderTreeCtrl::kPathBufferBytes];
            m_tree.GetItemPath(child, path);
            AppendStringNode(&g_pSelFolderList, AnsiToWide(path).c_str());
        }
        CollectBelow(child);
    }
}

void Ctreedlg::OnBack()
{
    FreeStringList(&g_pSelFolderList);
    g_bCopyStop = 0;
    CDialog::OnCancel();
}

void Ctreedlg::OnExit()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void Ctreedlg::OnCancel()
{
    ConfirmExit(*this, ExitPrompt::A, [] { g_bTreeStop = 1; });
}

void Ctreedlg::OnQuitCommand()
{
    ConfirmExit(*this, ExitPrompt::C);
}

void Ctreedlg::OnViewLog()
{
    ViewActivityLog();
}

void Ctreedlg::OnSupport()
{
    OpenSupportPage();
}

// Space inverts the caret item's check box alone; its children, ancestors
// and bold marks stay as they are. The tree sees the change and does not
// toggle the box a second time.
void Ctreedlg::OnTreeKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* key = reinterpret_cast<NMTVKEYDOWN*>(pNMHDR);
    if (key->wVKey == VK_SPACE) {
        if (HTREEITEM caret = m_tree.GetSelectedItem())
            m_tree.SetCheck(caret, !m_tree.IsChecked(caret));
    }
    *pResult = 0;
}

void Ctreedlg::OnNothingToDo(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}

BOOL Ctreedlg::OnHelpInfo(HELPINFO*)
{
    OpenHelpFile();
    return FALSE;
}

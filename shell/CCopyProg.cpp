#include "CCopyProg.h"

#include "AppSettings.h"
#include "StringList.h"
#include "WizardSelections.h"
#include "afx/WinThread.h"
#include "user/ProgressBar.h"

#include <algorithm>

std::atomic<CWinThread*> g_pCopyThread = nullptr;
std::atomic<int> g_bCopyStop = 0;

namespace {

constexpr int kProgress = 1019;
constexpr int kCopyingLabel = 1022;
constexpr UINT kBlockSize = 4096;

} // namespace

BEGIN_MESSAGE_MAP(CCopyProg, CSkinDialog)
ON_BN_CLICKED(IDOK, &CCopyProg::OnStop)
ON_WM_PAINT()
ON_NOTIFY(NM_CUSTOMDRAW, kProgress, &CCopyProg::OnCustomDrawProgress)
END_MESSAGE_MAP()

CCopyProg::CCopyProg(CWnd* pParent)
    : CSkinDialog(IDD, pParent)
{
}

CCopyProg::~CCopyProg()
{
    // The dialog ends when the worker is done or terminated; the worker never
    // outlives the dialog whose files it uses.
    if (m_pWorker) {
        ::WaitForSingleObject(m_pWorker->m_hThread, INFINITE);
        CWinThread* expected = m_pWorker;
        g_pCopyThread.compare_exchange_strong(expected, nullptr);
        delete m_pWorker;
    }
}

void CCopyProg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kProgress, m_prgCopy);
    DDX_Control(pDX, IDOK, m_btnStop);
}

BOOL CCopyProg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    SetWindowText(g_szAppTitle);
    m_bDone = 0;
    g_bCopyStop = 0;
    m_skin.Load(CString(g_szInstallDir) + u"\\Skin.bmp");
    // Kept until the dialog goes (not deleted when its function returns), so
    // that a Stop that comes late still finds a thread object.
    m_pWorker = AfxBeginThread(&CCopyProg::CopyThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (m_pWorker) {
        m_pWorker->m_bAutoDelete = FALSE;
        g_pCopyThread = m_pWorker;
        m_pWorker->ResumeThread();
    } else {
        m_bDone = 1;
        Invalidate();
    }
    return TRUE;
}

UINT CCopyProg::CopyThreadProc(LPVOID pParam)
{
    auto* dialog = static_cast<CCopyProg*>(pParam);
    const StringNode* source = g_pBackupSrcList;
    const StringNode* destination = g_pBackupDstList;
    while (source && destination && !g_bCopyStop) {
        if (!dialog->CopyPair(source->text, destination->text))
            break;
        source = source->next;
        destination = destination->next;
    }
    dialog->m_bDone = 1;
    dialog->Invalidate();
    return 0;
}

bool CCopyProg::CopyPair(LPCWSTR source, LPCWSTR destination)
{
    SetDlgItemText(kCopyingLabel, CString(u"Copying ") + source);
    if (!m_fileSrc.Open(source, GENERIC_READ, 0, OPEN_EXISTING)) {
        ::MessageBoxW(nullptr,
                      u"Your Lotus Notes or Microsoft Outlook application is opened, please close the application",
                      g_szMsgCaption, 0x1040);
        return true;
    }
    if (::GetFileAttributesW(destination) != INVALID_FILE_ATTRIBUTES) {
        m_btnStop.EnableWindow(FALSE);
        int answer = MessageBox(u"File Exists, Do You Want To Overwrite?", g_szMsgCaption, 0x1024);
        m_btnStop.EnableWindow(TRUE);
        if (answer != IDYES) {
            m_fileSrc.Close();
            return true;
        }
    }
    try {
        CopyBlocks(source, destination);
    } catch (const CFileException& error) {
        // The file class reports a failed read, seek or write: the user
        // learns that this backup is incomplete, and the run goes on.
        m_fileSrc.Abort();
        m_fileDst.Abort();
        CString text = CString(u"The backup of ") + source + u" to " + destination + u" failed.";
        ::MessageBoxW(nullptr, text, g_szMsgCaption, 0x1010);
        return true;
    }
    m_fileSrc.Close();
    m_fileDst.Close();
    return !g_bCopyStop;
}

void CCopyProg::CopyBlocks(LPCWSTR source, LPCWSTR destination)
{
    CFileException openError;
    if (!m_fileDst.Open(destination, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS, &openError))
        throw openError;
    // The copy must be exact, so an existing destination is emptied first.
    const ULONGLONG empty = 0;
    m_fileDst.SetLength(&empty);

    const ULONGLONG size = m_fileSrc.GetLength();
    BYTE buffer[kBlockSize];
    ULONGLONG pos = 0;
    UINT block = size < kBlockSize ? static_cast<UINT>(size) : kBlockSize;
    // A size that is a multiple of the block ends with one empty block.
    do {
        m_fileSrc.Seek(&pos, CFile64::begin);
        UINT read = m_fileSrc.Read(buffer, block);
        m_fileDst.Write(buffer, read);
        pos += kBlockSize;
        block = pos + kBlockSize <= size ? kBlockSize : static_cast<UINT>(size > pos ? size - pos : 0);
        // An empty file is copied at once: its bar shows the end.
        ULONGLONG percent = size ? std::min<ULONGLONG>(pos * 100 / size, 100) : 100;
        m_prgCopy.SetPos(static_cast<int>(percent));
        if (g_bCopyStop)
            break;
    } while (pos <= size);
}

BOOL CCopyProg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        AskToStop();
        return TRUE;
    }
    return CSkinDialog::PreTranslateMessage(pMsg);
}

void CCopyProg::OnStop()
{
    AskToStop();
}

void CCopyProg::OnCancel()
{
    AskToStop();
}

void CCopyProg::AskToStop()
{
    if (m_bDone || !m_pWorker)
        return;
    ::SuspendThread(m_pWorker->m_hThread);
    if (MessageBox(u"Are you sure, you want to stop this process?", g_szMsgCaption, 0x1024) == IDYES) {
        // The worker ends at its next platform call, before it copies another
        // block; its files close when this dialog goes.
        g_bCopyStop = 1;
        ::TerminateThread(m_pWorker->m_hThread, 0);
        CDialog::OnCancel();
        return;
    }
    ::ResumeThread(m_pWorker->m_hThread);
}

void CCopyProg::OnPaint()
{
    CSkinDialog::OnPaint();
    if (m_bDone)
        CDialog::OnCancel();
}

void CCopyProg::OnCustomDrawProgress(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}

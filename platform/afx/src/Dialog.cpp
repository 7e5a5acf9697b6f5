// Modal dialogs: the template, the owner, the binding of the dialog window
// to its object, and the routing of unhandled commands to the owner.
#include "afx/DataExchange.h"
#include "afx/WinThread.h"
#include "WndState.h"
#include "user/Hooks.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog whose DoModal is making its window on this thread.
thread_local CDialog* t_creatingDialog = nullptr;

constexpr UINT kFirstCommandId = 0x8000;
constexpr UINT kFirstSystemCommandId = 0xF000;

bool IsInput(UINT message)
{
    constexpr UINT kKeyFirst = 0x0100;
    constexpr UINT kKeyLast = 0x0109;
    return (message >= kKeyFirst && message <= kKeyLast) || (message >= WM_MOUSEMOVE && message <= WM_MOUSEWHEEL);
}

HHOOK& ThreadFilter()
{
    thread_local HHOOK hook = nullptr;
    return hook;
}

// A framework dialog's modal loop offers each message of a framework window
// of its thread (the dialog's own, or a popup such as a splash) to the
// PreTranslateMessage chain first. Other loops (a message box's) see their
// messages untouched, even those of a box that a framework dialog owns.
LRESULT MessageFilter(int code, WPARAM wParam, LPARAM lParam)
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg && msg->hwnd) {
        HWND root = ::GetAncestor(msg->hwnd, GA_ROOT);
        bool ours = ::GetWindowThreadProcessId(root, nullptr) == ::GetCurrentThreadId()
            && CWnd::FromHandlePermanent(root) != nullptr;
        if (ours) {
            CWinThread* thread = AfxGetThread();
            if (thread ? thread->PreTranslateMessage(msg) : CWnd::WalkPreTranslateTree(nullptr, msg))
                return 1;
        }
    }
    return CallNextHookEx(ThreadFilter(), code, wParam, lParam);
}

} // namespace

void AfxInstallMessageFilter()
{
    if (!ThreadFilter())
        ThreadFilter() = SetWindowsHookExW(WH_MSGFILTER, MessageFilter, nullptr, ::GetCurrentThreadId());
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate)
    , m_nIDTemplate(nIDTemplate)
    , m_pParentWnd(pParentWnd)
{
}

HWND AfxGetSafeOwner(HWND hParent)
{
    HWND owner = hParent;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? main->m_hWnd : nullptr;
    }
    // A popup is never owned by a child window.
    while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    return owner;
}

HWND CDialog::PreModal()
{
    HWND owner = AfxGetSafeOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    // The top of the owner's chain is disabled too, while the dialog runs.
    HWND top = owner;
    for (HWND up = owner; up; up = ::GetParent(up))
        top = up;
    m_hWndTop = nullptr;
    if (top && top != owner && ::IsWindowEnabled(top)) {
        ::EnableWindow(top, FALSE);
        m_hWndTop = top;
    }
    return owner;
}

void CDialog::PostModal()
{
    if (m_hWndTop)
        ::EnableWindow(m_hWndTop, TRUE);
    m_hWndTop = nullptr;
}

INT_PTR CDialog::DoModal()
{
    const user::DialogTemplate* tmpl = user::FindDialogTemplate(AfxGetResourceHandle(), static_cast<int>(m_nIDTemplate));
    if (!tmpl || m_hWnd)
        return -1;
    AfxInstallMessageFilter();
    HWND owner = PreModal();
    afx::detail::ScopedValue<CDialog*> creating(t_creatingDialog, this);
    INT_PTR result = ::DialogBoxIndirectParamW(AfxGetResourceHandle(), *tmpl, owner, AfxDlgProc,
                                               reinterpret_cast<LPARAM>(this));
    PostModal();
    return result;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (!IsInput(pMsg->message) || (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // Only menu commands travel on; control notifications and system
    // commands stay with the dialog, and a command handled nowhere does nothing.
    if (nCode != CN_COMMAND || nID < kFirstCommandId || nID >= kFirstSystemCommandId)
        return FALSE;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    // The owner's handlers run on their own thread only.
    if (owner && ::GetWindowThreadProcessId(owner, nullptr) == ::GetCurrentThreadId()) {
        if (CWnd* target = FromHandlePermanent(owner); target && target->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    }
    CWinThread* thread = AfxGetThread();
    return thread ? thread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

void CDialog::SetDefID(UINT nID)
{
    SendMessage(DM_SETDEFID, nID);
}

DWORD CDialog::GetDefID() const
{
    return static_cast<DWORD>(SendMessage(DM_GETDEFID));
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl ? pWndCtrl->m_hWnd : nullptr), TRUE);
}

INT_PTR AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd && t_creatingDialog) {
        // The first message of a new dialog: from now on its messages pass
        // through AfxWndProc and the map, and come back here by Default().
        wnd = t_creatingDialog;
        t_creatingDialog = nullptr;
        wnd->BindCreated(hWnd);
    }
    if (message == WM_INITDIALOG) {
        if (auto* dialog = dynamic_cast<CDialog*>(wnd))
            return dialog->OnInitDialog();
    }
    return FALSE;
}

CCommonDialog::CCommonDialog(CWnd* pParentWnd)
    : CDialog(0, pParentWnd)
{
}

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate)
    , m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (!control)
        throw CNotSupportedException();
    return control;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC)))
        throw CNotSupportedException();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND control = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        CWnd::FromHandle(control)->GetWindowText(value);
    else
        ::SetWindowTextW(control, value);
}

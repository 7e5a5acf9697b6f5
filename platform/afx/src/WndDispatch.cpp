// How a window's messages reach its map: plain messages, commands and
// notifications (offered to the control itself first, reflected), and the
// PreTranslateMessage chain that modal loops consult.
#include "afx/WinThread.h"
#include "afx/Wnd.h"

#include "WndState.h"

namespace {

bool IsCtlColor(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// Only the calling thread's windows: another thread's object must not be
// run here (its dialog may be the owner of a worker's message box).
CWnd* PermanentOfThisThread(HWND hWnd)
{
    if (::GetWindowThreadProcessId(hWnd, nullptr) != ::GetCurrentThreadId())
        return nullptr;
    return CWnd::FromHandlePermanent(hWnd);
}

} // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        result = 1;
    } else if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header || !header->hwndFrom || !OnNotify(wParam, lParam, &result))
            return FALSE;
    } else {
        UINT key = IsCtlColor(message) ? WM_CTLCOLOR : message;
        const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(GetMessageMap(), key, 0, 0);
        if (!entry)
            return FALSE;
        AFX_MSGCALL call = {message, wParam, lParam, 0, nullptr, 0};
        if (!entry->pfn(this, call))
            return FALSE;
        result = call.result;
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (!control) {
        nCode = CN_COMMAND; // a menu item's or an accelerator's command
    } else {
        // The control has the first word on its own notification.
        if (ReflectLastMsg(control))
            return TRUE;
        if (nID == 0)
            return FALSE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (ReflectLastMsg(header->hwndFrom, pResult))
        return TRUE;
    AFX_NOTIFY notify = {pResult, header};
    return OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(MAKELONG(LOWORD(header->code), WM_NOTIFY)),
                    &notify, nullptr);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    CWnd* child = CWnd::FromHandlePermanent(hWndChild);
    return child ? child->SendChildNotifyLastMsg(pResult) : FALSE;
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult)
{
    const MSG& current = afx::detail::CurrentMessage::Get();
    return OnChildNotify(current.message, current.wParam, current.lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_COMMAND:
        if (OnCmdMsg(0, static_cast<int>(MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND)), nullptr, nullptr)) {
            if (pResult)
                *pResult = 1;
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        AFX_NOTIFY notify = {pResult, header};
        return OnCmdMsg(0, static_cast<int>(MAKELONG(LOWORD(header->code), WM_REFLECT_BASE + WM_NOTIFY)), &notify,
                        nullptr);
    }
    case WM_DRAWITEM:
        return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    default:
        if (IsCtlColor(message)) {
            AFX_CTLCOLOR request = {m_hWnd, reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
            return OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, 0, reinterpret_cast<LPARAM>(&request), pResult);
        }
        return FALSE;
    }
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        if (CWnd* wnd = PermanentOfThisThread(hWnd)) {
            if (wnd->PreTranslateMessage(pMsg))
                return TRUE;
        }
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

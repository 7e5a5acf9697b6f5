// InitCommonControlsEx, the registration of the common control classes and
// what the controls share: notifications, fonts and painting.
#include "CommonControls.h"

#include "WindowData.h"

#include "user/CommCtrl.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include <atomic>
#include <mutex>

namespace {
std::atomic<DWORD> g_initialized{0};
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    user::detail::RegisterCommonControlClasses();
    g_initialized |= init->dwICC;
    return TRUE;
}

namespace user {

DWORD InitializedCommonControls()
{
    return g_initialized;
}

} // namespace user

namespace user::detail {

namespace {

void Register(LPCWSTR name, WNDPROC proc, UINT style)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

} // namespace

void RegisterCommonControlClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Register(PROGRESS_CLASS, ProgressBarWindowProc, CS_HREDRAW | CS_VREDRAW);
        Register(WC_TREEVIEW, TreeViewWindowProc, CS_DBLCLKS);
        Register(TOOLTIPS_CLASS, ToolTipWindowProc, CS_SAVEBITS);
    });
}

LRESULT SendNotify(HWND control, NMHDR* header, UINT code)
{
    header->hwndFrom = control;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header->code = code;
    HWND parent = GetParent(control);
    if (!parent)
        return 0;
    return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

HFONT ControlFont(HFONT chosen)
{
    return chosen ? chosen : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void PaintThroughBeginPaint(HWND hwnd, void (*paint)(HWND, HDC))
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    paint(hwnd, dc);
    EndPaint(hwnd, &ps);
}

} // namespace user::detail

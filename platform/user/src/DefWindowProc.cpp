// The default handling of window messages.
#include "WindowData.h"

#include "user/Help.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "win32/WideString.h"

using namespace user::detail;

namespace {

void StoreText(HWND hwnd, LPCWSTR text)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return;
    std::lock_guard lock(WindowManager::Get().mutex);
    window->text = text ? text : u"";
    window->needsPaint = true;
}

LRESULT CopyText(HWND hwnd, WPARAM maxChars, LPARAM buffer)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || !buffer || maxChars == 0)
        return 0;
    std::lock_guard lock(WindowManager::Get().mutex);
    auto* out = reinterpret_cast<LPWSTR>(buffer);
    lstrcpynW(out, window->text.c_str(), static_cast<int>(maxChars));
    return lstrlenW(out);
}

// F1 asks for help: the focus window gets WM_HELP, and the default handling
// passes it up to the parent, or from a top-level window to its owner.
void SendHelp(HWND hwnd)
{
    HELPINFO info = {sizeof(HELPINFO), HELPINFO_WINDOW, GetDlgCtrlID(hwnd), hwnd, 0, {}};
    GetCursorPos(&info.MousePos);
    SendMessageW(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

} // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (create && create->lpszName)
            StoreText(hwnd, create->lpszName);
        return TRUE;
    }
    case WM_SETTEXT:
        StoreText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
        return TRUE;
    case WM_GETTEXT:
        return CopyText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH: {
        auto window = WindowManager::Get().Find(hwnd);
        std::lock_guard lock(WindowManager::Get().mutex);
        return window ? static_cast<LRESULT>(window->text.size()) : 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT:
        ValidateRect(hwnd, nullptr);
        return 0;
    case WM_ERASEBKGND:
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
        else if ((wParam & 0xFFF0) == SC_MINIMIZE)
            ShowWindow(hwnd, SW_MINIMIZE);
        else if ((wParam & 0xFFF0) == SC_RESTORE)
            ShowWindow(hwnd, SW_RESTORE);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_F1)
            SendHelp(hwnd);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) {
            HWND top = GetAncestor(hwnd, GA_ROOT);
            PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_HELP: {
        HWND next = GetParent(hwnd);
        if (next)
            return SendMessageW(next, WM_HELP, wParam, lParam);
        return 0;
    }
    case WM_NCHITTEST: {
        RECT client;
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        GetClientRect(hwnd, &client);
        POINT local = point;
        ScreenToClient(hwnd, &local);
        if (PtInRect(&client, local))
            return HTCLIENT;
        RECT window;
        GetWindowRect(hwnd, &window);
        if (!PtInRect(&window, point))
            return HTNOWHERE;
        return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION ? HTCAPTION : HTBORDER;
    }
    case WM_MOUSEACTIVATE:
        return 1; // MA_ACTIVATE
    case WM_GETDLGCODE:
    case WM_QUERYDRAGICON:
    case WM_GETFONT:
        return 0;
    default:
        return 0;
    }
}

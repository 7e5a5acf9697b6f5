// The default handling of window messages.
#include "Menus.h"
#include "NonClient.h"
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
}

bool HasCaption(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

// The class brush erases the background; small values are system colour
// indexes plus one, as Windows takes them.
LRESULT EraseWithClassBrush(HWND hwnd, HDC dc)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || !window->windowClass->background)
        return 0;
    HBRUSH brush = window->windowClass->background;
    auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value > 0 && value <= COLOR_MENUBAR + 1)
        brush = GetSysColorBrush(static_cast<int>(value) - 1);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush);
    return 1;
}

// The colours a control gets when its parent leaves them to the default.
LRESULT DefaultControlColors(UINT msg, HDC dc)
{
    bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    SetTextColor(dc, GetSysColor(msg == WM_CTLCOLORBTN ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(field ? COLOR_WINDOW : COLOR_3DFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(field ? COLOR_WINDOW : COLOR_3DFACE));
}

LRESULT SetIcon(HWND hwnd, WPARAM which, HICON icon)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return 0;
    HICON old;
    {
        std::lock_guard lock(WindowManager::Get().mutex);
        HICON& slot = which == ICON_BIG ? window->bigIcon : window->smallIcon;
        old = slot;
        slot = icon;
    }
    RepaintFrame(hwnd);
    return reinterpret_cast<LRESULT>(old);
}

LRESULT GetIcon(HWND hwnd, WPARAM which)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return 0;
    std::lock_guard lock(WindowManager::Get().mutex);
    if (which == ICON_BIG)
        return reinterpret_cast<LRESULT>(window->bigIcon);
    if (which == ICON_SMALL2 && !window->smallIcon)
        return reinterpret_cast<LRESULT>(window->bigIcon);
    return reinterpret_cast<LRESULT>(window->smallIcon);
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
    if (HandleNonClientInput(hwnd, msg, wParam, lParam))
        return 0;
    if (IsControlColorMessage(msg))
        return DefaultControlColors(msg, reinterpret_cast<HDC>(wParam));
    switch (msg) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (create && create->lpszName)
            StoreText(hwnd, create->lpszName);
        return TRUE;
    }
    case WM_SETTEXT:
        StoreText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
        if (HasCaption(hwnd))
            RepaintFrame(hwnd);
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
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return EraseWithClassBrush(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_NCPAINT:
        PaintFrame(hwnd);
        return 0;
    case WM_NCACTIVATE: {
        if (auto window = WindowManager::Get().Find(hwnd)) {
            std::lock_guard lock(WindowManager::Get().mutex);
            window->activeLook = wParam != FALSE;
        }
        RepaintFrame(hwnd);
        return TRUE;
    }
    case WM_SETICON:
        return SetIcon(hwnd, wParam, reinterpret_cast<HICON>(lParam));
    case WM_GETICON:
        return GetIcon(hwnd, wParam);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            // A disabled Close item leaves the close box, Alt+F4 and the item without effect.
            if (IsSystemCommandEnabled(hwnd, SC_CLOSE))
                SendMessageW(hwnd, WM_CLOSE, 0, 0);
        }
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
    case WM_MOUSEWHEEL:
        // A child that does not scroll by the wheel passes it up to its parent.
        if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) && GetParent(hwnd))
            return SendMessageW(GetParent(hwnd), WM_MOUSEWHEEL, wParam, lParam);
        return 0;
    case WM_HELP: {
        HWND next = GetParent(hwnd);
        if (next)
            return SendMessageW(next, WM_HELP, wParam, lParam);
        return 0;
    }
    case WM_NCHITTEST:
        return HitTestFrame(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_ACTIVATE:
        // An activated window takes the focus unless something of it has it.
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) {
            HWND focus = GetFocus();
            if (focus != hwnd && !IsChild(hwnd, focus))
                SetFocus(hwnd);
        }
        return 0;
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

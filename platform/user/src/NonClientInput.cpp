// DefWindowProc's handling of the mouse in the non-client area and of the
// menu keys: pressing the caption buttons, moving a window by its caption,
// opening the menu bar and the system menu.
#include "MenuTracking.h"
#include "Menus.h"
#include "NonClient.h"
#include "ScrollBars.h"

#include "user/Messages.h"
#include "user/ScrollBar.h"

using namespace user::detail;

namespace {

bool IsButtonUp(UINT message)
{
    return message == WM_LBUTTONUP || message == WM_NCLBUTTONUP;
}

bool IsMove(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
}

// Runs a small loop of the mouse until the left button comes up; other
// messages are handled as usual meanwhile. Returns the point of the release.
template <typename OnMove>
POINT FollowMouse(HWND hwnd, OnMove onMove)
{
    SetCapture(hwnd);
    POINT last;
    GetCursorPos(&last);
    MSG msg;
    while (GetCapture() == hwnd && IsWindow(hwnd)) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsMove(msg.message)) {
            last = msg.pt;
            onMove(msg.pt);
        } else if (IsButtonUp(msg.message)) {
            last = msg.pt;
            break;
        } else if (msg.message != WM_LBUTTONDOWN && msg.message != WM_NCLBUTTONDOWN) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
    return last;
}

WPARAM CommandOfButton(HWND hwnd, LRESULT hit)
{
    if (hit == HTCLOSE)
        return SC_CLOSE;
    if (hit == HTMINBUTTON)
        return IsIconic(hwnd) ? SC_RESTORE : SC_MINIMIZE;
    return SC_MAXIMIZE;
}

bool ButtonEnabled(HWND hwnd, LRESULT hit)
{
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if (hit == HTCLOSE)
        return IsSystemCommandEnabled(hwnd, SC_CLOSE);
    if (hit == HTMINBUTTON)
        return (style & WS_MINIMIZEBOX) != 0;
    return (style & WS_MAXIMIZEBOX) != 0;
}

// The button shows pushed while the mouse holds it over the button; a
// release over it sends the button's system command.
void TrackCaptionButton(HWND hwnd, LRESULT hit)
{
    if (!ButtonEnabled(hwnd, hit))
        return;
    SetPushedCaptionButton(hwnd, hit);
    POINT up = FollowMouse(hwnd, [&](POINT at) {
        SetPushedCaptionButton(hwnd, HitTestFrame(hwnd, at) == hit ? hit : HTNOWHERE);
    });
    SetPushedCaptionButton(hwnd, HTNOWHERE);
    if (IsWindow(hwnd) && HitTestFrame(hwnd, up) == hit)
        SendMessageW(hwnd, WM_SYSCOMMAND, CommandOfButton(hwnd, hit),
                     MAKELPARAM(static_cast<WORD>(up.x), static_cast<WORD>(up.y)));
}

void MoveByCaption(HWND hwnd, POINT start)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    FollowMouse(hwnd, [&](POINT at) {
        SetWindowPos(hwnd, nullptr, rect.left + at.x - start.x, rect.top + at.y - start.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

POINT SystemMenuPoint(HWND hwnd)
{
    FrameLayout layout = LayoutFrame(hwnd);
    RECT window;
    GetWindowRect(hwnd, &window);
    return {window.left + layout.caption.left, window.top + layout.caption.bottom};
}

int MenuBarItemAt(HWND hwnd, POINT screen)
{
    RECT window;
    GetWindowRect(hwnd, &window);
    POINT at = {screen.x - window.left, screen.y - window.top};
    auto rects = MenuBarItemRects(hwnd);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (PtInRect(&rects[i], at))
            return static_cast<int>(i);
    }
    return -1;
}

// Alt pressed and released alone opens the menu bar.
thread_local bool t_altAlone = false;

} // namespace

namespace user::detail {

bool HandleNonClientInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_NCLBUTTONDOWN:
        switch (static_cast<LRESULT>(wParam)) {
        case HTCLOSE:
        case HTMINBUTTON:
        case HTMAXBUTTON:
            TrackCaptionButton(hwnd, static_cast<LRESULT>(wParam));
            return true;
        case HTMENU:
            if (int item = MenuBarItemAt(hwnd, at); item >= 0)
                TrackMenuBar(hwnd, item);
            return true;
        case HTSYSMENU:
            TrackSystemMenu(hwnd, SystemMenuPoint(hwnd));
            return true;
        case HTVSCROLL:
        case HTHSCROLL:
            TrackScrollBar(hwnd, wParam == HTVSCROLL ? SB_VERT : SB_HORZ, at);
            return true;
        case HTCAPTION:
            // A minimised window comes back when its caption is clicked.
            if (IsIconic(hwnd))
                SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, lParam);
            else
                MoveByCaption(hwnd, at);
            return true;
        default:
            return false;
        }
    case WM_NCRBUTTONUP:
        if (wParam == HTCAPTION || wParam == HTSYSMENU)
            SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
        return true;
    case WM_RBUTTONUP: {
        // The client area's context menu: the window (or, by default, its parents) may show one.
        POINT screen = at;
        ClientToScreen(hwnd, &screen);
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                     MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        return true;
    }
    case WM_CONTEXTMENU: {
        LRESULT hit = HitTestFrame(hwnd, at);
        if (hit == HTCAPTION || hit == HTSYSMENU) {
            TrackSystemMenu(hwnd, at);
        } else if (HWND parent = GetParent(hwnd); parent && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) {
            SendMessageW(parent, WM_CONTEXTMENU, wParam, lParam);
        }
        return true;
    }
    case WM_SYSKEYDOWN:
        t_altAlone = wParam == VK_MENU || wParam == VK_F10;
        return false;
    case WM_SYSKEYUP:
        if ((wParam == VK_MENU || wParam == VK_F10) && t_altAlone)
            SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, 0);
        t_altAlone = false;
        return true;
    case WM_SYSCHAR:
        t_altAlone = false;
        SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
        return true;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU) {
            TrackMenuByKey(hwnd, static_cast<char16_t>(lParam));
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace user::detail

// Window rectangles, client areas and hit testing, with the fixed metrics of
// this machine's classic look.
#include "Metrics.h"
#include "PaintCycle.h"
#include "ScrollBars.h"
#include "WindowData.h"

#include "gdi/GdiObjects.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include <algorithm>

using namespace user::detail;

namespace user::detail {

int FrameThickness(DWORD style, DWORD exStyle)
{
    if (style & WS_THICKFRAME)
        return kThickFrame;
    if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        return kDialogFrame;
    return (style & WS_BORDER) ? 1 : 0;
}

RECT NonClientInsets(DWORD style, DWORD exStyle, bool hasMenu)
{
    int frame = FrameThickness(style, exStyle);
    if (exStyle & WS_EX_CLIENTEDGE)
        frame += 2;
    else if (exStyle & WS_EX_STATICEDGE)
        frame += 1;
    int top = frame;
    if ((style & WS_CAPTION) == WS_CAPTION)
        top += kCaption;
    if (hasMenu)
        top += kMenuBar;
    return {frame, top, frame, frame};
}

RECT InsetsOf(const WindowData& window)
{
    // Most windows are controls without frame, edge, menu or scroll bars:
    // every paint asks about each of them and their parents many times.
    constexpr DWORD kFramed = WS_THICKFRAME | WS_DLGFRAME | WS_BORDER | WS_VSCROLL | WS_HSCROLL;
    if (!(window.style & kFramed) && !(window.exStyle & (WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) &&
        !(window.menu && !window.parent))
        return {0, 0, 0, 0};
    bool minimized = (window.style & WS_MINIMIZE) != 0;
    RECT insets = NonClientInsets(window.style, window.exStyle, window.menu && !window.parent && !minimized);
    // The standard scroll bars lie inside the client edge, beside the client area.
    if (!minimized && (window.style & WS_VSCROLL))
        insets.right += kScrollBarSize;
    if (!minimized && (window.style & WS_HSCROLL))
        insets.bottom += kScrollBarSize;
    return insets;
}

RECT ScreenRect(const WindowData& window)
{
    RECT rect = window.rect;
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    for (const WindowData* parent = manager.Peek(window.parent); parent; parent = manager.Peek(parent->parent)) {
        RECT inset = InsetsOf(*parent);
        OffsetRect(&rect, parent->rect.left + inset.left, parent->rect.top + inset.top);
    }
    return rect;
}

std::shared_ptr<WindowData> RootWindowOf(const std::shared_ptr<WindowData>& window)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto root = window;
    while (root && root->parent)
        root = manager.Find(root->parent);
    return root;
}

RECT RectInRoot(const WindowData& window, bool client)
{
    // The screen rectangle and the top-level window's, in one walk up.
    RECT rect = window.rect;
    RECT root = window.rect;
    const auto& manager = WindowManager::Get();
    for (const WindowData* parent = manager.Peek(window.parent); parent; parent = manager.Peek(parent->parent)) {
        RECT inset = InsetsOf(*parent);
        OffsetRect(&rect, parent->rect.left + inset.left, parent->rect.top + inset.top);
        root = parent->rect; // the last one met is the top-level window, in screen coordinates
    }
    OffsetRect(&rect, -root.left, -root.top);
    if (client) {
        RECT inset = InsetsOf(window);
        rect = {rect.left + inset.left, rect.top + inset.top, std::max(rect.left + inset.left, rect.right - inset.right),
                std::max(rect.top + inset.top, rect.bottom - inset.bottom)};
    }
    return rect;
}

} // namespace user::detail

namespace {

RECT ClientScreenRect(const WindowData& window)
{
    RECT rect = ScreenRect(window);
    RECT inset = InsetsOf(window);
    return {rect.left + inset.left, rect.top + inset.top, std::max(rect.left + inset.left, rect.right - inset.right),
            std::max(rect.top + inset.top, rect.bottom - inset.bottom)};
}

} // namespace

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return static_cast<BOOL>(RunOnOwner(hwnd, [=]() -> LRESULT {
        auto& manager = WindowManager::Get();
        auto window = manager.Find(hwnd);
        if (!window)
            return FALSE;
        RECT old;
        RECT now;
        bool restacked = false;
        {
            std::lock_guard lock(manager.mutex);
            old = window->rect;
            now = old;
            if (!(flags & SWP_NOMOVE))
                OffsetRect(&now, x - old.left, y - old.top);
            if (!(flags & SWP_NOSIZE)) {
                now.right = now.left + std::max(cx, 0);
                now.bottom = now.top + std::max(cy, 0);
            }
            window->rect = now;
            if (!window->parent)
                FitSurface(*window);
            if (!(flags & SWP_NOZORDER)) {
                auto& siblings = window->parent ? manager.Find(window->parent)->children : manager.topLevel;
                auto before = siblings;
                std::erase(siblings, hwnd);
                if (insertAfter == HWND_BOTTOM)
                    siblings.push_back(hwnd);
                else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST
                         || !insertAfter)
                    siblings.insert(siblings.begin(), hwnd);
                else {
                    auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
                    siblings.insert(it == siblings.end() ? siblings.end() : std::next(it), hwnd);
                }
                if (insertAfter == HWND_TOPMOST)
                    window->exStyle |= WS_EX_TOPMOST;
                else if (insertAfter == HWND_NOTOPMOST)
                    window->exStyle &= ~WS_EX_TOPMOST;
                restacked = before != siblings;
            }
        }
        bool moved = now.left != old.left || now.top != old.top;
        bool sized = now.right - now.left != old.right - old.left || now.bottom - now.top != old.bottom - old.top;
        if (!(flags & SWP_NOREDRAW) && (sized || (flags & SWP_FRAMECHANGED) || (restacked && window->parent))) {
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        if (!(flags & SWP_NOREDRAW) && window->parent && (moved || sized)) {
            // What the child uncovered in its parent repaints.
            RedrawWindow(window->parent, &old, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        if (moved)
            SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(now.left), static_cast<WORD>(now.top)));
        if (sized) {
            RECT client;
            GetClientRect(hwnd, &client);
            SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
                         MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
        }
        if (flags & SWP_SHOWWINDOW)
            ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
        if (flags & SWP_HIDEWINDOW)
            ShowWindow(hwnd, SW_HIDE);
        ScreenChanged();
        return TRUE;
    }));
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || !rect)
        return FALSE;
    *rect = ScreenRect(*window);
    return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (!rect)
        return FALSE;
    RECT inset = NonClientInsets(style, exStyle, menu != FALSE);
    *rect = {rect->left - inset.left, rect->top - inset.top, rect->right + inset.right, rect->bottom + inset.bottom};
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    // The client area's size: the window's own rectangle less its insets,
    // under one hold of the lock and without a walk up to the screen.
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    const WindowData* window = manager.Peek(hwnd);
    if (!window || !rect)
        return FALSE;
    const RECT client = ClientBox(*window);
    *rect = {0, 0, client.right - client.left, client.bottom - client.top};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || !point)
        return FALSE;
    RECT client = ClientScreenRect(*window);
    point->x += client.left;
    point->y += client.top;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || !point)
        return FALSE;
    RECT client = ClientScreenRect(*window);
    point->x -= client.left;
    point->y -= client.top;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    POINT origin = {0, 0};
    if (from)
        ClientToScreen(from, &origin);
    POINT target = {0, 0};
    if (to)
        ClientToScreen(to, &target);
    int dx = origin.x - target.x;
    int dy = origin.y - target.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELPARAM(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

namespace {

// A window with a region takes only the points inside it; the region is in
// window coordinates.
bool RegionAllows(const WindowData& window, POINT screen)
{
    if (!window.region)
        return true;
    RECT rect = ScreenRect(window);
    return PtInRegion(window.region, screen.x - rect.left, screen.y - rect.top) != FALSE;
}

HWND DeepestChildAt(HWND hwnd, POINT screen)
{
    for (;;) {
        std::vector<HWND> children;
        {
            auto& manager = WindowManager::Get();
            std::lock_guard lock(manager.mutex);
            auto* window = manager.Peek(hwnd);
            if (!window)
                return hwnd;
            children = window->children;
        }
        HWND found = nullptr;
        for (HWND child : children) {
            auto window = WindowManager::Get().Find(child);
            if (!window || !(window->style & WS_VISIBLE))
                continue;
            RECT rect = ScreenRect(*window);
            if (PtInRect(&rect, screen) && RegionAllows(*window, screen)) {
                found = child;
                break;
            }
        }
        if (!found)
            return hwnd;
        hwnd = found;
    }
}

} // namespace

HWND WindowFromPoint(POINT point)
{
    std::vector<HWND> top;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        top = manager.topLevel;
    }
    // Topmost windows lie above all others.
    std::stable_partition(top.begin(), top.end(), [](HWND hwnd) {
        auto window = WindowManager::Get().Find(hwnd);
        return window && (window->exStyle & WS_EX_TOPMOST);
    });
    for (HWND hwnd : top) {
        auto window = WindowManager::Get().Find(hwnd);
        if (!window || !(window->style & WS_VISIBLE))
            continue;
        RECT rect = ScreenRect(*window);
        if (PtInRect(&rect, point) && RegionAllows(*window, point))
            return DeepestChildAt(hwnd, point);
    }
    return nullptr;
}

HWND ChildWindowFromPoint(HWND parent, POINT point)
{
    ClientToScreen(parent, &point);
    std::vector<HWND> children;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(parent);
        if (!window)
            return nullptr;
        children = window->children;
    }
    for (HWND child : children) {
        auto window = WindowManager::Get().Find(child);
        if (!window)
            continue;
        RECT rect = ScreenRect(*window);
        if (PtInRect(&rect, point))
            return child;
    }
    return parent;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return 0;
    // The window owns its region: the one it had is deleted.
    if (window->region && window->region != region)
        DeleteObject(window->region);
    window->region = region;
    ScreenChanged();
    return 1;
}

HRGN GetWindowRegionHandle(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    return window ? window->region : nullptr;
}

namespace user::detail {

// A minimised top-level window shrinks to a caption at the bottom left of
// the screen, beside the ones minimised before it; restored, it goes back.
void SetMinimized(HWND hwnd, bool minimize)
{
    auto& manager = WindowManager::Get();
    auto window = manager.Find(hwnd);
    if (!window)
        return;
    {
        std::lock_guard lock(manager.mutex);
        if (minimize) {
            int slot = 0;
            for (const auto& [handle, other] : manager.windows) {
                if (other != window && !other->parent && (other->style & WS_MINIMIZE))
                    ++slot;
            }
            window->normalRect = window->rect;
            window->style |= WS_MINIMIZE;
            int height = kCaption + 2 * FrameThickness(window->style, window->exStyle);
            int top = GetSystemMetrics(SM_CYSCREEN) - height;
            window->rect = {slot * kMinimizedWidth, top, (slot + 1) * kMinimizedWidth, top + height};
        } else {
            window->style &= ~WS_MINIMIZE;
            window->rect = window->normalRect;
        }
        FitSurface(*window);
    }
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, minimize ? SIZE_MINIMIZED : SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
}

} // namespace user::detail

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return gdi::GetScreenSize().cx;
    case SM_CYSCREEN:
        return gdi::GetScreenSize().cy;
    case SM_CYFULLSCREEN:
        return gdi::GetScreenSize().cy - kCaption - 1; // less a maximised window's caption
    case SM_CYCAPTION:
        return kCaption + 1;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return kThickFrame;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return kMenuBar;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return kScrollBarSize;
    default:
        return 0;
    }
}

BOOL SystemParametersInfoW(UINT action, UINT, void* value, UINT)
{
    if (action == SPI_GETWHEELSCROLLLINES && value) {
        *static_cast<UINT*>(value) = 3;
        return TRUE;
    }
    return FALSE;
}

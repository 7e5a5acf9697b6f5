// Creation, destruction and the state of windows.
#include "PaintCycle.h"
#include "WindowData.h"

#include "user/Menu.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <algorithm>

namespace user::detail {
std::shared_ptr<ClassData> FindClass(LPCWSTR name);
void SetMinimized(HWND hwnd, bool minimize);
void DropTimersOf(HWND hwnd);
void DropPostedMessagesOf(HWND hwnd);
} // namespace user::detail

using namespace user::detail;

namespace {

HWND RootOf(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    for (auto window = manager.Find(hwnd); window; window = manager.Find(window->parent)) {
        if (!window->parent)
            return window->handle;
    }
    return nullptr;
}

// Removes a window from its parent's children or from the top level.
void Unlink(WindowData& window)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto& siblings = window.parent ? manager.Find(window.parent)->children : manager.topLevel;
    std::erase(siblings, window.handle);
}

void DestroyTree(HWND hwnd);

// The active window went away: its owner takes the activation when it can,
// else the next shown and enabled top-level window of the thread.
void ActivateAnother(const WindowData& gone)
{
    HWND next = nullptr;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto usable = [&](const std::shared_ptr<WindowData>& w) {
            return w && w.get() != &gone && w->queue == gone.queue && (w->style & WS_VISIBLE)
                && !(w->style & WS_DISABLED) && !(w->exStyle & WS_EX_TOOLWINDOW);
        };
        if (auto owner = manager.Find(gone.owner); usable(owner))
            next = owner->handle;
        for (auto it = manager.topLevel.begin(); !next && it != manager.topLevel.end(); ++it) {
            if (auto candidate = manager.Find(*it); usable(candidate))
                next = candidate->handle;
        }
    }
    SetActiveWindow(next);
}

} // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param)
{
    if (!(style & WS_CHILD))
        EnsureDisplay();
    auto windowClass = FindClass(className);
    if (!windowClass) {
        SetLastError(1407); // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    bool child = (style & WS_CHILD) != 0;
    if (child && !IsWindow(parent)) {
        SetLastError(1406); // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }
    if (x == CW_USEDEFAULT) {
        x = child ? 0 : 80;
        y = child ? 0 : 60;
    }
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : 640;
        height = child ? 0 : 480;
    }

    auto window = std::make_shared<WindowData>();
    window->windowClass = windowClass;
    window->proc = windowClass->proc;
    window->style = style | (child ? 0 : WS_CLIPSIBLINGS);
    window->exStyle = exStyle;
    window->text = windowName ? windowName : u"";
    window->rect = {x, y, x + width, y + height};
    window->instance = instance;
    window->queue = CurrentQueue();
    window->extra.assign(static_cast<std::size_t>(std::max(windowClass->windowExtraBytes, 0)) / sizeof(LONG_PTR) + 1,
                         0);
    if (child)
        window->id = reinterpret_cast<LONG_PTR>(menuOrId);
    else
        window->menu = menuOrId;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        window->handle = reinterpret_cast<HWND>(manager.nextHandle);
        manager.nextHandle += 2;
        if (child) {
            window->parent = parent;
            manager.Find(parent)->children.push_back(window->handle); // new children go to the bottom
        } else {
            window->owner = parent ? RootOf(parent) : nullptr;
            manager.topLevel.insert(manager.topLevel.begin(), window->handle);
        }
        manager.Add(window);
        if (!child)
            FitSurface(*window);
    }
    HWND hwnd = window->handle;

    CREATESTRUCTW create = {param, instance, menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
                            windowName, className, exStyle};
    // The visible style is applied after creation, so that a window is shown
    // only once its procedure has seen WM_CREATE.
    window->style &= ~WS_VISIBLE;
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))
        || SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd))
        return nullptr;
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

namespace {

void DestroyTree(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || window->destroying)
        return;
    window->destroying = true;
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        std::lock_guard lock(WindowManager::Get().mutex);
        children = window->children;
    }
    for (HWND child : children)
        DestroyTree(child);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);

    DropTimersOf(hwnd);
    DropPostedMessagesOf(hwnd);
    {
        std::lock_guard lock(window->queue->mutex);
        if (window->queue->focus == hwnd)
            window->queue->focus = nullptr;
        if (window->queue->active == hwnd)
            window->queue->active = nullptr;
        if (window->queue->capture == hwnd)
            window->queue->capture = nullptr;
    }
    if (window->region)
        DeleteObject(window->region);
    // A window's menus go with it; a child's "menu" is its id.
    if (window->menu && !window->parent)
        DestroyMenu(window->menu);
    if (window->systemMenu)
        DestroyMenu(window->systemMenu);
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    Unlink(*window);
    manager.Remove(hwnd);
}

} // namespace

BOOL DestroyWindow(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window) {
        SetLastError(1400); // ERROR_INVALID_WINDOW_HANDLE
        return FALSE;
    }
    if (!IsOnThisThread(*window)) {
        SetLastError(ERROR_ACCESS_DENIED); // only the owning thread destroys a window
        return FALSE;
    }
    if (window->destroying)
        return TRUE;
    // Owned windows go first, as their owner's life ends.
    std::vector<HWND> owned;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        for (HWND top : manager.topLevel) {
            auto candidate = manager.Find(top);
            if (candidate && candidate->owner == hwnd)
                owned.push_back(top);
        }
    }
    for (HWND other : owned)
        DestroyWindow(other);
    if (IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_HIDE);
    DestroyTree(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return WindowManager::Get().Find(hwnd) != nullptr;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return 0;
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(window->parent ? window->parent : window->owner);
    case GWLP_ID:
        return window->id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(window->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(window->exStyle);
    case GWLP_USERDATA:
        return window->userData;
    default:
        if (index >= 0 && static_cast<std::size_t>(index) / sizeof(LONG_PTR) < window->extra.size())
            return window->extra[static_cast<std::size_t>(index) / sizeof(LONG_PTR)];
        SetLastError(1413); // ERROR_INVALID_INDEX
        return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return 0;
    LONG_PTR old = 0;
    switch (index) {
    case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(window->proc);
        window->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWLP_ID:
        old = window->id;
        window->id = value;
        break;
    case GWL_STYLE:
        old = static_cast<LONG_PTR>(window->style);
        window->style = static_cast<DWORD>(value);
        break;
    case GWL_EXSTYLE:
        old = static_cast<LONG_PTR>(window->exStyle);
        window->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_USERDATA:
        old = window->userData;
        window->userData = value;
        break;
    case GWLP_HWNDPARENT:
        old = reinterpret_cast<LONG_PTR>(window->owner);
        if (!window->parent)
            window->owner = reinterpret_cast<HWND>(value);
        break;
    default:
        if (index >= 0 && static_cast<std::size_t>(index) / sizeof(LONG_PTR) < window->extra.size()) {
            auto& slot = window->extra[static_cast<std::size_t>(index) / sizeof(LONG_PTR)];
            old = slot;
            slot = value;
        } else {
            SetLastError(1413);
        }
    }
    return old;
}

LONG GetWindowLongW(HWND hwnd, int index)
{
    return static_cast<LONG>(GetWindowLongPtrW(hwnd, index));
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value)
{
    return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    if (!IsWindow(hwnd))
        return FALSE;
    return static_cast<BOOL>(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")));
}

int GetWindowTextW(HWND hwnd, LPWSTR text, int maxChars)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || !text || maxChars <= 0)
        return 0;
    if (IsOnThisThread(*window))
        return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxChars),
                                             reinterpret_cast<LPARAM>(text)));
    // Another thread's window: its text is read without waiting for it.
    std::lock_guard lock(WindowManager::Get().mutex);
    lstrcpynW(text, window->text.c_str(), maxChars);
    return lstrlenW(text);
}

int GetWindowTextLengthW(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return 0;
    if (IsOnThisThread(*window))
        return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::lock_guard lock(WindowManager::Get().mutex);
    return static_cast<int>(window->text.size());
}

BOOL ShowWindow(HWND hwnd, int command)
{
    return static_cast<BOOL>(RunOnOwner(hwnd, [hwnd, command]() -> LRESULT {
        auto window = WindowManager::Get().Find(hwnd);
        if (!window)
            return FALSE;
        bool wasVisible = (window->style & WS_VISIBLE) != 0;
        bool show = command != SW_HIDE;
        bool minimize = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED;
        bool restore = command == SW_RESTORE || command == SW_SHOWNORMAL;
        bool minimized = (window->style & WS_MINIMIZE) != 0;
        bool reshaped = !window->parent && ((minimize && !minimized) || (restore && minimized));
        if (reshaped)
            SetMinimized(hwnd, minimize);
        if (show != wasVisible) {
            SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
            if (show) {
                ShowAndInvalidate(hwnd);
            } else {
                std::lock_guard lock(WindowManager::Get().mutex);
                window->style &= ~WS_VISIBLE;
            }
            if (!show) {
                auto queue = window->queue;
                bool wasActive;
                {
                    std::lock_guard lock(queue->mutex);
                    if (queue->focus && (queue->focus == hwnd || IsChild(hwnd, queue->focus)))
                        queue->focus = nullptr;
                    wasActive = queue->active == hwnd;
                }
                if (wasActive && !window->parent)
                    ActivateAnother(*window);
            } else if (!window->parent && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) {
                SetActiveWindow(hwnd);
            }
        }
        if (show && reshaped)
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        if (show && (!wasVisible || reshaped)) {
            // The frame and background now, the client area when the thread is idle.
            RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW);
        } else if (!show && wasVisible && window->parent) {
            // The parent and the siblings repaint where the child was.
            RECT where;
            {
                std::lock_guard lock(WindowManager::Get().mutex);
                where = window->rect;
            }
            RedrawWindow(window->parent, &where, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW);
        }
        if (show != wasVisible || reshaped)
            ScreenChanged();
        return wasVisible ? TRUE : FALSE;
    }));
}

BOOL IsWindowVisible(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return FALSE;
    for (; window; window = manager.Peek(window->parent)) {
        if (!(window->style & WS_VISIBLE))
            return FALSE;
    }
    return TRUE;
}

BOOL IsIconic(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_MINIMIZE) != 0;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    return static_cast<BOOL>(RunOnOwner(hwnd, [hwnd, enable]() -> LRESULT {
        auto window = WindowManager::Get().Find(hwnd);
        if (!window)
            return FALSE;
        bool wasDisabled = (window->style & WS_DISABLED) != 0;
        if (wasDisabled == !enable)
            return wasDisabled;
        {
            std::lock_guard lock(WindowManager::Get().mutex);
            if (enable)
                window->style &= ~WS_DISABLED;
            else
                window->style |= WS_DISABLED;
        }
        if (!enable) {
            auto queue = window->queue;
            bool hadFocus;
            {
                std::lock_guard lock(queue->mutex);
                hadFocus = queue->focus == hwnd;
            }
            if (hadFocus)
                SetFocus(nullptr);
        }
        SendMessageW(hwnd, WM_ENABLE, enable, 0);
        return wasDisabled;
    }));
}

BOOL IsWindowEnabled(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    return window && !(window->style & WS_DISABLED);
}

HWND SetFocus(HWND hwnd)
{
    auto queue = CurrentQueue();
    if (hwnd) {
        auto window = WindowManager::Get().Find(hwnd);
        if (!window || window->queue != queue)
            return nullptr; // focus stays within the calling thread's windows
    }
    HWND old;
    {
        std::lock_guard lock(queue->mutex);
        old = queue->focus;
        if (old == hwnd)
            return old;
        queue->focus = hwnd;
    }
    if (hwnd) {
        // The top-level window remembers it, to give it back when it is active again.
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        if (auto root = RootWindowOf(manager.Find(hwnd)))
            root->lastFocus = hwnd;
    }
    if (old && IsWindow(old))
        SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && IsWindow(hwnd))
        SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

namespace user::detail {

HWND LastFocusOf(HWND top)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(top);
    if (!window || !window->lastFocus)
        return nullptr;
    auto focus = manager.Find(window->lastFocus);
    if (!focus || focus->destroying || RootWindowOf(focus).get() != window)
        return nullptr;
    return focus->handle;
}

} // namespace user::detail

HWND GetFocus()
{
    auto queue = CurrentQueue();
    std::lock_guard lock(queue->mutex);
    return queue->focus;
}

HWND GetActiveWindow()
{
    auto queue = CurrentQueue();
    std::lock_guard lock(queue->mutex);
    return queue->active;
}

HWND SetActiveWindow(HWND hwnd)
{
    auto queue = CurrentQueue();
    HWND old;
    {
        std::lock_guard lock(queue->mutex);
        old = queue->active;
        if (old == hwnd)
            return old;
        queue->active = hwnd;
    }
    if (old && IsWindow(old)) {
        SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    }
    if (hwnd && IsWindow(hwnd)) {
        auto& manager = WindowManager::Get();
        {
            std::lock_guard lock(manager.mutex);
            auto& top = manager.topLevel;
            if (std::find(top.begin(), top.end(), hwnd) != top.end()) {
                std::erase(top, hwnd);
                top.insert(top.begin(), hwnd);
            }
        }
        SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
        SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
        ScreenChanged();
    }
    return old;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return FALSE;
    RunOnOwner(hwnd, [hwnd]() -> LRESULT {
        SetActiveWindow(hwnd);
        return 0;
    });
    return TRUE;
}

HWND GetForegroundWindow()
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    for (HWND top : manager.topLevel) {
        auto window = manager.Find(top);
        if (window && (window->style & WS_VISIBLE))
            return top;
    }
    return nullptr;
}

HWND SetCapture(HWND hwnd)
{
    auto queue = CurrentQueue();
    HWND old;
    {
        std::lock_guard lock(queue->mutex);
        old = queue->capture;
        queue->capture = hwnd;
    }
    if (old && old != hwnd && IsWindow(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture()
{
    auto queue = CurrentQueue();
    HWND old;
    {
        std::lock_guard lock(queue->mutex);
        old = queue->capture;
        queue->capture = nullptr;
    }
    if (old && IsWindow(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture()
{
    auto queue = CurrentQueue();
    std::lock_guard lock(queue->mutex);
    return queue->capture;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return 0;
    if (processId)
        *processId = GetCurrentProcessId();
    return window->queue->threadId;
}

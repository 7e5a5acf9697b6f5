#include "user/Paint.h"

#include "WindowData.h"
#include "user/Messages.h"

using namespace user::detail;

namespace {

void MarkTree(HWND hwnd, bool paint, bool erase, bool children)
{
    auto& manager = WindowManager::Get();
    std::vector<HWND> next;
    {
        std::lock_guard lock(manager.mutex);
        auto window = manager.Find(hwnd);
        if (!window)
            return;
        window->needsPaint = paint;
        window->needsErase = paint && (erase || window->needsErase);
        if (children)
            next = window->children;
    }
    for (HWND child : next)
        MarkTree(child, paint, erase, true);
    if (paint) {
        auto window = manager.Find(hwnd);
        if (window) {
            std::lock_guard lock(window->queue->mutex);
            window->queue->wake.notify_all();
        }
    }
}

} // namespace

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL erase)
{
    if (!IsWindow(hwnd))
        return FALSE;
    // The whole window is repainted; the rectangle only narrows what Windows
    // would repaint, never what it shows.
    MarkTree(hwnd, true, erase != FALSE, false);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*)
{
    if (!IsWindow(hwnd))
        return FALSE;
    MarkTree(hwnd, false, false, false);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    if (user::NeedsPaint(hwnd) && IsWindowVisible(hwnd))
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL)
{
    bool pending = user::NeedsPaint(hwnd);
    if (rect) {
        if (pending)
            GetClientRect(hwnd, rect);
        else
            SetRectEmpty(rect);
    }
    return pending ? TRUE : FALSE;
}

BOOL RedrawWindow(HWND hwnd, const RECT*, struct HRGN__*, UINT flags)
{
    if (!IsWindow(hwnd))
        return FALSE;
    bool children = (flags & RDW_ALLCHILDREN) != 0;
    if (flags & RDW_INVALIDATE)
        MarkTree(hwnd, true, (flags & RDW_ERASE) != 0, children);
    if (flags & RDW_VALIDATE)
        MarkTree(hwnd, false, false, children);
    if (flags & RDW_UPDATENOW)
        UpdateWindow(hwnd);
    return TRUE;
}

namespace user {

bool NeedsPaint(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    std::lock_guard lock(WindowManager::Get().mutex);
    return window && window->needsPaint;
}

bool NeedsErase(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    std::lock_guard lock(WindowManager::Get().mutex);
    return window && window->needsErase;
}

bool TakeEraseRequest(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    std::lock_guard lock(WindowManager::Get().mutex);
    if (!window || !window->needsErase)
        return false;
    window->needsErase = false;
    return true;
}

} // namespace user

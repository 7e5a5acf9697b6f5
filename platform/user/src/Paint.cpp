// Update regions and the redraw calls: what is invalid, and sending the
// WM_NCPAINT / WM_ERASEBKGND / WM_PAINT of RDW_ERASENOW and RDW_UPDATENOW.
#include "PaintCycle.h"
#include "WindowData.h"

#include "gdi/GdiObjects.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include <algorithm>

using namespace user::detail;

namespace {

bool ChildrenTakePart(const WindowData& window, UINT flags)
{
    if (flags & RDW_ALLCHILDREN)
        return true;
    if (flags & RDW_NOCHILDREN)
        return false;
    return !(window.style & WS_CLIPCHILDREN);
}

RECT WindowBox(const WindowData& window)
{
    return {0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

// Marks or clears area (window coordinates of window) as flags say, and
// goes on into the children that it covers. Runs under the manager's lock.
void Apply(WindowData& window, const gdi::Region& area, UINT flags, std::vector<std::shared_ptr<ThreadQueue>>& woken)
{
    RECT client = ClientBox(window);
    gdi::Region inClient = area.Intersected(client);
    inClient.Offset(-client.left, -client.top);

    if (flags & RDW_INVALIDATE) {
        window.update = gdi::Region::Combine(window.update, inClient, RGN_OR);
        if ((flags & RDW_ERASE) && !inClient.IsEmpty())
            window.needsErase = true;
        if ((flags & RDW_FRAME) && !area.Intersected(WindowBox(window)).IsEmpty())
            window.needsNcPaint = true;
        if (flags & RDW_INTERNALPAINT)
            window.internalPaint = true;
        // The calling thread looks for paints itself before it waits; each
        // other thread is woken once.
        if (window.NeedsPaint() && !IsOnThisThread(window)
            && std::find(woken.begin(), woken.end(), window.queue) == woken.end())
            woken.push_back(window.queue);
    }
    if (flags & RDW_VALIDATE) {
        window.update = gdi::Region::Combine(window.update, inClient, RGN_DIFF);
        if ((flags & RDW_NOERASE) || window.update.IsEmpty())
            window.needsErase = false;
        if (flags & RDW_NOFRAME)
            window.needsNcPaint = false;
        if (flags & RDW_NOINTERNALPAINT)
            window.internalPaint = false;
    }
    if (!ChildrenTakePart(window, flags) || inClient.IsEmpty())
        return;
    auto& manager = WindowManager::Get();
    for (HWND hwnd : window.children) {
        WindowData* child = manager.Peek(hwnd);
        // Most children lie outside a small area: they are passed without
        // a region of their own.
        if (!child || !(child->style & WS_VISIBLE) || !inClient.Intersects(child->rect))
            continue;
        gdi::Region childArea = inClient;
        childArea.Offset(-child->rect.left, -child->rect.top);
        childArea.IntersectWith(WindowBox(*child));
        if (childArea.IsEmpty())
            continue;
        // A covered border repaints too; a child without one (a label, as a
        // dialog has many) has no frame to paint unless one was asked for.
        const RECT childClient = ClientBox(*child);
        const RECT childBox = WindowBox(*child);
        const bool bordered = !EqualRect(&childClient, &childBox);
        Apply(*child, childArea, bordered ? flags | RDW_FRAME : flags, woken);
    }
}

void Wake(const std::vector<std::shared_ptr<ThreadQueue>>& queues)
{
    for (const auto& queue : queues) {
        std::lock_guard lock(queue->mutex);
        NotifyArrival(*queue);
    }
}

// The area that RedrawWindow's rectangle or region names, in window coordinates.
gdi::Region AreaOf(const WindowData& window, const RECT* rect, HRGN region, UINT flags)
{
    RECT client = ClientBox(window);
    gdi::Region area;
    if (region) {
        gdi::GetRegion(region, area);
        area.Offset(client.left, client.top);
    } else if (rect) {
        RECT r = *rect;
        OffsetRect(&r, client.left, client.top);
        area = gdi::Region(r);
    } else {
        area = gdi::Region((flags & RDW_FRAME) ? WindowBox(window) : client);
    }
    return area;
}

// Sends the erase of an invalid window now, on a DC clipped to its update region.
void EraseNow(HWND hwnd)
{
    gdi::Region update;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(hwnd);
        if (!window || !window->needsErase)
            return;
        window->needsErase = false;
        update = window->update;
    }
    HDC dc = MakeWindowDC(hwnd, false, ClipFlagsOf(hwnd), &update);
    bool erased = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    ReleaseDC(hwnd, dc);
    auto window = WindowManager::Get().Find(hwnd);
    std::lock_guard lock(WindowManager::Get().mutex);
    if (window)
        window->eraseLeft = !erased;
}

// The first of children, from index from on, that UpdateNow would not pass at
// once; the size when there is none. The passed ones are looked at under one
// hold of the lock: nothing runs on this thread between them either way.
std::size_t NextToUpdate(const std::vector<HWND>& children, std::size_t from)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    for (; from < children.size(); ++from) {
        const WindowData* window = manager.Peek(children[from]);
        if (window && (window->NeedsPaint() || !window->children.empty()) && ShownWithParents(*window))
            break;
    }
    return from;
}

void UpdateNow(HWND hwnd, UINT flags, bool paint)
{
    std::vector<HWND> children;
    bool client = false;
    bool frame = false;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        const WindowData* window = manager.Peek(hwnd);
        // A child with nothing to paint and no children of its own is the
        // common case of a window's UpdateWindow: it is passed at once.
        if (!window || (!window->NeedsPaint() && window->children.empty()) || !ShownWithParents(*window))
            return;
        client = !window->update.IsEmpty() || window->internalPaint;
        frame = window->needsNcPaint;
        if (ChildrenTakePart(*window, flags))
            children.assign(window->children.rbegin(), window->children.rend()); // bottom first
    }
    if (frame)
        SendFramePaint(hwnd);
    if (!paint) {
        // Children are erased when they are painted, after their parent has
        // painted over them.
        EraseNow(hwnd);
        return;
    }
    if (client)
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    for (std::size_t i = NextToUpdate(children, 0); i < children.size(); i = NextToUpdate(children, i + 1))
        UpdateNow(children[i], flags, paint);
}

} // namespace

namespace user::detail {

RECT ClientBox(const WindowData& window)
{
    RECT box = WindowBox(window);
    RECT inset = InsetsOf(window);
    return {inset.left, inset.top, std::max(inset.left, box.right - inset.right),
            std::max(inset.top, box.bottom - inset.bottom)};
}

bool ShownWithParents(const WindowData& window)
{
    auto& manager = WindowManager::Get();
    for (const WindowData* w = &window; w;) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!w->parent)
            return true;
        w = manager.Peek(w->parent);
    }
    return false;
}

void Invalidate(HWND hwnd, const RECT* rect, HRGN region, UINT flags)
{
    std::vector<std::shared_ptr<ThreadQueue>> woken;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(hwnd);
        if (!window || !ShownWithParents(*window))
            return;
        Apply(*window, AreaOf(*window, rect, region, flags), flags, woken);
    }
    Wake(woken);
}

void ShowAndInvalidate(HWND hwnd)
{
    std::vector<std::shared_ptr<ThreadQueue>> woken;
    {
        // One step, so that no one sees the window shown and not yet invalid.
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(hwnd);
        if (!window)
            return;
        window->style |= WS_VISIBLE;
        if (ShownWithParents(*window))
            Apply(*window, gdi::Region(WindowBox(*window)), RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN,
                  woken);
    }
    Wake(woken);
}

HWND NextToPaint(const std::shared_ptr<ThreadQueue>& queue, HWND filter)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    // Looked for before every wait of the thread's loop: the list keeps its room.
    thread_local std::vector<HWND> pending;
    pending.assign(manager.topLevel.begin(), manager.topLevel.end());
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const WindowData* window = manager.Peek(pending[i]);
        if (!window || !(window->style & WS_VISIBLE))
            continue;
        if (window->queue == queue && window->NeedsPaint()
            && (!filter || filter == window->handle || IsChild(filter, window->handle)))
            return window->handle;
        pending.insert(pending.end(), window->children.rbegin(), window->children.rend());
    }
    return nullptr;
}

bool SendFramePaint(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    {
        std::lock_guard lock(manager.mutex);
        WindowData* window = manager.Peek(hwnd);
        if (!window || !window->needsNcPaint)
            return false;
        window->needsNcPaint = false;
        ++window->painting;
    }
    SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    std::lock_guard lock(manager.mutex);
    if (WindowData* window = manager.Peek(hwnd))
        --window->painting;
    return true;
}

bool HasClientPaint(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    const WindowData* window = manager.Peek(hwnd);
    return window && (!window->update.IsEmpty() || window->internalPaint);
}

} // namespace user::detail

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags)
{
    if (!hwnd) {
        // The desktop: every window repaints.
        for (HWND top : user::detail::TopLevelSnapshot())
            RedrawWindow(top, nullptr, nullptr, flags | RDW_FRAME | RDW_ALLCHILDREN);
        return TRUE;
    }
    if (!IsWindow(hwnd))
        return FALSE;
    if (flags & (RDW_INVALIDATE | RDW_VALIDATE))
        Invalidate(hwnd, rect, region, flags);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
        bool paint = (flags & RDW_UPDATENOW) != 0;
        RunOnOwner(hwnd, [hwnd, flags, paint]() -> LRESULT {
            UpdateNow(hwnd, flags, paint);
            return 0;
        });
    }
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (!hwnd)
        return RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL ValidateRgn(HWND hwnd, HRGN region)
{
    return RedrawWindow(hwnd, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase)
{
    RECT bounds = {};
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(hwnd);
        if (!window)
            return FALSE;
        if (!window->update.IsEmpty())
            bounds = window->update.Bounds();
    }
    if (rect)
        *rect = bounds;
    if (erase && !IsRectEmpty(&bounds))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
    return IsRectEmpty(&bounds) ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    gdi::Region update;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(hwnd);
        if (!window)
            return ERROR;
        update = window->update;
    }
    if (!gdi::SetRegion(region, update))
        return ERROR;
    if (erase && !update.IsEmpty())
        RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
    return update.Complexity();
}

namespace user {

bool NeedsPaint(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    return window && window->NeedsPaint();
}

bool NeedsErase(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    return window && window->needsErase;
}

bool TakeEraseRequest(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window || !window->needsErase)
        return false;
    window->needsErase = false;
    return true;
}

} // namespace user

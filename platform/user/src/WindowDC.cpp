// The DCs of windows and their surfaces: what part of its top-level
// window's surface a window may paint, BeginPaint and EndPaint.
#include "PaintCycle.h"
#include "WindowData.h"

#include "gdi/GdiObjects.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "win32/RecursiveLock.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <utility>
#include <vector>

using namespace user::detail;

namespace {

win32::RecursiveLock g_dcMutex;
// Every window DC open now, with its window. A list, newest last: a paint
// opens a DC or two and releases them in reverse, so the search from the
// end finds them first, and the list keeps its room from paint to paint.
std::vector<std::pair<HDC, HWND>> g_windowDCs;

std::vector<std::pair<HDC, HWND>>::iterator FindWindowDC(HDC dc)
{
    auto it = std::find_if(g_windowDCs.rbegin(), g_windowDCs.rend(), [dc](const auto& open) { return open.first == dc; });
    return it == g_windowDCs.rend() ? g_windowDCs.end() : std::prev(it.base());
}

// A window's rectangle in root coordinates, cut to its window region.
gdi::Region ShapeInRoot(const WindowData& window)
{
    RECT rect = RectInRoot(window, false);
    gdi::Region shape(rect);
    gdi::Region region;
    if (window.region && gdi::GetRegion(window.region, region)) {
        region.Offset(rect.left, rect.top);
        shape = gdi::Region::Combine(shape, region, RGN_AND);
    }
    return shape;
}

// visible less the window's shape; a window beside what is left (its
// rectangle holds its shape) takes nothing away and is not looked at further.
void CutOut(gdi::Region& visible, const WindowData& window)
{
    const RECT box = RectInRoot(window, false);
    const RECT bounds = visible.IsEmpty() ? RECT{} : visible.Bounds();
    RECT common;
    if (!IntersectRect(&common, &box, &bounds))
        return;
    visible = gdi::Region::Combine(visible, ShapeInRoot(window), RGN_DIFF);
}

// What of area (root coordinates) the window may paint; box is the
// window's rectangle in root coordinates. Runs under the manager's lock.
gdi::Region VisiblePart(const WindowData& window, RECT box, const RECT& area, DWORD flags)
{
    if (!ShownWithParents(window))
        return {};
    auto& manager = WindowManager::Get();
    gdi::Region visible(area);
    bool clipSiblings = (flags & DCX_CLIPSIBLINGS) != 0;
    for (const WindowData* current = &window; current;) {
        // A window without a region is its rectangle.
        if (current->region)
            visible = gdi::Region::Combine(visible, ShapeInRoot(*current), RGN_AND);
        else
            visible.IntersectWith(box);
        const WindowData* parent = manager.Peek(current->parent);
        if (!parent)
            break;
        if (clipSiblings) {
            for (HWND sibling : parent->children) {
                if (sibling == current->handle)
                    break; // the ones before it in the list lie above it
                const WindowData* above = manager.Peek(sibling);
                if (above && (above->style & WS_VISIBLE))
                    CutOut(visible, *above);
            }
        }
        // The parent's rectangles follow from the child's, which lies at
        // its place in the parent's client area, without another walk up.
        const RECT client = ClientBox(*parent);
        const POINT corner{box.left - current->rect.left - client.left, box.top - current->rect.top - client.top};
        visible.IntersectWith(RECT{corner.x + client.left, corner.y + client.top, corner.x + client.right,
                                   corner.y + client.bottom});
        box = {corner.x, corner.y, corner.x + (parent->rect.right - parent->rect.left),
               corner.y + (parent->rect.bottom - parent->rect.top)};
        current = parent;
        clipSiblings = (current->style & WS_CLIPSIBLINGS) != 0;
    }
    if (flags & DCX_CLIPCHILDREN) {
        for (HWND hwnd : window.children) {
            const WindowData* child = manager.Peek(hwnd);
            if (child && (child->style & WS_VISIBLE))
                CutOut(visible, *child);
        }
    }
    return visible;
}

// The surface of the window's top-level window. Called under the manager's lock.
std::shared_ptr<gdi::Surface> SurfaceUnder(WindowData& window)
{
    auto& manager = WindowManager::Get();
    WindowData* root = &window;
    while (WindowData* parent = manager.Peek(root->parent))
        root = parent;
    if (!root->surface)
        FitSurface(*root);
    return root->surface;
}

std::shared_ptr<gdi::Surface> ScratchScreen()
{
    static std::mutex mutex;
    static std::shared_ptr<gdi::Surface> screen;
    std::lock_guard lock(mutex);
    SIZE size = gdi::GetScreenSize();
    if (!screen || screen->Width() != size.cx || screen->Height() != size.cy)
        screen = std::make_shared<gdi::Surface>(size.cx, size.cy);
    return screen;
}

} // namespace

namespace user::detail {

void FitSurface(WindowData& window)
{
    int width = std::max<int>(window.rect.right - window.rect.left, 0);
    int height = std::max<int>(window.rect.bottom - window.rect.top, 0);
    if (window.surface && window.surface->Width() == width && window.surface->Height() == height)
        return;
    auto surface = std::make_shared<gdi::Surface>(width, height);
    surface->Fill(gdi::PixelFromColor(GetSysColor(COLOR_3DFACE)));
    if (window.surface) {
        int w = std::min(width, window.surface->Width());
        int h = std::min(height, window.surface->Height());
        for (int y = 0; y < h; ++y)
            std::copy_n(window.surface->Row(y), w, surface->Row(y));
    }
    window.surface = std::move(surface);
}

namespace {

DWORD ClipFlagsOfStyle(LONG_PTR style)
{
    return ((style & WS_CLIPCHILDREN) ? DCX_CLIPCHILDREN : 0) | ((style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0);
}

} // namespace

DWORD ClipFlagsOf(HWND hwnd)
{
    return ClipFlagsOfStyle(GetWindowLongPtrW(hwnd, GWL_STYLE));
}

HDC MakeWindowDC(HWND hwnd, bool whole, DWORD flags, const gdi::Region* limit)
{
    std::shared_ptr<gdi::Surface> surface;
    POINT origin;
    gdi::Region visible;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(hwnd);
        if (!window)
            return nullptr;
        surface = SurfaceUnder(*window);
        ++window->openDCs;
        const RECT box = RectInRoot(*window, false);
        RECT area = box;
        if (!whole) {
            const RECT client = ClientBox(*window);
            area = {box.left + client.left, box.top + client.top, box.left + client.right, box.top + client.bottom};
        }
        origin = {area.left, area.top};
        visible = VisiblePart(*window, box, area, flags);
    }
    visible.Offset(-origin.x, -origin.y);
    if (limit && limit->Rects().size() == 1)
        visible.IntersectWith(limit->Rects()[0]);
    else if (limit)
        visible = gdi::Region::Combine(visible, *limit, RGN_AND);
    HDC dc = gdi::CreateSurfaceDC(std::move(surface), origin, std::move(visible));
    if (dc) {
        std::lock_guard lock(g_dcMutex);
        g_windowDCs.emplace_back(dc, hwnd);
    }
    return dc;
}

std::vector<HWND> TopLevelSnapshot()
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    return manager.topLevel;
}

} // namespace user::detail

HDC GetDCEx(HWND hwnd, HRGN region, DWORD flags)
{
    if (!hwnd) {
        HDC dc = gdi::CreateSurfaceDC(ScratchScreen(), {0, 0}, nullptr);
        std::lock_guard lock(g_dcMutex);
        g_windowDCs.emplace_back(dc, nullptr);
        return dc;
    }
    gdi::Region limit;
    const gdi::Region* limitPtr = nullptr;
    if (region && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
        // The region is in screen coordinates; the DC's are the window's or the client area's.
        if (!gdi::GetRegion(region, limit))
            return nullptr;
        POINT origin = {0, 0};
        if (flags & DCX_WINDOW) {
            RECT rect;
            GetWindowRect(hwnd, &rect);
            origin = {rect.left, rect.top};
        } else {
            ClientToScreen(hwnd, &origin);
        }
        limit.Offset(-origin.x, -origin.y);
        if (flags & DCX_EXCLUDERGN)
            limit = gdi::Region::Combine(gdi::Region(RECT{-0x4000000, -0x4000000, 0x4000000, 0x4000000}), limit,
                                         RGN_DIFF);
        limitPtr = &limit;
    }
    return MakeWindowDC(hwnd, (flags & DCX_WINDOW) != 0, flags, limitPtr);
}

HDC GetDC(HWND hwnd)
{
    return GetDCEx(hwnd, nullptr, hwnd ? ClipFlagsOf(hwnd) : 0);
}

HDC GetWindowDC(HWND hwnd)
{
    return GetDCEx(hwnd, nullptr, DCX_WINDOW | (hwnd ? ClipFlagsOf(hwnd) : 0));
}

int ReleaseDC(HWND, HDC dc)
{
    HWND owner;
    {
        std::lock_guard lock(g_dcMutex);
        auto it = FindWindowDC(dc);
        if (it == g_windowDCs.end())
            return 0;
        owner = it->second;
        g_windowDCs.erase(it);
    }
    if (owner) {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        if (auto window = manager.Find(owner))
            --window->openDCs;
    }
    DeleteDC(dc);
    ScreenChanged();
    return 1;
}

HWND WindowFromDC(HDC dc)
{
    std::lock_guard lock(g_dcMutex);
    auto it = FindWindowDC(dc);
    return it == g_windowDCs.end() ? nullptr : it->second;
}

namespace {

// The part of the window (client coordinates) that a pending paint of its
// parent will cover: a parent whose DC is not clipped to its children
// paints over them, and a child chosen for its paint before the parent was
// made invalid (by another thread) would otherwise paint first and vanish
// under the parent's paint. That part stays invalid, so that the child
// paints again after its parent, which paints first. Under the manager's
// lock.
gdi::Region UnderPendingParentPaint(const WindowData& window)
{
    const WindowData* parent = WindowManager::Get().Peek(window.parent);
    if (!parent || parent->update.IsEmpty() || (parent->style & WS_CLIPCHILDREN) || parent->queue != window.queue)
        return {};
    if (!parent->update.Intersects(window.rect))
        return {};
    gdi::Region covered = parent->update;
    covered.Offset(-window.rect.left, -window.rect.top);
    const RECT client = ClientBox(window);
    covered.IntersectWith(client);
    covered.Offset(-client.left, -client.top);
    return covered;
}

} // namespace

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint)
{
    if (!paint || !IsWindow(hwnd))
        return nullptr;
    SendFramePaint(hwnd);
    gdi::Region update;
    bool erase = false;
    bool eraseLeft = false;
    RECT client;
    DWORD clipFlags = 0;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(hwnd);
        if (!window)
            return nullptr;
        update = std::move(window->update); // cleared below
        erase = window->needsErase;
        eraseLeft = window->eraseLeft;
        window->update = UnderPendingParentPaint(*window);
        window->needsErase = !window->update.IsEmpty();
        window->eraseLeft = false;
        window->internalPaint = false;
        ++window->painting; // until EndPaint: the window is not done yet
        // What GetClientRect and ClipFlagsOf would answer, read under the
        // same hold of the lock.
        const RECT box = ClientBox(*window);
        client = {0, 0, box.right - box.left, box.bottom - box.top};
        clipFlags = ClipFlagsOfStyle(static_cast<LONG_PTR>(window->style));
    }
    update.IntersectWith(client);
    *paint = {};
    paint->hdc = MakeWindowDC(hwnd, false, clipFlags, &update);
    paint->rcPaint = update.IsEmpty() ? RECT{0, 0, 0, 0} : update.Bounds();
    paint->fErase = eraseLeft ? TRUE : FALSE;
    if (erase)
        paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) ? FALSE : TRUE;
    return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint)
{
    if (!paint)
        return FALSE;
    ReleaseDC(hwnd, paint->hdc);
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    if (auto window = manager.Find(hwnd); window && window->painting > 0)
        --window->painting;
    return TRUE;
}

namespace user {

std::shared_ptr<gdi::Surface> SurfaceOf(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    return window ? SurfaceUnder(*window) : nullptr;
}

} // namespace user

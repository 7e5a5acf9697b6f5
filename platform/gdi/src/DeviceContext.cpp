// DCs: creation, surfaces, object selection, saved states and device caps.
#include "Objects.h"

#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace gdi {

namespace {

std::atomic<int> g_screenWidth{1024};
std::atomic<int> g_screenHeight{768};

template <typename T>
void Retain(const std::shared_ptr<T>& object)
{
    if (object)
        ++object->selections;
}

template <typename T>
void Release(const std::shared_ptr<T>& object)
{
    if (object)
        --object->selections;
}

void RetainState(const DcState& s)
{
    Retain(s.bitmap);
    Retain(s.brush);
    Retain(s.pen);
    Retain(s.font);
}

void ReleaseState(const DcState& s)
{
    Release(s.bitmap);
    Release(s.brush);
    Release(s.pen);
    Release(s.font);
}

DcState InitialState()
{
    // Stock objects live as long as the process: looked up once, not under
    // the stock table's lock for every DC a paint opens.
    static const DcState initial = [] {
        DcState s;
        s.brush = std::static_pointer_cast<BrushObject>(StockObject(WHITE_BRUSH));
        s.pen = std::static_pointer_cast<PenObject>(StockObject(BLACK_PEN));
        s.font = std::static_pointer_cast<FontObject>(StockObject(SYSTEM_FONT));
        return s;
    }();
    return initial;
}

bool BitmapHeldElsewhere(const DcObject& dc, const BitmapObject& bitmap)
{
    if (bitmap.stock || bitmap.selections == 0)
        return false;
    int here = dc.state.bitmap.get() == &bitmap ? 1 : 0;
    for (const DcState& s : dc.saved)
        here += s.bitmap.get() == &bitmap ? 1 : 0;
    return bitmap.selections > here;
}

template <typename T>
HGDIOBJ Swap(std::shared_ptr<T>& slot, std::shared_ptr<T> object)
{
    HGDIOBJ previous = HandleOf(slot.get());
    Release(slot);
    slot = std::move(object);
    Retain(slot);
    return previous;
}

} // namespace

HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, const Region* visible)
{
    if (!surface)
        return nullptr;
    if (visible)
        return CreateSurfaceDC(std::move(surface), origin, Region(*visible));
    auto dc = std::make_shared<DcObject>();
    dc->dcKind = DcKind::Surface;
    dc->surface = std::move(surface);
    dc->origin = origin;
    dc->state = InitialState();
    RetainState(dc->state);
    return static_cast<HDC>(InsertObject(dc));
}

HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, Region&& visible)
{
    if (!surface)
        return nullptr;
    auto dc = std::make_shared<DcObject>();
    dc->dcKind = DcKind::Surface;
    dc->surface = std::move(surface);
    dc->origin = origin;
    dc->visible = std::move(visible);
    dc->state = InitialState();
    RetainState(dc->state);
    return static_cast<HDC>(InsertObject(dc));
}

BOOL SetSurfaceDCGeometry(HDC handle, POINT origin, const Region* visible)
{
    auto dc = LookupDc(handle);
    if (!dc || dc->dcKind != DcKind::Surface)
        return FALSE;
    dc->origin = origin;
    dc->visible.reset();
    if (visible)
        dc->visible = *visible;
    return TRUE;
}

std::shared_ptr<Surface> SurfaceOfDC(HDC handle)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return nullptr;
    return dc->dcKind == DcKind::Memory ? dc->state.bitmap->surface : dc->surface;
}

std::shared_ptr<Surface> SurfaceOfBitmap(HBITMAP handle)
{
    auto bitmap = LookupBitmap(handle);
    if (!bitmap || bitmap->monochrome)
        return nullptr;
    return bitmap->surface;
}

HBITMAP CreateBitmapFromSurface(const Surface& surface)
{
    return InsertBitmap(surface.Clone(), false, false);
}

void SetScreenSize(int width, int height)
{
    g_screenWidth = width;
    g_screenHeight = height;
}

SIZE GetScreenSize()
{
    return {g_screenWidth.load(), g_screenHeight.load()};
}

} // namespace gdi

using namespace gdi;

HDC CreateCompatibleDC(HDC other)
{
    if (other && !LookupDc(other))
        return nullptr;
    auto dc = std::make_shared<DcObject>();
    dc->state = InitialState();
    dc->state.bitmap = DefaultBitmap();
    RetainState(dc->state);
    return static_cast<HDC>(InsertObject(dc));
}

BOOL DeleteDC(HDC handle)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return FALSE;
    ReleaseState(dc->state);
    for (const DcState& s : dc->saved)
        ReleaseState(s);
    dc->saved.clear();
    dc->state = DcState{};
    RemoveObject(handle);
    return TRUE;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object)
{
    auto dc = LookupDc(static_cast<HDC>(handle));
    auto target = LookupObject(object);
    if (!dc || !target)
        return nullptr;
    DcState& s = dc->state;
    switch (target->kind) {
    case ObjectKind::Bitmap: {
        auto bitmap = std::static_pointer_cast<BitmapObject>(target);
        if (dc->dcKind != DcKind::Memory || BitmapHeldElsewhere(*dc, *bitmap))
            return nullptr;
        return Swap(s.bitmap, bitmap);
    }
    case ObjectKind::Brush:
        return Swap(s.brush, std::static_pointer_cast<BrushObject>(target));
    case ObjectKind::Pen:
        return Swap(s.pen, std::static_pointer_cast<PenObject>(target));
    case ObjectKind::Font:
        return Swap(s.font, std::static_pointer_cast<FontObject>(target));
    case ObjectKind::Region: {
        int result = SelectClipRgn(static_cast<HDC>(handle), static_cast<HRGN>(object));
        return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(result));
    }
    default:
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_BITMAP:
        return HandleOf(dc->state.bitmap.get());
    case OBJ_BRUSH:
        return HandleOf(dc->state.brush.get());
    case OBJ_PEN:
        return HandleOf(dc->state.pen.get());
    case OBJ_FONT:
        return HandleOf(dc->state.font.get());
    default:
        return nullptr;
    }
}

int SaveDC(HDC handle)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    RetainState(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int savedDc)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return FALSE;
    int depth = static_cast<int>(dc->saved.size());
    int index = savedDc < 0 ? depth + savedDc : savedDc - 1; // the state to restore
    if (savedDc == 0 || index < 0 || index >= depth)
        return FALSE;
    ReleaseState(dc->state);
    dc->state = dc->saved[index];
    // The restored state's references move from the stack to the DC; the
    // states above it are dropped.
    for (int i = index + 1; i < depth; ++i)
        ReleaseState(dc->saved[i]);
    dc->saved.resize(index);
    return TRUE;
}

int GetDeviceCaps(HDC handle, int index)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return 0;
    bool mono = dc->dcKind == DcKind::Memory && dc->state.bitmap->monochrome;
    SIZE screen = GetScreenSize();
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZRES:
        return screen.cx;
    case VERTRES:
        return screen.cy;
    case HORZSIZE:
        return screen.cx * 254 / 960;
    case VERTSIZE:
        return screen.cy * 254 / 960;
    case BITSPIXEL:
        return mono ? 1 : 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case SIZEPALETTE:
        return 0;
    default:
        return 0;
    }
}

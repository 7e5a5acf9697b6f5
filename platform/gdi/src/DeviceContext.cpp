// DCs: creation, object selection, saved states and the attribute calls.
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
    DcState s;
    s.brush = std::static_pointer_cast<BrushObject>(StockObject(WHITE_BRUSH));
    s.pen = std::static_pointer_cast<PenObject>(StockObject(BLACK_PEN));
    s.font = std::static_pointer_cast<FontObject>(StockObject(SYSTEM_FONT));
    return s;
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
    auto dc = std::make_shared<DcObject>();
    dc->dcKind = DcKind::Surface;
    dc->surface = std::move(surface);
    dc->origin = origin;
    if (visible)
        dc->visible = *visible;
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

BOOL DeleteObject(HGDIOBJ handle)
{
    auto object = LookupObject(handle);
    if (!object)
        return FALSE;
    if (object->stock)
        return TRUE;
    if (object->kind == ObjectKind::Dc || object->kind == ObjectKind::Icon || object->selections > 0)
        return FALSE;
    return RemoveObject(handle) ? TRUE : FALSE;
}

DWORD GetObjectType(HGDIOBJ handle)
{
    auto object = LookupObject(handle);
    if (!object)
        return 0;
    switch (object->kind) {
    case ObjectKind::Bitmap:
        return OBJ_BITMAP;
    case ObjectKind::Brush:
        return OBJ_BRUSH;
    case ObjectKind::Pen:
        return OBJ_PEN;
    case ObjectKind::Font:
        return OBJ_FONT;
    case ObjectKind::Region:
        return OBJ_REGION;
    case ObjectKind::Dc:
        return static_cast<DcObject&>(*object).dcKind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
    default:
        return 0;
    }
}

namespace {

template <typename T>
int CopyOut(const T& value, int bufferBytes, LPVOID buffer)
{
    if (!buffer)
        return static_cast<int>(sizeof(T));
    if (bufferBytes <= 0)
        return 0;
    int bytes = std::min(bufferBytes, static_cast<int>(sizeof(T)));
    std::memcpy(buffer, &value, bytes);
    return bytes;
}

BITMAP DescribeBitmap(const BitmapObject& bitmap)
{
    BITMAP bm{};
    bm.bmWidth = bitmap.surface->Width();
    bm.bmHeight = bitmap.surface->Height();
    bm.bmPlanes = 1;
    bm.bmBitsPixel = bitmap.monochrome ? 1 : 32;
    bm.bmWidthBytes = bitmap.monochrome ? ((bm.bmWidth + 15) / 16) * 2 : bm.bmWidth * 4;
    bm.bmBits = bitmap.dibSection ? bitmap.surface->Bits() : nullptr;
    return bm;
}

} // namespace

int GetObjectW(HGDIOBJ handle, int bufferBytes, LPVOID buffer)
{
    auto object = LookupObject(handle);
    if (!object)
        return 0;
    switch (object->kind) {
    case ObjectKind::Bitmap: {
        const auto& bitmap = static_cast<const BitmapObject&>(*object);
        if (bitmap.dibSection && bufferBytes >= static_cast<int>(sizeof(DIBSECTION)) && buffer) {
            DIBSECTION ds{};
            ds.dsBm = DescribeBitmap(bitmap);
            ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
            ds.dsBmih.biWidth = ds.dsBm.bmWidth;
            ds.dsBmih.biHeight = bitmap.surface->IsBottomUp() ? ds.dsBm.bmHeight : -ds.dsBm.bmHeight;
            ds.dsBmih.biPlanes = 1;
            ds.dsBmih.biBitCount = 32;
            ds.dsBmih.biCompression = BI_RGB;
            ds.dsBmih.biSizeImage = static_cast<DWORD>(ds.dsBm.bmWidthBytes * ds.dsBm.bmHeight);
            return CopyOut(ds, bufferBytes, buffer);
        }
        return CopyOut(DescribeBitmap(bitmap), bufferBytes, buffer);
    }
    case ObjectKind::Brush: {
        const auto& brush = static_cast<const BrushObject&>(*object);
        LOGBRUSH lb{brush.style, brush.color, static_cast<ULONG_PTR>(brush.hatch)};
        return CopyOut(lb, bufferBytes, buffer);
    }
    case ObjectKind::Pen: {
        const auto& pen = static_cast<const PenObject&>(*object);
        LOGPEN lp{static_cast<UINT>(pen.style), {pen.width, 0}, pen.color};
        return CopyOut(lp, bufferBytes, buffer);
    }
    case ObjectKind::Font:
        return CopyOut(static_cast<const FontObject&>(*object).logFont, bufferBytes, buffer);
    default:
        return 0;
    }
}

#define DC_ATTRIBUTE(Setter, Getter, Type, field, fail)                                                        \
    Type Setter(HDC handle, Type value)                                                                        \
    {                                                                                                          \
        auto dc = LookupDc(handle);                                                                            \
        if (!dc)                                                                                               \
            return fail;                                                                                       \
        Type previous = dc->state.field;                                                                       \
        dc->state.field = value;                                                                               \
        return previous;                                                                                       \
    }                                                                                                          \
    Type Getter(HDC handle)                                                                                    \
    {                                                                                                          \
        auto dc = LookupDc(handle);                                                                            \
        return dc ? dc->state.field : fail;                                                                    \
    }

DC_ATTRIBUTE(SetTextColor, GetTextColor, COLORREF, textColor, CLR_INVALID)
DC_ATTRIBUTE(SetBkColor, GetBkColor, COLORREF, bkColor, CLR_INVALID)
DC_ATTRIBUTE(SetTextAlign, GetTextAlign, UINT, textAlign, GDI_ERROR)

#undef DC_ATTRIBUTE

namespace {

// Setters of enumerated attributes fail (0) on a value out of range.
int SetRanged(HDC handle, int DcState::*field, int value, int low, int high)
{
    auto dc = LookupDc(handle);
    if (!dc || value < low || value > high)
        return 0;
    int previous = dc->state.*field;
    dc->state.*field = value;
    return previous;
}

int GetRanged(HDC handle, int DcState::*field)
{
    auto dc = LookupDc(handle);
    return dc ? dc->state.*field : 0;
}

BOOL SetPoint(HDC handle, POINT DcState::*field, int x, int y, LPPOINT previous, bool relative)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return FALSE;
    POINT& p = dc->state.*field;
    if (previous)
        *previous = p;
    p = relative ? POINT{p.x + x, p.y + y} : POINT{x, y};
    return TRUE;
}

BOOL GetPoint(HDC handle, POINT DcState::*field, LPPOINT out)
{
    auto dc = LookupDc(handle);
    if (!dc || !out)
        return FALSE;
    *out = dc->state.*field;
    return TRUE;
}

} // namespace

int SetBkMode(HDC dc, int mode) { return SetRanged(dc, &DcState::bkMode, mode, TRANSPARENT, OPAQUE); }
int GetBkMode(HDC dc) { return GetRanged(dc, &DcState::bkMode); }
int SetROP2(HDC dc, int mode) { return SetRanged(dc, &DcState::rop2, mode, R2_BLACK, R2_WHITE); }
int GetROP2(HDC dc) { return GetRanged(dc, &DcState::rop2); }
int SetStretchBltMode(HDC dc, int mode) { return SetRanged(dc, &DcState::stretchMode, mode, BLACKONWHITE, HALFTONE); }
int GetStretchBltMode(HDC dc) { return GetRanged(dc, &DcState::stretchMode); }
// Only the text mapping mode exists: one logical unit is one pixel.
int SetMapMode(HDC dc, int mode) { return SetRanged(dc, &DcState::mapMode, mode, MM_TEXT, MM_TEXT); }
int GetMapMode(HDC dc) { return GetRanged(dc, &DcState::mapMode); }

COLORREF SetDCBrushColor(HDC handle, COLORREF color)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.dcBrushColor;
    dc->state.dcBrushColor = color;
    return previous;
}

COLORREF SetDCPenColor(HDC handle, COLORREF color)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.dcPenColor;
    dc->state.dcPenColor = color;
    return previous;
}

int SetTextCharacterExtra(HDC handle, int extra)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return static_cast<int>(0x80000000);
    int previous = dc->state.charExtra;
    dc->state.charExtra = extra;
    return previous;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return SetPoint(dc, &DcState::viewportOrg, x, y, previous, false);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous)
{
    return SetPoint(dc, &DcState::viewportOrg, dx, dy, previous, true);
}
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin) { return GetPoint(dc, &DcState::viewportOrg, origin); }
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return SetPoint(dc, &DcState::windowOrg, x, y, previous, false);
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous)
{
    return SetPoint(dc, &DcState::windowOrg, dx, dy, previous, true);
}
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) { return GetPoint(dc, &DcState::windowOrg, origin); }
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return SetPoint(dc, &DcState::brushOrg, x, y, previous, false);
}

BOOL GetDCOrgEx(HDC handle, LPPOINT origin)
{
    auto dc = LookupDc(handle);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->origin;
    return TRUE;
}

BOOL LPtoDP(HDC handle, LPPOINT points, int count)
{
    auto dc = LookupDc(handle);
    if (!dc || (count > 0 && !points))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x += dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y += dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

BOOL DPtoLP(HDC handle, LPPOINT points, int count)
{
    auto dc = LookupDc(handle);
    if (!dc || (count > 0 && !points))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x -= dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y -= dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

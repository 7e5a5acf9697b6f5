// The region calls over gdi::Region.
#include "Canvas.h"

#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <cmath>
#include <cstring>

using namespace gdi;

namespace {

HRGN InsertRegion(Region region)
{
    auto object = std::make_shared<RegionObject>();
    object->region = std::move(region);
    return static_cast<HRGN>(InsertObject(object));
}

RECT Ordered(int left, int top, int right, int bottom)
{
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

void WriteLong(char* at, LONG value) { std::memcpy(at, &value, 4); }
void WriteDword(char* at, DWORD value) { std::memcpy(at, &value, 4); }
LONG ReadLong(const char* at)
{
    LONG value;
    std::memcpy(&value, at, 4);
    return value;
}

} // namespace

namespace gdi {

bool GetRegion(HRGN handle, Region& out)
{
    auto region = LookupRegion(handle);
    if (!region)
        return false;
    out = region->region;
    return true;
}

BOOL SetRegion(HRGN handle, const Region& value)
{
    auto region = LookupRegion(handle);
    if (!region)
        return FALSE;
    region->region = value;
    return TRUE;
}

HRGN CreateRegion(const Region& value) { return InsertRegion(value); }

} // namespace gdi

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    return InsertRegion(Region(Ordered(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

namespace gdi {

Region EllipseRows(const RECT& box, LONG yFrom, LONG yTo)
{
    std::vector<RECT> rows;
    double cx = (static_cast<double>(box.left) + box.right) / 2.0;
    double cy = (static_cast<double>(box.top) + box.bottom) / 2.0;
    double rx = (static_cast<double>(box.right) - box.left) / 2.0;
    double ry = (static_cast<double>(box.bottom) - box.top) / 2.0;
    for (LONG y = std::max(box.top, yFrom); y < std::min(box.bottom, yTo) && rx > 0 && ry > 0; ++y) {
        double dy = (y + 0.5 - cy) / ry;
        double span = 1.0 - dy * dy;
        if (span <= 0)
            continue;
        double half = rx * std::sqrt(span);
        LONG l = static_cast<LONG>(std::lround(cx - half));
        LONG r = static_cast<LONG>(std::lround(cx + half));
        if (l < r)
            rows.push_back({l, y, r, y + 1});
    }
    return Region::FromRects(rows);
}

} // namespace gdi

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    RECT box = Ordered(left, top, right, bottom);
    return InsertRegion(EllipseRows(box, box.top, box.bottom));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect)
{
    return rect ? CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom)
{
    auto region = LookupRegion(handle);
    if (!region)
        return FALSE;
    region->region = Region(Ordered(left, top, right, bottom));
    return TRUE;
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode)
{
    auto dest = LookupRegion(destination);
    auto a = LookupRegion(source1);
    if (!dest || !a || mode < RGN_AND || mode > RGN_COPY)
        return ERROR;
    if (mode == RGN_COPY) {
        dest->region = a->region;
        return dest->region.Complexity();
    }
    auto b = LookupRegion(source2);
    if (!b)
        return ERROR;
    dest->region = Region::Combine(a->region, b->region, mode);
    return dest->region.Complexity();
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    auto ra = LookupRegion(a);
    auto rb = LookupRegion(b);
    if (!ra || !rb)
        return ERROR;
    return ra->region == rb->region ? TRUE : FALSE;
}

int OffsetRgn(HRGN handle, int dx, int dy)
{
    auto region = LookupRegion(handle);
    if (!region)
        return ERROR;
    region->region.Offset(dx, dy);
    return region->region.Complexity();
}

int GetRgnBox(HRGN handle, LPRECT rect)
{
    auto region = LookupRegion(handle);
    if (!region || !rect)
        return ERROR;
    *rect = region->region.Bounds();
    return region->region.Complexity();
}

BOOL PtInRegion(HRGN handle, int x, int y)
{
    auto region = LookupRegion(handle);
    return region && region->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN handle, const RECT* rect)
{
    auto region = LookupRegion(handle);
    if (!region || !rect)
        return FALSE;
    return region->region.Intersects(Ordered(rect->left, rect->top, rect->right, rect->bottom)) ? TRUE : FALSE;
}

HRGN ExtCreateRegion(const void* transform, DWORD bytes, const RGNDATA* data)
{
    constexpr DWORD kHeader = 32;
    if (transform || !data || bytes < kHeader)
        return nullptr;
    const char* raw = reinterpret_cast<const char*>(data);
    DWORD size, type, count;
    std::memcpy(&size, raw, 4);
    std::memcpy(&type, raw + 4, 4);
    std::memcpy(&count, raw + 8, 4);
    if (size < kHeader || type != RDH_RECTANGLES || size > bytes || count > (bytes - size) / 16)
        return nullptr;
    std::vector<RECT> rects;
    rects.reserve(count);
    const char* at = raw + size;
    for (DWORD i = 0; i < count; ++i, at += 16)
        rects.push_back(Ordered(ReadLong(at), ReadLong(at + 4), ReadLong(at + 8), ReadLong(at + 12)));
    return InsertRegion(Region::FromRects(rects));
}

DWORD GetRegionData(HRGN handle, DWORD bytes, RGNDATA* data)
{
    auto region = LookupRegion(handle);
    if (!region)
        return 0;
    const auto& rects = region->region.Rects();
    DWORD needed = 32 + static_cast<DWORD>(rects.size()) * 16;
    if (!data || bytes < needed)
        return data ? 0 : needed;
    char* raw = reinterpret_cast<char*>(data);
    RECT bound = region->region.Bounds();
    WriteDword(raw, 32);
    WriteDword(raw + 4, RDH_RECTANGLES);
    WriteDword(raw + 8, static_cast<DWORD>(rects.size()));
    WriteDword(raw + 12, static_cast<DWORD>(rects.size()) * 16);
    WriteLong(raw + 16, bound.left);
    WriteLong(raw + 20, bound.top);
    WriteLong(raw + 24, bound.right);
    WriteLong(raw + 28, bound.bottom);
    char* at = raw + 32;
    for (const RECT& r : rects) {
        WriteLong(at, r.left);
        WriteLong(at + 4, r.top);
        WriteLong(at + 8, r.right);
        WriteLong(at + 12, r.bottom);
        at += 16;
    }
    return needed;
}

namespace {

// Paints the region (logical coordinates) with a brush.
BOOL PaintWith(HDC dc, const Region& region, const BrushObject* brush)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return FALSE;
    BrushPainter painter = MakeBrushPainter(*canvas, brush);
    for (RECT r : region.Rects()) {
        r = canvas->ToSurface(r);
        for (const RECT& chunk : ClippedRects(*canvas, r))
            for (int y = chunk.top; y < chunk.bottom; ++y)
                for (int x = chunk.left; x < chunk.right; ++x) {
                    Pixel p;
                    if (painter.At(x, y, p))
                        canvas->surface->Set(x, y, canvas->Adapt(p));
                }
    }
    return TRUE;
}

} // namespace

BOOL FillRgn(HDC dc, HRGN handle, HBRUSH brushHandle)
{
    auto region = LookupRegion(handle);
    auto brush = LookupBrush(brushHandle);
    if (!region || !brush)
        return FALSE;
    return PaintWith(dc, region->region, brush.get());
}

BOOL PaintRgn(HDC dc, HRGN handle)
{
    auto region = LookupRegion(handle);
    auto state = LookupDc(dc);
    if (!region || !state)
        return FALSE;
    return PaintWith(dc, region->region, state->state.brush.get());
}

BOOL FrameRgn(HDC dc, HRGN handle, HBRUSH brushHandle, int width, int height)
{
    auto region = LookupRegion(handle);
    auto brush = LookupBrush(brushHandle);
    if (!region || !brush || width < 0 || height < 0)
        return FALSE;
    // The frame is the region minus the region shrunk by width x height:
    // a pixel stays inside the shrunk region when its whole neighbourhood
    // is in the region.
    Region shrunk = region->region;
    for (int dx = -width; dx <= width; dx += std::max(width, 1)) {
        for (int dy = -height; dy <= height; dy += std::max(height, 1)) {
            Region moved = region->region;
            moved.Offset(dx, dy);
            shrunk = Region::Combine(shrunk, moved, RGN_AND);
        }
    }
    return PaintWith(dc, Region::Combine(region->region, shrunk, RGN_DIFF), brush.get());
}

BOOL InvertRgn(HDC dc, HRGN handle)
{
    auto region = LookupRegion(handle);
    auto canvas = Canvas::Of(dc);
    if (!region || !canvas)
        return FALSE;
    for (RECT r : region->region.Rects())
        for (const RECT& chunk : ClippedRects(*canvas, canvas->ToSurface(r)))
            for (int y = chunk.top; y < chunk.bottom; ++y)
                for (int x = chunk.left; x < chunk.right; ++x)
                    canvas->surface->Set(x, y, ~canvas->surface->At(x, y) & 0xFFFFFF);
    return TRUE;
}

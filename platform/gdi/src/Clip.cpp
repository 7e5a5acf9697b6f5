// Clipping calls. The clip region is kept in device coordinates; the
// rectangles given to IntersectClipRect and ExcludeClipRect are logical.
#include "Canvas.h"

#include "gdi/Gdi.h"

using namespace gdi;

namespace {

RECT DeviceBounds(const DcObject& dc)
{
    const Surface& surface = dc.dcKind == DcKind::Memory ? *dc.state.bitmap->surface : *dc.surface;
    return {-dc.origin.x, -dc.origin.y, surface.Width() - dc.origin.x, surface.Height() - dc.origin.y};
}

// The region a DC can paint, in device coordinates.
Region Paintable(const DcObject& dc)
{
    Region r = dc.visible ? *dc.visible : Region(DeviceBounds(dc));
    if (dc.visible)
        r.IntersectWith(DeviceBounds(dc));
    if (dc.state.clip)
        r = Region::Combine(r, *dc.state.clip, RGN_AND);
    return r;
}

int Result(const DcObject& dc) { return Paintable(dc).Complexity(); }

RECT LogicalToDevice(const DcObject& dc, int left, int top, int right, int bottom)
{
    int dx = dc.state.viewportOrg.x - dc.state.windowOrg.x;
    int dy = dc.state.viewportOrg.y - dc.state.windowOrg.y;
    return {std::min(left, right) + dx, std::min(top, bottom) + dy, std::max(left, right) + dx,
            std::max(top, bottom) + dy};
}

} // namespace

int ExtSelectClipRgn(HDC handle, HRGN regionHandle, int mode)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return ERROR;
    if (!regionHandle) {
        if (mode != RGN_COPY)
            return ERROR;
        dc->state.clip.reset();
        return Result(*dc);
    }
    auto region = LookupRegion(regionHandle);
    if (!region || mode < RGN_AND || mode > RGN_COPY)
        return ERROR;
    if (mode == RGN_COPY) {
        dc->state.clip = region->region;
    } else {
        // Without a clip region the DC's clip counts as the whole device.
        Region current = dc->state.clip ? *dc->state.clip : Region(DeviceBounds(*dc));
        dc->state.clip = Region::Combine(current, region->region, mode);
    }
    return Result(*dc);
}

int SelectClipRgn(HDC dc, HRGN region) { return ExtSelectClipRgn(dc, region, RGN_COPY); }

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return ERROR;
    Region rect(LogicalToDevice(*dc, left, top, right, bottom));
    dc->state.clip = dc->state.clip ? Region::Combine(*dc->state.clip, rect, RGN_AND) : rect;
    return Result(*dc);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return ERROR;
    Region rect(LogicalToDevice(*dc, left, top, right, bottom));
    Region current = dc->state.clip ? *dc->state.clip : Region(DeviceBounds(*dc));
    dc->state.clip = Region::Combine(current, rect, RGN_DIFF);
    return Result(*dc);
}

int OffsetClipRgn(HDC handle, int dx, int dy)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return ERROR;
    if (dc->state.clip)
        dc->state.clip->Offset(dx, dy);
    return Result(*dc);
}

int GetClipBox(HDC handle, LPRECT rect)
{
    auto dc = LookupDc(handle);
    if (!dc || !rect)
        return ERROR;
    Region r = Paintable(*dc);
    RECT box = r.Bounds();
    int dx = dc->state.viewportOrg.x - dc->state.windowOrg.x;
    int dy = dc->state.viewportOrg.y - dc->state.windowOrg.y;
    *rect = {box.left - dx, box.top - dy, box.right - dx, box.bottom - dy};
    return r.Complexity();
}

int GetClipRgn(HDC handle, HRGN regionHandle)
{
    auto dc = LookupDc(handle);
    auto region = LookupRegion(regionHandle);
    if (!dc || !region)
        return -1;
    if (!dc->state.clip)
        return 0;
    region->region = *dc->state.clip;
    return 1;
}

BOOL PtVisible(HDC handle, int x, int y)
{
    auto canvas = Canvas::Of(handle);
    if (!canvas)
        return FALSE;
    POINT p = canvas->ToSurface(x, y);
    return canvas->Visible(p.x, p.y) ? TRUE : FALSE;
}

BOOL RectVisible(HDC handle, const RECT* rect)
{
    auto canvas = Canvas::Of(handle);
    if (!canvas || !rect)
        return FALSE;
    return canvas->clip.Intersects(canvas->ToSurface(*rect)) ? TRUE : FALSE;
}

// Lines and filled shapes in the DC's pen and brush, and the rectangle
// helpers (FillRect, FrameRect, InvertRect, DrawFocusRect).
#include "Canvas.h"

#include "gdi/Gdi.h"

#include <algorithm>
#include <cstdint>

using namespace gdi;

namespace {

// FillRect also takes a system colour index + 1 in place of a brush.
std::shared_ptr<BrushObject> BrushArgument(HBRUSH brush)
{
    auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value >= 1 && value <= 31)
        return LookupBrush(GetSysColorBrush(static_cast<int>(value - 1)));
    return LookupBrush(brush);
}

void FillWithBrush(Canvas& canvas, const RECT& surfaceRect, const BrushObject* brush)
{
    BrushPainter painter = MakeBrushPainter(canvas, brush);
    if (painter.hollow)
        return;
    if (brush->style == BS_SOLID) {
        canvas.FillSolid(surfaceRect, painter.solid);
        return;
    }
    for (const RECT& chunk : ClippedRects(canvas, surfaceRect))
        for (int y = chunk.top; y < chunk.bottom; ++y)
            for (int x = chunk.left; x < chunk.right; ++x) {
                Pixel p;
                if (painter.At(x, y, p))
                    canvas.surface->Set(x, y, canvas.Adapt(p));
            }
}

RECT Normalized(int l, int t, int r, int b)
{
    return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// A pen's pixels with its style, width and binary raster operation.
struct PenPainter {
    Canvas* canvas;
    const PenObject* pen;
    Pixel color;
    int rop2;
    Pixel bk;
    bool opaqueGaps;
    int step = 0;

    bool On()
    {
        static const bool dash[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0};
        static const bool dot[] = {1, 1, 1, 0, 0, 0};
        static const bool dashDot[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0};
        static const bool dashDotDot[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0};
        int i = step++;
        switch (pen->style) {
        case PS_DASH:
            return dash[i % 24];
        case PS_DOT:
            return dot[i % 6];
        case PS_DASHDOT:
            return dashDot[i % 24];
        case PS_DASHDOTDOT:
            return dashDotDot[i % 24];
        default:
            return true;
        }
    }

    void Plot(int sx, int sy, Pixel p)
    {
        int w = pen->width;
        int lo = -(w - 1) / 2;
        for (int dy = lo; dy < lo + w; ++dy)
            for (int dx = lo; dx < lo + w; ++dx) {
                int x = sx + dx, y = sy + dy;
                if (canvas->Visible(x, y))
                    canvas->surface->Set(x, y, canvas->Adapt(ApplyRop2(rop2, p, canvas->surface->At(x, y) & 0xFFFFFF)));
            }
    }

    void Point(int sx, int sy)
    {
        if (On())
            Plot(sx, sy, color);
        else if (opaqueGaps)
            Plot(sx, sy, bk);
    }
};

std::optional<PenPainter> MakePen(Canvas& canvas)
{
    const DcState& s = canvas.dc->state;
    const PenObject* pen = s.pen.get();
    if (!pen || pen->style == PS_NULL)
        return std::nullopt;
    return PenPainter{&canvas, pen, PixelFromColor(ResolvePenColor(s, *pen)), s.rop2, PixelFromColor(s.bkColor),
                      s.bkMode == OPAQUE};
}

// Bresenham from a to b, the last point excluded, as Windows draws lines.
void Line(PenPainter& pen, POINT a, POINT b)
{
    int dx = std::abs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
    int dy = -std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    int x = a.x, y = a.y;
    while (x != b.x || y != b.y) {
        pen.Point(x, y);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Fills a region (surface coordinates) with the DC's brush and outlines it
// with its pen; used by the closed shapes.
void PaintShape(Canvas& canvas, const Region& outer, const Region& inner)
{
    const DcState& s = canvas.dc->state;
    BrushPainter brush = MakeBrushPainter(canvas, s.brush.get());
    const Region& fillArea = (s.pen && s.pen->style != PS_NULL) ? inner : outer;
    if (!brush.hollow)
        for (const RECT& r : fillArea.Rects())
            for (const RECT& chunk : ClippedRects(canvas, r))
                for (int y = chunk.top; y < chunk.bottom; ++y)
                    for (int x = chunk.left; x < chunk.right; ++x) {
                        Pixel p;
                        if (brush.At(x, y, p))
                            canvas.surface->Set(x, y, canvas.Adapt(p));
                    }
    auto pen = MakePen(canvas);
    if (!pen)
        return;
    Region outline = Region::Combine(outer, inner, RGN_DIFF);
    for (const RECT& r : outline.Rects())
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (canvas.Visible(x, y))
                    canvas.surface->Set(x, y,
                                        canvas.Adapt(ApplyRop2(pen->rop2, pen->color, canvas.surface->At(x, y) & 0xFFFFFF)));
}

Region EllipseRegion(const RECT& box)
{
    HRGN handle = CreateEllipticRgn(box.left, box.top, box.right, box.bottom);
    Region region = LookupRegion(handle)->region;
    DeleteObject(handle);
    return region;
}

} // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brushHandle)
{
    auto canvas = Canvas::Of(dc);
    auto brush = BrushArgument(brushHandle);
    if (!canvas || !rect || !brush)
        return 0;
    FillWithBrush(*canvas, canvas->ToSurface(*rect), brush.get());
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brushHandle)
{
    auto canvas = Canvas::Of(dc);
    auto brush = BrushArgument(brushHandle);
    if (!canvas || !rect || !brush)
        return 0;
    RECT r = canvas->ToSurface(*rect);
    if (r.left >= r.right || r.top >= r.bottom)
        return 1;
    FillWithBrush(*canvas, {r.left, r.top, r.right, r.top + 1}, brush.get());
    FillWithBrush(*canvas, {r.left, r.bottom - 1, r.right, r.bottom}, brush.get());
    FillWithBrush(*canvas, {r.left, r.top + 1, r.left + 1, r.bottom - 1}, brush.get());
    FillWithBrush(*canvas, {r.right - 1, r.top + 1, r.right, r.bottom - 1}, brush.get());
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* rect)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas || !rect)
        return FALSE;
    for (const RECT& chunk : ClippedRects(*canvas, canvas->ToSurface(*rect)))
        for (int y = chunk.top; y < chunk.bottom; ++y)
            for (int x = chunk.left; x < chunk.right; ++x)
                canvas->surface->Set(x, y, ~canvas->surface->At(x, y) & 0xFFFFFF);
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas || !rect)
        return FALSE;
    // A dotted frame inverted on every other pixel, so drawing it twice
    // removes it.
    RECT r = canvas->ToSurface(*rect);
    auto invert = [&](int x, int y) {
        if (((x - canvas->deviceToSurface.x) + (y - canvas->deviceToSurface.y)) % 2 == 0 && canvas->Visible(x, y))
            canvas->surface->Set(x, y, ~canvas->surface->At(x, y) & 0xFFFFFF);
    };
    if (r.left >= r.right || r.top >= r.bottom)
        return TRUE;
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 > r.top)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.right - 1 > r.left)
            invert(r.right - 1, y);
    }
    return TRUE;
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous)
{
    auto object = LookupDc(dc);
    if (!object)
        return FALSE;
    if (previous)
        *previous = object->state.position;
    object->state.position = {x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, LPPOINT position)
{
    auto object = LookupDc(dc);
    if (!object || !position)
        return FALSE;
    *position = object->state.position;
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return FALSE;
    POINT from = canvas->dc->state.position;
    canvas->dc->state.position = {x, y};
    if (auto pen = MakePen(*canvas))
        Line(*pen, canvas->ToSurface(from.x, from.y), canvas->ToSurface(x, y));
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas || !points || count < 2)
        return FALSE;
    if (auto pen = MakePen(*canvas))
        for (int i = 1; i < count; ++i)
            Line(*pen, canvas->ToSurface(points[i - 1].x, points[i - 1].y), canvas->ToSurface(points[i].x, points[i].y));
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas || !points || count < 2)
        return FALSE;
    std::vector<POINT> p(count);
    for (int i = 0; i < count; ++i)
        p[i] = canvas->ToSurface(points[i].x, points[i].y);
    // Interior by the alternate (even-odd) rule, sampled at pixel centres.
    int top = p[0].y, bottom = p[0].y;
    for (const POINT& q : p) {
        top = std::min<int>(top, q.y);
        bottom = std::max<int>(bottom, q.y);
    }
    std::vector<RECT> spans;
    for (int y = top; y < bottom; ++y) {
        double cy = y + 0.5;
        std::vector<double> xs;
        for (int i = 0; i < count; ++i) {
            POINT a = p[i], b = p[(i + 1) % count];
            if ((a.y <= cy) == (b.y <= cy))
                continue;
            xs.push_back(a.x + (cy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
            int l = static_cast<int>(xs[i] + 0.5), r = static_cast<int>(xs[i + 1] + 0.5);
            if (l < r)
                spans.push_back({l, y, r, y + 1});
        }
    }
    BrushPainter brush = MakeBrushPainter(*canvas, canvas->dc->state.brush.get());
    Region interior = Region::FromRects(spans);
    if (!brush.hollow)
        for (const RECT& r : interior.Rects())
            for (const RECT& chunk : ClippedRects(*canvas, r))
                for (int y = chunk.top; y < chunk.bottom; ++y)
                    for (int x = chunk.left; x < chunk.right; ++x) {
                        Pixel px;
                        if (brush.At(x, y, px))
                            canvas->surface->Set(x, y, canvas->Adapt(px));
                    }
    if (auto pen = MakePen(*canvas))
        for (int i = 0; i < count; ++i)
            Line(*pen, p[i], p[(i + 1) % count]);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return FALSE;
    RECT r = canvas->ToSurface(Normalized(left, top, right, bottom));
    const DcState& s = canvas->dc->state;
    bool hasPen = s.pen && s.pen->style != PS_NULL;
    // Without a pen the shape is one pixel smaller on the right and bottom.
    if (!hasPen) {
        FillWithBrush(*canvas, {r.left, r.top, r.right - 1, r.bottom - 1}, s.brush.get());
        return TRUE;
    }
    int w = s.pen->width;
    int inset = (w + 1) / 2;
    FillWithBrush(*canvas, {r.left + inset, r.top + inset, r.right - inset, r.bottom - inset}, s.brush.get());
    auto pen = MakePen(*canvas);
    POINT corners[4] = {{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    for (int i = 0; i < 4; ++i)
        Line(*pen, corners[i], corners[(i + 1) % 4]);
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return FALSE;
    RECT r = canvas->ToSurface(Normalized(left, top, right, bottom));
    Region outer = EllipseRegion(r);
    Region inner = EllipseRegion({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
    PaintShape(*canvas, outer, inner);
    return TRUE;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return FALSE;
    RECT r = canvas->ToSurface(Normalized(left, top, right, bottom));
    auto shape = [&](RECT b) {
        int cw = std::min<int>(std::abs(width), b.right - b.left);
        int ch = std::min<int>(std::abs(height), b.bottom - b.top);
        Region region = Region::FromRects({{b.left + cw / 2, b.top, b.right - cw / 2, b.bottom},
                                           {b.left, b.top + ch / 2, b.right, b.bottom - ch / 2}});
        for (RECT c : {RECT{b.left, b.top, b.left + cw, b.top + ch}, RECT{b.right - cw, b.top, b.right, b.top + ch},
                       RECT{b.left, b.bottom - ch, b.left + cw, b.bottom},
                       RECT{b.right - cw, b.bottom - ch, b.right, b.bottom}})
            region = Region::Combine(region, EllipseRegion(c), RGN_OR);
        return region;
    };
    PaintShape(*canvas, shape(r), shape({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}));
    return TRUE;
}

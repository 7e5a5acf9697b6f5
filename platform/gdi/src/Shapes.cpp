// Lines and filled shapes in the DC's pen and brush, and the rectangle
// helpers (FillRect, FrameRect, InvertRect, DrawFocusRect).
#include "Canvas.h"

#include "gdi/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

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

// Cuts the segment a-b to the box (Liang-Barsky); false when it misses.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, const RECT& box)
{
    double t0 = 0, t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - box.left, box.right - ax, ay - box.top, box.bottom - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    bx = ax + t1 * dx;
    by = ay + t1 * dy;
    ax = ax + t0 * dx;
    ay = ay + t0 * dy;
    return true;
}

// Bresenham from a to b, the last point excluded, as Windows draws lines.
// A segment reaching far outside the surface is first cut to its
// neighbourhood, so that its length never decides the cost.
void Line(PenPainter& pen, POINT a, POINT b)
{
    const Surface& surface = *pen.canvas->surface;
    const LONG margin = pen.pen->width + 2;
    const RECT near{-margin - 4096, -margin - 4096, surface.Width() + margin + 4096, surface.Height() + margin + 4096};
    auto inside = [&](POINT p) { return p.x >= near.left && p.x <= near.right && p.y >= near.top && p.y <= near.bottom; };
    if (!inside(a) || !inside(b)) {
        double ax = a.x, ay = a.y, bx = b.x, by = b.y;
        if (!ClipSegment(ax, ay, bx, by, near))
            return;
        a = {static_cast<LONG>(std::lround(ax)), static_cast<LONG>(std::lround(ay))};
        POINT end{static_cast<LONG>(std::lround(bx)), static_cast<LONG>(std::lround(by))};
        // The cut end lies outside the surface, so drawing it does no harm.
        if (end.x != b.x || end.y != b.y) {
            b = end;
            pen.Point(b.x, b.y);
        }
    }
    long long dx = std::llabs(static_cast<long long>(b.x) - a.x), sx = a.x < b.x ? 1 : -1;
    long long dy = -std::llabs(static_cast<long long>(b.y) - a.y), sy = a.y < b.y ? 1 : -1;
    long long err = dx + dy;
    LONG x = a.x, y = a.y;
    while (x != b.x || y != b.y) {
        pen.Point(x, y);
        long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += static_cast<LONG>(sx);
        }
        if (e2 <= dx) {
            err += dx;
            y += static_cast<LONG>(sy);
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
        for (const RECT& chunk : ClippedRects(canvas, r))
            for (int y = chunk.top; y < chunk.bottom; ++y)
                for (int x = chunk.left; x < chunk.right; ++x)
                    canvas.surface->Set(x, y,
                                        canvas.Adapt(ApplyRop2(pen->rop2, pen->color, canvas.surface->At(x, y) & 0xFFFFFF)));
}

// Only the rows near the surface: a shape far larger than it costs no more.
Region EllipseRegion(const Canvas& canvas, const RECT& box)
{
    return EllipseRows(box, -8, canvas.surface->Height() + 8);
}

} // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brushHandle)
{
    auto brush = BrushArgument(brushHandle);
    // A hollow brush paints nothing (a transparent control's background):
    // the DC is only looked up.
    if (brush && brush->style == BS_NULL && rect)
        return LookupDc(dc) ? 1 : 0;
    auto canvas = Canvas::Of(dc);
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
    top = std::max(top, -1);
    bottom = std::min(bottom, canvas->surface->Height() + 1);
    for (int y = top; y < bottom; ++y) {
        double cy = y + 0.5;
        std::vector<double> xs;
        for (int i = 0; i < count; ++i) {
            POINT a = p[i], b = p[(i + 1) % count];
            if ((a.y <= cy) == (b.y <= cy))
                continue;
            xs.push_back(std::clamp(a.x + (cy - a.y) * (static_cast<double>(b.x) - a.x) / (static_cast<double>(b.y) - a.y),
                                    -1e9, 1e9));
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
    Region outer = EllipseRegion(*canvas, r);
    Region inner = EllipseRegion(*canvas, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
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
            region = Region::Combine(region, EllipseRegion(*canvas, c), RGN_OR);
        return region;
    };
    PaintShape(*canvas, shape(r), shape({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}));
    return TRUE;
}

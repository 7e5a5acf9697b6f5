#include "Canvas.h"

#include "gdi/Gdi.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gdi {

std::optional<Canvas> Canvas::Of(HDC handle)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return std::nullopt;
    Canvas canvas;
    canvas.dc = dc;
    if (dc->dcKind == DcKind::Memory) {
        canvas.surface = dc->state.bitmap->surface;
        canvas.monochrome = dc->state.bitmap->monochrome;
    } else {
        canvas.surface = dc->surface;
        canvas.deviceToSurface = dc->origin;
    }
    const DcState& s = dc->state;
    canvas.logicalToSurface = {s.viewportOrg.x - s.windowOrg.x + canvas.deviceToSurface.x,
                               s.viewportOrg.y - s.windowOrg.y + canvas.deviceToSurface.y};
    const RECT whole{0, 0, canvas.surface->Width(), canvas.surface->Height()};
    const Region* first = dc->visible ? &*dc->visible : s.clip ? &*s.clip : nullptr;
    if (!first) {
        canvas.clip = Region(whole);
        return canvas;
    }
    // The visible region (or the clip region alone) cut to the surface, then
    // the clip region: no region of the whole surface to combine with.
    canvas.clip = *first;
    canvas.clip.Offset(canvas.deviceToSurface.x, canvas.deviceToSurface.y);
    canvas.clip.IntersectWith(whole);
    if (dc->visible && s.clip) {
        Region clip = *s.clip;
        clip.Offset(canvas.deviceToSurface.x, canvas.deviceToSurface.y);
        canvas.clip = Region::Combine(canvas.clip, clip, RGN_AND);
    }
    return canvas;
}

LONG Canvas::Shift(LONG v, LONG by)
{
    constexpr long long kLimit = 1LL << 29;
    return static_cast<LONG>(std::clamp(static_cast<long long>(v) + by, -kLimit, kLimit));
}

RECT Canvas::ToSurface(const RECT& r) const
{
    return {Shift(r.left, logicalToSurface.x), Shift(r.top, logicalToSurface.y), Shift(r.right, logicalToSurface.x),
            Shift(r.bottom, logicalToSurface.y)};
}

Pixel Canvas::Adapt(Pixel p) const
{
    if (!monochrome)
        return p & 0xFFFFFF;
    int luma = ((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11;
    return luma >= 128 * 100 ? 0xFFFFFF : 0;
}

void Canvas::Put(int sx, int sy, Pixel p)
{
    if (Visible(sx, sy))
        surface->Set(sx, sy, Adapt(p));
}

void FillPixels(Pixel* row, int count, Pixel p)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi32(static_cast<int>(p));
    for (; i + 4 <= count; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), four);
#endif
    for (; i < count; ++i)
        row[i] = p;
}

void Canvas::FillSolid(const RECT& r, Pixel p)
{
    p = Adapt(p);
    for (const RECT& chunk : ClippedRects(*this, r))
        for (int y = chunk.top; y < chunk.bottom; ++y)
            FillPixels(surface->Row(y) + chunk.left, chunk.right - chunk.left, p);
}

RectList ClippedRects(const Canvas& canvas, const RECT& r)
{
    RectList chunks;
    if (r.left >= r.right || r.top >= r.bottom)
        return chunks;
    for (const RECT& c : canvas.clip.Rects()) {
        if (c.top >= r.bottom)
            break;
        RECT chunk{std::max(c.left, r.left), std::max(c.top, r.top), std::min(c.right, r.right),
                   std::min(c.bottom, r.bottom)};
        if (chunk.left < chunk.right && chunk.top < chunk.bottom)
            chunks.push_back(chunk);
    }
    return chunks;
}

Pixel ApplyRop3(BYTE rop, Pixel p, Pixel s, Pixel d)
{
    switch (rop) {
    case 0xCC:
        return s;
    case 0x88:
        return s & d;
    case 0xEE:
        return s | d;
    case 0x66:
        return s ^ d;
    case 0xF0:
        return p;
    case 0x00:
        return 0;
    case 0xFF:
        return 0xFFFFFF;
    case 0x55:
        return ~d & 0xFFFFFF;
    case 0x5A:
        return p ^ d;
    case 0x33:
        return ~s & 0xFFFFFF;
    case 0xAA:
        return d;
    default:
        break;
    }
    // Bit i of rop is the result for pattern, source and destination bits
    // (i >> 2 & 1, i >> 1 & 1, i & 1).
    Pixel result = 0;
    for (int i = 0; i < 8; ++i) {
        if (!(rop & (1 << i)))
            continue;
        Pixel term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        result |= term;
    }
    return result & 0xFFFFFF;
}

Pixel ApplyRop2(int rop2, Pixel pen, Pixel d)
{
    // rop2 - 1 is the truth table over pen (0b1100) and destination (0b1010).
    int table = (rop2 - 1) & 0xF;
    Pixel result = 0;
    for (int i = 0; i < 4; ++i) {
        if (!(table & (1 << i)))
            continue;
        result |= ((i & 2) ? pen : ~pen) & ((i & 1) ? d : ~d);
    }
    return result & 0xFFFFFF;
}

namespace {

bool HatchBit(int hatch, int x, int y)
{
    x &= 7;
    y &= 7;
    switch (hatch) {
    case HS_HORIZONTAL:
        return y == 7;
    case HS_VERTICAL:
        return x == 7;
    case HS_FDIAGONAL:
        return x == y;
    case HS_BDIAGONAL:
        return x == 7 - y;
    case HS_CROSS:
        return x == 7 || y == 7;
    case HS_DIAGCROSS:
        return x == y || x == 7 - y;
    default:
        return false;
    }
}

int Mod(int a, int m)
{
    int r = a % m;
    return r < 0 ? r + m : r;
}

} // namespace

BrushPainter MakeBrushPainter(const Canvas& canvas, const BrushObject* brush)
{
    BrushPainter painter;
    const DcState& s = canvas.dc->state;
    painter.brush = brush;
    painter.textColor = s.textColor;
    painter.bkColor = s.bkColor;
    painter.bkMode = s.bkMode;
    painter.origin = {s.brushOrg.x + canvas.deviceToSurface.x, s.brushOrg.y + canvas.deviceToSurface.y};
    if (!brush || brush->style == BS_NULL)
        return painter;
    painter.hollow = false;
    COLORREF color = brush->dcBrush ? s.dcBrushColor : brush->color;
    painter.solid = PixelFromColor(color);
    return painter;
}

bool BrushPainter::At(int sx, int sy, Pixel& out) const
{
    if (hollow)
        return false;
    if (brush->style == BS_HATCHED) {
        if (HatchBit(brush->hatch, sx - origin.x, sy - origin.y)) {
            out = solid;
            return true;
        }
        if (bkMode == TRANSPARENT)
            return false;
        out = PixelFromColor(bkColor);
        return true;
    }
    if (brush->style == BS_PATTERN && brush->pattern && brush->pattern->Width() > 0 && brush->pattern->Height() > 0) {
        Pixel p = brush->pattern->At(Mod(sx - origin.x, brush->pattern->Width()),
                                     Mod(sy - origin.y, brush->pattern->Height()));
        // A monochrome pattern paints its black bits in the text colour and
        // its white bits in the background colour.
        if (brush->patternMonochrome)
            p = (p & 0xFFFFFF) ? PixelFromColor(bkColor) : PixelFromColor(textColor);
        out = p & 0xFFFFFF;
        return true;
    }
    out = solid;
    return true;
}

COLORREF ResolvePenColor(const DcState& state, const PenObject& pen)
{
    return pen.dcPen ? state.dcPenColor : pen.color;
}

} // namespace gdi

// Pixels and blits: PatBlt, BitBlt, StretchBlt, MaskBlt, TransparentBlt and
// AlphaBlend, with ternary raster operations and the monochrome-to-colour
// rules of Windows (a monochrome source paints its black in the
// destination's text colour and its white in its background colour; a
// colour source becomes white where it has the source DC's background
// colour when blitted onto a monochrome bitmap).
#include "Canvas.h"

#include "gdi/Gdi.h"

#include <algorithm>
#include <cstdlib>

using namespace gdi;

namespace {

bool RopUsesSource(BYTE rop) { return ((rop >> 2) ^ rop) & 0x33; }
bool RopUsesPattern(BYTE rop) { return ((rop >> 4) ^ rop) & 0x0F; }

struct Axis {
    int dest;      // first destination coordinate (surface)
    int destSize;  // > 0
    int src;       // first source coordinate (surface)
    int srcSize;   // > 0
    bool flip;

    // The source coordinate of destination index i (0 <= i < destSize),
    // sampling the centre of each destination pixel.
    int SourceOf(int i) const
    {
        long long j = (2LL * i + 1) * srcSize / (2LL * destSize);
        return src + static_cast<int>(flip ? srcSize - 1 - j : j);
    }
};

bool MakeAxis(int dest, int destSize, int src, int srcSize, Axis& axis)
{
    // Sizes and places beyond any surface are refused before they can overflow.
    constexpr int kLimit = 1 << 29;
    if (std::abs(static_cast<long long>(destSize)) > kLimit || std::abs(static_cast<long long>(srcSize)) > kLimit ||
        std::abs(static_cast<long long>(dest)) > kLimit || std::abs(static_cast<long long>(src)) > kLimit)
        return false;
    axis.flip = false;
    if (destSize < 0) {
        dest += destSize;
        destSize = -destSize;
        axis.flip = !axis.flip;
    }
    if (srcSize < 0) {
        src += srcSize;
        srcSize = -srcSize;
        axis.flip = !axis.flip;
    }
    axis.dest = dest;
    axis.destSize = destSize;
    axis.src = src;
    axis.srcSize = srcSize;
    return destSize > 0 && srcSize > 0;
}

// The source pixels as the destination sees them.
struct SourceReader {
    std::shared_ptr<Surface> copy; // a private copy when source and destination share pixels
    const Surface* surface = nullptr;
    bool monochrome = false;
    bool destMonochrome = false;
    Pixel monoBlack = 0;  // what black of a monochrome source becomes
    Pixel monoWhite = 0;  // and white
    Pixel srcBk = 0;      // the source's background colour, for colour to monochrome

    bool Read(int x, int y, Pixel& out) const
    {
        if (!surface->Contains(x, y))
            return false;
        Pixel p = surface->At(x, y);
        if (monochrome || destMonochrome)
            p &= 0xFFFFFF;
        if (monochrome && !destMonochrome)
            p = p ? monoWhite : monoBlack;
        else if (!monochrome && destMonochrome)
            p = p == srcBk ? 0xFFFFFF : 0;
        out = p;
        return true;
    }
};

SourceReader MakeSource(const Canvas& dest, const Canvas& src)
{
    SourceReader reader;
    if (src.surface == dest.surface) {
        reader.copy = src.surface->Clone();
        reader.surface = reader.copy.get();
    } else {
        reader.surface = src.surface.get();
    }
    reader.monochrome = src.monochrome;
    reader.destMonochrome = dest.monochrome;
    reader.monoBlack = PixelFromColor(dest.dc->state.textColor);
    reader.monoWhite = PixelFromColor(dest.dc->state.bkColor);
    reader.srcBk = PixelFromColor(src.dc->state.bkColor);
    return reader;
}

// Runs f(destX, destY, srcX, srcY) over every visible destination pixel.
template <typename F>
void ForEachMapped(const Canvas& dest, const Axis& ax, const Axis& ay, F f)
{
    RECT area{ax.dest, ay.dest, ax.dest + ax.destSize, ay.dest + ay.destSize};
    for (const RECT& chunk : ClippedRects(dest, area))
        for (int y = chunk.top; y < chunk.bottom; ++y) {
            int sy = ay.SourceOf(y - ay.dest);
            for (int x = chunk.left; x < chunk.right; ++x)
                f(x, y, ax.SourceOf(x - ax.dest), sy);
        }
}

BOOL Stretch(HDC destDc, int x, int y, int width, int height, HDC srcDc, int xSrc, int ySrc, int srcWidth,
             int srcHeight, DWORD rop)
{
    BYTE code = static_cast<BYTE>(rop >> 16);
    auto dest = Canvas::Of(destDc);
    if (!dest)
        return FALSE;
    bool usesSource = RopUsesSource(code);
    std::optional<Canvas> src;
    if (usesSource) {
        src = Canvas::Of(srcDc);
        if (!src)
            return FALSE;
    }
    POINT d = dest->ToSurface(x, y);
    POINT s = src ? src->ToSurface(xSrc, ySrc) : POINT{0, 0};
    Axis ax, ay;
    if (!MakeAxis(d.x, width, s.x, usesSource ? srcWidth : width, ax) ||
        !MakeAxis(d.y, height, s.y, usesSource ? srcHeight : height, ay))
        return TRUE;
    BrushPainter brush = MakeBrushPainter(*dest, RopUsesPattern(code) ? dest->dc->state.brush.get() : nullptr);
    SourceReader reader;
    if (src)
        reader = MakeSource(*dest, *src);
    Surface& target = *dest->surface;
    if (code == 0xCC && !dest->monochrome && !reader.monochrome && ax.srcSize == ax.destSize &&
        ay.srcSize == ay.destSize && !ax.flip && !ay.flip) {
        // A plain copy at the same size: whole rows at a time.
        RECT area{ax.dest, ay.dest, ax.dest + ax.destSize, ay.dest + ay.destSize};
        const int shiftX = ax.src - ax.dest, shiftY = ay.src - ay.dest;
        const Surface& from = *reader.surface;
        for (const RECT& chunk : ClippedRects(*dest, area)) {
            int left = std::max<int>(chunk.left, -shiftX);
            int right = std::min<int>(chunk.right, from.Width() - shiftX);
            if (left >= right)
                continue;
            for (int y = chunk.top; y < chunk.bottom; ++y) {
                int sy = y + shiftY;
                if (sy < 0 || sy >= from.Height())
                    continue;
                std::copy(from.Row(sy) + left + shiftX, from.Row(sy) + right + shiftX, target.Row(y) + left);
            }
        }
        return TRUE;
    }
    ForEachMapped(*dest, ax, ay, [&](int dx, int dy, int sx, int sy) {
        Pixel sp = 0;
        if (usesSource && !reader.Read(sx, sy, sp))
            return;
        Pixel pp = 0;
        if (!brush.At(dx, dy, pp))
            pp = 0;
        // A plain copy between colour bitmaps keeps the fourth byte, which
        // AlphaBlend sources and DIB sections carry.
        if (code == 0xCC && !dest->monochrome) {
            target.Set(dx, dy, sp);
            return;
        }
        Pixel dp = target.At(dx, dy) & 0xFFFFFF;
        target.Set(dx, dy, dest->Adapt(ApplyRop3(code, pp, sp & 0xFFFFFF, dp)));
    });
    return TRUE;
}

} // namespace

COLORREF GetPixel(HDC dc, int x, int y)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return CLR_INVALID;
    POINT p = canvas->ToSurface(x, y);
    if (!canvas->Visible(p.x, p.y))
        return CLR_INVALID;
    return ColorFromPixel(canvas->surface->At(p.x, p.y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return CLR_INVALID;
    POINT p = canvas->ToSurface(x, y);
    if (!canvas->Visible(p.x, p.y))
        return CLR_INVALID;
    Pixel value = canvas->Adapt(PixelFromColor(color));
    canvas->surface->Set(p.x, p.y, value);
    return ColorFromPixel(value);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color)
{
    return SetPixel(dc, x, y, color) != CLR_INVALID ? TRUE : FALSE;
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    if (RopUsesSource(static_cast<BYTE>(rop >> 16)))
        return FALSE;
    return Stretch(dc, x, y, width, height, nullptr, 0, 0, width, height, rop);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop)
{
    // BitBlt never mirrors: a negative size paints nothing.
    if (width <= 0 || height <= 0)
        return LookupDc(dest) ? TRUE : FALSE;
    return Stretch(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop)
{
    return Stretch(dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, rop);
}

BOOL MaskBlt(HDC destDc, int x, int y, int width, int height, HDC srcDc, int xSrc, int ySrc, HBITMAP maskHandle,
             int xMask, int yMask, DWORD rop)
{
    if (!maskHandle)
        return BitBlt(destDc, x, y, width, height, srcDc, xSrc, ySrc, rop & 0x00FFFFFF);
    auto mask = LookupBitmap(maskHandle);
    auto dest = Canvas::Of(destDc);
    auto src = Canvas::Of(srcDc);
    if (!mask || !mask->monochrome || !dest || !src)
        return FALSE;
    if (width <= 0 || height <= 0)
        return TRUE;
    BYTE fore = static_cast<BYTE>(rop >> 16);
    BYTE back = static_cast<BYTE>(rop >> 24);
    POINT d = dest->ToSurface(x, y);
    POINT s = src->ToSurface(xSrc, ySrc);
    SourceReader reader = MakeSource(*dest, *src);
    BrushPainter brush = MakeBrushPainter(*dest, dest->dc->state.brush.get());
    for (const RECT& chunk : ClippedRects(*dest, RECT{d.x, d.y, d.x + width, d.y + height}))
        for (int dy = chunk.top; dy < chunk.bottom; ++dy)
            for (int dx = chunk.left; dx < chunk.right; ++dx) {
                int mx = xMask + dx - d.x, my = yMask + dy - d.y;
                bool white = mask->surface->Contains(mx, my) && (mask->surface->At(mx, my) & 0xFFFFFF);
                Pixel sp = 0, pp = 0;
                if (!reader.Read(s.x + dx - d.x, s.y + dy - d.y, sp))
                    continue;
                if (!brush.At(dx, dy, pp))
                    pp = 0;
                Pixel dp = dest->surface->At(dx, dy) & 0xFFFFFF;
                // White mask bits take the foreground operation.
                dest->surface->Set(dx, dy, dest->Adapt(ApplyRop3(white ? fore : back, pp, sp & 0xFFFFFF, dp)));
            }
    return TRUE;
}

BOOL TransparentBlt(HDC destDc, int x, int y, int width, int height, HDC srcDc, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, UINT transparent)
{
    if (width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0)
        return FALSE;
    auto dest = Canvas::Of(destDc);
    auto src = Canvas::Of(srcDc);
    if (!dest || !src)
        return FALSE;
    POINT d = dest->ToSurface(x, y);
    POINT s = src->ToSurface(xSrc, ySrc);
    Axis ax, ay;
    if (!MakeAxis(d.x, width, s.x, srcWidth, ax) || !MakeAxis(d.y, height, s.y, srcHeight, ay))
        return TRUE;
    SourceReader reader = MakeSource(*dest, *src);
    Pixel key = PixelFromColor(transparent);
    ForEachMapped(*dest, ax, ay, [&](int dx, int dy, int sx, int sy) {
        if (!reader.surface->Contains(sx, sy) || (reader.surface->At(sx, sy) & 0xFFFFFF) == key)
            return;
        Pixel sp;
        if (reader.Read(sx, sy, sp))
            dest->surface->Set(dx, dy, dest->Adapt(sp & 0xFFFFFF));
    });
    return TRUE;
}

BOOL AlphaBlend(HDC destDc, int x, int y, int width, int height, HDC srcDc, int xSrc, int ySrc, int srcWidth,
                int srcHeight, BLENDFUNCTION blend)
{
    if (blend.BlendOp != AC_SRC_OVER || width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0)
        return FALSE;
    auto dest = Canvas::Of(destDc);
    auto src = Canvas::Of(srcDc);
    if (!dest || !src)
        return FALSE;
    POINT d = dest->ToSurface(x, y);
    POINT s = src->ToSurface(xSrc, ySrc);
    // The source rectangle must lie inside the source bitmap.
    if (s.x < 0 || s.y < 0 || s.x + srcWidth > src->surface->Width() || s.y + srcHeight > src->surface->Height())
        return FALSE;
    Axis ax, ay;
    if (!MakeAxis(d.x, width, s.x, srcWidth, ax) || !MakeAxis(d.y, height, s.y, srcHeight, ay))
        return TRUE;
    std::shared_ptr<Surface> copy = src->surface == dest->surface ? src->surface->Clone() : nullptr;
    const Surface& source = copy ? *copy : *src->surface;
    const unsigned constant = blend.SourceConstantAlpha;
    const bool perPixel = blend.AlphaFormat & AC_SRC_ALPHA;
    ForEachMapped(*dest, ax, ay, [&](int dx, int dy, int sx, int sy) {
        Pixel sp = source.At(sx, sy);
        Pixel dp = dest->surface->At(dx, dy);
        unsigned channels[4];
        // A per-pixel source is premultiplied: dest = src * k + dest * (1 - srcAlpha * k),
        // with k the constant alpha; without one, alpha itself is the constant.
        unsigned srcAlpha = perPixel ? (sp >> 24) * constant / 255 : constant;
        for (int c = 0; c < 4; ++c) {
            unsigned sc = (c == 3 && !perPixel) ? 255 : (sp >> (8 * c)) & 0xFF;
            unsigned dc = (dp >> (8 * c)) & 0xFF;
            unsigned v = sc * constant / 255 + dc * (255 - srcAlpha) / 255;
            channels[c] = std::min(v, 255u);
        }
        Pixel out = channels[0] | (channels[1] << 8) | (channels[2] << 16) | (channels[3] << 24);
        dest->surface->Set(dx, dy, dest->monochrome ? dest->Adapt(out) : out);
    });
    return TRUE;
}

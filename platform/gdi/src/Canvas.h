// Where a drawing call lands: the pixels of a DC's target, the translation
// from logical to surface coordinates and the clip in surface coordinates
// (target bounds, the DC's visible region and its clip region together).
#pragma once

#include "Objects.h"

#include <array>
#include <optional>
#include <vector>

namespace gdi {

struct Canvas {
    std::shared_ptr<DcObject> dc;
    std::shared_ptr<Surface> surface;
    bool monochrome = false;
    POINT logicalToSurface{0, 0}; // added to logical coordinates
    POINT deviceToSurface{0, 0};  // added to device coordinates
    Region clip;

    // Null for a handle that is not an open DC.
    static std::optional<Canvas> Of(HDC dc);

    // Saturating: coordinates far outside any surface stay far outside
    // instead of overflowing.
    POINT ToSurface(int x, int y) const { return {Shift(x, logicalToSurface.x), Shift(y, logicalToSurface.y)}; }
    static LONG Shift(LONG v, LONG by);
    RECT ToSurface(const RECT& r) const;
    bool Visible(int sx, int sy) const { return clip.Contains(sx, sy); }

    // Pixels drawn onto a monochrome bitmap become black or white.
    Pixel Adapt(Pixel p) const;
    void Put(int sx, int sy, Pixel p);
    // Fills the part of r (surface coordinates) inside the clip.
    void FillSolid(const RECT& r, Pixel p);
};

// Sets count pixels from row on to p, four at a time.
void FillPixels(Pixel* row, int count, Pixel p);

// A list of rectangles that holds the first few in place: a clip is
// mostly one rectangle or a handful, and a drawing call needs no heap for them.
class RectList {
public:
    void push_back(const RECT& r)
    {
        if (m_count < kInPlace) {
            m_inPlace[m_count++] = r;
            return;
        }
        if (m_more.empty())
            m_more.assign(m_inPlace.begin(), m_inPlace.end());
        m_more.push_back(r);
        ++m_count;
    }
    const RECT* begin() const { return m_count <= kInPlace ? m_inPlace.data() : m_more.data(); }
    const RECT* end() const { return begin() + m_count; }
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

private:
    static constexpr std::size_t kInPlace = 4;
    std::array<RECT, kInPlace> m_inPlace{};
    std::vector<RECT> m_more;
    std::size_t m_count = 0;
};

// The rectangles of r (surface coordinates) inside the clip, in band order.
RectList ClippedRects(const Canvas& canvas, const RECT& r);

// Raster operations on 24-bit colour values.
Pixel ApplyRop3(BYTE rop, Pixel pattern, Pixel source, Pixel dest);
Pixel ApplyRop2(int rop2, Pixel pen, Pixel dest);

// The pattern pixel of a brush at surface position (x, y); the brush origin
// is in device coordinates.
struct BrushPainter {
    const BrushObject* brush = nullptr;
    Pixel solid = 0;
    bool hollow = true;
    POINT origin{0, 0};
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    // False where a hatch brush leaves the background (TRANSPARENT mode).
    bool At(int sx, int sy, Pixel& out) const;
};
BrushPainter MakeBrushPainter(const Canvas& canvas, const BrushObject* brush);

// The rows yFrom..yTo of the ellipse inscribed in box.
Region EllipseRows(const RECT& box, LONG yFrom, LONG yTo);

COLORREF ResolvePenColor(const DcState& state, const PenObject& pen);

} // namespace gdi

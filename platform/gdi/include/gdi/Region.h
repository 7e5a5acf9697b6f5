// A region: a set of pixels kept as y-x banded rectangles, the form Windows
// regions take. Rectangles of one band share top and bottom, are sorted by x
// and neither overlap nor touch; bands are sorted by y and do not overlap,
// and touching bands with the same spans are merged, so two regions of the
// same pixels have the same rectangles.
#pragma once

#include "gdi/GdiTypes.h"

#include <optional>
#include <vector>

namespace gdi {

class Region {
public:
    Region() = default;
    explicit Region(const RECT& rect);
    // The union of any rectangles (they may overlap; empty ones are skipped).
    static Region FromRects(const std::vector<RECT>& rects);

    // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF (a minus b); RGN_COPY gives a.
    static Region Combine(const Region& a, const Region& b, int mode);

    bool IsEmpty() const { return m_rects.empty(); }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Complexity() const;
    RECT Bounds() const;
    const std::vector<RECT>& Rects() const { return m_rects; }
    bool Contains(int x, int y) const;
    // Whether one of the region's rectangles holds all of rect: a quick
    // test that lets a caller skip the per-pixel one (false for a rect
    // that the region covers only through several of its rectangles).
    bool ContainsRect(const RECT& rect) const;
    bool Intersects(const RECT& rect) const;
    void Offset(int dx, int dy);
    Region Intersected(const RECT& rect) const;
    // The same cut made in place: no new list where the region keeps its
    // rectangles or is one rectangle.
    void IntersectWith(const RECT& rect);

    bool operator==(const Region& other) const;

private:
    static std::optional<Region> CombineQuickly(const Region& a, const Region& b, int mode);

    std::vector<RECT> m_rects;
};

} // namespace gdi

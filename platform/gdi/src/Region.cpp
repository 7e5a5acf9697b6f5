#include "gdi/Region.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace gdi {

namespace {

using Span = std::pair<LONG, LONG>; // [first, second)

struct Band {
    LONG top;
    LONG bottom;
    std::vector<Span> spans;
};

bool Apply(int mode, bool inA, bool inB)
{
    switch (mode) {
    case RGN_AND:
        return inA && inB;
    case RGN_OR:
        return inA || inB;
    case RGN_XOR:
        return inA != inB;
    case RGN_DIFF:
        return inA && !inB;
    default:
        return inA;
    }
}

// Appends a band, merging it into the previous one when they touch and
// have the same spans.
void AppendBand(std::vector<Band>& bands, LONG top, LONG bottom, std::vector<Span> spans)
{
    if (spans.empty() || top >= bottom)
        return;
    if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans) {
        bands.back().bottom = bottom;
        return;
    }
    bands.push_back({top, bottom, std::move(spans)});
}

std::vector<RECT> ToRects(const std::vector<Band>& bands)
{
    std::vector<RECT> rects;
    for (const Band& band : bands)
        for (const Span& s : band.spans)
            rects.push_back({s.first, band.top, s.second, band.bottom});
    return rects;
}

std::vector<Span> MergeSpans(std::vector<Span> spans)
{
    std::sort(spans.begin(), spans.end());
    std::vector<Span> out;
    for (const Span& s : spans) {
        if (!out.empty() && s.first <= out.back().second)
            out.back().second = std::max(out.back().second, s.second);
        else
            out.push_back(s);
    }
    return out;
}

} // namespace

Region::Region(const RECT& rect)
{
    if (rect.left < rect.right && rect.top < rect.bottom)
        m_rects.push_back(rect);
}

Region Region::FromRects(const std::vector<RECT>& rects)
{
    std::vector<LONG> ys;
    for (const RECT& r : rects) {
        if (r.left >= r.right || r.top >= r.bottom)
            continue;
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    Region region;
    if (ys.size() < 2)
        return region;
    std::vector<std::vector<Span>> perBand(ys.size() - 1);
    for (const RECT& r : rects) {
        if (r.left >= r.right || r.top >= r.bottom)
            continue;
        auto first = std::lower_bound(ys.begin(), ys.end(), r.top) - ys.begin();
        auto last = std::lower_bound(ys.begin(), ys.end(), r.bottom) - ys.begin();
        for (auto i = first; i < last; ++i)
            perBand[i].emplace_back(r.left, r.right);
    }
    std::vector<Band> bands;
    for (std::size_t i = 0; i < perBand.size(); ++i)
        AppendBand(bands, ys[i], ys[i + 1], MergeSpans(std::move(perBand[i])));
    region.m_rects = ToRects(bands);
    return region;
}

namespace {

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Disjoint(const RECT& a, const RECT& b)
{
    return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
}

} // namespace

// The cases the paint path meets on every call (a rectangle against a
// rectangle, an empty side, one side within a rectangle or beside it),
// answered without the band sweep. Regions are kept in one canonical form
// (bands merged, spans merged), so each answer is the one the sweep gives.
std::optional<Region> Region::CombineQuickly(const Region& a, const Region& b, int mode)
{
    const bool emptyA = a.m_rects.empty(), emptyB = b.m_rects.empty();
    if (emptyA || emptyB) {
        switch (mode) {
        case RGN_AND:
            return Region();
        case RGN_DIFF:
            return emptyA ? Region() : a;
        default: // RGN_OR, RGN_XOR
            return emptyA ? b : a;
        }
    }
    const RECT boundsA = a.Bounds(), boundsB = b.Bounds();
    const bool rectA = a.m_rects.size() == 1, rectB = b.m_rects.size() == 1;
    if (mode == RGN_AND) {
        if (Disjoint(boundsA, boundsB))
            return Region();
        if (rectB && Inside(boundsA, boundsB))
            return a;
        if (rectA && Inside(boundsB, boundsA))
            return b;
        if (rectA && rectB)
            return Region(RECT{std::max(boundsA.left, boundsB.left), std::max(boundsA.top, boundsB.top),
                               std::min(boundsA.right, boundsB.right), std::min(boundsA.bottom, boundsB.bottom)});
    } else if (mode == RGN_DIFF) {
        if (Disjoint(boundsA, boundsB))
            return a;
        if (rectB && Inside(boundsA, boundsB))
            return Region();
    } else if (mode == RGN_OR) {
        if (rectB && Inside(boundsA, boundsB))
            return b;
        if (rectA && Inside(boundsB, boundsA))
            return a;
    }
    return std::nullopt;
}

namespace {

// A band of a region: the rectangles [first, last) of its list, which share
// top and bottom.
struct BandRef {
    LONG top;
    LONG bottom;
    std::size_t first;
    std::size_t last;
};

void BandsOf(const RectStore& rects, std::vector<BandRef>& bands)
{
    bands.clear();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (bands.empty() || bands.back().top != rects[i].top)
            bands.push_back({rects[i].top, rects[i].bottom, i, i});
        bands.back().last = i + 1;
    }
}

// The spans of one slab of the result: the spans of a and b (each sorted and
// apart) walked together, boundary by boundary.
void CombineRow(const RECT* a, std::size_t na, const RECT* b, std::size_t nb, int mode, std::vector<Span>& out)
{
    out.clear();
    std::size_t ia = 0, ib = 0;
    bool inA = false, inB = false;
    bool inside = false;
    LONG spanStart = 0;
    while (ia < na || ib < nb) {
        // The next boundary of either side: a span's left edge when outside
        // it, its right edge when inside.
        const LONG nextA = ia < na ? (inA ? a[ia].right : a[ia].left) : INT32_MAX;
        const LONG nextB = ib < nb ? (inB ? b[ib].right : b[ib].left) : INT32_MAX;
        const LONG x = std::min(nextA, nextB);
        if (nextA == x) {
            if (inA)
                ++ia;
            inA = !inA;
        }
        if (nextB == x) {
            if (inB)
                ++ib;
            inB = !inB;
        }
        const bool now = Apply(mode, inA, inB);
        if (now == inside)
            continue;
        if (now)
            spanStart = x;
        else if (!out.empty() && out.back().second == spanStart)
            out.back().second = x;
        else
            out.emplace_back(spanStart, x);
        inside = now;
    }
}

} // namespace

Region Region::Combine(const Region& a, const Region& b, int mode)
{
    if (mode == RGN_COPY)
        return a;
    if (auto quick = CombineQuickly(a, b, mode))
        return std::move(*quick);
    // A sweep from the top over the slabs between consecutive band edges of
    // either side; a slab's spans extend the band above when they are the same.
    thread_local std::vector<BandRef> bandsA, bandsB;
    thread_local std::vector<Span> row;
    BandsOf(a.m_rects, bandsA);
    BandsOf(b.m_rects, bandsB);
    Region result;
    thread_local std::vector<RECT> swept;
    std::vector<RECT>& out = swept;
    out.clear();
    std::size_t lastBand = 0; // first rectangle of the result's last band
    std::size_t ia = 0, ib = 0;
    LONG y = std::min(bandsA.empty() ? INT32_MAX : bandsA.front().top, bandsB.empty() ? INT32_MAX : bandsB.front().top);
    while (ia < bandsA.size() || ib < bandsB.size()) {
        const bool overA = ia < bandsA.size() && bandsA[ia].top <= y;
        const bool overB = ib < bandsB.size() && bandsB[ib].top <= y;
        // Where the slab ends: the next edge of either side below y.
        LONG next = INT32_MAX;
        if (ia < bandsA.size())
            next = std::min(next, overA ? bandsA[ia].bottom : bandsA[ia].top);
        if (ib < bandsB.size())
            next = std::min(next, overB ? bandsB[ib].bottom : bandsB[ib].top);
        if (overA || overB) {
            const RECT* ra = overA ? a.m_rects.data() + bandsA[ia].first : nullptr;
            const RECT* rb = overB ? b.m_rects.data() + bandsB[ib].first : nullptr;
            CombineRow(ra, overA ? bandsA[ia].last - bandsA[ia].first : 0, rb,
                       overB ? bandsB[ib].last - bandsB[ib].first : 0, mode, row);
            if (!row.empty()) {
                const bool extends = !out.empty() && out.back().bottom == y && out.size() - lastBand == row.size() &&
                                     std::equal(row.begin(), row.end(), out.begin() + static_cast<std::ptrdiff_t>(lastBand),
                                                [](const Span& s, const RECT& r) {
                                                    return s.first == r.left && s.second == r.right;
                                                });
                if (extends) {
                    for (std::size_t i = lastBand; i < out.size(); ++i)
                        out[i].bottom = next;
                } else {
                    lastBand = out.size();
                    for (const Span& s : row)
                        out.push_back({s.first, y, s.second, next});
                }
            }
        }
        y = next;
        if (ia < bandsA.size() && bandsA[ia].bottom <= y)
            ++ia;
        if (ib < bandsB.size() && bandsB[ib].bottom <= y)
            ++ib;
        // Past a gap where neither side has a band.
        if (ia < bandsA.size() && ib < bandsB.size())
            y = std::max(y, std::min(bandsA[ia].top, bandsB[ib].top));
        else if (ia < bandsA.size())
            y = std::max(y, bandsA[ia].top);
        else if (ib < bandsB.size())
            y = std::max(y, bandsB[ib].top);
    }
    result.m_rects = std::vector<RECT>(out.begin(), out.end());
    return result;
}

int Region::Complexity() const
{
    if (m_rects.empty())
        return NULLREGION;
    return m_rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT Region::Bounds() const
{
    if (m_rects.empty())
        return {0, 0, 0, 0};
    RECT b{INT32_MAX, m_rects.front().top, INT32_MIN, m_rects.back().bottom};
    for (const RECT& r : m_rects) {
        b.left = std::min(b.left, r.left);
        b.right = std::max(b.right, r.right);
    }
    return b;
}

bool Region::Contains(int x, int y) const
{
    // Bands are sorted by top; find the first rectangle whose bottom is
    // below y, then walk its band.
    auto it = std::partition_point(m_rects.begin(), m_rects.end(), [y](const RECT& r) { return r.bottom <= y; });
    for (; it != m_rects.end() && it->top <= y; ++it) {
        if (x < it->left)
            return false;
        if (x < it->right)
            return true;
    }
    return false;
}

bool Region::ContainsRect(const RECT& rect) const
{
    if (rect.left >= rect.right || rect.top >= rect.bottom)
        return true;
    auto it = std::partition_point(m_rects.begin(), m_rects.end(), [&](const RECT& r) { return r.bottom <= rect.top; });
    for (; it != m_rects.end() && it->top <= rect.top; ++it) {
        if (Inside(rect, *it))
            return true;
    }
    return false;
}

bool Region::Intersects(const RECT& rect) const
{
    for (const RECT& r : m_rects) {
        if (r.top >= rect.bottom)
            break;
        if (r.left < rect.right && rect.left < r.right && r.top < rect.bottom && rect.top < r.bottom)
            return true;
    }
    return false;
}

void Region::Offset(int dx, int dy)
{
    for (RECT& r : m_rects) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

Region Region::Intersected(const RECT& rect) const
{
    Region cut = *this;
    cut.IntersectWith(rect);
    return cut;
}

void Region::IntersectWith(const RECT& rect)
{
    // A rectangle against a rectangle, or one that holds the whole region,
    // needs neither a second region nor the band sweep.
    if (m_rects.empty())
        return;
    if (rect.left >= rect.right || rect.top >= rect.bottom) {
        m_rects.clear();
        return;
    }
    const RECT bounds = Bounds();
    if (Inside(bounds, rect))
        return;
    if (Disjoint(bounds, rect)) {
        m_rects.clear();
        return;
    }
    if (m_rects.size() == 1) {
        m_rects[0] = {std::max(bounds.left, rect.left), std::max(bounds.top, rect.top),
                      std::min(bounds.right, rect.right), std::min(bounds.bottom, rect.bottom)};
        return;
    }
    *this = Combine(*this, Region(rect), RGN_AND);
}

bool Region::operator==(const Region& other) const
{
    if (m_rects.size() != other.m_rects.size())
        return false;
    for (std::size_t i = 0; i < m_rects.size(); ++i) {
        const RECT& a = m_rects[i];
        const RECT& b = other.m_rects[i];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom)
            return false;
    }
    return true;
}

} // namespace gdi

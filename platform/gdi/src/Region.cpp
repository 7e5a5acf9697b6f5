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

std::vector<Band> ToBands(const std::vector<RECT>& rects)
{
    std::vector<Band> bands;
    for (const RECT& r : rects) {
        if (bands.empty() || bands.back().top != r.top)
            bands.push_back({r.top, r.bottom, {}});
        bands.back().spans.emplace_back(r.left, r.right);
    }
    return bands;
}

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

bool Covers(const std::vector<Span>& spans, std::size_t& cursor, LONG x)
{
    while (cursor < spans.size() && spans[cursor].second <= x)
        ++cursor;
    return cursor < spans.size() && spans[cursor].first <= x;
}

std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode)
{
    std::vector<LONG> xs;
    xs.reserve((a.size() + b.size()) * 2);
    for (const Span& s : a) {
        xs.push_back(s.first);
        xs.push_back(s.second);
    }
    for (const Span& s : b) {
        xs.push_back(s.first);
        xs.push_back(s.second);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<Span> out;
    std::size_t ca = 0, cb = 0;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        if (!Apply(mode, Covers(a, ca, xs[i]), Covers(b, cb, xs[i])))
            continue;
        if (!out.empty() && out.back().second == xs[i])
            out.back().second = xs[i + 1];
        else
            out.emplace_back(xs[i], xs[i + 1]);
    }
    return out;
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

Region Region::Combine(const Region& a, const Region& b, int mode)
{
    if (mode == RGN_COPY)
        return a;
    if (auto quick = CombineQuickly(a, b, mode))
        return std::move(*quick);
    std::vector<Band> bandsA = ToBands(a.m_rects);
    std::vector<Band> bandsB = ToBands(b.m_rects);
    std::vector<LONG> ys;
    for (const Band& band : bandsA) {
        ys.push_back(band.top);
        ys.push_back(band.bottom);
    }
    for (const Band& band : bandsB) {
        ys.push_back(band.top);
        ys.push_back(band.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    static const std::vector<Span> none;
    std::vector<Band> out;
    std::size_t ia = 0, ib = 0;
    for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
        LONG y = ys[i];
        while (ia < bandsA.size() && bandsA[ia].bottom <= y)
            ++ia;
        while (ib < bandsB.size() && bandsB[ib].bottom <= y)
            ++ib;
        const std::vector<Span>& sa = (ia < bandsA.size() && bandsA[ia].top <= y) ? bandsA[ia].spans : none;
        const std::vector<Span>& sb = (ib < bandsB.size() && bandsB[ib].top <= y) ? bandsB[ib].spans : none;
        if (sa.empty() && sb.empty())
            continue;
        AppendBand(out, y, ys[i + 1], CombineSpans(sa, sb, mode));
    }
    Region result;
    result.m_rects = ToRects(out);
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
    return Combine(*this, Region(rect), RGN_AND);
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

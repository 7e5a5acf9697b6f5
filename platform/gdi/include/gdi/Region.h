// A region: a set of pixels kept as y-x banded rectangles, the form Windows
// regions take. Rectangles of one band share top and bottom, are sorted by x
// and neither overlap nor touch; bands are sorted by y and do not overlap,
// and touching bands with the same spans are merged, so two regions of the
// same pixels have the same rectangles.
#pragma once

#include "gdi/GdiTypes.h"

#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace gdi {

// The rectangles of a region. Most regions a paint makes (an update
// rectangle, a DC's visible part, a clip) are one rectangle, which is held
// in place: copying, cutting and combining them takes no heap.
class RectStore {
public:
    RectStore() = default;
    RectStore(const RectStore& other) : m_one(other.m_one), m_size(other.m_size)
    {
        if (other.m_size > 1)
            m_many = other.m_many;
    }
    RectStore(RectStore&& other) noexcept
        : m_one(other.m_one), m_size(std::exchange(other.m_size, 0)), m_many(std::move(other.m_many))
    {
        other.m_many.clear();
    }
    RectStore& operator=(const RectStore& other)
    {
        if (this != &other) {
            m_one = other.m_one;
            m_size = other.m_size;
            if (other.m_size > 1)
                m_many = other.m_many;
            else
                m_many.clear();
        }
        return *this;
    }
    RectStore& operator=(RectStore&& other) noexcept
    {
        if (this != &other) {
            m_one = other.m_one;
            m_size = std::exchange(other.m_size, 0);
            m_many = std::move(other.m_many);
            other.m_many.clear();
        }
        return *this;
    }
    // Takes a list over (kept in place when it holds one rectangle).
    RectStore& operator=(std::vector<RECT>&& rects)
    {
        m_size = rects.size();
        if (m_size == 1) {
            m_one = rects[0];
            m_many.clear();
        } else {
            m_many = std::move(rects);
        }
        return *this;
    }

    const RECT* data() const { return m_size <= 1 ? &m_one : m_many.data(); }
    RECT* data() { return m_size <= 1 ? &m_one : m_many.data(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const RECT* begin() const { return data(); }
    const RECT* end() const { return data() + m_size; }
    RECT* begin() { return data(); }
    RECT* end() { return data() + m_size; }
    const RECT& operator[](std::size_t i) const { return data()[i]; }
    RECT& operator[](std::size_t i) { return data()[i]; }
    const RECT& front() const { return data()[0]; }
    const RECT& back() const { return data()[m_size - 1]; }
    void clear()
    {
        m_size = 0;
        m_many.clear();
    }
    void push_back(const RECT& rect)
    {
        if (m_size == 0) {
            m_one = rect;
        } else {
            if (m_size == 1)
                m_many.assign(1, m_one);
            m_many.push_back(rect);
        }
        ++m_size;
    }

private:
    RECT m_one{};
    std::size_t m_size = 0;
    std::vector<RECT> m_many; // all of them, when there are two or more
};

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
    std::span<const RECT> Rects() const { return {m_rects.data(), m_rects.size()}; }
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

    RectStore m_rects;
};

} // namespace gdi

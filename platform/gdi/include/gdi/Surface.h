// A 32-bit pixel surface: the memory of a bitmap, a DIB section or a window.
// Each pixel is one little-endian word 0xAARRGGBB, so its bytes lie in the
// order blue, green, red, alpha of a 32-bit BI_RGB DIB. Rows may be stored
// top-down or bottom-up; Row(y) always takes y = 0 as the top row.
#pragma once

#include "gdi/GdiTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace gdi {

using Pixel = std::uint32_t;

// COLORREF (0x00BBGGRR) to a pixel word (0x00RRGGBB) and back.
constexpr Pixel PixelFromColor(COLORREF c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF ColorFromPixel(Pixel p)
{
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

class Surface {
public:
    // A zero-filled top-down surface; bottomUp lays the rows out as a
    // bottom-up DIB does (the last row in memory is the top row).
    Surface(int width, int height, bool bottomUp = false);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsBottomUp() const { return m_bottomUp; }
    // Bytes per row (always width * 4: 32-bit rows are DWORD aligned).
    int Stride() const { return m_width * 4; }

    // The first byte of the memory block, as a DIB section exposes it.
    BYTE* Bits() { return reinterpret_cast<BYTE*>(m_pixels.data()); }
    const BYTE* Bits() const { return reinterpret_cast<const BYTE*>(m_pixels.data()); }

    Pixel* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(MemoryRow(y)) * m_width; }
    const Pixel* Row(int y) const { return m_pixels.data() + static_cast<std::size_t>(MemoryRow(y)) * m_width; }
    Pixel At(int x, int y) const { return Row(y)[x]; }
    void Set(int x, int y, Pixel p) { Row(y)[x] = p; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    void Fill(Pixel p);
    std::shared_ptr<Surface> Clone() const;

private:
    int MemoryRow(int y) const { return m_bottomUp ? m_height - 1 - y : y; }

    int m_width;
    int m_height;
    bool m_bottomUp;
    std::vector<Pixel> m_pixels;
};

} // namespace gdi

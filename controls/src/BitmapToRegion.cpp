// The skin region: runs of pixels outside the key colour's tolerance window,
// collected row by row from a 32-bit copy of the bitmap and handed to the
// region maker in batches.
#include "controls/Skin.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kFirstCapacity = 100;  // rectangles
constexpr DWORD kGrowth = 100;
constexpr DWORD kBatch = 3000;         // rectangles per region made
constexpr DWORD kHeaderBytes = sizeof(RGNDATAHEADER);

struct ChannelWindow {
    int low, high;
};

// The inclusive window of one channel value of the key.
ChannelWindow WindowOf(int value, COLORREF key)
{
    if (key == 0x000000)
        return {0, 16};
    if (key == 0xFFFFFF)
        return {239, 255};
    return {value <= 16 ? 0 : value - 17, value >= 239 ? 255 : value + 17};
}

// The rectangle list in the RGNDATA layout, made into regions in batches.
class RunCollector {
public:
    RunCollector() { Reset(kFirstCapacity); }

    void Add(const RECT& run)
    {
        if (Header().nCount == m_capacity)
            Grow();
        std::memcpy(m_buffer.data() + kHeaderBytes + Header().nCount * sizeof(RECT), &run, sizeof run);
        RECT& bound = Header().rcBound;
        bound.left = std::min(bound.left, run.left);
        bound.top = std::min(bound.top, run.top);
        bound.right = std::max(bound.right, run.right);
        bound.bottom = std::max(bound.bottom, run.bottom);
        if (++Header().nCount == kBatch)
            Flush();
    }

    // Makes a region of the rectangles so far and adds it to the result.
    void Flush()
    {
        HRGN batch = ::ExtCreateRegion(nullptr, static_cast<DWORD>(m_buffer.size()),
                                       reinterpret_cast<const RGNDATA*>(m_buffer.data()));
        if (!m_result) {
            m_result = batch;
        } else if (batch) {
            ::CombineRgn(m_result, m_result, batch, RGN_OR);
            ::DeleteObject(batch);
        }
        Reset(m_capacity);
    }

    HRGN Take() { return std::exchange(m_result, nullptr); }
    ~RunCollector()
    {
        if (m_result)
            ::DeleteObject(m_result);
    }

private:
    RGNDATAHEADER& Header() { return *reinterpret_cast<RGNDATAHEADER*>(m_buffer.data()); }

    void Reset(DWORD capacity)
    {
        m_capacity = capacity;
        m_buffer.assign(kHeaderBytes + capacity * sizeof(RECT), 0);
        Header() = {kHeaderBytes, RDH_RECTANGLES, 0, 0, {0x7FFFFFFF, 0x7FFFFFFF, 0, 0}};
    }

    void Grow()
    {
        m_capacity += kGrowth;
        m_buffer.resize(kHeaderBytes + m_capacity * sizeof(RECT), 0);
    }

    std::vector<BYTE> m_buffer;
    DWORD m_capacity = 0;
    HRGN m_result = nullptr;
};

} // namespace

HRGN BitmapToRegion(HBITMAP hBitmap, COLORREF key, BOOL bInverse)
{
    if (!hBitmap)
        return nullptr;
    BITMAP info = {};
    if (!::GetObjectW(hBitmap, sizeof info, &info))
        return nullptr;
    const int width = info.bmWidth, height = info.bmHeight;

    HDC memory = ::CreateCompatibleDC(nullptr);
    if (!memory)
        return nullptr;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height; // bottom-up: the last row in memory is the top of the picture
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP copy = ::CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC source = copy ? ::CreateCompatibleDC(memory) : nullptr;
    if (!copy || !source || !bits) {
        if (copy)
            ::DeleteObject(copy);
        ::DeleteDC(memory);
        return nullptr;
    }
    HGDIOBJ previousCopy = ::SelectObject(memory, copy);
    HGDIOBJ previousSource = ::SelectObject(source, hBitmap);
    ::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);

    const int red = key & 0xFF, green = (key >> 8) & 0xFF, blue = (key >> 16) & 0xFF;
    const ChannelWindow r = WindowOf(red, key), g = WindowOf(green, key), b = WindowOf(blue, key);
    auto inside = [&](const BYTE* pixel) {
        return pixel[2] >= r.low && pixel[2] <= r.high && pixel[1] >= g.low && pixel[1] <= g.high
            && pixel[0] >= b.low && pixel[0] <= b.high;
    };
    const std::size_t stride = (static_cast<std::size_t>(width) * 4 + 3) & ~std::size_t{3};

    RunCollector runs;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(bits) + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const int start = x;
            while (x < width && inside(row + x * 4) != static_cast<bool>(bInverse))
                ++x;
            if (x > start)
                runs.Add({start, y, x, y + 1});
        }
    }
    runs.Flush();
    HRGN result = runs.Take();

    if (!bInverse && result) {
        // The runs cover the key-coloured pixels; the region is the rest.
        HRGN whole = ::CreateRectRgn(0, 0, width, height);
        if (whole) {
            ::CombineRgn(result, result, whole, RGN_XOR);
            ::DeleteObject(whole);
        } else {
            ::DeleteObject(result);
            result = nullptr;
        }
    }
    ::SelectObject(source, previousSource);
    ::SelectObject(memory, previousCopy);
    ::DeleteDC(source);
    ::DeleteDC(memory);
    ::DeleteObject(copy);
    return result;
}

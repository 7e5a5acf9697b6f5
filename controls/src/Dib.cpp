// The image buffer's block: its layout, the colour table, and drawing it.
#include "controls/Dib.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

BITMAPINFOHEADER EmptyHeader()
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    return header;
}

constexpr std::uint64_t kLargestImage = 0xFFFFFFFFu; // sizes of the block are 32 bits

} // namespace

CxDib::CxDib()
    : m_pDib(nullptr)
    , m_bi(EmptyHeader())
    , m_dwLineWidth(0)
    , m_nColors(0)
{
}

CxDib::~CxDib()
{
    delete[] m_pDib;
}

void* CxDib::Create(DWORD dwWidth, DWORD dwHeight, WORD wBitCount)
{
    delete[] m_pDib;
    m_pDib = nullptr;
    if (wBitCount <= 1)
        wBitCount = 1;
    else if (wBitCount <= 4)
        wBitCount = 4;
    else if (wBitCount <= 8)
        wBitCount = 8;
    else
        wBitCount = 24;
    m_nColors = wBitCount == 24 ? 0 : static_cast<WORD>(1u << wBitCount);

    // Computed wide, so that a size whose rows or pixels overflow 32 bits
    // gets no block instead of one too small for its rows.
    const std::uint64_t stride = ((std::uint64_t{dwWidth} * wBitCount + 31) / 32) * 4;
    const std::uint64_t image = stride * dwHeight;
    m_bi = EmptyHeader();
    m_bi.biWidth = static_cast<LONG>(dwWidth);
    m_bi.biHeight = static_cast<LONG>(dwHeight);
    m_bi.biPlanes = 1;
    m_bi.biBitCount = wBitCount;
    m_bi.biCompression = BI_RGB;
    m_dwLineWidth = static_cast<DWORD>(stride);
    m_bi.biSizeImage = static_cast<DWORD>(image);
    const std::uint64_t block = sizeof(BITMAPINFOHEADER) + m_nColors * sizeof(RGBQUAD) + image;
    if (m_bi.biWidth < 0 || m_bi.biHeight < 0 || stride > kLargestImage || block > kLargestImage)
        return nullptr;

    m_pDib = new (std::nothrow) BYTE[GetTotalBytes()];
    if (!m_pDib)
        return nullptr;
    std::memcpy(m_pDib, &m_bi, sizeof m_bi);
    return m_pDib;
}

void CxDib::Clone(const CxDib& src)
{
    if (&src == this)
        return; // Create would free the block it copies from
    if (!src.m_pDib) {
        delete[] m_pDib;
        m_pDib = nullptr;
        m_bi = EmptyHeader();
        m_dwLineWidth = 0;
        m_nColors = 0;
        return;
    }
    if (Create(src.GetWidth(), src.GetHeight(), src.GetBitCount()))
        std::memcpy(m_pDib, src.m_pDib, GetTotalBytes());
}

bool CxDib::HasInfoHeader() const
{
    if (!m_pDib)
        return false;
    DWORD headerSize = 0;
    std::memcpy(&headerSize, m_pDib, sizeof headerSize);
    return headerSize == sizeof(BITMAPINFOHEADER);
}

BYTE* CxDib::GetBits() const
{
    if (!m_pDib)
        return nullptr;
    DWORD headerSize = 0;
    std::memcpy(&headerSize, m_pDib, sizeof headerSize); // the block's own biSize
    return m_pDib + headerSize + GetPaletteBytes();
}

WORD CxDib::GetPaletteBytes() const
{
    return static_cast<WORD>(m_nColors * sizeof(RGBQUAD));
}

DWORD CxDib::GetTotalBytes() const
{
    return GetPaletteBytes() + m_bi.biSizeImage + m_bi.biSize;
}

void CxDib::SetPaletteEntry(BYTE idx, BYTE r, BYTE g, BYTE b)
{
    if (!m_pDib || !m_nColors || idx >= m_nColors)
        return;
    BYTE* entry = m_pDib + sizeof(BITMAPINFOHEADER) + idx * sizeof(RGBQUAD);
    entry[0] = b;
    entry[1] = g;
    entry[2] = r;
    entry[3] = 0;
}

void CxDib::SetPaletteEntry(BYTE idx, RGBQUAD c)
{
    SetPaletteEntry(idx, c.rgbRed, c.rgbGreen, c.rgbBlue);
}

void CxDib::SetPaletteEntry(BYTE idx, COLORREF cr)
{
    SetPaletteEntry(idx, GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

RGBQUAD CxDib::GetPaletteEntry(BYTE idx) const
{
    if (!m_pDib || !m_nColors || idx >= m_nColors)
        return {0, 0, 0, 0};
    const BYTE* entry = m_pDib + sizeof(BITMAPINFOHEADER) + idx * sizeof(RGBQUAD);
    return {entry[0], entry[1], entry[2], 0};
}

void CxDib::SetGrayPalette()
{
    if (!m_pDib || !m_nColors)
        return;
    for (WORD i = 0; i < m_nColors; ++i) {
        const BYTE level = static_cast<BYTE>(i);
        SetPaletteEntry(level, level, level, level);
    }
    SetPaletteEntry(0, 0, 0, 0);
    SetPaletteEntry(static_cast<BYTE>(m_nColors - 1), 255, 255, 255);
}

void CxDib::BlendPalette(COLORREF cr, long perc)
{
    if (!m_pDib || !m_nColors)
        return;
    // Outside 0..100 the mix would leave the range of a byte.
    perc = std::clamp(perc, 0L, 100L);
    const long target[3] = {GetBValue(cr), GetGValue(cr), GetRValue(cr)};
    BYTE* entry = m_pDib + sizeof(BITMAPINFOHEADER);
    for (WORD i = 0; i < m_nColors; ++i, entry += sizeof(RGBQUAD)) {
        for (int c = 0; c < 3; ++c)
            entry[c] = static_cast<BYTE>((target[c] * perc + entry[c] * (100 - perc)) / 100);
    }
}

void CxDib::Clear(BYTE bval)
{
    if (m_pDib)
        std::memset(GetBits(), bval, m_bi.biSizeImage);
}

long CxDib::Draw(HDC pDC, long xoffset, long yoffset)
{
    if (!m_pDib || !pDC)
        return 0;
    ::SetStretchBltMode(pDC, COLORONCOLOR);
    ::SetDIBitsToDevice(pDC, static_cast<int>(xoffset), static_cast<int>(yoffset), GetWidth(), GetHeight(), 0, 0, 0,
                        GetHeight(), GetBits(), reinterpret_cast<const BITMAPINFO*>(m_pDib), DIB_RGB_COLORS);
    return 1;
}

long CxDib::Stretch(HDC pDC, long xoffset, long yoffset, long xsize, long ysize)
{
    if (!m_pDib || !pDC)
        return 0;
    ::SetStretchBltMode(pDC, COLORONCOLOR);
    ::StretchDIBits(pDC, static_cast<int>(xoffset), static_cast<int>(yoffset), static_cast<int>(xsize),
                    static_cast<int>(ysize), 0, 0, m_bi.biWidth, m_bi.biHeight, GetBits(),
                    reinterpret_cast<const BITMAPINFO*>(m_pDib), DIB_RGB_COLORS, SRCCOPY);
    return 1;
}

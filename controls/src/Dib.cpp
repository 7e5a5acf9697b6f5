#include "controls/Dib.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

BITMAPINFOHEADER EmptyHeader()
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    return header;
}

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

    m_bi = EmptyHeader();
    m_bi.biWidth = static_cast<LONG>(dwWidth);
    m_bi.biHeight = static_cast<LONG>(dwHeight);
    m_bi.biPlanes = 1;
    m_bi.biBitCount = wBitCount;
    m_bi.biCompression = BI_RGB;
    m_dwLineWidth = ((dwWidth * wBitCount + 31) / 32) * 4;
    m_bi.biSizeImage = m_dwLineWidth * dwHeight;

    const std::size_t bytes = sizeof(BITMAPINFOHEADER) + m_nColors * sizeof(RGBQUAD) + m_bi.biSizeImage;
    m_pDib = new (std::nothrow) BYTE[bytes];
    if (!m_pDib)
        return nullptr;
    std::memcpy(m_pDib, &m_bi, sizeof m_bi);
    return m_pDib;
}

void CxDib::Clone(const CxDib& src)
{
    Create(src.GetWidth(), src.GetHeight(), src.GetBitCount());
    if (m_pDib && src.m_pDib)
        std::memcpy(m_pDib, src.m_pDib,
                    sizeof(BITMAPINFOHEADER) + m_nColors * sizeof(RGBQUAD) + m_bi.biSizeImage);
}

BYTE* CxDib::GetBits() const
{
    if (!m_pDib)
        return nullptr;
    DWORD headerSize = 0;
    std::memcpy(&headerSize, m_pDib, sizeof headerSize); // the block's own biSize
    return m_pDib + headerSize + m_nColors * sizeof(RGBQUAD);
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

void CxDib::BlendPalette(COLORREF cr, long perc)
{
    if (!m_pDib || !m_nColors)
        return;
    perc = std::min(perc, 100L);
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

void CxDib::SetPixelIndex(long x, long y, BYTE i)
{
    if (!m_pDib || !m_nColors || x < 0 || y < 0 || x >= m_bi.biWidth || y >= m_bi.biHeight)
        return;
    // Only 8-bit images are addressed by index byte; packed depths are left alone.
    if (m_bi.biBitCount != 8)
        return;
    GetBits()[static_cast<DWORD>(m_bi.biHeight - y - 1) * m_dwLineWidth + static_cast<DWORD>(x)] = i;
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

// The image buffer's pixels, one at a time, with their bounds checked on
// every call.
#include "controls/Dib.h"

namespace {

constexpr long kFarthest = 200000; // above 3 * 255 * 255, the largest distance

} // namespace

BYTE* CxDib::PixelRow(long x, long y) const
{
    if (!m_pDib || x < 0 || y < 0 || x >= m_bi.biWidth || y >= m_bi.biHeight)
        return nullptr;
    return GetBits() + static_cast<DWORD>(m_bi.biHeight - y - 1) * m_dwLineWidth;
}

BYTE CxDib::GetPixelIndex(long x, long y) const
{
    const BYTE* row = PixelRow(x, y);
    if (!row || !m_nColors)
        return 0;
    switch (m_bi.biBitCount) {
    case 1:
        return static_cast<BYTE>((row[x / 8] >> (7 - x % 8)) & 0x01);
    case 4:
        return static_cast<BYTE>((row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F);
    default:
        return row[x];
    }
}

void CxDib::SetPixelIndex(long x, long y, BYTE i)
{
    BYTE* row = PixelRow(x, y);
    // An index beyond the table would name no colour.
    if (!row || !m_nColors || i >= m_nColors)
        return;
    switch (m_bi.biBitCount) {
    case 1: {
        const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
        row[x / 8] = static_cast<BYTE>(i ? row[x / 8] | bit : row[x / 8] & ~bit);
        break;
    }
    case 4: {
        const int shift = x % 2 ? 0 : 4;
        row[x / 2] = static_cast<BYTE>((row[x / 2] & ~(0x0F << shift)) | (i << shift));
        break;
    }
    default:
        row[x] = i;
        break;
    }
}

RGBQUAD CxDib::GetPixelColor(long x, long y) const
{
    const BYTE* row = PixelRow(x, y);
    if (!row)
        return {0, 0, 0, 0};
    if (m_nColors)
        return GetPaletteEntry(GetPixelIndex(x, y));
    const BYTE* pixel = row + 3 * x;
    return {pixel[0], pixel[1], pixel[2], 0};
}

void CxDib::SetPixelColor(long x, long y, RGBQUAD c)
{
    BYTE* row = PixelRow(x, y);
    if (!row)
        return;
    if (m_nColors) {
        SetPixelIndex(x, y, GetNearestIndex(c));
        return;
    }
    BYTE* pixel = row + 3 * x;
    pixel[0] = c.rgbBlue;
    pixel[1] = c.rgbGreen;
    pixel[2] = c.rgbRed;
}

void CxDib::SetPixelColor(long x, long y, COLORREF cr)
{
    SetPixelColor(x, y, ColorRefToQuad(cr));
}

BYTE CxDib::GetNearestIndex(RGBQUAD c) const
{
    if (!m_pDib || !m_nColors)
        return 0;
    long best = kFarthest;
    BYTE nearest = 0;
    for (WORD i = 0; i < m_nColors; ++i) {
        const RGBQUAD entry = GetPaletteEntry(static_cast<BYTE>(i));
        const long db = entry.rgbBlue - c.rgbBlue, dg = entry.rgbGreen - c.rgbGreen, dr = entry.rgbRed - c.rgbRed;
        const long distance = db * db + dg * dg + dr * dr;
        if (distance == 0)
            return static_cast<BYTE>(i);
        if (distance < best) {
            best = distance;
            nearest = static_cast<BYTE>(i);
        }
    }
    return nearest;
}

// CxDib: an image buffer in the packed-DIB layout (header, colour table,
// bottom-up pixel rows in one block), which GDI draws without conversion.
// The shaded button keeps its faces in six of them.
#pragma once

#include "gdi/Gdi.h"

class CxDib {
public:
    CxDib();
    ~CxDib();
    CxDib(const CxDib&) = delete;
    CxDib& operator=(const CxDib&) = delete;

    // A new image of the size; the bit count is rounded up to 1, 4, 8 or 24.
    // The colour table and pixels are not initialised. Null when no block
    // can be had.
    void* Create(DWORD dwWidth, DWORD dwHeight, WORD wBitCount);
    // Create with the source's size and depth, then a copy of its block.
    void Clone(const CxDib& src);
    bool IsValid() const { return m_pDib != nullptr; }

    BYTE* GetBits() const;
    DWORD GetWidth() const { return static_cast<DWORD>(m_bi.biWidth); }
    DWORD GetHeight() const { return static_cast<DWORD>(m_bi.biHeight); }
    DWORD GetRowStride() const { return m_dwLineWidth; }
    WORD GetBitCount() const { return m_bi.biBitCount; }
    WORD GetNumColors() const { return m_nColors; }

    void SetPaletteEntry(BYTE idx, BYTE r, BYTE g, BYTE b);
    void SetPaletteEntry(BYTE idx, RGBQUAD c);
    void SetPaletteEntry(BYTE idx, COLORREF cr);
    // Moves every colour-table entry towards the colour by perc percent
    // (above 100 counts as 100).
    void BlendPalette(COLORREF cr, long perc);

    // Fills every pixel byte with the value.
    void Clear(BYTE bval = 0);
    // The index at (x, y), y = 0 being the top row; ignored outside the image.
    void SetPixelIndex(long x, long y, BYTE i);

    // Copies the whole image 1:1 to (x, y) of the DC; 0 without a block or DC.
    long Draw(HDC pDC, long xoffset, long yoffset);

private:
    BYTE* m_pDib;                // header, colour table and pixels, or null
    BITMAPINFOHEADER m_bi;       // the working copy of the header
    DWORD m_dwLineWidth;         // bytes per pixel row, a multiple of 4
    WORD m_nColors;              // colour-table entries: 2, 16, 256, or 0 for 24 bits
};

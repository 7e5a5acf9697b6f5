// CxDib: an image buffer in the packed-DIB layout (header, colour table,
// bottom-up pixel rows in one block), which GDI draws without conversion.
// The shaded button keeps its faces in six of them.
//
// Calls on an empty buffer, with a null DC, or with coordinates or indices
// out of range do nothing; getters then return 0 or an all-zero quad.
// Pixels are addressed with y = 0 as the top row. 8-bit images hold one
// colour-table index a byte; 1 and 4-bit images pack their indices from the
// high bits of each byte; 24-bit images hold blue, green and red.
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
    // can be had (also for sizes whose pixels would not fit in 32 bits); the
    // header then holds the new size while the buffer stays empty.
    void* Create(DWORD dwWidth, DWORD dwHeight, WORD wBitCount);
    // Create with the source's size and depth, then a copy of its block. An
    // empty source leaves this buffer empty.
    void Clone(const CxDib& src);
    bool IsValid() const { return m_pDib != nullptr; }
    // True when the block's own header is the 40-byte info header.
    bool HasInfoHeader() const;

    BYTE* GetBits() const;
    DWORD GetWidth() const { return static_cast<DWORD>(m_bi.biWidth); }
    DWORD GetHeight() const { return static_cast<DWORD>(m_bi.biHeight); }
    DWORD GetRowStride() const { return m_dwLineWidth; }
    WORD GetBitCount() const { return m_bi.biBitCount; }
    WORD GetNumColors() const { return m_nColors; }
    // Bytes of the colour table.
    WORD GetPaletteBytes() const;
    // Bytes of the block's content: header, colour table and pixels.
    DWORD GetTotalBytes() const;

    void SetPaletteEntry(BYTE idx, BYTE r, BYTE g, BYTE b);
    void SetPaletteEntry(BYTE idx, RGBQUAD c);
    void SetPaletteEntry(BYTE idx, COLORREF cr);
    // The entry with its reserved byte 0; all zero outside the table.
    RGBQUAD GetPaletteEntry(BYTE idx) const;
    // A grey ramp (i, i, i) that starts in black and ends in white.
    void SetGrayPalette();
    // Moves every colour-table entry towards the colour by perc percent
    // (above 100 counts as 100, below 0 as 0).
    void BlendPalette(COLORREF cr, long perc);

    // Fills every pixel byte with the value.
    void Clear(BYTE bval = 0);
    BYTE GetPixelIndex(long x, long y) const;
    void SetPixelIndex(long x, long y, BYTE i);
    // The colour-table entry of the pixel, or the pixel's own colour in a
    // 24-bit image.
    RGBQUAD GetPixelColor(long x, long y) const;
    // The nearest colour-table entry, or the colour itself in a 24-bit image.
    void SetPixelColor(long x, long y, RGBQUAD c);
    void SetPixelColor(long x, long y, COLORREF cr);
    // The colour-table entry closest to the colour (squared distance; ties
    // keep the lower index); 0 without a table.
    BYTE GetNearestIndex(RGBQUAD c) const;

    // Colour conversions on the scale 0..240: H in the red byte, S in the
    // green byte and L in the blue byte of the quad.
    static RGBQUAD RgbToHsl(RGBQUAD rgb);
    static RGBQUAD HslToRgb(RGBQUAD hsl);
    // H in bits 0-7, S in bits 8-15, L in bits 16-23.
    static RGBQUAD HslToRgb(COLORREF hsl);
    static short HueToChannel(short m1, short m2, short hue);
    static RGBQUAD ColorRefToQuad(COLORREF cr);
    static COLORREF QuadToColorRef(RGBQUAD c);

    // Copies the whole image 1:1 to (x, y) of the DC; 0 without a block or DC.
    long Draw(HDC pDC, long xoffset, long yoffset);
    // Draws the whole image scaled into the rectangle; 0 without a block or DC.
    long Stretch(HDC pDC, long xoffset, long yoffset, long xsize, long ysize);
    // Writes a BMP file over an existing file (an ANSI path); 0 when the path
    // is empty, the buffer is empty or the file cannot be opened.
    long WriteBmp(LPCSTR bmpFileName);

private:
    // The byte of the pixel's row that holds it, or null outside the image.
    BYTE* PixelRow(long x, long y) const;

    BYTE* m_pDib;                // header, colour table and pixels, or null
    BITMAPINFOHEADER m_bi;       // the working copy of the header
    DWORD m_dwLineWidth;         // bytes per pixel row, a multiple of 4
    WORD m_nColors;              // colour-table entries: 2, 16, 256, or 0 for 24 bits
};

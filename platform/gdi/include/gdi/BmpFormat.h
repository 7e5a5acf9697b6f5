// BMP files and packed DIBs. Decoding reads 1, 4, 8, 16, 24 and 32-bit
// images, BI_RGB and BI_BITFIELDS, top-down and bottom-up, with colour
// tables, from the 12, 40, 52, 56, 108 and 124-byte info headers; every size
// and offset is checked against the bytes there are, so a damaged file fails
// with a message instead of reading past its end. Encoding writes 24 and
// 32-bit BI_RGB files.
#pragma once

#include "gdi/GdiTypes.h"
#include "gdi/Surface.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace gdi {

// The layout of a DIB as its header and colour table describe it.
struct DibLayout {
    int width = 0;
    int height = 0; // always positive
    bool topDown = false;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    DWORD masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha (16 and 32-bit)
    std::vector<RGBQUAD> palette;
    std::size_t headerBytes = 0; // info header, masks and colour table
    std::size_t stride = 0;      // bytes per row, DWORD aligned
    std::size_t imageBytes = 0;  // stride * height
};

struct DibResult {
    std::shared_ptr<Surface> image; // null on failure; 32-bit, rows as in the DIB
    DibLayout layout;
    std::string error;
};

// Reads the header and colour table at the start of bytes.
bool ParseDibHeader(std::span<const BYTE> bytes, DibLayout& layout, std::string& error);
// Decodes rows into a 32-bit surface of the layout's size (top row first).
// bits must hold layout.imageBytes.
bool DecodeDibPixels(const DibLayout& layout, std::span<const BYTE> bits, Surface& out, std::string& error);

// A whole BMP file (BITMAPFILEHEADER first).
DibResult ParseBmp(std::span<const BYTE> file);
// A packed DIB: header, colour table and the pixels right after them.
DibResult ParsePackedDib(std::span<const BYTE> dib);

// A BMP file of the surface with 24 or 32 bits per pixel (32 keeps the
// fourth byte of each pixel), bottom-up unless topDown.
std::vector<BYTE> EncodeBmp(const Surface& image, int bitCount, bool topDown = false);

} // namespace gdi

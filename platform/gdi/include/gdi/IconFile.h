// Writing .ico files, the mirror of LoadIconFile: a directory of images,
// each a packed DIB of twice its height (colour rows, then the AND mask).
#pragma once

#include "gdi/GdiTypes.h"
#include "gdi/Surface.h"

#include <span>
#include <vector>

namespace gdi {

struct IconFileImage {
    const Surface* image;  // 0xAARRGGBB; alpha below 128 is transparent in the mask
    int bitCount;          // 8 or 32
};

// The palette of 8-bit images: the 6 x 6 x 6 colour cube (index 0 black),
// then 40 greys from black to white.
RGBQUAD IconPaletteEntry(int index);
int NearestIconPaletteIndex(Pixel color);

// An .ico file of the images, in the order given. 32-bit images keep their
// alpha; 8-bit ones take the nearest palette colour and black where they are
// transparent. Images must be 1 to 256 pixels wide and high.
std::vector<BYTE> EncodeIconFile(std::span<const IconFileImage> images);

} // namespace gdi

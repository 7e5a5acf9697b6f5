// Icon images in the form resources and .ico files keep them.
#pragma once

#include "gdi/GdiObjects.h"
#include "gdi/GdiTypes.h"

#include <span>

namespace gdi {

// An icon from a packed DIB of twice its height (colour rows, then the AND
// mask); cx, cy 0 keep its size. Null when the DIB is damaged or short.
HICON CreateIconFromDib(std::span<const BYTE> dib, BOOL isIcon, POINT hotspot, int cx, int cy);

// The entry of an icon directory that best fits cx x cy: the nearest size,
// then the most colours. entrySize is 14 (resources) or 16 (files). -1 when
// the directory is damaged or empty.
int BestIconEntry(std::span<const BYTE> directory, std::size_t entrySize, BOOL icon, int cx, int cy);

} // namespace gdi

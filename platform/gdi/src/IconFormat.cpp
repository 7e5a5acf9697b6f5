// Icon images in their resource and .ico file form, and the choice of an
// image from an icon directory.
#include "IconFormat.h"
#include "Objects.h"

#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <cstdlib>

namespace gdi {

namespace {

// On-disk layouts, little-endian:
// NEWHEADER / ICONDIR (6 bytes): WORD reserved 0, WORD type (1 icon,
//   2 cursor), WORD count of entries.
// GRPICONDIRENTRY (14 bytes, in resources): BYTE width (0: 256), BYTE
//   height, BYTE colour count, BYTE reserved, WORD planes, WORD bit count,
//   DWORD bytes of the image, WORD resource id.
// ICONDIRENTRY (16 bytes, in .ico files): as above but a DWORD offset of
//   the image from the start of the file in place of the id.
constexpr std::size_t kDirHeader = 6;

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

std::shared_ptr<Surface> Scale(const Surface& s, int width, int height)
{
    auto out = std::make_shared<Surface>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out->Set(x, y, s.At(static_cast<int>(static_cast<long long>(x) * s.Width() / width),
                                static_cast<int>(static_cast<long long>(y) * s.Height() / height)));
    return out;
}

} // namespace

HICON CreateIconFromDib(std::span<const BYTE> dib, BOOL isIcon, POINT hotspot, int cx, int cy)
{
    DibLayout layout;
    std::string error;
    if (!ParseDibHeader(dib, layout, error) || layout.height < 2 || layout.topDown)
        return nullptr;
    // The header's height covers the colour rows and the mask rows.
    const int height = layout.height / 2;
    DibLayout colorPart = layout;
    colorPart.height = height;
    colorPart.imageBytes = colorPart.stride * height;
    const std::size_t maskStride = ((static_cast<std::size_t>(layout.width) + 31) / 32) * 4;
    const std::size_t maskBytes = maskStride * height;
    const std::size_t colorAt = layout.headerBytes;
    if (dib.size() < colorAt + colorPart.imageBytes)
        return nullptr;
    auto color = std::make_shared<Surface>(layout.width, height);
    if (!DecodeDibPixels(colorPart, dib.subspan(colorAt, colorPart.imageBytes), *color, error))
        return nullptr;
    auto mask = std::make_shared<Surface>(layout.width, height);
    const std::size_t maskAt = colorAt + colorPart.imageBytes;
    if (dib.size() >= maskAt + maskBytes) {
        for (int y = 0; y < height; ++y) {
            const BYTE* row = dib.data() + maskAt + static_cast<std::size_t>(height - 1 - y) * maskStride;
            for (int x = 0; x < layout.width; ++x)
                mask->Set(x, y, ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFF : 0);
        }
    } else if (layout.bitCount != 32) {
        return nullptr; // only an image with alpha may go without its mask
    }
    if (layout.bitCount != 32) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < layout.width; ++x)
                color->Set(x, y, color->At(x, y) & 0xFFFFFF);
    }
    int width = cx > 0 ? cx : layout.width;
    int h = cy > 0 ? cy : height;
    if (width != layout.width || h != height) {
        color = Scale(*color, width, h);
        mask = Scale(*mask, width, h);
        hotspot = {static_cast<LONG>(static_cast<long long>(hotspot.x) * width / layout.width),
                   static_cast<LONG>(static_cast<long long>(hotspot.y) * h / height)};
    }
    auto icon = std::make_shared<IconObject>();
    icon->isIcon = isIcon;
    icon->width = width;
    icon->height = h;
    icon->color = color;
    icon->mask = mask;
    icon->xHotspot = isIcon ? static_cast<DWORD>(width / 2) : static_cast<DWORD>(hotspot.x);
    icon->yHotspot = isIcon ? static_cast<DWORD>(h / 2) : static_cast<DWORD>(hotspot.y);
    return static_cast<HICON>(InsertObject(icon));
}

int BestIconEntry(std::span<const BYTE> directory, std::size_t entrySize, BOOL icon, int cx, int cy)
{
    if (directory.size() < kDirHeader || Word(directory.data()) != 0 || Word(directory.data() + 2) != (icon ? 1 : 2))
        return -1;
    const int count = Word(directory.data() + 4);
    if (count == 0 || directory.size() < kDirHeader + entrySize * count)
        return -1;
    if (cx <= 0)
        cx = 32;
    if (cy <= 0)
        cy = 32;
    int best = -1;
    long long bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const BYTE* e = directory.data() + kDirHeader + entrySize * i;
        int w = e[0] ? e[0] : 256;
        int h = e[1] ? e[1] : 256;
        int bits = Word(e + 6);
        if (bits == 0 && e[2])
            bits = e[2] <= 2 ? 1 : e[2] <= 16 ? 4 : 8;
        // Size distance first, then depth (more is better).
        long long score = (static_cast<long long>(std::abs(w - cx)) + std::abs(h - cy)) * 1000 - bits;
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

} // namespace gdi

using namespace gdi;

HICON CreateIconFromResourceEx(const BYTE* bits, DWORD bytes, BOOL icon, DWORD version, int cx, int cy, UINT flags)
{
    if (!bits || version != 0x00030000)
        return nullptr;
    std::span<const BYTE> data(bits, bytes);
    POINT hotspot{0, 0};
    if (!icon) {
        if (bytes < 4)
            return nullptr;
        hotspot = {Word(bits), Word(bits + 2)};
        data = data.subspan(4);
    }
    return CreateIconFromDib(data, icon, hotspot, cx, cy);
}

HICON CreateIconFromResource(const BYTE* bits, DWORD bytes, BOOL icon, DWORD version)
{
    return CreateIconFromResourceEx(bits, bytes, icon, version, 0, 0, 0);
}

int LookupIconIdFromDirectoryEx(const BYTE* directory, BOOL icon, int cx, int cy, UINT flags)
{
    if (!directory)
        return 0;
    // A resource directory gives its own count; trust only as much as it says.
    const std::size_t size = kDirHeader + 14 * static_cast<std::size_t>(Word(directory + 4));
    int entry = BestIconEntry({directory, size}, 14, icon, cx, cy);
    if (entry < 0)
        return 0;
    return Word(directory + kDirHeader + 14 * entry + 12);
}

int LookupIconIdFromDirectory(const BYTE* directory, BOOL icon)
{
    return LookupIconIdFromDirectoryEx(directory, icon, 0, 0, 0);
}

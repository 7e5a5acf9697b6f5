// The .ico writer. Layouts (little-endian) as IconFormat.cpp describes them:
// ICONDIR (6 bytes), one ICONDIRENTRY (16 bytes) per image, then the images:
// BITMAPINFOHEADER (40 bytes) with twice the height, the colour table of
// 8-bit images (256 RGBQUADs), the colour rows bottom-up padded to 4 bytes,
// and the AND mask rows (1 bit per pixel, 1 = transparent) likewise.
#include "gdi/IconFile.h"

#include <cassert>

namespace gdi {

namespace {

constexpr int kCubeLevels = 6;
constexpr int kCubeEntries = kCubeLevels * kCubeLevels * kCubeLevels;
constexpr int kGreys = 256 - kCubeEntries;

void Put16(std::vector<BYTE>& out, unsigned v)
{
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}

void Put32(std::vector<BYTE>& out, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

std::size_t Padded(std::size_t bytes) { return (bytes + 3) & ~std::size_t{3}; }

bool Opaque(Pixel p) { return (p >> 24) >= 128; }

std::vector<BYTE> EncodeImage(const IconFileImage& entry)
{
    const Surface& image = *entry.image;
    const int width = image.Width();
    const int height = image.Height();
    const bool paletted = entry.bitCount == 8;
    std::vector<BYTE> out;
    Put32(out, 40);
    Put32(out, static_cast<DWORD>(width));
    Put32(out, static_cast<DWORD>(height * 2));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(entry.bitCount));
    Put32(out, BI_RGB);
    const std::size_t colorStride = Padded(static_cast<std::size_t>(width) * entry.bitCount / 8);
    const std::size_t maskStride = Padded((static_cast<std::size_t>(width) + 7) / 8);
    Put32(out, static_cast<DWORD>((colorStride + maskStride) * height));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, paletted ? 256 : 0);
    Put32(out, 0);
    if (paletted) {
        for (int i = 0; i < 256; ++i) {
            RGBQUAD q = IconPaletteEntry(i);
            out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
        }
    }
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            Pixel p = image.At(x, y);
            if (paletted) {
                out.push_back(Opaque(p) ? static_cast<BYTE>(NearestIconPaletteIndex(p)) : 0);
            } else {
                out.insert(out.end(), {static_cast<BYTE>(p), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p >> 16),
                                       static_cast<BYTE>(p >> 24)});
            }
        }
        out.resize(start + colorStride, 0);
    }
    for (int y = height - 1; y >= 0; --y) {
        std::vector<BYTE> row(maskStride, 0);
        for (int x = 0; x < width; ++x) {
            if (!Opaque(image.At(x, y)))
                row[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

RGBQUAD IconPaletteEntry(int index)
{
    if (index < kCubeEntries) {
        auto level = [](int i) { return static_cast<BYTE>(i * 51); };
        return {level(index % kCubeLevels), level(index / kCubeLevels % kCubeLevels),
                level(index / (kCubeLevels * kCubeLevels)), 0};
    }
    BYTE grey = static_cast<BYTE>((index - kCubeEntries) * 255 / (kGreys - 1));
    return {grey, grey, grey, 0};
}

int NearestIconPaletteIndex(Pixel color)
{
    const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
        RGBQUAD q = IconPaletteEntry(i);
        long dr = r - q.rgbRed, dg = g - q.rgbGreen, db = b - q.rgbBlue;
        long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<BYTE> EncodeIconFile(std::span<const IconFileImage> images)
{
    std::vector<std::vector<BYTE>> encoded;
    for (const IconFileImage& entry : images) {
        assert(entry.bitCount == 8 || entry.bitCount == 32);
        assert(entry.image->Width() >= 1 && entry.image->Width() <= 256);
        assert(entry.image->Height() >= 1 && entry.image->Height() <= 256);
        encoded.push_back(EncodeImage(entry));
    }
    std::vector<BYTE> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(images.size()));
    DWORD offset = static_cast<DWORD>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        // A size of 256 is written as 0.
        out.push_back(static_cast<BYTE>(images[i].image->Width() & 0xFF));
        out.push_back(static_cast<BYTE>(images[i].image->Height() & 0xFF));
        out.push_back(0); // colour count: 0 for 8 bits and more
        out.push_back(0);
        Put16(out, 1);
        Put16(out, static_cast<unsigned>(images[i].bitCount));
        Put32(out, static_cast<DWORD>(encoded[i].size()));
        Put32(out, offset);
        offset += static_cast<DWORD>(encoded[i].size());
    }
    for (const auto& image : encoded)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace gdi

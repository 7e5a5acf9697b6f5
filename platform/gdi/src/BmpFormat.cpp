#include "gdi/BmpFormat.h"

#include <bit>
#include <cstring>

namespace gdi {

namespace {

// On-disk layout of BITMAPFILEHEADER (14 bytes, little-endian):
//   0  WORD  bfType      "BM" (0x4D42)
//   2  DWORD bfSize      size of the file (not trusted on reading)
//   6  WORD  bfReserved1 0
//   8  WORD  bfReserved2 0
//  10  DWORD bfOffBits   offset of the pixel rows from the start of the file
constexpr std::size_t kFileHeaderBytes = 14;

// BITMAPCOREHEADER (12 bytes): DWORD size, WORD width, WORD height, WORD
// planes, WORD bit count; its colour table has 3-byte RGBTRIPLEs.
// BITMAPINFOHEADER (40 bytes): DWORD size, LONG width, LONG height (negative
// for top-down), WORD planes (1), WORD bit count, DWORD compression, DWORD
// image size (may be 0 for BI_RGB), LONG x and y pixels per metre, DWORD
// colours used (0: all), DWORD colours important. The V2/V3 (52, 56), V4
// (108) and V5 (124) headers append the red, green, blue and alpha masks at
// offset 40 and then colour-space fields we do not use.
constexpr std::size_t kCoreHeaderBytes = 12;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr int kMaxDimension = 32768;
constexpr std::size_t kMaxPixels = std::size_t(1) << 28;

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Dword(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

void PutWord(std::vector<BYTE>& out, WORD v)
{
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}
void PutDword(std::vector<BYTE>& out, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

// Scales a masked channel value to 8 bits.
BYTE Channel(DWORD value, DWORD mask)
{
    if (!mask)
        return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    DWORD v = (value & mask) >> shift;
    if (bits >= 8)
        return static_cast<BYTE>(v >> (bits - 8));
    DWORD max = (1u << bits) - 1;
    return static_cast<BYTE>((v * 255 + max / 2) / max);
}

bool MasksValid(const DWORD* masks, int bitCount)
{
    DWORD limit = bitCount == 32 ? 0xFFFFFFFF : ((1u << bitCount) - 1);
    for (int i = 0; i < 3; ++i) {
        DWORD m = masks[i];
        if (m & ~limit)
            return false;
        // A mask must be one run of set bits.
        if (m && std::popcount(m) != 32 - std::countl_zero(m) - std::countr_zero(m))
            return false;
    }
    return true;
}

} // namespace

bool ParseDibHeader(std::span<const BYTE> bytes, DibLayout& layout, std::string& error)
{
    layout = DibLayout{};
    if (bytes.size() < 4) {
        error = "DIB header is truncated";
        return false;
    }
    DWORD headerSize = Dword(bytes.data());
    const bool core = headerSize == kCoreHeaderBytes;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124) {
        error = "unknown DIB header size " + std::to_string(headerSize);
        return false;
    }
    if (bytes.size() < headerSize) {
        error = "DIB header is truncated";
        return false;
    }
    const BYTE* h = bytes.data();
    LONG width, height;
    WORD planes, bitCount;
    DWORD compression = BI_RGB, colorsUsed = 0;
    if (core) {
        width = Word(h + 4);
        height = Word(h + 6);
        planes = Word(h + 8);
        bitCount = Word(h + 10);
    } else {
        width = static_cast<LONG>(Dword(h + 4));
        height = static_cast<LONG>(Dword(h + 8));
        planes = Word(h + 12);
        bitCount = Word(h + 14);
        compression = Dword(h + 16);
        colorsUsed = Dword(h + 32);
    }
    if (planes != 1) {
        error = "DIB has " + std::to_string(planes) + " planes";
        return false;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
        error = "unsupported bit count " + std::to_string(bitCount);
        return false;
    }
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32))) {
        error = "unsupported compression " + std::to_string(compression);
        return false;
    }
    if (width <= 0 || height == 0 || height == static_cast<LONG>(0x80000000) || width > kMaxDimension ||
        std::abs(height) > kMaxDimension) {
        error = "bad DIB size " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    layout.width = width;
    layout.topDown = height < 0;
    layout.height = std::abs(height);
    if (static_cast<std::size_t>(layout.width) * layout.height > kMaxPixels) {
        error = "DIB too large";
        return false;
    }
    layout.bitCount = bitCount;
    layout.compression = compression;
    layout.stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    layout.imageBytes = layout.stride * layout.height;

    std::size_t at = headerSize;
    if (bitCount == 16 || bitCount == 32) {
        if (compression == BI_BITFIELDS) {
            if (headerSize >= 52) {
                for (int i = 0; i < 3; ++i)
                    layout.masks[i] = Dword(h + 40 + 4 * i);
                if (headerSize >= 56)
                    layout.masks[3] = Dword(h + 52);
            } else {
                if (bytes.size() < at + 12) {
                    error = "DIB colour masks are truncated";
                    return false;
                }
                for (int i = 0; i < 3; ++i)
                    layout.masks[i] = Dword(h + at + 4 * i);
                at += 12;
            }
            if (!MasksValid(layout.masks, bitCount)) {
                error = "bad DIB colour masks";
                return false;
            }
        } else if (bitCount == 16) {
            layout.masks[0] = 0x7C00;
            layout.masks[1] = 0x03E0;
            layout.masks[2] = 0x001F;
        } else {
            layout.masks[0] = 0x00FF0000;
            layout.masks[1] = 0x0000FF00;
            layout.masks[2] = 0x000000FF;
        }
    }
    if (bitCount <= 8) {
        std::size_t maxColors = std::size_t(1) << bitCount;
        std::size_t colors = colorsUsed ? colorsUsed : maxColors;
        if (colors > maxColors) {
            error = "DIB colour table of " + std::to_string(colorsUsed) + " entries";
            return false;
        }
        std::size_t entryBytes = core ? 3 : 4;
        if (bytes.size() < at + colors * entryBytes) {
            error = "DIB colour table is truncated";
            return false;
        }
        for (std::size_t i = 0; i < colors; ++i) {
            const BYTE* e = h + at + i * entryBytes;
            layout.palette.push_back({e[0], e[1], e[2], 0});
        }
        at += colors * entryBytes;
    }
    layout.headerBytes = at;
    return true;
}

bool DecodeDibPixels(const DibLayout& layout, std::span<const BYTE> bits, Surface& out, std::string& error)
{
    if (bits.size() < layout.imageBytes) {
        error = "DIB pixels are truncated";
        return false;
    }
    if (out.Width() != layout.width || out.Height() != layout.height) {
        error = "DIB decoded into a surface of another size";
        return false;
    }
    const std::size_t colors = layout.palette.size();
    auto fromPalette = [&](unsigned index) -> Pixel {
        if (index >= colors)
            return 0; // an index past the table is black
        const RGBQUAD& q = layout.palette[index];
        return (static_cast<Pixel>(q.rgbRed) << 16) | (static_cast<Pixel>(q.rgbGreen) << 8) | q.rgbBlue;
    };
    for (int y = 0; y < layout.height; ++y) {
        int memoryRow = layout.topDown ? y : layout.height - 1 - y;
        const BYTE* row = bits.data() + static_cast<std::size_t>(memoryRow) * layout.stride;
        Pixel* dst = out.Row(y);
        for (int x = 0; x < layout.width; ++x) {
            switch (layout.bitCount) {
            case 1:
                dst[x] = fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                dst[x] = fromPalette((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
                break;
            case 8:
                dst[x] = fromPalette(row[x]);
                break;
            case 16: {
                DWORD v = Word(row + 2 * x);
                dst[x] = (static_cast<Pixel>(Channel(v, layout.masks[0])) << 16) |
                         (static_cast<Pixel>(Channel(v, layout.masks[1])) << 8) | Channel(v, layout.masks[2]);
                break;
            }
            case 24: {
                const BYTE* p = row + 3 * x;
                dst[x] = (static_cast<Pixel>(p[2]) << 16) | (static_cast<Pixel>(p[1]) << 8) | p[0];
                break;
            }
            case 32: {
                DWORD v = Dword(row + 4 * x);
                if (layout.compression == BI_RGB) {
                    dst[x] = v; // the fourth byte is kept: it is the alpha of AlphaBlend sources
                } else {
                    dst[x] = (static_cast<Pixel>(Channel(v, layout.masks[0])) << 16) |
                             (static_cast<Pixel>(Channel(v, layout.masks[1])) << 8) | Channel(v, layout.masks[2]) |
                             (static_cast<Pixel>(Channel(v, layout.masks[3])) << 24);
                }
                break;
            }
            }
        }
    }
    return true;
}

namespace {

DibResult Decode(std::span<const BYTE> header, std::span<const BYTE> bits)
{
    DibResult result;
    if (!ParseDibHeader(header, result.layout, result.error))
        return result;
    // Checked before the surface is made: a file of a few bytes that claims
    // a large picture must not cost the memory of one.
    if (bits.size() < result.layout.imageBytes) {
        result.error = "DIB pixels are truncated";
        return result;
    }
    auto image = std::make_shared<Surface>(result.layout.width, result.layout.height, !result.layout.topDown);
    if (!DecodeDibPixels(result.layout, bits, *image, result.error))
        return result;
    result.image = image;
    return result;
}

} // namespace

DibResult ParseBmp(std::span<const BYTE> file)
{
    if (file.size() < kFileHeaderBytes + kCoreHeaderBytes || Word(file.data()) != 0x4D42) {
        DibResult result;
        result.error = "not a BMP file";
        return result;
    }
    DWORD offBits = Dword(file.data() + 10);
    std::span<const BYTE> header = file.subspan(kFileHeaderBytes);
    DibResult probe;
    if (!ParseDibHeader(header, probe.layout, probe.error))
        return probe;
    // The pixels start at bfOffBits, which must not overlap the headers.
    if (offBits < kFileHeaderBytes + probe.layout.headerBytes || offBits > file.size()) {
        probe.error = "bad pixel offset " + std::to_string(offBits);
        return probe;
    }
    return Decode(header, file.subspan(offBits));
}

DibResult ParsePackedDib(std::span<const BYTE> dib)
{
    DibResult probe;
    if (!ParseDibHeader(dib, probe.layout, probe.error))
        return probe;
    return Decode(dib, dib.subspan(probe.layout.headerBytes));
}

std::vector<BYTE> EncodeBmp(const Surface& image, int bitCount, bool topDown)
{
    if (bitCount != 24)
        bitCount = 32;
    const int width = image.Width();
    const int height = image.Height();
    const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    const DWORD imageBytes = static_cast<DWORD>(stride * height);
    const DWORD offBits = static_cast<DWORD>(kFileHeaderBytes + kInfoHeaderBytes);
    std::vector<BYTE> out;
    out.reserve(offBits + imageBytes);
    PutWord(out, 0x4D42);
    PutDword(out, offBits + imageBytes);
    PutWord(out, 0);
    PutWord(out, 0);
    PutDword(out, offBits);
    PutDword(out, kInfoHeaderBytes);
    PutDword(out, static_cast<DWORD>(width));
    PutDword(out, static_cast<DWORD>(topDown ? -height : height));
    PutWord(out, 1);
    PutWord(out, static_cast<WORD>(bitCount));
    PutDword(out, BI_RGB);
    PutDword(out, imageBytes);
    PutDword(out, 3780); // 96 dots per inch
    PutDword(out, 3780);
    PutDword(out, 0);
    PutDword(out, 0);
    for (int i = 0; i < height; ++i) {
        int y = topDown ? i : height - 1 - i;
        const Pixel* row = image.Row(y);
        std::size_t written = 0;
        for (int x = 0; x < width; ++x) {
            Pixel p = row[x];
            out.push_back(static_cast<BYTE>(p));
            out.push_back(static_cast<BYTE>(p >> 8));
            out.push_back(static_cast<BYTE>(p >> 16));
            written += 3;
            if (bitCount == 32) {
                out.push_back(static_cast<BYTE>(p >> 24));
                ++written;
            }
        }
        for (; written < stride; ++written)
            out.push_back(0);
    }
    return out;
}

} // namespace gdi

// Bitmaps: device-dependent bitmaps (32-bit colour or monochrome), 32-bit
// DIB sections, and the calls that move DIB bits in and out.
#include "Canvas.h"

#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <cstring>

using namespace gdi;

namespace {

constexpr int kMaxDimension = 32768;
constexpr long long kMaxPixels = 1LL << 28;

bool SizeAllowed(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           static_cast<long long>(width) * height <= kMaxPixels;
}

bool DcIsMonochrome(HDC dc)
{
    auto object = LookupDc(dc);
    return object && object->dcKind == DcKind::Memory && object->state.bitmap->monochrome;
}

// The bytes of a BITMAPINFO that ParseDibHeader may read: the header, the
// masks and at most 256 colours. Only what the header asks for is read.
std::span<const BYTE> InfoBytes(const BITMAPINFO* info)
{
    return {reinterpret_cast<const BYTE*>(info), info->bmiHeader.biSize + 12 + 256 * 4};
}

bool ParseInfo(const BITMAPINFO* info, UINT usage, DibLayout& layout)
{
    if (!info || usage != DIB_RGB_COLORS)
        return false;
    std::string error;
    return ParseDibHeader(InfoBytes(info), layout, error);
}

// Decodes scan lines [startScan, startScan + scanLines) of a DIB into a
// surface of the whole image; rows that are not given stay transparent to
// the caller (unset is reported through the returned row range).
std::shared_ptr<Surface> DecodeScans(const DibLayout& full, UINT startScan, UINT scanLines, const void* bits,
                                     int& firstRow, int& rowCount)
{
    if (!bits || startScan >= static_cast<UINT>(full.height) || scanLines == 0)
        return nullptr;
    UINT lines = std::min<UINT>(scanLines, full.height - startScan);
    DibLayout part = full;
    part.height = static_cast<int>(lines);
    part.imageBytes = part.stride * lines;
    auto rows = std::make_shared<Surface>(full.width, part.height);
    std::string error;
    if (!DecodeDibPixels(part, {static_cast<const BYTE*>(bits), part.imageBytes}, *rows, error))
        return nullptr;
    // Scan 0 is the bottom row of a bottom-up DIB and the top row of a
    // top-down one.
    firstRow = full.topDown ? static_cast<int>(startScan) : full.height - static_cast<int>(startScan + lines);
    rowCount = static_cast<int>(lines);
    return rows;
}

// Blits a surface through a temporary memory DC.
BOOL BlitSurface(HDC dest, int x, int y, int width, int height, std::shared_ptr<Surface> surface, int xSrc, int ySrc,
                 int srcWidth, int srcHeight, DWORD rop)
{
    HDC memory = CreateCompatibleDC(dest);
    HBITMAP bitmap = InsertBitmap(std::move(surface), false, false);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL ok = StretchBlt(dest, x, y, width, height, memory, xSrc, ySrc, srcWidth, srcHeight, rop);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return ok;
}

} // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (planes != 1 || !SizeAllowed(width, height))
        return nullptr;
    if (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return nullptr;
    auto surface = std::make_shared<Surface>(width, height);
    const bool mono = bitsPerPixel == 1;
    if (bits) {
        // Device-dependent rows are padded to 16 bits.
        const std::size_t stride = ((static_cast<std::size_t>(width) * bitsPerPixel + 15) / 16) * 2;
        const BYTE* src = static_cast<const BYTE*>(bits);
        for (int y = 0; y < height; ++y) {
            const BYTE* row = src + stride * y;
            Pixel* dst = surface->Row(y);
            for (int x = 0; x < width; ++x) {
                if (mono) {
                    dst[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFF : 0;
                } else if (bitsPerPixel == 24) {
                    const BYTE* p = row + 3 * x;
                    dst[x] = (static_cast<Pixel>(p[2]) << 16) | (static_cast<Pixel>(p[1]) << 8) | p[0];
                } else {
                    std::memcpy(&dst[x], row + 4 * x, 4);
                }
            }
        }
    }
    return InsertBitmap(surface, mono, false);
}

HBITMAP CreateBitmapIndirect(const BITMAP* bitmap)
{
    if (!bitmap)
        return nullptr;
    return CreateBitmap(bitmap->bmWidth, bitmap->bmHeight, bitmap->bmPlanes, bitmap->bmBitsPixel, bitmap->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (dc && !LookupDc(dc))
        return nullptr;
    // A zero size gives a 1 x 1 monochrome bitmap, as on Windows.
    if (width == 0 || height == 0)
        return CreateBitmap(1, 1, 1, 1, nullptr);
    if (!SizeAllowed(width, height))
        return nullptr;
    bool mono = DcIsMonochrome(dc);
    return InsertBitmap(std::make_shared<Surface>(width, height), mono, false);
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
{
    if (bits)
        *bits = nullptr;
    if (section || (dc && !LookupDc(dc)))
        return nullptr;
    // Checked before the header is parsed: other depths would have a colour
    // table to read, which the caller need not have provided.
    if (!info || info->bmiHeader.biBitCount != 32)
        return nullptr;
    DibLayout layout;
    if (!ParseInfo(info, usage, layout))
        return nullptr;
    if (layout.compression == BI_BITFIELDS &&
        (layout.masks[0] != 0x00FF0000 || layout.masks[1] != 0x0000FF00 || layout.masks[2] != 0x000000FF))
        return nullptr;
    if (!SizeAllowed(layout.width, layout.height))
        return nullptr;
    auto surface = std::make_shared<Surface>(layout.width, layout.height, !layout.topDown);
    if (bits)
        *bits = surface->Bits();
    return InsertBitmap(surface, false, true);
}

int SetDIBits(HDC dc, HBITMAP handle, UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
              UINT usage)
{
    auto bitmap = LookupBitmap(handle);
    DibLayout layout;
    if (!bitmap || !ParseInfo(info, usage, layout))
        return 0;
    if (layout.width != bitmap->surface->Width() || layout.height != bitmap->surface->Height())
        return 0;
    int first = 0, count = 0;
    auto rows = DecodeScans(layout, startScan, scanLines, bits, first, count);
    if (!rows)
        return 0;
    for (int i = 0; i < count; ++i) {
        const Pixel* src = rows->Row(i);
        Pixel* dst = bitmap->surface->Row(first + i);
        for (int x = 0; x < layout.width; ++x)
            dst[x] = bitmap->monochrome ? ((src[x] & 0xFFFFFF) ? 0xFFFFFF : 0) : src[x];
    }
    return count;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage)
{
    if (!header)
        return nullptr;
    int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, header->biWidth, height);
    if (!bitmap)
        return nullptr;
    if ((init & CBM_INIT) && SetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bits, info, usage) == 0) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

int GetDIBits(HDC dc, HBITMAP handle, UINT startScan, UINT scanLines, LPVOID bits, BITMAPINFO* info, UINT usage)
{
    auto bitmap = LookupBitmap(handle);
    if (!bitmap || !info || usage != DIB_RGB_COLORS || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER))
        return 0;
    const Surface& surface = *bitmap->surface;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (!bits) {
        // Describe the bitmap: the caller asks for its format.
        if (h.biBitCount == 0) {
            h.biWidth = surface.Width();
            h.biHeight = surface.Height();
            h.biPlanes = 1;
            h.biBitCount = bitmap->monochrome ? 1 : 32;
            h.biCompression = BI_RGB;
        }
        h.biSizeImage = static_cast<DWORD>(((static_cast<std::size_t>(h.biWidth) * h.biBitCount + 31) / 32) * 4 *
                                           (h.biHeight < 0 ? -h.biHeight : h.biHeight));
        return surface.Height();
    }
    if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB || h.biWidth != surface.Width())
        return 0;
    const int height = surface.Height();
    const bool topDown = h.biHeight < 0;
    if ((topDown ? -h.biHeight : h.biHeight) != height || startScan >= static_cast<UINT>(height))
        return 0;
    UINT lines = std::min<UINT>(scanLines, height - startScan);
    const std::size_t stride = ((static_cast<std::size_t>(surface.Width()) * h.biBitCount + 31) / 32) * 4;
    BYTE* out = static_cast<BYTE*>(bits);
    for (UINT i = 0; i < lines; ++i) {
        UINT scan = startScan + i;
        int y = topDown ? static_cast<int>(scan) : height - 1 - static_cast<int>(scan);
        BYTE* row = out + stride * i;
        std::memset(row, 0, stride);
        const Pixel* src = surface.Row(y);
        for (int x = 0; x < surface.Width(); ++x) {
            Pixel p = src[x];
            if (h.biBitCount == 24) {
                row[3 * x] = static_cast<BYTE>(p);
                row[3 * x + 1] = static_cast<BYTE>(p >> 8);
                row[3 * x + 2] = static_cast<BYTE>(p >> 16);
            } else {
                std::memcpy(row + 4 * x, &p, 4);
            }
        }
    }
    return static_cast<int>(lines);
}

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    DibLayout layout;
    if (!LookupDc(dc) || !ParseInfo(info, usage, layout))
        return 0;
    int first = 0, count = 0;
    auto rows = DecodeScans(layout, startScan, scanLines, bits, first, count);
    if (!rows)
        return 0;
    // The source rectangle's origin is the DIB's lower-left corner for a
    // bottom-up DIB and its upper-left corner for a top-down one.
    int w = static_cast<int>(width), h = static_cast<int>(height);
    int top = layout.topDown ? ySrc : layout.height - ySrc - h;
    // Only the given scan lines paint.
    int visibleTop = std::max(top, first);
    int visibleBottom = std::min(top + h, first + count);
    if (visibleTop < visibleBottom && w > 0)
        BlitSurface(dc, xDest, yDest + (visibleTop - top), w, visibleBottom - visibleTop, rows, xSrc,
                    visibleTop - first, w, visibleBottom - visibleTop, SRCCOPY);
    return count;
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    DibLayout layout;
    if (!LookupDc(dc) || !ParseInfo(info, usage, layout))
        return 0;
    int first = 0, count = 0;
    auto rows = DecodeScans(layout, 0, static_cast<UINT>(layout.height), bits, first, count);
    if (!rows)
        return 0;
    int top = layout.topDown ? ySrc : layout.height - ySrc - srcHeight;
    if (!BlitSurface(dc, xDest, yDest, destWidth, destHeight, rows, xSrc, top, srcWidth, srcHeight, rop))
        return 0;
    return layout.height;
}

LONG GetBitmapBits(HBITMAP handle, LONG bytes, LPVOID bits)
{
    auto bitmap = LookupBitmap(handle);
    if (!bitmap || bytes < 0)
        return 0;
    const Surface& s = *bitmap->surface;
    const std::size_t stride = bitmap->monochrome ? ((s.Width() + 15) / 16) * 2 : s.Width() * 4;
    const std::size_t total = stride * s.Height();
    if (!bits)
        return static_cast<LONG>(total);
    std::size_t limit = std::min<std::size_t>(total, static_cast<std::size_t>(bytes));
    BYTE* out = static_cast<BYTE*>(bits);
    std::memset(out, 0, limit);
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            if (bitmap->monochrome) {
                std::size_t at = stride * y + (x >> 3);
                if (at < limit && (s.At(x, y) & 0xFFFFFF))
                    out[at] |= static_cast<BYTE>(0x80 >> (x & 7));
            } else {
                std::size_t at = stride * y + 4 * x;
                if (at + 4 <= limit) {
                    Pixel p = s.At(x, y);
                    std::memcpy(out + at, &p, 4);
                }
            }
        }
    }
    return static_cast<LONG>(limit);
}

BOOL GetBitmapDimensionEx(HBITMAP handle, LPSIZE size)
{
    if (!LookupBitmap(handle) || !size)
        return FALSE;
    *size = {0, 0}; // no dimension was ever set
    return TRUE;
}

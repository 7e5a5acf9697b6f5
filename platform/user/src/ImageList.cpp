// Image lists. Each image keeps its pixels (0x00RRGGBB) and, in a masked
// list, which of them are transparent; drawing turns one image into a DIB
// section and a monochrome mask for the blit, so the DC's clipping and
// mapping apply as to any other drawing.
#include "user/ImageList.h"

#include "gdi/Gdi.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

struct _IMAGELIST {
    std::mutex mutex;
    int cx = 0;
    int cy = 0;
    bool masked = false;
    COLORREF background = CLR_NONE;
    struct Image {
        std::vector<std::uint32_t> pixels;  // cx * cy, rows top down
        std::vector<std::uint8_t> transparent; // cx * cy in a masked list, else empty
    };
    std::vector<Image> images;
};

namespace {

using Pixels = std::vector<std::uint32_t>;

// Every live list, so that a stale or foreign handle is refused and a list
// drawn on one thread cannot vanish under it from another.
struct Registry {
    std::mutex mutex;
    std::unordered_map<HIMAGELIST, std::shared_ptr<_IMAGELIST>> lists;
};

Registry& Lists()
{
    static Registry registry;
    return registry;
}

std::shared_ptr<_IMAGELIST> Lookup(HIMAGELIST handle)
{
    auto& registry = Lists();
    std::lock_guard lock(registry.mutex);
    auto it = registry.lists.find(handle);
    return it == registry.lists.end() ? nullptr : it->second;
}

std::uint32_t PixelOf(COLORREF color)
{
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) | (static_cast<std::uint32_t>(GetGValue(color)) << 8)
        | GetBValue(color);
}

BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The pixels of a whole bitmap; empty when it cannot be read.
Pixels ReadBitmap(HBITMAP bitmap, int* width, int* height)
{
    BITMAP info = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return {};
    Pixels pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    BITMAPINFO format = TopDown32(info.bmWidth, info.bmHeight);
    if (!GetDIBits(nullptr, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &format, DIB_RGB_COLORS))
        return {};
    for (auto& p : pixels)
        p &= 0xFFFFFF;
    *width = info.bmWidth;
    *height = info.bmHeight;
    return pixels;
}

// A DIB section holding the pixels, with a memory DC that has it selected.
class PixelCanvas {
public:
    PixelCanvas(int width, int height)
        : m_width(width)
    {
        BITMAPINFO info = TopDown32(width, height);
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_dc = CreateCompatibleDC(nullptr);
        if (m_bitmap && m_dc)
            m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~PixelCanvas()
    {
        if (m_dc) {
            if (m_previous)
                SelectObject(m_dc, m_previous);
            DeleteDC(m_dc);
        }
        if (m_bitmap)
            DeleteObject(m_bitmap);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    bool Ok() const { return m_bits && m_dc; }
    HDC Dc() const { return m_dc; }
    std::uint32_t& At(int x, int y) { return m_bits[static_cast<std::size_t>(y) * m_width + x]; }

private:
    int m_width;
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};

// Cuts image i (cx x cy) out of a row of images; pixels beyond the source
// stay as `fill`.
_IMAGELIST::Image Slice(const _IMAGELIST& list, const Pixels& source, int width, int height, int index,
                        std::uint32_t fill)
{
    _IMAGELIST::Image image;
    image.pixels.assign(static_cast<std::size_t>(list.cx) * list.cy, fill);
    for (int y = 0; y < std::min(list.cy, height); ++y)
        for (int x = 0; x < list.cx; ++x)
            image.pixels[static_cast<std::size_t>(y) * list.cx + x]
                = source[static_cast<std::size_t>(y) * width + index * list.cx + x];
    return image;
}

int Append(_IMAGELIST& list, std::vector<_IMAGELIST::Image> images)
{
    int first = static_cast<int>(list.images.size());
    for (auto& image : images)
        list.images.push_back(std::move(image));
    return first;
}

// Draws an icon over a cx x cy field of `fill` and returns the pixels.
Pixels RenderIcon(HICON icon, int cx, int cy, std::uint32_t fill, UINT flags)
{
    PixelCanvas canvas(cx, cy);
    if (!canvas.Ok())
        return {};
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            canvas.At(x, y) = fill;
    if (!DrawIconEx(canvas.Dc(), 0, 0, icon, cx, cy, 0, nullptr, flags))
        return {};
    Pixels out(static_cast<std::size_t>(cx) * cy);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            out[static_cast<std::size_t>(y) * cx + x] = canvas.At(x, y) & 0xFFFFFF;
    return out;
}

HBITMAP MaskBitmap(const std::vector<std::uint8_t>& transparent, int cx, int cy, int width, int height)
{
    // Device-dependent rows are padded to 16 bits.
    const std::size_t stride = ((static_cast<std::size_t>(width) + 15) / 16) * 2;
    std::vector<BYTE> bits(stride * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (transparent[static_cast<std::size_t>(y) * cx + x])
                bits[stride * y + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    return CreateBitmap(width, height, 1, 1, bits.data());
}

// Appends the images of a row of them; a masked list lets `mask` mark the
// transparent pixels of image i (all opaque before). The index of the first, or -1.
template <typename MaskFn>
int AddSlices(const std::shared_ptr<_IMAGELIST>& list, HBITMAP image, std::uint32_t fill, MaskFn mask)
{
    if (!list)
        return -1;
    int width = 0, height = 0;
    Pixels pixels = ReadBitmap(image, &width, &height);
    const int count = pixels.empty() ? 0 : width / list->cx;
    if (count == 0)
        return -1;
    std::vector<_IMAGELIST::Image> images;
    for (int i = 0; i < count; ++i) {
        auto slice = Slice(*list, pixels, width, height, i, fill);
        if (list->masked) {
            slice.transparent.assign(slice.pixels.size(), 0);
            mask(i, slice);
        }
        images.push_back(std::move(slice));
    }
    std::lock_guard lock(list->mutex);
    return Append(*list, std::move(images));
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow)
{
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096 || initial < 0 || grow < 0)
        return nullptr;
    auto list = std::make_shared<_IMAGELIST>();
    list->cx = cx;
    list->cy = cy;
    list->masked = (flags & ILC_MASK) != 0;
    list->images.reserve(static_cast<std::size_t>(std::min(initial, 1024)));
    auto& registry = Lists();
    std::lock_guard lock(registry.mutex);
    registry.lists[list.get()] = list;
    return list.get();
}

BOOL ImageList_Destroy(HIMAGELIST handle)
{
    auto& registry = Lists();
    std::lock_guard lock(registry.mutex);
    return registry.lists.erase(handle) ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST handle)
{
    auto list = Lookup(handle);
    if (!list)
        return 0;
    std::lock_guard lock(list->mutex);
    return static_cast<int>(list->images.size());
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy)
{
    auto list = Lookup(handle);
    if (!list || !cx || !cy)
        return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask)
{
    auto list = Lookup(handle);
    int maskWidth = 0, maskHeight = 0;
    Pixels maskPixels = list && list->masked ? ReadBitmap(mask, &maskWidth, &maskHeight) : Pixels();
    return AddSlices(list, image, 0, [&](int i, _IMAGELIST::Image& slice) {
        // A mask narrower than the images leaves the later ones opaque.
        if ((i + 1) * list->cx > maskWidth)
            return;
        auto bits = Slice(*list, maskPixels, maskWidth, maskHeight, i, 0);
        for (std::size_t p = 0; p < bits.pixels.size(); ++p)
            slice.transparent[p] = bits.pixels[p] != 0;
    });
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image, COLORREF maskColor)
{
    const std::uint32_t key = PixelOf(maskColor);
    return AddSlices(Lookup(handle), image, key, [&](int, _IMAGELIST::Image& slice) {
        for (std::size_t p = 0; p < slice.pixels.size(); ++p) {
            if (slice.pixels[p] == key) {
                slice.transparent[p] = 1;
                slice.pixels[p] = 0;
            }
        }
    });
}

int ImageList_ReplaceIcon(HIMAGELIST handle, int index, HICON icon)
{
    auto list = Lookup(handle);
    if (!list || !icon || index < -1)
        return -1;
    _IMAGELIST::Image image;
    if (list->masked) {
        image.pixels = RenderIcon(icon, list->cx, list->cy, 0, DI_NORMAL);
        Pixels mask = RenderIcon(icon, list->cx, list->cy, 0xFFFFFF, DI_MASK);
        if (image.pixels.empty() || mask.empty())
            return -1;
        image.transparent.resize(mask.size());
        for (std::size_t p = 0; p < mask.size(); ++p)
            image.transparent[p] = mask[p] == 0xFFFFFF;
    } else {
        COLORREF background = ImageList_GetBkColor(handle);
        std::uint32_t fill = background == CLR_NONE ? 0 : PixelOf(background);
        image.pixels = RenderIcon(icon, list->cx, list->cy, fill, DI_NORMAL);
        if (image.pixels.empty())
            return -1;
    }
    std::lock_guard lock(list->mutex);
    if (index == -1)
        return Append(*list, {std::move(image)});
    if (index >= static_cast<int>(list->images.size()))
        return -1;
    list->images[static_cast<std::size_t>(index)] = std::move(image);
    return index;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF color)
{
    auto list = Lookup(handle);
    if (!list)
        return CLR_NONE;
    std::lock_guard lock(list->mutex);
    COLORREF old = list->background;
    list->background = color;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle)
{
    auto list = Lookup(handle);
    if (!list)
        return CLR_NONE;
    std::lock_guard lock(list->mutex);
    return list->background;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style)
{
    return ImageList_DrawEx(list, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST handle, int index, HDC dc, int x, int y, int width, int height,
                      COLORREF background, COLORREF, UINT style)
{
    auto list = Lookup(handle);
    if (!list || !dc || index < 0)
        return FALSE;
    _IMAGELIST::Image image;
    {
        std::lock_guard lock(list->mutex);
        if (index >= static_cast<int>(list->images.size()))
            return FALSE;
        image = list->images[static_cast<std::size_t>(index)];
        if (background == CLR_DEFAULT)
            background = list->background;
    }
    width = width <= 0 ? list->cx : std::min(width, list->cx);
    height = height <= 0 ? list->cy : std::min(height, list->cy);
    const bool masked = !image.transparent.empty();
    PixelCanvas canvas(width, height);
    if (!canvas.Ok())
        return FALSE;
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            std::size_t p = static_cast<std::size_t>(row) * list->cx + col;
            if (style & ILD_MASK)
                canvas.At(col, row) = masked && image.transparent[p] ? 0xFFFFFF : 0;
            else
                canvas.At(col, row) = image.pixels[p];
        }
    const bool keepBackground = masked && !(style & ILD_MASK)
        && ((style & ILD_TRANSPARENT) || background == CLR_NONE);
    if (!keepBackground) {
        if (masked && !(style & ILD_MASK))
            for (int row = 0; row < height; ++row)
                for (int col = 0; col < width; ++col)
                    if (image.transparent[static_cast<std::size_t>(row) * list->cx + col])
                        canvas.At(col, row) = PixelOf(background);
        return BitBlt(dc, x, y, width, height, canvas.Dc(), 0, 0, SRCCOPY);
    }
    HBITMAP mask = MaskBitmap(image.transparent, list->cx, list->cy, width, height);
    if (!mask)
        return FALSE;
    // Set mask bits (transparent) keep the destination; clear ones copy the image.
    constexpr DWORD kKeepDestination = 0x00AA0029;
    BOOL ok = MaskBlt(dc, x, y, width, height, canvas.Dc(), 0, 0, mask, 0, 0, MAKEROP4(kKeepDestination, SRCCOPY));
    DeleteObject(mask);
    return ok;
}

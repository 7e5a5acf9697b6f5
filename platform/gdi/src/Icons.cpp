// Icons (a colour image and an AND mask) and DrawState.
#include "Canvas.h"

#include "gdi/Gdi.h"
#include "win32/WideString.h"

#include <algorithm>

using namespace gdi;

namespace {

constexpr int kDefaultIconSize = 32;

bool HasAlpha(const Surface& s)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.At(x, y) >> 24)
                return true;
    return false;
}

// Runs f(surfaceX, surfaceY, iconX, iconY) over the visible pixels of the
// icon stretched to width x height at (x, y) logical.
template <typename F>
void ForEachIconPixel(Canvas& canvas, int x, int y, int width, int height, const IconObject& icon, F f)
{
    POINT at = canvas.ToSurface(x, y);
    for (const RECT& chunk : ClippedRects(canvas, RECT{at.x, at.y, at.x + width, at.y + height}))
        for (int sy = chunk.top; sy < chunk.bottom; ++sy) {
            int iy = static_cast<int>((2LL * (sy - at.y) + 1) * icon.height / (2LL * height));
            for (int sx = chunk.left; sx < chunk.right; ++sx) {
                int ix = static_cast<int>((2LL * (sx - at.x) + 1) * icon.width / (2LL * width));
                f(sx, sy, ix, iy);
            }
        }
}

// Whether the icon covers its pixel (ix, iy) and with what colour.
bool Opaque(const IconObject& icon, bool alpha, int ix, int iy, Pixel& color)
{
    if (icon.color) {
        Pixel p = icon.color->At(ix, iy);
        color = p & 0xFFFFFF;
        if (alpha)
            return (p >> 24) != 0;
        return (icon.mask->At(ix, iy) & 0xFFFFFF) == 0;
    }
    // Monochrome: the XOR half lies below the AND half.
    color = icon.mask->At(ix, iy + icon.height) & 0xFFFFFF;
    return (icon.mask->At(ix, iy) & 0xFFFFFF) == 0;
}

void Silhouette(Canvas& canvas, int x, int y, int width, int height, const IconObject& icon, Pixel color)
{
    bool alpha = icon.color && HasAlpha(*icon.color);
    ForEachIconPixel(canvas, x, y, width, height, icon, [&](int sx, int sy, int ix, int iy) {
        Pixel c;
        if (Opaque(icon, alpha, ix, iy, c) && c != 0xFFFFFF)
            canvas.surface->Set(sx, sy, canvas.Adapt(color));
    });
}

} // namespace

HICON CreateIconIndirect(const ICONINFO* info)
{
    if (!info)
        return nullptr;
    auto mask = LookupBitmap(info->hbmMask);
    auto color = info->hbmColor ? LookupBitmap(info->hbmColor) : nullptr;
    if (!mask || (info->hbmColor && !color))
        return nullptr;
    auto icon = std::make_shared<IconObject>();
    icon->isIcon = info->fIcon;
    icon->width = mask->surface->Width();
    icon->height = color ? color->surface->Height() : mask->surface->Height() / 2;
    if (icon->width <= 0 || icon->height <= 0 || (color && color->surface->Width() != icon->width) ||
        mask->surface->Height() < icon->height)
        return nullptr;
    icon->mask = mask->surface->Clone();
    if (color)
        icon->color = color->surface->Clone();
    // An icon's hot spot is its centre.
    icon->xHotspot = info->fIcon ? static_cast<DWORD>(icon->width / 2) : info->xHotspot;
    icon->yHotspot = info->fIcon ? static_cast<DWORD>(icon->height / 2) : info->yHotspot;
    return static_cast<HICON>(InsertObject(icon));
}

BOOL GetIconInfo(HICON handle, ICONINFO* info)
{
    auto icon = LookupIcon(handle);
    if (!icon || !info)
        return FALSE;
    info->fIcon = icon->isIcon;
    info->xHotspot = icon->xHotspot;
    info->yHotspot = icon->yHotspot;
    info->hbmMask = InsertBitmap(icon->mask->Clone(), true, false);
    info->hbmColor = icon->color ? InsertBitmap(icon->color->Clone(), false, false) : nullptr;
    return TRUE;
}

BOOL DestroyIcon(HICON handle)
{
    auto icon = LookupIcon(handle);
    if (!icon)
        return FALSE;
    if (icon->stock)
        return TRUE; // a shared icon stays for the process
    return RemoveObject(handle) ? TRUE : FALSE;
}

HICON CopyIcon(HICON handle)
{
    auto icon = LookupIcon(handle);
    if (!icon)
        return nullptr;
    auto copy = std::make_shared<IconObject>(*icon);
    copy->selections = 0;
    return static_cast<HICON>(InsertObject(copy));
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON handle, int width, int height, UINT step, HBRUSH flicker, UINT flags)
{
    auto canvas = Canvas::Of(dc);
    auto icon = LookupIcon(handle);
    if (!canvas || !icon)
        return FALSE;
    if (width == 0)
        width = (flags & DI_DEFAULTSIZE) ? kDefaultIconSize : icon->width;
    if (height == 0)
        height = (flags & DI_DEFAULTSIZE) ? kDefaultIconSize : icon->height;
    if (width < 0 || height < 0 || width > (1 << 24) || height > (1 << 24))
        return FALSE;
    if (flicker) {
        RECT r{x, y, x + width, y + height};
        FillRect(dc, &r, flicker);
    }
    const bool drawMask = flags & DI_MASK;
    const bool drawImage = flags & DI_IMAGE;
    const bool alpha = icon->color && drawMask && drawImage && HasAlpha(*icon->color);
    ForEachIconPixel(*canvas, x, y, width, height, *icon, [&](int sx, int sy, int ix, int iy) {
        Pixel d = canvas->surface->At(sx, sy) & 0xFFFFFF;
        if (alpha) {
            // Icons with an alpha channel blend straight (not premultiplied) colours.
            Pixel p = icon->color->At(ix, iy);
            unsigned a = p >> 24;
            Pixel out = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                unsigned sc = (p >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                out |= ((sc * a + dc * (255 - a) + 127) / 255) << shift;
            }
            canvas->surface->Set(sx, sy, canvas->Adapt(out));
            return;
        }
        Pixel andBits = icon->mask->At(ix, iy) & 0xFFFFFF;
        Pixel xorBits = icon->color ? icon->color->At(ix, iy) & 0xFFFFFF : icon->mask->At(ix, iy + icon->height) & 0xFFFFFF;
        Pixel out = d;
        if (drawMask)
            out &= andBits;
        if (drawImage)
            out = drawMask ? (out ^ xorBits) : xorBits;
        canvas->surface->Set(sx, sy, canvas->Adapt(out));
    });
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon)
{
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

BOOL DrawStateW(HDC dc, HBRUSH brush, DRAWSTATEPROC callback, LPARAM data, WPARAM length, int x, int y, int width,
                int height, UINT flags)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas)
        return FALSE;
    const UINT type = flags & 0xF;
    const bool disabled = flags & DSS_DISABLED;
    const bool mono = flags & DSS_MONO;
    Pixel monoColor = 0;
    if (mono) {
        auto b = LookupBrush(brush);
        monoColor = b ? PixelFromColor(b->color) : PixelFromColor(canvas->dc->state.textColor);
    }
    switch (type) {
    case DST_ICON: {
        HICON handle = reinterpret_cast<HICON>(data);
        auto icon = LookupIcon(handle);
        if (!icon)
            return FALSE;
        int w = width ? width : icon->width, h = height ? height : icon->height;
        if (disabled) {
            // Embossed: the shape in the highlight colour one pixel down and
            // right, then in the shadow colour in place.
            Silhouette(*canvas, x + 1, y + 1, w, h, *icon, PixelFromColor(GetSysColor(COLOR_3DHILIGHT)));
            Silhouette(*canvas, x, y, w, h, *icon, PixelFromColor(GetSysColor(COLOR_3DSHADOW)));
        } else if (mono) {
            Silhouette(*canvas, x, y, w, h, *icon, monoColor);
        } else {
            DrawIconEx(dc, x, y, handle, w, h, 0, nullptr, DI_NORMAL);
        }
        return TRUE;
    }
    case DST_BITMAP: {
        HBITMAP handle = reinterpret_cast<HBITMAP>(data);
        auto bitmap = LookupBitmap(handle);
        if (!bitmap)
            return FALSE;
        int w = width ? width : bitmap->surface->Width(), h = height ? height : bitmap->surface->Height();
        if (disabled || mono) {
            auto paint = [&](int ox, int oy, Pixel color) {
                POINT at = canvas->ToSurface(ox, oy);
                for (int by = 0; by < h && by < bitmap->surface->Height(); ++by)
                    for (int bx = 0; bx < w && bx < bitmap->surface->Width(); ++bx)
                        if ((bitmap->surface->At(bx, by) & 0xFFFFFF) != 0xFFFFFF)
                            canvas->Put(at.x + bx, at.y + by, color);
            };
            if (disabled) {
                paint(x + 1, y + 1, PixelFromColor(GetSysColor(COLOR_3DHILIGHT)));
                paint(x, y, PixelFromColor(GetSysColor(COLOR_3DSHADOW)));
            } else {
                paint(x, y, monoColor);
            }
            return TRUE;
        }
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, handle);
        BOOL ok = old ? BitBlt(dc, x, y, w, h, memory, 0, 0, SRCCOPY) : FALSE;
        if (old)
            SelectObject(memory, old);
        DeleteDC(memory);
        return ok;
    }
    case DST_TEXT:
    case DST_PREFIXTEXT: {
        LPCWSTR text = reinterpret_cast<LPCWSTR>(data);
        if (!text)
            return FALSE;
        int count = length ? static_cast<int>(length) : static_cast<int>(wcslen(text));
        UINT format = DT_NOCLIP | DT_SINGLELINE | (type == DST_TEXT ? DT_NOPREFIX : 0);
        if (width == 0 || height == 0) {
            SIZE size{};
            GetTextExtentPoint32W(dc, text, count, &size);
            width = width ? width : size.cx;
            height = height ? height : size.cy;
        }
        int oldMode = SetBkMode(dc, TRANSPARENT);
        COLORREF oldColor = GetTextColor(dc);
        auto draw = [&](int ox, int oy, COLORREF color) {
            SetTextColor(dc, color);
            RECT r{ox, oy, ox + width, oy + height};
            DrawTextW(dc, text, count, &r, format);
        };
        if (disabled) {
            draw(x + 1, y + 1, GetSysColor(COLOR_3DHILIGHT));
            draw(x, y, GetSysColor(COLOR_3DSHADOW));
        } else {
            draw(x, y, mono ? ColorFromPixel(monoColor) : oldColor);
        }
        SetTextColor(dc, oldColor);
        SetBkMode(dc, oldMode);
        return TRUE;
    }
    case DST_COMPLEX:
        return callback ? callback(dc, data, length, width, height) : FALSE;
    default:
        return FALSE;
    }
}

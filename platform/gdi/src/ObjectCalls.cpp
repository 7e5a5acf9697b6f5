// DeleteObject, GetObjectType and GetObject over every kind of object.
#include "Objects.h"

#include "gdi/Gdi.h"

#include <algorithm>
#include <cstring>

using namespace gdi;

BOOL DeleteObject(HGDIOBJ handle)
{
    auto object = LookupObject(handle);
    if (!object)
        return FALSE;
    if (object->stock)
        return TRUE;
    if (object->kind == ObjectKind::Dc || object->kind == ObjectKind::Icon || object->selections > 0)
        return FALSE;
    return RemoveObject(handle) ? TRUE : FALSE;
}

DWORD GetObjectType(HGDIOBJ handle)
{
    auto object = LookupObject(handle);
    if (!object)
        return 0;
    switch (object->kind) {
    case ObjectKind::Bitmap:
        return OBJ_BITMAP;
    case ObjectKind::Brush:
        return OBJ_BRUSH;
    case ObjectKind::Pen:
        return OBJ_PEN;
    case ObjectKind::Font:
        return OBJ_FONT;
    case ObjectKind::Region:
        return OBJ_REGION;
    case ObjectKind::Dc:
        return static_cast<DcObject&>(*object).dcKind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
    default:
        return 0;
    }
}

namespace {

template <typename T>
int CopyOut(const T& value, int bufferBytes, LPVOID buffer)
{
    if (!buffer)
        return static_cast<int>(sizeof(T));
    if (bufferBytes <= 0)
        return 0;
    int bytes = std::min(bufferBytes, static_cast<int>(sizeof(T)));
    std::memcpy(buffer, &value, bytes);
    return bytes;
}

BITMAP DescribeBitmap(const BitmapObject& bitmap)
{
    BITMAP bm{};
    bm.bmWidth = bitmap.surface->Width();
    bm.bmHeight = bitmap.surface->Height();
    bm.bmPlanes = 1;
    bm.bmBitsPixel = bitmap.monochrome ? 1 : 32;
    bm.bmWidthBytes = bitmap.monochrome ? ((bm.bmWidth + 15) / 16) * 2 : bm.bmWidth * 4;
    bm.bmBits = bitmap.dibSection ? bitmap.surface->Bits() : nullptr;
    return bm;
}

} // namespace

int GetObjectW(HGDIOBJ handle, int bufferBytes, LPVOID buffer)
{
    auto object = LookupObject(handle);
    if (!object)
        return 0;
    switch (object->kind) {
    case ObjectKind::Bitmap: {
        const auto& bitmap = static_cast<const BitmapObject&>(*object);
        if (bitmap.dibSection && bufferBytes >= static_cast<int>(sizeof(DIBSECTION)) && buffer) {
            DIBSECTION ds{};
            ds.dsBm = DescribeBitmap(bitmap);
            ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
            ds.dsBmih.biWidth = ds.dsBm.bmWidth;
            ds.dsBmih.biHeight = bitmap.surface->IsBottomUp() ? ds.dsBm.bmHeight : -ds.dsBm.bmHeight;
            ds.dsBmih.biPlanes = 1;
            ds.dsBmih.biBitCount = 32;
            ds.dsBmih.biCompression = BI_RGB;
            ds.dsBmih.biSizeImage = static_cast<DWORD>(ds.dsBm.bmWidthBytes * ds.dsBm.bmHeight);
            return CopyOut(ds, bufferBytes, buffer);
        }
        return CopyOut(DescribeBitmap(bitmap), bufferBytes, buffer);
    }
    case ObjectKind::Brush: {
        const auto& brush = static_cast<const BrushObject&>(*object);
        LOGBRUSH lb{brush.style, brush.color, static_cast<ULONG_PTR>(brush.hatch)};
        return CopyOut(lb, bufferBytes, buffer);
    }
    case ObjectKind::Pen: {
        const auto& pen = static_cast<const PenObject&>(*object);
        LOGPEN lp{static_cast<UINT>(pen.style), {pen.width, 0}, pen.color};
        return CopyOut(lp, bufferBytes, buffer);
    }
    case ObjectKind::Font:
        return CopyOut(static_cast<const FontObject&>(*object).logFont, bufferBytes, buffer);
    default:
        return 0;
    }
}

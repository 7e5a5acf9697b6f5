// Creating brushes and pens.
#include "Objects.h"

#include "gdi/Gdi.h"

using namespace gdi;

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto brush = std::make_shared<BrushObject>();
    brush->color = color & 0xFFFFFF;
    return static_cast<HBRUSH>(InsertObject(brush));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return nullptr;
    auto brush = std::make_shared<BrushObject>();
    brush->style = BS_HATCHED;
    brush->hatch = hatch;
    brush->color = color & 0xFFFFFF;
    return static_cast<HBRUSH>(InsertObject(brush));
}

HBRUSH CreatePatternBrush(HBITMAP bitmapHandle)
{
    auto bitmap = LookupBitmap(bitmapHandle);
    if (!bitmap)
        return nullptr;
    auto brush = std::make_shared<BrushObject>();
    brush->style = BS_PATTERN;
    // The brush keeps its own copy: the bitmap may be deleted afterwards.
    brush->pattern = bitmap->surface->Clone();
    brush->patternMonochrome = bitmap->monochrome;
    return static_cast<HBRUSH>(InsertObject(brush));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb)
{
    if (!lb)
        return nullptr;
    switch (lb->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(lb->lbColor);
    case BS_NULL: {
        auto brush = std::make_shared<BrushObject>();
        brush->style = BS_NULL;
        return static_cast<HBRUSH>(InsertObject(brush));
    }
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_PATTERN:
        return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default:
        return nullptr;
    }
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME)
        return nullptr;
    auto pen = std::make_shared<PenObject>();
    pen->style = style;
    pen->width = width < 1 ? 1 : width;
    // Styled pens are one pixel wide.
    if (style >= PS_DASH && style <= PS_DASHDOTDOT)
        pen->width = 1;
    pen->color = color & 0xFFFFFF;
    return static_cast<HPEN>(InsertObject(pen));
}

HPEN CreatePenIndirect(const LOGPEN* lp)
{
    return lp ? CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor) : nullptr;
}

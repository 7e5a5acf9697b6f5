// DrawEdge: the 3-D borders of the classic look, from the system colours.
#include "Canvas.h"

#include "gdi/Gdi.h"

using namespace gdi;

namespace {

struct EdgeColors {
    COLORREF topLeft;
    COLORREF bottomRight;
};

// One border line of a rectangle: top and left in the first colour, bottom
// and right in the second; the top-right and bottom-left corners belong to
// the bottom and right lines.
void Border(Canvas& canvas, const RECT& r, EdgeColors colors, UINT sides)
{
    if (r.left >= r.right || r.top >= r.bottom)
        return;
    Pixel tl = PixelFromColor(colors.topLeft);
    Pixel br = PixelFromColor(colors.bottomRight);
    if (sides & BF_TOP)
        canvas.FillSolid({r.left, r.top, r.right - 1, r.top + 1}, tl);
    if (sides & BF_LEFT)
        canvas.FillSolid({r.left, r.top, r.left + 1, r.bottom - 1}, tl);
    if (sides & BF_BOTTOM)
        canvas.FillSolid({r.left, r.bottom - 1, r.right, r.bottom}, br);
    if (sides & BF_RIGHT)
        canvas.FillSolid({r.right - 1, r.top, r.right, r.bottom}, br);
}

void Shrink(RECT& r, UINT sides)
{
    if (sides & BF_LEFT)
        ++r.left;
    if (sides & BF_TOP)
        ++r.top;
    if (sides & BF_RIGHT)
        --r.right;
    if (sides & BF_BOTTOM)
        --r.bottom;
}

} // namespace

BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas || !rect)
        return FALSE;
    RECT r = canvas->ToSurface(*rect);
    const UINT sides = flags & BF_RECT;
    const UINT outer = edge & BDR_OUTER;
    const UINT inner = edge & BDR_INNER;
    const bool soft = flags & BF_SOFT;

    EdgeColors outerColors{}, innerColors{};
    bool hasOuter = outer != 0, hasInner = inner != 0;
    if (flags & BF_MONO) {
        outerColors = {GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME)};
        innerColors = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW)};
    } else if (flags & BF_FLAT) {
        outerColors = {GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DSHADOW)};
        innerColors = {GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_3DFACE)};
    } else {
        if (outer & BDR_RAISEDOUTER)
            outerColors = {GetSysColor(soft ? COLOR_3DHIGHLIGHT : COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW)};
        else if (outer & BDR_SUNKENOUTER)
            outerColors = {GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_3DSHADOW), GetSysColor(COLOR_3DHIGHLIGHT)};
        if (inner & BDR_RAISEDINNER)
            innerColors = {GetSysColor(soft ? COLOR_3DLIGHT : COLOR_3DHIGHLIGHT), GetSysColor(COLOR_3DSHADOW)};
        else if (inner & BDR_SUNKENINNER)
            innerColors = {GetSysColor(soft ? COLOR_3DSHADOW : COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT)};
    }
    if (hasOuter) {
        Border(*canvas, r, outerColors, sides);
        Shrink(r, sides);
    }
    if (hasInner) {
        Border(*canvas, r, innerColors, sides);
        Shrink(r, sides);
    }
    if (flags & BF_MIDDLE)
        canvas->FillSolid(r, PixelFromColor(GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_3DFACE)));
    if (flags & BF_ADJUST)
        *rect = {r.left - canvas->logicalToSurface.x, r.top - canvas->logicalToSurface.y,
                 r.right - canvas->logicalToSurface.x, r.bottom - canvas->logicalToSurface.y};
    return TRUE;
}

// The attributes of a DC: colours, modes, alignment and origins.
#include "Objects.h"

#include "gdi/Gdi.h"

using namespace gdi;

#define DC_ATTRIBUTE(Setter, Getter, Type, field, fail)                                                        \
    Type Setter(HDC handle, Type value)                                                                        \
    {                                                                                                          \
        auto dc = LookupDc(handle);                                                                            \
        if (!dc)                                                                                               \
            return fail;                                                                                       \
        Type previous = dc->state.field;                                                                       \
        dc->state.field = value;                                                                               \
        return previous;                                                                                       \
    }                                                                                                          \
    Type Getter(HDC handle)                                                                                    \
    {                                                                                                          \
        auto dc = LookupDc(handle);                                                                            \
        return dc ? dc->state.field : fail;                                                                    \
    }

DC_ATTRIBUTE(SetTextColor, GetTextColor, COLORREF, textColor, CLR_INVALID)
DC_ATTRIBUTE(SetBkColor, GetBkColor, COLORREF, bkColor, CLR_INVALID)
DC_ATTRIBUTE(SetTextAlign, GetTextAlign, UINT, textAlign, GDI_ERROR)

#undef DC_ATTRIBUTE

namespace {

// Setters of enumerated attributes fail (0) on a value out of range.
int SetRanged(HDC handle, int DcState::*field, int value, int low, int high)
{
    auto dc = LookupDc(handle);
    if (!dc || value < low || value > high)
        return 0;
    int previous = dc->state.*field;
    dc->state.*field = value;
    return previous;
}

int GetRanged(HDC handle, int DcState::*field)
{
    auto dc = LookupDc(handle);
    return dc ? dc->state.*field : 0;
}

BOOL SetPoint(HDC handle, POINT DcState::*field, int x, int y, LPPOINT previous, bool relative)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return FALSE;
    POINT& p = dc->state.*field;
    if (previous)
        *previous = p;
    p = relative ? POINT{p.x + x, p.y + y} : POINT{x, y};
    return TRUE;
}

BOOL GetPoint(HDC handle, POINT DcState::*field, LPPOINT out)
{
    auto dc = LookupDc(handle);
    if (!dc || !out)
        return FALSE;
    *out = dc->state.*field;
    return TRUE;
}

} // namespace

int SetBkMode(HDC dc, int mode) { return SetRanged(dc, &DcState::bkMode, mode, TRANSPARENT, OPAQUE); }
int GetBkMode(HDC dc) { return GetRanged(dc, &DcState::bkMode); }
int SetROP2(HDC dc, int mode) { return SetRanged(dc, &DcState::rop2, mode, R2_BLACK, R2_WHITE); }
int GetROP2(HDC dc) { return GetRanged(dc, &DcState::rop2); }
int SetStretchBltMode(HDC dc, int mode) { return SetRanged(dc, &DcState::stretchMode, mode, BLACKONWHITE, HALFTONE); }
int GetStretchBltMode(HDC dc) { return GetRanged(dc, &DcState::stretchMode); }
// Only the text mapping mode exists: one logical unit is one pixel.
int SetMapMode(HDC dc, int mode) { return SetRanged(dc, &DcState::mapMode, mode, MM_TEXT, MM_TEXT); }
int GetMapMode(HDC dc) { return GetRanged(dc, &DcState::mapMode); }

COLORREF SetDCBrushColor(HDC handle, COLORREF color)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.dcBrushColor;
    dc->state.dcBrushColor = color;
    return previous;
}

COLORREF SetDCPenColor(HDC handle, COLORREF color)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.dcPenColor;
    dc->state.dcPenColor = color;
    return previous;
}

int SetTextCharacterExtra(HDC handle, int extra)
{
    auto dc = LookupDc(handle);
    if (!dc)
        return static_cast<int>(0x80000000);
    int previous = dc->state.charExtra;
    dc->state.charExtra = extra;
    return previous;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return SetPoint(dc, &DcState::viewportOrg, x, y, previous, false);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous)
{
    return SetPoint(dc, &DcState::viewportOrg, dx, dy, previous, true);
}
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin) { return GetPoint(dc, &DcState::viewportOrg, origin); }
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return SetPoint(dc, &DcState::windowOrg, x, y, previous, false);
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous)
{
    return SetPoint(dc, &DcState::windowOrg, dx, dy, previous, true);
}
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) { return GetPoint(dc, &DcState::windowOrg, origin); }
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous)
{
    return SetPoint(dc, &DcState::brushOrg, x, y, previous, false);
}

BOOL GetDCOrgEx(HDC handle, LPPOINT origin)
{
    auto dc = LookupDc(handle);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->origin;
    return TRUE;
}

BOOL LPtoDP(HDC handle, LPPOINT points, int count)
{
    auto dc = LookupDc(handle);
    if (!dc || (count > 0 && !points))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x += dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y += dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

BOOL DPtoLP(HDC handle, LPPOINT points, int count)
{
    auto dc = LookupDc(handle);
    if (!dc || (count > 0 && !points))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x -= dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y -= dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

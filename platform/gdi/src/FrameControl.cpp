// DrawFrameControl: check boxes, radio buttons, push buttons, arrow buttons
// the close button and the menu glyphs in the classic look, from the system
// colours.
#include "Canvas.h"

#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <algorithm>

using namespace gdi;

namespace {

void Fill(HDC dc, int l, int t, int r, int b, int colorIndex)
{
    RECT rect{l, t, r, b};
    FillRect(dc, &rect, GetSysColorBrush(colorIndex));
}

// The classic check mark, 7 x 7.
void CheckMark(HDC dc, int x, int y, COLORREF color)
{
    static const char* const rows[7] = {
        "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
    };
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 7; ++col)
            if (rows[row][col] == '#')
                SetPixelV(dc, x + col, y + row, color);
}

void Triangle(HDC dc, const RECT& r, UINT direction, COLORREF color)
{
    int w = r.right - r.left, h = r.bottom - r.top;
    int size = std::max(1, std::min(w, h) / 3); // rows of the triangle
    int cx = r.left + w / 2, cy = r.top + h / 2;
    for (int i = 0; i < size; ++i) {
        int half = i;
        switch (direction) {
        case DFCS_SCROLLUP:
            for (int x = cx - half; x <= cx + half; ++x)
                SetPixelV(dc, x, cy - size / 2 + i, color);
            break;
        case DFCS_SCROLLDOWN:
        case DFCS_SCROLLCOMBOBOX:
            for (int x = cx - (size - 1 - i); x <= cx + (size - 1 - i); ++x)
                SetPixelV(dc, x, cy - size / 2 + i, color);
            break;
        case DFCS_SCROLLLEFT:
            for (int y = cy - half; y <= cy + half; ++y)
                SetPixelV(dc, cx - size / 2 + i, y, color);
            break;
        case DFCS_SCROLLRIGHT:
            for (int y = cy - (size - 1 - i); y <= cy + (size - 1 - i); ++y)
                SetPixelV(dc, cx - size / 2 + i, y, color);
            break;
        default:
            break;
        }
    }
}

BOOL Button(HDC dc, LPRECT rect, UINT state)
{
    const UINT kind = state & 0x1F;
    RECT r = *rect;
    if (kind == DFCS_BUTTONPUSH) {
        UINT edge = (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED;
        UINT flags = BF_RECT | BF_MIDDLE | BF_SOFT | ((state & DFCS_FLAT) ? BF_FLAT : 0) |
                     ((state & DFCS_ADJUSTRECT) ? BF_ADJUST : 0);
        DrawEdge(dc, &r, edge, flags);
        if (state & DFCS_ADJUSTRECT)
            *rect = r;
        return TRUE;
    }
    // Check boxes and radio buttons are drawn in a square of the smaller
    // side at the left of the rectangle, centred vertically.
    int side = std::min(r.right - r.left, r.bottom - r.top);
    RECT box{r.left, r.top + (r.bottom - r.top - side) / 2, r.left + side, 0};
    box.bottom = box.top + side;
    const int face = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ? COLOR_BTNFACE : COLOR_WINDOW;
    const COLORREF mark = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
        auto ring = [&](int inset, int topLeft, int bottomRight) {
            HRGN outer = CreateEllipticRgn(box.left + inset, box.top + inset, box.right - inset, box.bottom - inset);
            HRGN inner = CreateEllipticRgn(box.left + inset + 1, box.top + inset + 1, box.right - inset - 1,
                                           box.bottom - inset - 1);
            CombineRgn(outer, outer, inner, RGN_DIFF);
            // The upper-left half of the ring in one colour, the rest in the other.
            std::vector<RECT> rows;
            for (int y = box.top; y < box.bottom; ++y)
                rows.push_back({box.left, y, box.left + side - (y - box.top), y + 1});
            HRGN half = CreateRegion(Region::FromRects(rows));
            HRGN part = CreateRectRgn(0, 0, 0, 0);
            CombineRgn(part, outer, half, RGN_AND);
            FillRgn(dc, part, GetSysColorBrush(topLeft));
            CombineRgn(part, outer, half, RGN_DIFF);
            FillRgn(dc, part, GetSysColorBrush(bottomRight));
            DeleteObject(part);
            DeleteObject(half);
            DeleteObject(inner);
            DeleteObject(outer);
        };
        if (kind & DFCS_BUTTONRADIOMASK) {
            HRGN disc = CreateEllipticRgn(box.left, box.top, box.right, box.bottom);
            FillRgn(dc, disc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            DeleteObject(disc);
            return TRUE;
        }
        HRGN disc = CreateEllipticRgn(box.left + 2, box.top + 2, box.right - 2, box.bottom - 2);
        FillRgn(dc, disc, GetSysColorBrush(face));
        DeleteObject(disc);
        ring(0, COLOR_3DSHADOW, COLOR_3DHIGHLIGHT);
        ring(1, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
        if (state & DFCS_CHECKED) {
            int d = std::max(2, side / 3);
            int x = box.left + (side - d) / 2, y = box.top + (side - d) / 2;
            HRGN dot = CreateEllipticRgn(x, y, x + d, y + d);
            HBRUSH brush = CreateSolidBrush(mark);
            FillRgn(dc, dot, brush);
            DeleteObject(brush);
            DeleteObject(dot);
        }
        return TRUE;
    }
    RECT edge = box;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    Fill(dc, edge.left, edge.top, edge.right, edge.bottom, face);
    if (state & DFCS_CHECKED)
        CheckMark(dc, edge.left + (edge.right - edge.left - 7) / 2, edge.top + (edge.bottom - edge.top - 7) / 2, mark);
    return TRUE;
}

// Menu glyphs are masks: black on white, to be blitted in the menu's colours.
BOOL MenuGlyph(HDC dc, const RECT& r, UINT state)
{
    Fill(dc, r.left, r.top, r.right, r.bottom, COLOR_WINDOW);
    const COLORREF black = RGB(0, 0, 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    switch (state & 0xF) {
    case DFCS_MENUCHECK:
        CheckMark(dc, r.left + (w - 7) / 2, r.top + (h - 7) / 2, black);
        return TRUE;
    case DFCS_MENUBULLET: {
        int d = std::max(2, std::min(w, h) / 3);
        int x = r.left + (w - d) / 2, y = r.top + (h - d) / 2;
        HRGN dot = CreateEllipticRgn(x, y, x + d, y + d);
        FillRgn(dc, dot, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DeleteObject(dot);
        return TRUE;
    }
    case DFCS_MENUARROW:
        Triangle(dc, r, DFCS_SCROLLRIGHT, black);
        return TRUE;
    case DFCS_MENUARROWRIGHT:
        Triangle(dc, r, DFCS_SCROLLLEFT, black);
        return TRUE;
    default:
        return FALSE;
    }
}

// The glyphs of the caption buttons inside their edge: the close cross, the
// minimise bar, the maximise box and the restore pair of boxes.
void CaptionGlyph(HDC dc, const RECT& r, UINT kind, COLORREF color)
{
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int size = std::max(2, std::min(width, height) - 4);
    int x = r.left + (width - size) / 2;
    int y = r.top + (height - size) / 2;
    auto bar = [&](int l, int t, int w, int h) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                SetPixelV(dc, l + i, t + j, color);
    };
    auto box = [&](int l, int t, int w, int h) {
        bar(l, t, w, 2);             // the thick top, a caption of its own
        bar(l, t + h - 1, w, 1);
        bar(l, t, 1, h);
        bar(l + w - 1, t, 1, h);
    };
    switch (kind) {
    case DFCS_CAPTIONMIN:
        bar(x, y + size - 2, std::max(2, size - 2), 2);
        break;
    case DFCS_CAPTIONMAX:
        box(x, y, size, size - 1);
        break;
    case DFCS_CAPTIONRESTORE: {
        int small = std::max(3, size * 2 / 3);
        box(x + size - small, y, small, small - 1);
        box(x, y + size - small, small, small - 1);
        break;
    }
    default: // the close cross: two diagonals, two pixels thick
        for (int i = 0; i < size; ++i)
            for (int t = 0; t < 2 && i + t < size; ++t) {
                SetPixelV(dc, x + i + t, y + i, color);
                SetPixelV(dc, x + size - 1 - i - t, y + i, color);
            }
        break;
    }
}

} // namespace

BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state)
{
    if (!LookupDc(dc) || !rect)
        return FALSE;
    switch (type) {
    case DFC_BUTTON:
        return Button(dc, rect, state);
    case DFC_SCROLL: {
        RECT r = *rect;
        UINT flags = BF_RECT | BF_MIDDLE | BF_SOFT | ((state & DFCS_FLAT) ? BF_FLAT : 0);
        DrawEdge(dc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, flags);
        if (state & DFCS_PUSHED)
            OffsetRect(&r, 1, 1);
        Triangle(dc, r, state & 0xF, GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        return TRUE;
    }
    case DFC_CAPTION: {
        RECT r = *rect;
        DrawEdge(dc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT);
        if (state & DFCS_PUSHED)
            OffsetRect(&r, 1, 1);
        COLORREF color = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
        CaptionGlyph(dc, r, state & 0xF, color);
        return TRUE;
    }
    case DFC_MENU:
        return MenuGlyph(dc, *rect, state);
    default:
        return FALSE;
    }
}

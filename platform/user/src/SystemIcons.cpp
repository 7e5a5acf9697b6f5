// The system's icons and cursors, drawn with GDI once per process: a colour
// image on a key colour, and the mask made from where the key shows.
#include "SystemIcons.h"

#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <map>
#include <mutex>

namespace user::detail {

namespace {

constexpr int kSize = 32;
constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);

void Glyph(HDC dc, const char16_t* text, COLORREF color, RECT box)
{
    HFONT font = CreateFontW(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Times New Roman");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    DrawTextW(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
}

void Shape(HDC dc, COLORREF fill, COLORREF outline, int width, auto draw)
{
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, width, outline);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    draw();
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void Line(HDC dc, POINT from, POINT to, COLORREF color, int width)
{
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawIconImage(HDC dc, int id)
{
    switch (id) {
    case 32513: // the stop sign: a red disc with a white cross
        Shape(dc, RGB(255, 0, 0), RGB(128, 0, 0), 1, [&] { Ellipse(dc, 1, 1, 31, 31); });
        Line(dc, {10, 10}, {21, 21}, RGB(255, 255, 255), 3);
        Line(dc, {21, 10}, {10, 21}, RGB(255, 255, 255), 3);
        break;
    case 32514: // the question: a white bubble with a blue question mark
        Shape(dc, RGB(255, 255, 255), RGB(0, 0, 0), 1, [&] {
            POINT tail[3] = {{8, 22}, {6, 31}, {15, 25}};
            Polygon(dc, tail, 3);
            Ellipse(dc, 1, 1, 31, 27);
        });
        Glyph(dc, u"?", kBlue, {1, 1, 31, 27});
        break;
    case 32515: // the exclamation: a yellow triangle with a black mark
        Shape(dc, RGB(255, 255, 0), RGB(0, 0, 0), 1, [&] {
            POINT triangle[3] = {{16, 1}, {31, 29}, {1, 29}};
            Polygon(dc, triangle, 3);
        });
        Glyph(dc, u"!", RGB(0, 0, 0), {1, 8, 31, 29});
        break;
    case 32516: // the information: a white bubble with a blue i
        Shape(dc, RGB(255, 255, 255), RGB(0, 0, 0), 1, [&] {
            POINT tail[3] = {{8, 22}, {6, 31}, {15, 25}};
            Polygon(dc, tail, 3);
            Ellipse(dc, 1, 1, 31, 27);
        });
        Glyph(dc, u"i", kBlue, {1, 1, 31, 27});
        break;
    default: { // the application: a window with its caption
        Shape(dc, RGB(255, 255, 255), RGB(0, 0, 0), 1, [&] { Rectangle(dc, 2, 4, 30, 28); });
        RECT caption = {3, 5, 29, 10};
        HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
        FillRect(dc, &caption, navy);
        DeleteObject(navy);
        break;
    }
    }
}

void DrawArrow(HDC dc)
{
    Shape(dc, RGB(255, 255, 255), RGB(0, 0, 0), 1, [&] {
        POINT arrow[7] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}};
        Polygon(dc, arrow, 7);
    });
}

// The hourglass of a busy program.
void DrawHourglass(HDC dc)
{
    Shape(dc, RGB(255, 255, 255), RGB(0, 0, 0), 1, [&] {
        POINT glass[6] = {{4, 1}, {20, 1}, {13, 12}, {20, 23}, {4, 23}, {11, 12}};
        Polygon(dc, glass, 6);
    });
}

// The pointing hand of links: a finger up from a palm.
void DrawHand(HDC dc)
{
    Shape(dc, RGB(255, 255, 255), RGB(0, 0, 0), 1, [&] {
        POINT hand[10] = {{5, 0}, {9, 0}, {9, 8}, {18, 9}, {19, 20}, {16, 24}, {7, 24}, {1, 15}, {3, 13}, {5, 15}};
        Polygon(dc, hand, 10);
    });
}

// Draws on the key colour and makes the icon: the key colour becomes the
// mask's transparent part.
HICON Make(BOOL isIcon, auto draw)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP color = CreateBitmap(kSize, kSize, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(dc, color);
    RECT all = {0, 0, kSize, kSize};
    HBRUSH key = CreateSolidBrush(kKey);
    FillRect(dc, &all, key);
    DeleteObject(key);
    draw(dc);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            bool clear = GetPixel(dc, x, y) == kKey;
            SetPixelV(maskDc, x, y, clear ? RGB(255, 255, 255) : RGB(0, 0, 0));
            if (clear)
                SetPixelV(dc, x, y, RGB(0, 0, 0));
        }
    SelectObject(maskDc, oldMask);
    DeleteDC(maskDc);
    SelectObject(dc, old);
    DeleteDC(dc);
    ICONINFO info = {isIcon, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    gdi::KeepForProcess(icon);
    return icon;
}

std::mutex g_mutex;

} // namespace

HICON SystemIcon(int id)
{
    if (id < 32512 || id > 32516)
        return nullptr;
    static std::map<int, HICON> icons;
    std::lock_guard lock(g_mutex);
    HICON& icon = icons[id];
    if (!icon)
        icon = Make(TRUE, [id](HDC dc) { DrawIconImage(dc, id); });
    return icon;
}

HCURSOR SystemCursor(int id)
{
    static std::map<int, HCURSOR> cursors;
    std::lock_guard lock(g_mutex);
    HCURSOR& cursor = cursors[id];
    if (!cursor) {
        switch (id) {
        case 32512:
            cursor = Make(FALSE, [](HDC dc) { DrawArrow(dc); });
            break;
        case 32514:
            cursor = Make(FALSE, [](HDC dc) { DrawHourglass(dc); });
            break;
        case 32649:
            cursor = Make(FALSE, [](HDC dc) { DrawHand(dc); });
            break;
        default:
            break;
        }
    }
    return cursor;
}

} // namespace user::detail

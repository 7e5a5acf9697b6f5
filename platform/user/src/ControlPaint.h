// What the standard controls share to paint themselves: their parent's
// colours, their font, disabled text, and the two ways a paint is asked for.
#pragma once

#include "user/Messages.h"
#include "user/Paint.h"
#include "user/Window.h"

#include <string>

namespace user::detail {

// Sends the control-colour message to the control's parent with the DC and
// the control, and returns the brush to paint the background with: the
// parent's (a hollow brush leaves the background as the parent painted it)
// or, when the parent gives none, the system's with the system's colours.
HBRUSH ControlBrush(HWND control, HDC dc, UINT message);

// Selects the control's font, or the system font when it has none; returns
// the object it replaced.
HGDIOBJ SelectControlFont(HDC dc, HFONT font);

// Text in the disabled look: a highlight copy one pixel right and down
// under the grey text. Keeps the DC's background mode transparent.
void DrawDisabledText(HDC dc, const std::u16string& text, RECT rect, UINT format);

// The window's text.
std::u16string WindowText(HWND hwnd);
// The text the window holds, without asking its procedure (WM_GETTEXT).
std::u16string StoredText(HWND hwnd);

// Calls paint(dc) for WM_PAINT (between BeginPaint and EndPaint) and for
// WM_PRINTCLIENT (on the DC it brings).
template <typename Paint>
LRESULT PaintMessage(HWND hwnd, UINT msg, WPARAM wParam, Paint paint)
{
    if (msg == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    paint(dc);
    EndPaint(hwnd, &ps);
    return 0;
}

// The messages every standard control answers alike: its font, a repaint
// when it is enabled or disabled, and painting with paint (which fills what
// it covers, so the background is never erased on its own). True with the
// result for one of them.
template <typename Paint>
bool CommonControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, HFONT& font, Paint paint,
                          LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return true;
    case WM_SETFONT:
        font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return true;
    case WM_GETFONT:
        *result = reinterpret_cast<LRESULT>(font);
        return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        *result = PaintMessage(hwnd, msg, wParam, paint);
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    default:
        return false;
    }
}

} // namespace user::detail

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

} // namespace user::detail

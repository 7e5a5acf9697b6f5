// The non-client area of windows: frames, the caption with its icon, title
// and buttons, and the place of the menu bar, in the classic look.
#pragma once

#include "WindowData.h"

namespace user::detail {

// Where the parts of the frame lie, in window coordinates. Empty rectangles
// for the parts the window does not have.
struct FrameLayout {
    RECT window = {};
    RECT caption = {};
    RECT icon = {};     // the system-menu icon
    RECT title = {};
    RECT closeBox = {};
    RECT maxBox = {};
    RECT minBox = {};   // shows the restore glyph while minimised
    RECT menuBar = {};
    RECT client = {};
};

FrameLayout LayoutFrame(HWND hwnd);

// The icon the caption shows: the small icon set with WM_SETICON, else the
// big one, else the class's; null when there is none.
HICON CaptionIcon(HWND hwnd);

// DefWindowProc's WM_NCPAINT, WM_NCHITTEST and WM_NCACTIVATE.
void PaintFrame(HWND hwnd);
LRESULT HitTestFrame(HWND hwnd, POINT screen);
// Repaints the frame at once when the window shows (a caption or menu
// bar that changed), without a WM_NCPAINT.
void RepaintFrame(HWND hwnd);

// The caption button shown pushed while the mouse holds it (a hit test
// code, HTNOWHERE for none).
void SetPushedCaptionButton(HWND hwnd, LRESULT hit);

// DefWindowProc's non-client mouse and menu keys: the caption buttons, moving
// by the caption, the menu bar, the system menu and SC_KEYMENU. False for
// a message it leaves to the rest of DefWindowProc.
bool HandleNonClientInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The fonts of captions, menus and dialogs without a font of their own.
HFONT CaptionFont();
HFONT MenuFont();

} // namespace user::detail

// What the common controls share inside the window layer: their window
// procedures, their painting and their notifications to the parent.
#pragma once

#include "user/Notify.h"
#include "win32/Types.h"

#include "gdi/GdiTypes.h"

namespace user::detail {

LRESULT ProgressBarWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT TreeViewWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ToolTipWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// PBM_SETPOS from another thread when the position would stay as it is: the
// bar's procedure would only return it, so the caller is answered without
// the round trip to the bar's thread. False when the position would change
// or hwnd is not a bar.
bool AnswerUnchangedProgressPosition(HWND hwnd, WPARAM wParam, LRESULT* result);

// Pictures of the controls, drawn into any DC in client coordinates; the
// controls also draw them for WM_PRINTCLIENT.
void PaintProgressBar(HWND hwnd, HDC dc);
void PaintTreeView(HWND hwnd, HDC dc);
void PaintToolTip(HWND hwnd, HDC dc);

// Answers WM_PAINT with the picture.
void PaintThroughBeginPaint(HWND hwnd, void (*paint)(HWND, HDC));

// Registers the classes of the common controls, once.
void RegisterCommonControlClasses();

// Fills the header's sender and sends WM_NOTIFY to the control's parent;
// the parent's answer, 0 without a parent.
LRESULT SendNotify(HWND control, NMHDR* header, UINT code);

// The font a control draws with: the one WM_SETFONT gave, else DEFAULT_GUI_FONT.
HFONT ControlFont(HFONT chosen);

} // namespace user::detail

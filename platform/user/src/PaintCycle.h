// What the paint cycle shares between the window layer's files: marking
// update regions, finding the next window to paint and making window DCs.
#pragma once

#include "WindowData.h"

#include "gdi/Region.h"

namespace user::detail {

// Marks (RDW_INVALIDATE) or clears (RDW_VALIDATE) a rectangle or region of
// the client area, or the whole window; children take part as RedrawWindow
// says. Hidden windows are left alone: showing them invalidates them whole.
void Invalidate(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

// The window's client area in its own window coordinates (its frame's
// top-left corner at 0, 0).
RECT ClientBox(const WindowData& window);

// Whether the window and all its parents have WS_VISIBLE. Called under the
// manager's lock.
bool ShownWithParents(const WindowData& window);

// Sets WS_VISIBLE and invalidates the window whole, with its frame, its
// background and its children, in one step.
void ShowAndInvalidate(HWND hwnd);

// A window of this thread that waits to be painted, parents before children.
HWND NextToPaint(const std::shared_ptr<ThreadQueue>& queue, HWND filter);
// Sends the window's pending WM_NCPAINT; false when its frame waited for none.
bool SendFramePaint(HWND hwnd);
// Whether the client area waits for WM_PAINT.
bool HasClientPaint(HWND hwnd);

// The DCX_CLIPCHILDREN / DCX_CLIPSIBLINGS that the window's styles ask for.
DWORD ClipFlagsOf(HWND hwnd);
// A DC on the window (whole or client area) clipped to what of it shows,
// and further to limit (device coordinates) when given.
HDC MakeWindowDC(HWND hwnd, bool whole, DWORD flags, const gdi::Region* limit);

// The top-level windows, top of the z-order first.
std::vector<HWND> TopLevelSnapshot();

} // namespace user::detail

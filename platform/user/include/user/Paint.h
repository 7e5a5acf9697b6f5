// Invalidation and the WM_ERASEBKGND / WM_PAINT cycle. A window marked
// invalid gets WM_PAINT when its thread has nothing else to do; BeginPaint
// sends WM_ERASEBKGND first when the background is to be erased.
#pragma once

#include "win32/Types.h"

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL UpdateWindow(HWND hwnd);
BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);

constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
BOOL RedrawWindow(HWND hwnd, const RECT* rect, struct HRGN__* region, UINT flags);

namespace user {
// Whether the window waits for WM_PAINT, and whether its background is to be erased.
bool NeedsPaint(HWND hwnd);
bool NeedsErase(HWND hwnd);
// Clears the erase request; true when there was one.
bool TakeEraseRequest(HWND hwnd);
} // namespace user

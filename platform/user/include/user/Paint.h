// Painting: update regions, the WM_NCPAINT / WM_ERASEBKGND / WM_PAINT cycle
// and the DCs of windows.
//
// Every top-level window owns a 32-bit surface of its window rectangle; a
// child paints into its top-level window's surface at its place, clipped to
// its rectangle, to its parents' client areas, to the siblings above it when
// it has WS_CLIPSIBLINGS and to its children when it has WS_CLIPCHILDREN.
// A window with an update region gets WM_PAINT when its thread has nothing
// else to do, parents before children; BeginPaint sends WM_ERASEBKGND first
// when the background is to be erased.
#pragma once

#include "gdi/GdiTypes.h"
#include "gdi/Surface.h"
#include "win32/Types.h"

#include <memory>

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase; // the background still has to be erased: WM_ERASEBKGND did not
    RECT rcPaint; // the bounds of the update region, client coordinates
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

// DCs of windows. GetDC(NULL) paints on the screen.
constexpr DWORD DCX_WINDOW = 0x00000001;
constexpr DWORD DCX_CACHE = 0x00000002;
constexpr DWORD DCX_PARENTCLIP = 0x00000020;
constexpr DWORD DCX_CLIPSIBLINGS = 0x00000010;
constexpr DWORD DCX_CLIPCHILDREN = 0x00000008;
constexpr DWORD DCX_EXCLUDERGN = 0x00000040;
constexpr DWORD DCX_INTERSECTRGN = 0x00000080;
constexpr DWORD DCX_VALIDATE = 0x00200000;
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
// The region (screen coordinates) is the caller's; it is only read.
HDC GetDCEx(HWND hwnd, HRGN region, DWORD flags);
int ReleaseDC(HWND hwnd, HDC dc);
HWND WindowFromDC(HDC dc);

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL ValidateRgn(HWND hwnd, HRGN region);
BOOL UpdateWindow(HWND hwnd);
BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);

constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;
// Without RDW_ALLCHILDREN or RDW_NOCHILDREN, children take part when their
// parent lacks WS_CLIPCHILDREN (its painting covers them).
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

// WM_PRINT / WM_PRINTCLIENT
constexpr LPARAM PRF_CHECKVISIBLE = 0x0001;
constexpr LPARAM PRF_NONCLIENT = 0x0002;
constexpr LPARAM PRF_CLIENT = 0x0004;
constexpr LPARAM PRF_ERASEBKGND = 0x0008;
constexpr LPARAM PRF_CHILDREN = 0x0010;

namespace user {
// Whether the window waits for WM_PAINT (or its frame for WM_NCPAINT), and
// whether its background is to be erased.
bool NeedsPaint(HWND hwnd);
bool NeedsErase(HWND hwnd);
// Clears the erase request; true when there was one.
bool TakeEraseRequest(HWND hwnd);
// The surface a top-level window paints into (the window's own for a
// top-level window, its top-level window's for a child); null for no window.
std::shared_ptr<gdi::Surface> SurfaceOf(HWND hwnd);
} // namespace user

// The graphics calls of the platform, as Windows programs make them. Every
// call fails as Win32 does (NULL, FALSE, 0, ERROR, CLR_INVALID) on a handle
// that is not open or of the wrong kind.
#pragma once

#include "gdi/GdiTypes.h"
#include "win32/MulDiv.h"

// Objects.
HGDIOBJ GetStockObject(int index);
// Fails (FALSE) on a handle that is not open and on an object currently
// selected into a DC; stock objects are never deleted (TRUE).
BOOL DeleteObject(HGDIOBJ object);
int GetObjectW(HGDIOBJ object, int bufferBytes, LPVOID buffer);
#define GetObject GetObjectW
DWORD GetObjectType(HGDIOBJ object);

// Device contexts. A memory DC starts with a 1 x 1 monochrome bitmap, as on
// Windows, so a bitmap "compatible" with a fresh memory DC is monochrome.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int savedDc);
int GetDeviceCaps(HDC dc, int index);

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF SetDCPenColor(HDC dc, COLORREF color);

// Coordinates: device = logical - window origin + viewport origin.
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous);
// Where the DC's device origin lies on its surface (0, 0 for memory DCs).
BOOL GetDCOrgEx(HDC dc, LPPOINT origin);
BOOL LPtoDP(HDC dc, LPPOINT points, int count);
BOOL DPtoLP(HDC dc, LPPOINT points, int count);

// Clipping. Clip regions are in device coordinates and copied on selection.
int SelectClipRgn(HDC dc, HRGN region);
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
// The bounds of what can be painted, in logical coordinates.
int GetClipBox(HDC dc, LPRECT rect);
// 1 and a copy in region when the DC has a clip region, 0 when it has none.
int GetClipRgn(HDC dc, HRGN region);
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* rect);

// Regions.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
BOOL EqualRgn(HRGN a, HRGN b);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, LPRECT rect);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
// The transform is not supported and must be null. Checks that the buffer
// holds the header and nCount rectangles; fails (NULL) on a short buffer.
HRGN ExtCreateRegion(const void* transform, DWORD bytes, const RGNDATA* data);
// With a null buffer or too small a size, the size needed; else the bytes written.
DWORD GetRegionData(HRGN region, DWORD bytes, RGNDATA* data);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
BOOL PaintRgn(HDC dc, HRGN region);
BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);
BOOL InvertRgn(HDC dc, HRGN region);

// Brushes and pens.
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);

// Bitmaps and DIBs.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Only 1 and 32 bits per pixel; bits (may be null) holds rows padded to 16 bits.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateBitmapIndirect(const BITMAP* bitmap);
// Only 32-bit DIB sections: their memory is the bitmap's own pixels.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage);
constexpr DWORD CBM_INIT = 0x04;
int GetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanLines, LPVOID bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
              UINT usage);
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage);
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
LONG GetBitmapBits(HBITMAP bitmap, LONG bytes, LPVOID bits);
BOOL GetBitmapDimensionEx(HBITMAP bitmap, LPSIZE size);

// Pixels and blits.
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop);
BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, UINT transparent);
BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, BLENDFUNCTION blend);
BOOL MaskBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, HBITMAP mask, int xMask,
             int yMask, DWORD rop);
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) { return ((back << 8) & 0xFF000000) | fore; }

// Lines and shapes (pen outline, brush interior; right and bottom edges
// excluded as on Windows).
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL GetCurrentPositionEx(HDC dc, LPPOINT position);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);

// The rectangle helpers that Windows keeps in its window layer but that only
// draw.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT* rect);
BOOL DrawFocusRect(HDC dc, const RECT* rect);
BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags);
// The classic look of standard control parts: DFC_BUTTON (push buttons,
// check boxes, radio buttons), DFC_SCROLL (arrow buttons, the combo box
// button), DFC_CAPTION (the close, minimise, maximise and restore buttons)
// and DFC_MENU (check, bullet and arrow glyphs, black on white).
BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state);

// Rectangles.
BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(LPRECT rect);
BOOL CopyRect(LPRECT dest, const RECT* src);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
BOOL InflateRect(LPRECT rect, int dx, int dy);
BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b);
BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b);
BOOL SubtractRect(LPRECT dest, const RECT* a, const RECT* b);
BOOL EqualRect(const RECT* a, const RECT* b);

// System colours: the Windows classic scheme.
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);
BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors);

// Fonts and text.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR face);
HFONT CreateFontIndirectW(const LOGFONTW* font);
#define CreateFont CreateFontW
#define CreateFontIndirect CreateFontIndirectW
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
int GetTextFaceW(HDC dc, int count, LPWSTR face);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size);
// The characters of text that fit in maxExtent (fit) and the extent of
// each prefix (dx), when asked for.
BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, int* fit, int* dx, LPSIZE size);
BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths);
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const int* dx);
int SetTextCharacterExtra(HDC dc, int extra);
// count -1 takes the text up to its terminator. Returns the text's height
// (with DT_VCENTER or DT_BOTTOM, the offset from the top of the rectangle to
// the bottom of the text), 0 on failure.
int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
#define TextOut TextOutW
#define DrawText DrawTextW
#define GetTextMetrics GetTextMetricsW
#define GetTextExtentPoint32 GetTextExtentPoint32W

// Icons: a colour image and an AND mask.
HICON CreateIconIndirect(const ICONINFO* info);
// The caller owns (and deletes) the two bitmaps it receives.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
BOOL DestroyIcon(HICON icon);
HICON CopyIcon(HICON icon);
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flicker, UINT flags);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
// Icon and cursor images as resources and .ico files store them: a packed
// DIB of twice the icon's height, the colour rows followed by the AND mask
// (cursors start with their hot spot, two WORDs). The size is checked
// against the DIB's needs; version is 0x00030000. cx, cy: 0 for the image's
// own size.
HICON CreateIconFromResourceEx(const BYTE* bits, DWORD bytes, BOOL icon, DWORD version, int cx, int cy, UINT flags);
HICON CreateIconFromResource(const BYTE* bits, DWORD bytes, BOOL icon, DWORD version);
// The id of the image of a group icon (or cursor) directory resource that
// best fits cx x cy (0: the default 32 x 32); 0 when there is none.
int LookupIconIdFromDirectoryEx(const BYTE* directory, BOOL icon, int cx, int cy, UINT flags);
int LookupIconIdFromDirectory(const BYTE* directory, BOOL icon);

using DRAWSTATEPROC = BOOL (*)(HDC dc, LPARAM data, WPARAM length, int width, int height);
// DST_ICON, DST_BITMAP, DST_TEXT and DST_PREFIXTEXT (data holds the handle
// or the text), DST_COMPLEX (the callback draws); DSS_NORMAL, DSS_DISABLED
// (embossed in the highlight and shadow colours) and DSS_MONO (in brush).
BOOL DrawStateW(HDC dc, HBRUSH brush, DRAWSTATEPROC callback, LPARAM data, WPARAM length, int x, int y, int width,
                int height, UINT flags);
#define DrawState DrawStateW

// Images. Bitmaps load from BMP files and icons from .ico files (hInstance
// NULL, LR_LOADFROMFILE, the name a Windows path); resources are loaded by the resource loader that the
// window layer installs. The result is a 32-bit bitmap whatever the file's
// depth (a DIB section with LR_CREATEDIBSECTION).
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags);
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
#define LoadImage LoadImageW
#define LoadBitmap LoadBitmapW

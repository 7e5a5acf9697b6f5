// What the layers above need of the graphics layer beyond the Win32 calls:
// DCs on any 32-bit surface (the window layer's window DCs), the pixels
// behind a bitmap, the screen's size, the live-object count that tests use
// to find leaks, and the hook through which resources are loaded.
#pragma once

#include "gdi/GdiTypes.h"
#include "gdi/Region.h"
#include "gdi/Surface.h"

#include <functional>
#include <memory>
#include <span>

namespace gdi {

// A DC that paints into surface with its device origin at origin (surface
// coordinates) and nothing outside visible (device coordinates, that is
// relative to origin). A null visible region means the whole surface. The
// DC keeps the surface alive; DeleteDC releases it.
HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, const Region* visible);
// The same with a visible region the DC takes over.
HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, Region&& visible);
// Moves the DC and changes what it may paint, as a window moves or is
// uncovered; the DC's own clip region and attributes stay.
BOOL SetSurfaceDCGeometry(HDC dc, POINT origin, const Region* visible);

// The pixels a DC paints into (its selected bitmap, or its surface), and a
// bitmap's pixels; null for a handle that is not open or a monochrome bitmap.
std::shared_ptr<Surface> SurfaceOfDC(HDC dc);
std::shared_ptr<Surface> SurfaceOfBitmap(HBITMAP bitmap);
// A new 32-bit bitmap holding the pixels of surface (copied).
HBITMAP CreateBitmapFromSurface(const Surface& surface);

// Regions behind HRGN handles, for the window layer's window shapes and
// update regions. GetRegion fails (false) on a handle that is not a region.
bool GetRegion(HRGN region, Region& out);
BOOL SetRegion(HRGN region, const Region& value);
HRGN CreateRegion(const Region& value);

// Makes an object live as long as the process, as the stock objects do:
// not counted among the open objects, and DeleteObject and DestroyIcon
// leave it (the window layer's caption fonts and shared icons).
void KeepForProcess(HGDIOBJ object);

// The screen: what GetDeviceCaps reports and what screen DCs paint into.
void SetScreenSize(int width, int height);
SIZE GetScreenSize();

// Objects open now, by kind and in total; stock objects are not counted.
struct ObjectCounts {
    int bitmaps = 0;
    int brushes = 0;
    int pens = 0;
    int fonts = 0;
    int regions = 0;
    int dcs = 0;
    int icons = 0;
    int Total() const { return bitmaps + brushes + pens + fonts + regions + dcs + icons; }
};
ObjectCounts LiveObjectCounts();

// An icon or cursor from the bytes of an .ico or .cur file: the image of the
// directory that best fits cx x cy (0 x 0: the image's own size), null when
// the file is damaged.
HICON LoadIconFile(std::span<const BYTE> file, BOOL icon, int cx, int cy);

// Loads an image resource for LoadImageW and LoadBitmapW when the instance
// is not null or LR_LOADFROMFILE is absent; installed by the window layer.
using ResourceImageLoader = std::function<HANDLE(HINSTANCE, LPCWSTR name, UINT type, int width, int height, UINT flags)>;
void SetResourceImageLoader(ResourceImageLoader loader);

} // namespace gdi

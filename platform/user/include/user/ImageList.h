// Image lists: a row of same-sized images, each with an optional mask,
// that tree views and buttons draw their icons from. A list may be made on
// one thread and drawn on another.
#pragma once

#include "gdi/GdiTypes.h"
#include "win32/Types.h"

using HIMAGELIST = struct _IMAGELIST*;

// ImageList_Create flags. The colour depth is accepted for every value; the
// images keep 32-bit colour whatever depth was asked for.
constexpr UINT ILC_MASK = 0x00000001;
constexpr UINT ILC_COLOR = 0x00000000;
constexpr UINT ILC_COLORDDB = 0x000000FE;
constexpr UINT ILC_COLOR4 = 0x00000004;
constexpr UINT ILC_COLOR8 = 0x00000008;
constexpr UINT ILC_COLOR16 = 0x00000010;
constexpr UINT ILC_COLOR24 = 0x00000018;
constexpr UINT ILC_COLOR32 = 0x00000020;

// ImageList_Draw styles.
constexpr UINT ILD_NORMAL = 0x00000000;
constexpr UINT ILD_TRANSPARENT = 0x00000001;
constexpr UINT ILD_MASK = 0x00000010;
constexpr UINT ILD_IMAGE = 0x00000020;

// Colours of ImageList_DrawEx and ImageList_SetBkColor.
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

// The list has room for `initial` images before it grows by `grow`; both only
// size its storage. Null for a size that is not positive.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);

int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);

// Appends the images of a bitmap as wide as a whole number of images (the
// part beyond the last whole image is dropped); the mask is a monochrome
// bitmap whose set bits are transparent, used only by a masked list. Returns
// the index of the first new image, -1 on failure.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// As ImageList_Add, the mask made from the pixels of colour `maskColor`,
// which turn black in the stored image.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF maskColor);
// Puts an icon, scaled to the list's size, at index (-1 appends). In a list
// without a mask the icon is drawn over the background colour (black while
// that is CLR_NONE). Returns the index, -1 on failure.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST list, HICON icon) { return ImageList_ReplaceIcon(list, -1, icon); }

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
COLORREF ImageList_GetBkColor(HIMAGELIST list);

// Draws image index with its top-left at (x, y). ILD_NORMAL fills the
// transparent pixels of a masked image with the background colour, unless
// that is CLR_NONE; ILD_TRANSPARENT leaves them as they are; ILD_MASK draws
// the mask alone (black opaque, white transparent).
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// As ImageList_Draw, limited to the first width x height pixels of the image
// (0 for the whole of it), with background colour `background` (CLR_DEFAULT:
// the list's own; CLR_NONE: transparent). The foreground colour is unused.
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int width, int height,
                      COLORREF background, COLORREF foreground, UINT style);

// The tree view (WC_TREEVIEW): items in a hierarchy, with buttons, lines,
// check boxes, images, a caret item and notifications to the parent.
//
// Row geometry, fixed so that hit tests and pictures agree:
// - Every row is TreeViewItemHeight (18) pixels high; the first visible row
//   (TVGN_FIRSTVISIBLE, moved by scrolling) starts at y = 0.
// - Rows scrolled horizontally by n pixels start at x = -n instead of 0 below.
// - An item of depth d (0 for a top-level item) has the level
//   L = d + 1 with TVS_LINESATROOT and TVS_HASLINES or TVS_HASBUTTONS, else
//   L = d. From x = 0 lie L indent columns of TreeViewIndent (19) pixels; the
//   last of them holds the item's +/- button (a 9 x 9 box in its middle) with
//   TVS_HASBUTTONS when the item has children or was inserted with the
//   children mark (cChildren = 1).
// - Then the state image, as wide as the state image list's images, when the
//   tree has one (TVS_CHECKBOXES gives it a list of 16 x 16 images: 0 blank,
//   1 unchecked, 2 checked); then the normal image, as wide as the normal
//   list's images, when the tree has one; then the label: the text's width in
//   the control's font plus 2 pixels on each side.
// - Scroll bars: the vertical one (SB_VERT, in rows) while the rows do not
//   all fit; the horizontal one (SB_HORZ, in pixels) while the widest shown
//   row is wider than the client area, unless TVS_NOHSCROLL. Ctrl with an
//   arrow key scrolls a line without moving the caret, and selecting an item
//   or TVM_ENSUREVISIBLE brings it into view both ways: its button or its
//   images and its label, their start first when they cannot all show.
// Hit tests report the part of the row under the point: TVHT_ONITEMINDENT,
// TVHT_ONITEMBUTTON (the whole button column), TVHT_ONITEMSTATEICON,
// TVHT_ONITEMICON, TVHT_ONITEMLABEL, TVHT_ONITEMRIGHT (after the label);
// TVHT_NOWHERE below the last row; TVHT_ABOVE, TVHT_BELOW, TVHT_TOLEFT and
// TVHT_TORIGHT outside the client area.
//
// Check boxes: with TVS_CHECKBOXES a click on the state image, or the space
// key on the caret item, moves a state image of 1 to 2 and 2 to 1. The parent
// takes that over itself by answering NM_CLICK with nonzero (documented:
// it prevents the default processing), by handling WM_LBUTTONDOWN in a
// subclass, or, for the space key, by changing the caret item's state image
// while it handles TVN_KEYDOWN: the control then leaves the check alone, so
// a check is never toggled twice.
#pragma once

#include "gdi/GdiTypes.h"
#include "user/ImageList.h"
#include "user/Notify.h"
#include "win32/Types.h"

constexpr const WCHAR* WC_TREEVIEW = u"SysTreeView32";

constexpr int TreeViewItemHeight = 18;
constexpr int TreeViewIndent = 19;

// Styles. Resource scripts may name the last three; the tree accepts them
// and draws and behaves as without them.
constexpr DWORD TVS_HASBUTTONS = 0x0001;
constexpr DWORD TVS_HASLINES = 0x0002;
constexpr DWORD TVS_LINESATROOT = 0x0004;
constexpr DWORD TVS_DISABLEDRAGDROP = 0x0010;
constexpr DWORD TVS_SHOWSELALWAYS = 0x0020;
constexpr DWORD TVS_CHECKBOXES = 0x0100;
constexpr DWORD TVS_EDITLABELS = 0x0008;
constexpr DWORD TVS_TRACKSELECT = 0x0200;
constexpr DWORD TVS_FULLROWSELECT = 0x1000;
constexpr DWORD TVS_NOSCROLL = 0x2000;
constexpr DWORD TVS_NOHSCROLL = 0x8000;

using HTREEITEM = struct _TREEITEM*;

// Special item handles of TVM_INSERTITEM (parent and insert-after) and of
// TVM_DELETEITEM (TVI_ROOT: every item).
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<UINT_PTR>(-0x10000));
inline const HTREEITEM TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<UINT_PTR>(-0x0FFFF));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<UINT_PTR>(-0x0FFFE));
inline const HTREEITEM TVI_SORT = reinterpret_cast<HTREEITEM>(static_cast<UINT_PTR>(-0x0FFFD));

// Item masks: which members of a TVITEMW count.
constexpr UINT TVIF_TEXT = 0x0001;
constexpr UINT TVIF_IMAGE = 0x0002;
constexpr UINT TVIF_PARAM = 0x0004;
constexpr UINT TVIF_STATE = 0x0008;
constexpr UINT TVIF_HANDLE = 0x0010;
constexpr UINT TVIF_SELECTEDIMAGE = 0x0020;
constexpr UINT TVIF_CHILDREN = 0x0040;

// Item states. The state image index (0 none, 1 to 15) lies in bits 12 to 15.
constexpr UINT TVIS_SELECTED = 0x0002;
constexpr UINT TVIS_BOLD = 0x0010;
constexpr UINT TVIS_EXPANDED = 0x0020;
constexpr UINT TVIS_EXPANDEDONCE = 0x0040;
constexpr UINT TVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT INDEXTOSTATEIMAGEMASK(UINT index) { return index << 12; }
constexpr UINT STATEIMAGEMASKTOINDEX(UINT state) { return (state & TVIS_STATEIMAGEMASK) >> 12; }

struct TVITEMW {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren; // 1: show a button before the item has children
    LPARAM lParam;
};
using LPTVITEMW = TVITEMW*;

// TVITEMW with the item's height in rows, which this tree ignores: every
// item is one row high.
struct TVITEMEXW {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
    int iIntegral;
};

struct TVINSERTSTRUCTW {
    HTREEITEM hParent;      // TVI_ROOT or null for a top-level item
    HTREEITEM hInsertAfter; // TVI_FIRST, TVI_LAST, TVI_SORT or a child of hParent
    union {
        TVITEMEXW itemex;
        TVITEMW item;
    };
};
using LPTVINSERTSTRUCTW = TVINSERTSTRUCTW*;

// TVM_GETNEXTITEM relations.
constexpr UINT TVGN_ROOT = 0x0000;
constexpr UINT TVGN_NEXT = 0x0001;
constexpr UINT TVGN_PREVIOUS = 0x0002;
constexpr UINT TVGN_PARENT = 0x0003;
constexpr UINT TVGN_CHILD = 0x0004;
constexpr UINT TVGN_FIRSTVISIBLE = 0x0005;
constexpr UINT TVGN_NEXTVISIBLE = 0x0006;
constexpr UINT TVGN_PREVIOUSVISIBLE = 0x0007;
constexpr UINT TVGN_CARET = 0x0009;
constexpr UINT TVGN_LASTVISIBLE = 0x000A;

// TVM_EXPAND actions.
constexpr UINT TVE_COLLAPSE = 0x0001;
constexpr UINT TVE_EXPAND = 0x0002;
constexpr UINT TVE_TOGGLE = 0x0003;

// TVM_SETIMAGELIST / TVM_GETIMAGELIST lists.
constexpr WPARAM TVSIL_NORMAL = 0;
constexpr WPARAM TVSIL_STATE = 2;

// TVM_HITTEST
constexpr UINT TVHT_NOWHERE = 0x0001;
constexpr UINT TVHT_ONITEMICON = 0x0002;
constexpr UINT TVHT_ONITEMLABEL = 0x0004;
constexpr UINT TVHT_ONITEMINDENT = 0x0008;
constexpr UINT TVHT_ONITEMBUTTON = 0x0010;
constexpr UINT TVHT_ONITEMRIGHT = 0x0020;
constexpr UINT TVHT_ONITEMSTATEICON = 0x0040;
constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;
constexpr UINT TVHT_ABOVE = 0x0100;
constexpr UINT TVHT_BELOW = 0x0200;
constexpr UINT TVHT_TORIGHT = 0x0400;
constexpr UINT TVHT_TOLEFT = 0x0800;

struct TVHITTESTINFO {
    POINT pt; // client coordinates
    UINT flags;
    HTREEITEM hItem;
};
using LPTVHITTESTINFO = TVHITTESTINFO*;

// Messages. Unless said otherwise lParam is the item's handle.
constexpr UINT TV_FIRST = 0x1100;
constexpr UINT TVM_INSERTITEMW = TV_FIRST + 50;  // lParam TVINSERTSTRUCTW*; the new item or null
constexpr UINT TVM_DELETEITEM = TV_FIRST + 1;    // TVI_ROOT deletes every item
constexpr UINT TVM_EXPAND = TV_FIRST + 2;        // wParam TVE_*
constexpr UINT TVM_GETITEMRECT = TV_FIRST + 4;   // wParam TRUE: label only; lParam RECT* holding the handle
constexpr UINT TVM_GETCOUNT = TV_FIRST + 5;
constexpr UINT TVM_GETINDENT = TV_FIRST + 6;
constexpr UINT TVM_GETIMAGELIST = TV_FIRST + 8;  // wParam TVSIL_*
constexpr UINT TVM_SETIMAGELIST = TV_FIRST + 9;  // wParam TVSIL_*, lParam HIMAGELIST; the previous list
constexpr UINT TVM_GETNEXTITEM = TV_FIRST + 10;  // wParam TVGN_*
constexpr UINT TVM_SELECTITEM = TV_FIRST + 11;   // wParam TVGN_CARET or TVGN_FIRSTVISIBLE
constexpr UINT TVM_GETVISIBLECOUNT = TV_FIRST + 16;
constexpr UINT TVM_HITTEST = TV_FIRST + 17;      // lParam TVHITTESTINFO*; the item or null
constexpr UINT TVM_ENSUREVISIBLE = TV_FIRST + 20;
constexpr UINT TVM_GETITEMHEIGHT = TV_FIRST + 28;
constexpr UINT TVM_GETITEMSTATE = TV_FIRST + 39; // wParam the item, lParam the state mask
constexpr UINT TVM_GETITEMW = TV_FIRST + 62;     // lParam TVITEMW* (TVIF_HANDLE)
constexpr UINT TVM_SETITEMW = TV_FIRST + 63;     // lParam TVITEMW* (TVIF_HANDLE)
constexpr UINT TVM_INSERTITEM = TVM_INSERTITEMW;
constexpr UINT TVM_GETITEM = TVM_GETITEMW;
constexpr UINT TVM_SETITEM = TVM_SETITEMW;

// Notifications, sent to the parent as WM_NOTIFY.
constexpr UINT TVN_FIRST = 0U - 400U;
constexpr UINT TVN_SELCHANGINGW = TVN_FIRST - 50;  // NMTREEVIEWW; nonzero keeps the old caret
constexpr UINT TVN_SELCHANGEDW = TVN_FIRST - 51;   // NMTREEVIEWW
constexpr UINT TVN_ITEMEXPANDINGW = TVN_FIRST - 54; // NMTREEVIEWW; nonzero refuses
constexpr UINT TVN_ITEMEXPANDEDW = TVN_FIRST - 55; // NMTREEVIEWW
constexpr UINT TVN_DELETEITEMW = TVN_FIRST - 58;   // NMTREEVIEWW, itemOld the deleted item
constexpr UINT TVN_KEYDOWN = TVN_FIRST - 12;       // NMTVKEYDOWN
constexpr UINT TVN_SELCHANGING = TVN_SELCHANGINGW;
constexpr UINT TVN_SELCHANGED = TVN_SELCHANGEDW;
constexpr UINT TVN_ITEMEXPANDING = TVN_ITEMEXPANDINGW;
constexpr UINT TVN_ITEMEXPANDED = TVN_ITEMEXPANDEDW;
constexpr UINT TVN_DELETEITEM = TVN_DELETEITEMW;

// How a selection changed (NMTREEVIEWW::action of TVN_SELCHANGING/ED).
constexpr UINT TVC_UNKNOWN = 0x0000;
constexpr UINT TVC_BYMOUSE = 0x0001;
constexpr UINT TVC_BYKEYBOARD = 0x0002;

// The items carry handle, state and lParam (TVIF_HANDLE | TVIF_STATE |
// TVIF_PARAM); the texts are not passed.
struct NMTREEVIEWW {
    NMHDR hdr;
    UINT action; // TVC_* of a selection, TVE_* of an expansion
    TVITEMW itemOld;
    TVITEMW itemNew;
    POINT ptDrag;
};
using LPNMTREEVIEWW = NMTREEVIEWW*;
using NMTREEVIEW = NMTREEVIEWW;
using LPNMTREEVIEW = NMTREEVIEWW*;

struct NMTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
using LPNMTVKEYDOWN = NMTVKEYDOWN*;

using TVITEM = TVITEMW;
using TVITEMEX = TVITEMEXW;
using TVINSERTSTRUCT = TVINSERTSTRUCTW;

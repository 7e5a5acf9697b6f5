// The common controls: image lists, progress bars, tree views and tooltips,
// the notifications they share, and InitCommonControlsEx. Including this
// header gives all of them, as a program of the platform expects.
#pragma once

#include "user/ImageList.h"
#include "user/Notify.h"
#include "user/ProgressBar.h"
#include "user/ToolTip.h"
#include "user/TreeView.h"
#include "win32/Types.h"

constexpr DWORD ICC_LISTVIEW_CLASSES = 0x00000001;
constexpr DWORD ICC_TREEVIEW_CLASSES = 0x00000002;
constexpr DWORD ICC_BAR_CLASSES = 0x00000004;
constexpr DWORD ICC_TAB_CLASSES = 0x00000008;
constexpr DWORD ICC_UPDOWN_CLASS = 0x00000010;
constexpr DWORD ICC_PROGRESS_CLASS = 0x00000020;
constexpr DWORD ICC_HOTKEY_CLASS = 0x00000040;
constexpr DWORD ICC_ANIMATE_CLASS = 0x00000080;
constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};

// Registers the classes asked for (the common control classes are also
// registered on first need, so that dialog templates naming them work
// without it). FALSE when the structure's size is not its own.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

namespace user {
// The classes asked for so far in this process.
DWORD InitializedCommonControls();
} // namespace user

// The common controls: the classes a program asks for before it makes any of
// them (tree view, progress bar, ...).
#pragma once

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

// FALSE when the structure's size is not its own.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

namespace user {
// The classes asked for so far in this process.
DWORD InitializedCommonControls();
} // namespace user

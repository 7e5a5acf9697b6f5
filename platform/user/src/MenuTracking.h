// Tracking menus: the modal loop that opens popup menus, follows the mouse
// and the keys and ends with the choice of an item.
#pragma once

#include "WindowData.h"

namespace user::detail {

// Opens the menu bar's item (by index) and tracks the menu; the choice is
// posted to the window as WM_COMMAND.
void TrackMenuBar(HWND hwnd, int item);
// Opens the system menu at the screen point; the choice is posted as WM_SYSCOMMAND.
void TrackSystemMenu(HWND hwnd, POINT screen);
// DefWindowProc's SC_KEYMENU: a mnemonic of the menu bar, ' ' for the
// system menu, 0 for the menu bar's first item.
void TrackMenuByKey(HWND hwnd, char16_t key);

} // namespace user::detail

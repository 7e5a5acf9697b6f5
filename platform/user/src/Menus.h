// The window layer's own view of menus: their items as plain values, the
// system menu's commands, and the menu bar's layout and painting.
#pragma once

#include "user/Menu.h"

#include <string>
#include <vector>

namespace user::detail {

struct MenuItemData {
    UINT id = 0;
    UINT type = MFT_STRING; // MFT_SEPARATOR for a separator
    UINT state = MFS_ENABLED;
    std::u16string text;
    HMENU submenu = nullptr;
    ULONG_PTR data = 0;
    bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
    bool IsEnabled() const { return !(state & MFS_GRAYED); }
};

// A copy of the menu's items; empty for a handle that is not a menu.
std::vector<MenuItemData> MenuItems(HMENU menu);

// Whether the window's system menu has the command enabled (a window
// without a system menu copy has all its standard commands).
bool IsSystemCommandEnabled(HWND hwnd, UINT command);
// Sets the states of Restore, Size, Minimize and Maximize for the window's
// show state, as the system menu is opened.
void RefreshSystemMenu(HWND hwnd);

// The menu bar items' rectangles in window coordinates, in item order.
std::vector<RECT> MenuBarItemRects(HWND hwnd);
// Paints the menu bar into the window DC; the item that is open shows pushed.
void PaintMenuBar(HWND hwnd, HDC windowDC, const RECT& bar);
// The menu bar item shown open (set by menu tracking), -1 for none.
void SetOpenMenuBarItem(HWND hwnd, int item);

// The text of an item without its '&' marks, and its mnemonic (0 for none).
std::u16string MenuTextWithoutPrefix(const std::u16string& text);
char16_t MenuMnemonic(const std::u16string& text);

} // namespace user::detail

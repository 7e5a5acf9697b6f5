// Popup menu windows: the top-level windows that show an open popup menu.
// The menu loop sets what each shows; the automation interface finds them
// and their items.
#pragma once

#include "WindowData.h"

#include <vector>

namespace user::detail {

constexpr const char16_t* kMenuClass = u"#32768";

struct MenuWindowState {
    HMENU menu = nullptr;
    int hot = -1;            // the highlighted item
    std::vector<RECT> items; // client coordinates, in item order
};

// The size of a window showing the menu, and its items' rectangles.
SIZE LayoutMenuWindow(HMENU menu, std::vector<RECT>& items);
void SetMenuWindowState(HWND hwnd, const MenuWindowState& state);
bool GetMenuWindowState(HWND hwnd, MenuWindowState& state);

// The popup menu windows open now, the first opened first.
std::vector<HWND> OpenMenuWindows();
// The screen rectangle of an item of an open popup menu window.
RECT MenuWindowItemRect(HWND menuWindow, int item);
HMENU MenuOfWindow(HWND menuWindow);
// The item under a screen point, -1 for none.
int MenuWindowItemAt(HWND menuWindow, POINT screen);

LRESULT MenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace user::detail

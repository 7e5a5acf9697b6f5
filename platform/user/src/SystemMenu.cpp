// The system menu: each window's copy with the standard commands that its
// styles allow, and their states as the window's show state changes.
#include "Menus.h"
#include "WindowData.h"

#include "user/Messages.h"

using namespace user::detail;

namespace {

HMENU BuildSystemMenu(DWORD style)
{
    HMENU menu = CreatePopupMenu();
    bool boxes = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0;
    if (boxes)
        AppendMenuW(menu, MF_STRING, SC_RESTORE, u"&Restore");
    AppendMenuW(menu, MF_STRING, SC_MOVE, u"&Move");
    if (style & WS_THICKFRAME)
        AppendMenuW(menu, MF_STRING, SC_SIZE, u"&Size");
    if (style & WS_MINIMIZEBOX)
        AppendMenuW(menu, MF_STRING, SC_MINIMIZE, u"Mi&nimize");
    if (style & WS_MAXIMIZEBOX)
        AppendMenuW(menu, MF_STRING, SC_MAXIMIZE, u"Ma&ximize");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, SC_CLOSE, u"&Close\tAlt+F4");
    return menu;
}

} // namespace

HMENU GetSystemMenu(HWND hwnd, BOOL revert)
{
    HMENU dropped = nullptr;
    HMENU menu = nullptr;
    bool made = false;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto window = manager.Find(hwnd);
        if (!window)
            return nullptr;
        if (revert) {
            dropped = window->systemMenu;
            window->systemMenu = nullptr;
        } else {
            if (!window->systemMenu && (window->style & WS_SYSMENU)) {
                window->systemMenu = BuildSystemMenu(window->style);
                made = true;
            }
            menu = window->systemMenu;
        }
    }
    if (dropped)
        DestroyMenu(dropped);
    if (made)
        RefreshSystemMenu(hwnd);
    return menu;
}

namespace user::detail {

bool IsSystemCommandEnabled(HWND hwnd, UINT command)
{
    HMENU menu;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto window = manager.Find(hwnd);
        if (!window)
            return false;
        menu = window->systemMenu;
    }
    if (!menu)
        return true;
    UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    return state != 0xFFFFFFFF && !(state & (MF_GRAYED | MF_DISABLED));
}

void RefreshSystemMenu(HWND hwnd)
{
    HMENU menu;
    bool minimized;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto window = manager.Find(hwnd);
        if (!window || !window->systemMenu)
            return;
        menu = window->systemMenu;
        minimized = (window->style & WS_MINIMIZE) != 0;
    }
    EnableMenuItem(menu, SC_RESTORE, minimized ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, SC_SIZE, minimized ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(menu, SC_MINIMIZE, minimized ? MF_GRAYED : MF_ENABLED);
}

} // namespace user::detail

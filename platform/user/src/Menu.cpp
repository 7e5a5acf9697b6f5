// Menus and their items: the handle table, building menus from code and
// from templates, and reading and changing items.
#include "Menus.h"
#include "NonClient.h"
#include "WindowData.h"

#include "user/Messages.h"
#include "user/Resources.h"
#include "win32/WideString.h"

#include <map>
#include <memory>
#include <mutex>

using namespace user::detail;

namespace {

struct MenuData {
    bool popup = false;
    std::vector<MenuItemData> items;
};

struct MenuTable {
    std::recursive_mutex mutex;
    std::map<HMENU, std::shared_ptr<MenuData>> menus;
    std::uintptr_t next = 0x20010;
};

MenuTable& Table()
{
    static auto* table = new MenuTable; // outlives the exit handlers
    return *table;
}

std::shared_ptr<MenuData> Find(HMENU menu)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.menus.find(menu);
    return it == table.menus.end() ? nullptr : it->second;
}

HMENU Insert(bool popup)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto handle = reinterpret_cast<HMENU>(table.next);
    table.next += 4;
    auto data = std::make_shared<MenuData>();
    data->popup = popup;
    table.menus[handle] = data;
    return handle;
}

// The item that position or command names, searching submenus for a
// command as Windows does. Called under the table's lock.
MenuItemData* Locate(HMENU menu, UINT item, bool byPosition)
{
    auto data = Find(menu);
    if (!data)
        return nullptr;
    if (byPosition)
        return item < data->items.size() ? &data->items[item] : nullptr;
    for (auto& entry : data->items) {
        if (!entry.submenu && !entry.IsSeparator() && entry.id == item)
            return &entry;
    }
    for (auto& entry : data->items) {
        if (entry.submenu) {
            if (MenuItemData* found = Locate(entry.submenu, item, false))
                return found;
        }
    }
    return nullptr;
}

// The menu holding the item, and its index there.
std::pair<std::shared_ptr<MenuData>, std::size_t> LocateSlot(HMENU menu, UINT item, bool byPosition)
{
    auto data = Find(menu);
    if (!data)
        return {nullptr, 0};
    if (byPosition)
        return item < data->items.size() ? std::pair{data, static_cast<std::size_t>(item)} : std::pair{nullptr, 0};
    for (std::size_t i = 0; i < data->items.size(); ++i) {
        const auto& entry = data->items[i];
        if (!entry.submenu && !entry.IsSeparator() && entry.id == item)
            return {data, i};
    }
    for (const auto& entry : data->items) {
        if (entry.submenu) {
            auto found = LocateSlot(entry.submenu, item, false);
            if (found.first)
                return found;
        }
    }
    return {nullptr, 0};
}

MenuItemData ItemFromFlags(UINT flags, UINT_PTR newItem, LPCWSTR text)
{
    MenuItemData item;
    if (flags & MF_SEPARATOR) {
        item.type = MFT_SEPARATOR;
        return item;
    }
    if (flags & MF_POPUP)
        item.submenu = reinterpret_cast<HMENU>(newItem);
    else
        item.id = static_cast<UINT>(newItem);
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    item.text = text ? text : u"";
    return item;
}

HMENU BuildMenu(const std::vector<user::MenuItemTemplate>& items, bool popup)
{
    HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
    for (const auto& item : items) {
        if (item.separator)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else if (item.isPopup || !item.popup.empty())
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(BuildMenu(item.popup, true)), item.text.c_str());
        else
            AppendMenuW(menu, MF_STRING, item.id, item.text.c_str());
    }
    return menu;
}

// A menu bar that changes size or items repaints with its window's frame.
void MenuChanged(HMENU menu)
{
    std::vector<HWND> owners;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        for (const auto& [handle, window] : manager.windows) {
            if (window->menu == menu && !window->parent)
                owners.push_back(window->handle);
        }
    }
    for (HWND hwnd : owners)
        DrawMenuBar(hwnd);
}

} // namespace

namespace user::detail {

std::vector<MenuItemData> MenuItems(HMENU menu)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto data = Find(menu);
    return data ? data->items : std::vector<MenuItemData>{};
}

std::u16string MenuTextWithoutPrefix(const std::u16string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i; // "&&" stands for one '&'
        out += text[i];
    }
    return out;
}

char16_t MenuMnemonic(const std::u16string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] != u'&')
                return CharUpperChar(text[i + 1]);
            ++i;
        }
    }
    return 0;
}

} // namespace user::detail

HMENU CreateMenu()
{
    return Insert(false);
}

HMENU CreatePopupMenu()
{
    return Insert(true);
}

BOOL DestroyMenu(HMENU menu)
{
    std::vector<HMENU> submenus;
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        auto it = table.menus.find(menu);
        if (it == table.menus.end())
            return FALSE;
        for (const auto& item : it->second->items) {
            if (item.submenu)
                submenus.push_back(item.submenu);
        }
        table.menus.erase(it);
    }
    for (HMENU submenu : submenus)
        DestroyMenu(submenu);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    return Find(menu) ? TRUE : FALSE;
}

HMENU LoadMenuW(HINSTANCE module, LPCWSTR name)
{
    if (!IS_INTRESOURCE(name)) {
        SetLastError(1814); // ERROR_RESOURCE_NAME_NOT_FOUND: menus are found by number
        return nullptr;
    }
    const user::MenuTemplate* tmpl = user::FindMenuTemplate(module, user::ResourceNumber(name));
    if (!tmpl) {
        SetLastError(1814);
        return nullptr;
    }
    return BuildMenu(tmpl->items, false);
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR newItem, LPCWSTR text)
{
    return InsertMenuW(menu, 0xFFFFFFFF, flags | MF_BYPOSITION, newItem, text);
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCWSTR text)
{
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        auto data = Find(menu);
        if (!data)
            return FALSE;
        MenuItemData item = ItemFromFlags(flags, newItem, text);
        if (flags & MF_BYPOSITION) {
            std::size_t at = std::min<std::size_t>(position, data->items.size());
            data->items.insert(data->items.begin() + static_cast<std::ptrdiff_t>(at), item);
        } else {
            auto [holder, index] = LocateSlot(menu, position, false);
            if (!holder)
                return FALSE;
            holder->items.insert(holder->items.begin() + static_cast<std::ptrdiff_t>(index), item);
        }
    }
    MenuChanged(menu);
    return TRUE;
}

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info)
{
    if (!info || info->cbSize != sizeof(MENUITEMINFOW))
        return FALSE;
    UINT flags = byPosition ? MF_BYPOSITION : MF_BYCOMMAND;
    UINT type = (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) ? info->fType : MFT_STRING;
    if (type & MFT_SEPARATOR)
        return InsertMenuW(menu, item, flags | MF_SEPARATOR, 0, nullptr);
    if (!InsertMenuW(menu, item, flags, (info->fMask & MIIM_ID) ? info->wID : 0,
                     (info->fMask & (MIIM_STRING | MIIM_TYPE)) ? info->dwTypeData : nullptr))
        return FALSE;
    // The new item now stands where the old one was; fill in the rest of what the record gives.
    MENUITEMINFOW rest = *info;
    rest.fMask &= MIIM_STATE | MIIM_SUBMENU | MIIM_DATA;
    return rest.fMask ? SetMenuItemInfoW(menu, byPosition ? item : info->wID, byPosition, &rest) : TRUE;
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info)
{
    if (!info || info->cbSize != sizeof(MENUITEMINFOW))
        return FALSE;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    MenuItemData* entry = Locate(menu, item, byPosition != FALSE);
    if (!entry)
        return FALSE;
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE))
        info->fType = entry->type;
    if (info->fMask & MIIM_STATE)
        info->fState = entry->state;
    if (info->fMask & MIIM_ID)
        info->wID = entry->id;
    if (info->fMask & MIIM_SUBMENU)
        info->hSubMenu = entry->submenu;
    if (info->fMask & MIIM_DATA)
        info->dwItemData = entry->data;
    if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
        if (info->dwTypeData && info->cch > 0)
            lstrcpynW(info->dwTypeData, entry->text.c_str(), static_cast<int>(info->cch));
        info->cch = static_cast<UINT>(entry->text.size());
    }
    return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info)
{
    if (!info || info->cbSize != sizeof(MENUITEMINFOW))
        return FALSE;
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        MenuItemData* entry = Locate(menu, item, byPosition != FALSE);
        if (!entry)
            return FALSE;
        if (info->fMask & (MIIM_TYPE | MIIM_FTYPE))
            entry->type = info->fType;
        if (info->fMask & MIIM_STATE)
            entry->state = info->fState;
        if (info->fMask & MIIM_ID)
            entry->id = info->wID;
        if (info->fMask & MIIM_SUBMENU)
            entry->submenu = info->hSubMenu;
        if (info->fMask & MIIM_DATA)
            entry->data = info->dwItemData;
        if (info->fMask & (MIIM_STRING | MIIM_TYPE))
            entry->text = info->dwTypeData ? info->dwTypeData : u"";
    }
    MenuChanged(menu);
    return TRUE;
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCWSTR text)
{
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        MenuItemData* entry = Locate(menu, position, (flags & MF_BYPOSITION) != 0);
        if (!entry)
            return FALSE;
        *entry = ItemFromFlags(flags, newItem, text);
    }
    MenuChanged(menu);
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags)
{
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        auto [holder, index] = LocateSlot(menu, position, (flags & MF_BYPOSITION) != 0);
        if (!holder)
            return FALSE;
        holder->items.erase(holder->items.begin() + static_cast<std::ptrdiff_t>(index));
    }
    MenuChanged(menu);
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags)
{
    HMENU submenu = nullptr;
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        MenuItemData* entry = Locate(menu, position, (flags & MF_BYPOSITION) != 0);
        if (!entry)
            return FALSE;
        submenu = entry->submenu;
    }
    if (!RemoveMenu(menu, position, flags))
        return FALSE;
    if (submenu)
        DestroyMenu(submenu);
    return TRUE;
}

int GetMenuItemCount(HMENU menu)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto data = Find(menu);
    return data ? static_cast<int>(data->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    MenuItemData* entry = position < 0 ? nullptr : Locate(menu, static_cast<UINT>(position), true);
    if (!entry || entry->submenu)
        return 0xFFFFFFFF;
    return entry->id;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    MenuItemData* entry = position < 0 ? nullptr : Locate(menu, static_cast<UINT>(position), true);
    return entry ? entry->submenu : nullptr;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR text, int maxChars, UINT flags)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    MenuItemData* entry = Locate(menu, item, (flags & MF_BYPOSITION) != 0);
    if (!entry)
        return 0;
    if (!text || maxChars <= 0)
        return static_cast<int>(entry->text.size());
    lstrcpynW(text, entry->text.c_str(), maxChars);
    return lstrlenW(text);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    MenuItemData* entry = Locate(menu, item, (flags & MF_BYPOSITION) != 0);
    if (!entry)
        return 0xFFFFFFFF;
    UINT state = entry->state | (entry->type & MFT_SEPARATOR);
    if (entry->submenu)
        state |= MF_POPUP | (static_cast<UINT>(std::max(GetMenuItemCount(entry->submenu), 0)) << 8);
    return state;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable)
{
    UINT previous;
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        MenuItemData* entry = Locate(menu, item, (enable & MF_BYPOSITION) != 0);
        if (!entry)
            return -1;
        previous = entry->state & (MF_GRAYED | MF_DISABLED);
        entry->state = (entry->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    }
    MenuChanged(menu);
    // A window whose system menu changes shows its close box in the new state.
    std::vector<HWND> owners;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        for (const auto& [handle, window] : manager.windows) {
            if (window->systemMenu == menu)
                owners.push_back(window->handle);
        }
    }
    for (HWND hwnd : owners)
        RepaintFrame(hwnd);
    return static_cast<BOOL>(previous);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check)
{
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    MenuItemData* entry = Locate(menu, item, (check & MF_BYPOSITION) != 0);
    if (!entry)
        return static_cast<DWORD>(-1);
    DWORD previous = entry->state & MF_CHECKED;
    entry->state = (entry->state & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

HMENU GetMenu(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto window = manager.Find(hwnd);
    return window && !window->parent ? window->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu)
{
    if (menu && !IsMenu(menu))
        return FALSE;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto window = manager.Find(hwnd);
        if (!window || window->parent)
            return FALSE;
        window->menu = menu;
    }
    // The client area changes with the menu bar.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

BOOL DrawMenuBar(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    RepaintFrame(hwnd);
    return TRUE;
}

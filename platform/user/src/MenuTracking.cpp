// The menu loop: a modal loop on the owner's thread that opens popup menu
// windows, follows the mouse and the keys, and ends when an item is chosen
// or the menu is dismissed. The choice is posted to the owner afterwards,
// WM_COMMAND for the menu bar and popup menus, WM_SYSCOMMAND for the
// system menu, as Windows does.
#include "MenuTracking.h"

#include "MenuWindow.h"
#include "Menus.h"
#include "NonClient.h"

#include "gdi/GdiObjects.h"
#include "user/Menu.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include "win32/WideString.h"

#include <algorithm>
#include <functional>

using namespace user::detail;

namespace {

struct Level {
    HMENU menu = nullptr;
    HWND window = nullptr;
    bool system = false;
};

class MenuLoop {
public:
    MenuLoop(HWND owner, HMENU root, bool popupOnly) : m_owner(owner), m_root(root), m_popupOnly(popupOnly) {}

    // The id chosen, 0 when the menu was dismissed.
    UINT Run(const std::function<void()>& open)
    {
        SendMessageW(m_owner, WM_ENTERMENULOOP, m_popupOnly, 0);
        SendMessageW(m_owner, WM_INITMENU, reinterpret_cast<WPARAM>(m_root), 0);
        open();
        MSG msg;
        while (!m_done && (!m_levels.empty() || m_barItem >= 0) && IsWindow(m_owner)) {
            if (!GetMessageW(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // the loops further out end too
                break;
            }
            if (IsMouse(msg.message))
                OnMouse(msg);
            else if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
                OnKey(msg.wParam, msg.lParam);
            else if (msg.message != WM_KEYUP && msg.message != WM_SYSKEYUP && msg.message != WM_CHAR
                     && msg.message != WM_SYSCHAR)
                DispatchMessageW(&msg);
        }
        CloseFrom(0);
        if (m_barItem >= 0)
            SetOpenMenuBarItem(m_owner, -1);
        if (IsWindow(m_owner))
            SendMessageW(m_owner, WM_EXITMENULOOP, m_popupOnly, 0);
        return m_chosen;
    }

    bool ChoseSystem() const { return m_choseSystem; }

    // Opens a popup menu at a screen point, as the next level.
    void Open(HMENU menu, POINT at, bool system, int index, int hot = -1)
    {
        if (system)
            RefreshSystemMenu(m_owner);
        SendMessageW(m_owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(static_cast<WORD>(index), system));
        MenuWindowState state;
        state.menu = menu;
        state.hot = hot;
        SIZE size = LayoutMenuWindow(menu, state.items);
        SIZE screen = gdi::GetScreenSize();
        at.x = std::max<LONG>(0, std::min<LONG>(at.x, screen.cx - size.cx));
        if (at.y + size.cy > screen.cy)
            at.y = std::max<LONG>(0, screen.cy - size.cy);
        HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMenuClass, u"", WS_POPUP, at.x, at.y,
                                      size.cx, size.cy, m_owner, nullptr, nullptr, nullptr);
        if (!window)
            return;
        SetMenuWindowState(window, state);
        m_levels.push_back({menu, window, system});
        ShowWindow(window, SW_SHOWNA);
        UpdateWindow(window);
    }

    // Opens the menu bar's item: its popup below it, or nothing for a command of the bar itself.
    void OpenBarItem(int item, bool fromKeys)
    {
        CloseFrom(0);
        auto rects = MenuBarItemRects(m_owner);
        HMENU bar = GetMenu(m_owner);
        if (item < 0 || item >= static_cast<int>(rects.size()) || !bar)
            return;
        m_barItem = item;
        SetOpenMenuBarItem(m_owner, item);
        HMENU popup = GetSubMenu(bar, item);
        if (!popup) {
            // A command of the bar itself is chosen as it is opened.
            UINT id = GetMenuItemID(bar, item);
            m_chosen = id == 0xFFFFFFFF ? 0 : id;
            m_done = true;
            return;
        }
        RECT window;
        GetWindowRect(m_owner, &window);
        Open(popup, {window.left + rects[static_cast<std::size_t>(item)].left,
                     window.top + rects[static_cast<std::size_t>(item)].bottom},
             false, item, fromKeys ? NextItem(popup, -1, 1) : -1);
    }

private:
    static bool IsMouse(UINT message)
    {
        return (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP) || (message >= WM_NCMOUSEMOVE && message <= 0x00A9);
    }

    static int NextItem(HMENU menu, int from, int step)
    {
        auto items = MenuItems(menu);
        int count = static_cast<int>(items.size());
        for (int i = 1; i <= count; ++i) {
            int at = ((from + step * i) % count + count) % count;
            if (!items[static_cast<std::size_t>(at)].IsSeparator())
                return at;
        }
        return -1;
    }

    void CloseFrom(std::size_t level)
    {
        while (m_levels.size() > level) {
            DestroyWindow(m_levels.back().window);
            m_levels.pop_back();
        }
    }

    int Hot(std::size_t level)
    {
        MenuWindowState state;
        return GetMenuWindowState(m_levels[level].window, state) ? state.hot : -1;
    }

    void SetHot(std::size_t level, int item)
    {
        MenuWindowState state;
        if (GetMenuWindowState(m_levels[level].window, state) && state.hot != item) {
            state.hot = item;
            SetMenuWindowState(m_levels[level].window, state);
            UpdateWindow(m_levels[level].window);
            if (item >= 0) {
                auto items = MenuItems(m_levels[level].menu);
                const auto& entry = items[static_cast<std::size_t>(item)];
                SendMessageW(m_owner, WM_MENUSELECT,
                             MAKEWPARAM(static_cast<WORD>(entry.submenu ? item : static_cast<int>(entry.id)),
                                        static_cast<WORD>(entry.state | (entry.submenu ? MF_POPUP : 0))),
                             reinterpret_cast<LPARAM>(m_levels[level].menu));
            }
        }
    }

    // The highlighted item of a level opens (a submenu) or is chosen.
    void Activate(std::size_t level, int item, bool fromKeys)
    {
        auto items = MenuItems(m_levels[level].menu);
        if (item < 0 || item >= static_cast<int>(items.size()))
            return;
        const auto& entry = items[static_cast<std::size_t>(item)];
        if (entry.IsSeparator() || !entry.IsEnabled())
            return;
        if (entry.submenu) {
            CloseFrom(level + 1);
            RECT r = MenuWindowItemRect(m_levels[level].window, item);
            Open(entry.submenu, {r.right, r.top}, m_levels[level].system, item,
                 fromKeys ? NextItem(entry.submenu, -1, 1) : -1);
            return;
        }
        m_chosen = entry.id;
        m_choseSystem = m_levels[level].system;
        m_done = true;
    }

    int LevelAt(POINT screen)
    {
        for (std::size_t i = m_levels.size(); i-- > 0;) {
            RECT rect;
            GetWindowRect(m_levels[i].window, &rect);
            if (PtInRect(&rect, screen))
                return static_cast<int>(i);
        }
        return -1;
    }

    int BarItemAt(POINT screen)
    {
        if (m_popupOnly || !GetMenu(m_owner))
            return -1;
        RECT window;
        GetWindowRect(m_owner, &window);
        POINT at = {screen.x - window.left, screen.y - window.top};
        auto rects = MenuBarItemRects(m_owner);
        for (std::size_t i = 0; i < rects.size(); ++i) {
            if (PtInRect(&rects[i], at))
                return static_cast<int>(i);
        }
        return -1;
    }

    void OnMouse(const MSG& msg)
    {
        POINT at = msg.pt;
        int level = LevelAt(at);
        int item = level >= 0 ? MenuWindowItemAt(m_levels[static_cast<std::size_t>(level)].window, at) : -1;
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
            if (level >= 0) {
                auto l = static_cast<std::size_t>(level);
                if (item >= 0 && item != Hot(l)) {
                    CloseFrom(l + 1);
                    SetHot(l, item);
                    auto items = MenuItems(m_levels[l].menu);
                    if (items[static_cast<std::size_t>(item)].submenu)
                        Activate(l, item, false);
                }
            } else if (int bar = BarItemAt(at); bar >= 0 && bar != m_barItem && m_barItem >= 0) {
                OpenBarItem(bar, false);
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
            if (level >= 0)
                break;
            if (int bar = BarItemAt(at); bar >= 0 && bar != m_barItem) {
                OpenBarItem(bar, false);
                break;
            }
            m_done = true; // a press anywhere else dismisses the menu
            break;
        case WM_LBUTTONUP:
        case WM_NCLBUTTONUP:
        case WM_RBUTTONUP:
        case WM_NCRBUTTONUP:
            if (level >= 0 && item >= 0)
                Activate(static_cast<std::size_t>(level), item, false);
            break;
        default:
            break;
        }
    }

    void OnKey(WPARAM key, LPARAM lParam)
    {
        if (m_levels.empty()) {
            m_done = true;
            return;
        }
        std::size_t top = m_levels.size() - 1;
        int hot = Hot(top);
        switch (key) {
        case VK_ESCAPE:
            if (m_levels.size() > 1)
                CloseFrom(top);
            else
                m_done = true;
            return;
        case VK_MENU:
        case VK_F10:
            m_done = true;
            return;
        case VK_UP:
        case VK_DOWN:
            SetHot(top, NextItem(m_levels[top].menu, hot, key == VK_DOWN ? 1 : -1));
            return;
        case VK_RIGHT:
            if (hot >= 0 && GetSubMenu(m_levels[top].menu, hot))
                Activate(top, hot, true);
            else if (m_barItem >= 0)
                OpenBarItem((m_barItem + 1) % std::max(GetMenuItemCount(GetMenu(m_owner)), 1), true);
            return;
        case VK_LEFT:
            if (m_levels.size() > 1)
                CloseFrom(top);
            else if (m_barItem >= 0) {
                int count = std::max(GetMenuItemCount(GetMenu(m_owner)), 1);
                OpenBarItem((m_barItem + count - 1) % count, true);
            }
            return;
        case VK_RETURN:
            Activate(top, hot, true);
            return;
        default:
            break;
        }
        // A mnemonic of the open menu: a letter or digit, or a typed character.
        char16_t c = key == VK_PACKET ? static_cast<char16_t>(HIWORD(static_cast<UINT_PTR>(lParam)))
                                      : static_cast<char16_t>(key);
        auto items = MenuItems(m_levels[top].menu);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!items[i].IsSeparator() && MenuMnemonic(items[i].text) == CharUpperChar(c)) {
                SetHot(top, static_cast<int>(i));
                Activate(top, static_cast<int>(i), true);
                return;
            }
        }
    }

    HWND m_owner;
    HMENU m_root;
    bool m_popupOnly;
    std::vector<Level> m_levels;
    int m_barItem = -1;
    UINT m_chosen = 0;
    bool m_choseSystem = false;
    bool m_done = false;
};

void PostChoice(HWND owner, UINT id, bool system)
{
    if (!id || !IsWindow(owner))
        return;
    if (system) {
        POINT cursor;
        GetCursorPos(&cursor);
        PostMessageW(owner, WM_SYSCOMMAND, id, MAKELPARAM(static_cast<WORD>(cursor.x), static_cast<WORD>(cursor.y)));
    } else {
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
    }
}

} // namespace

namespace user::detail {

void TrackMenuBar(HWND hwnd, int item)
{
    HMENU bar = GetMenu(hwnd);
    if (!bar)
        return;
    MenuLoop loop(hwnd, bar, false);
    UINT id = loop.Run([&] { loop.OpenBarItem(item, false); });
    PostChoice(hwnd, id, loop.ChoseSystem());
}

void TrackSystemMenu(HWND hwnd, POINT screen)
{
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu)
        return;
    MenuLoop loop(hwnd, menu, false);
    UINT id = loop.Run([&] { loop.Open(menu, screen, true, 0); });
    PostChoice(hwnd, id, true);
}

void TrackMenuByKey(HWND hwnd, char16_t key)
{
    if (key == u' ') {
        FrameLayout layout = LayoutFrame(hwnd);
        RECT window;
        GetWindowRect(hwnd, &window);
        TrackSystemMenu(hwnd, {window.left + layout.caption.left, window.top + layout.caption.bottom});
        return;
    }
    HMENU bar = GetMenu(hwnd);
    if (!bar)
        return;
    int item = key ? -1 : 0;
    auto items = MenuItems(bar);
    for (std::size_t i = 0; key && i < items.size(); ++i) {
        if (MenuMnemonic(items[i].text) == CharUpperChar(key))
            item = static_cast<int>(i);
    }
    if (item < 0)
        return;
    MenuLoop loop(hwnd, bar, false);
    UINT id = loop.Run([&] { loop.OpenBarItem(item, true); });
    PostChoice(hwnd, id, loop.ChoseSystem());
}

} // namespace user::detail

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    if (!IsMenu(menu) || !IsWindow(owner))
        return FALSE;
    std::vector<RECT> items;
    SIZE size = LayoutMenuWindow(menu, items);
    if (flags & TPM_RIGHTALIGN)
        x -= size.cx;
    else if (flags & TPM_CENTERALIGN)
        x -= size.cx / 2;
    if (flags & TPM_BOTTOMALIGN)
        y -= size.cy;
    else if (flags & TPM_VCENTERALIGN)
        y -= size.cy / 2;
    MenuLoop loop(owner, menu, true);
    UINT id = loop.Run([&] { loop.Open(menu, {x, y}, false, 0); });
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(id);
    if (!(flags & TPM_NONOTIFY))
        PostChoice(owner, id, false);
    return id ? TRUE : FALSE;
}

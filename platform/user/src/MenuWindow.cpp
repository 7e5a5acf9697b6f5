// Popup menu windows: the layout of their items and their painting in the
// classic look (raised edge, highlighted item, embossed disabled items,
// check marks, accelerator texts and submenu arrows).
#include "MenuWindow.h"

#include "Menus.h"
#include "NonClient.h"

#include "user/Messages.h"
#include "user/Paint.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace user::detail {

namespace {

constexpr int kItemHeight = 18;
constexpr int kSeparatorHeight = 9;
constexpr int kEdge = 3;         // the raised edge and a line of face around the items
constexpr int kCheckColumn = 18; // left of the texts
constexpr int kArrowColumn = 18; // right of the accelerator texts
constexpr int kAcceleratorGap = 12;

std::mutex g_mutex;
std::map<HWND, MenuWindowState> g_states;
std::vector<HWND> g_order;

std::pair<std::u16string, std::u16string> SplitAccelerator(const std::u16string& text)
{
    std::size_t tab = text.find(u'\t');
    if (tab == std::u16string::npos)
        return {text, u""};
    return {text.substr(0, tab), text.substr(tab + 1)};
}

int Width(HDC dc, const std::u16string& text, bool prefixed)
{
    RECT r = {0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT | (prefixed ? 0 : DT_NOPREFIX));
    return r.right - r.left;
}

// A glyph of DrawFrameControl (black on white) laid over the item in its text colour.
void Glyph(HDC dc, const RECT& box, UINT kind, COLORREF color)
{
    int w = box.right - box.left;
    int h = box.bottom - box.top;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT r = {0, 0, w, h};
    DrawFrameControl(memory, &r, DFC_MENU, kind);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (GetPixel(memory, x, y) == RGB(0, 0, 0))
                SetPixelV(dc, box.left + x, box.top + y, color);
        }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

void PaintItems(HWND hwnd, HDC dc)
{
    MenuWindowState state;
    {
        std::lock_guard lock(g_mutex);
        auto it = g_states.find(hwnd);
        if (it == g_states.end())
            return;
        state = it->second;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
    auto items = MenuItems(state.menu);
    HGDIOBJ oldFont = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < items.size() && i < state.items.size(); ++i) {
        const auto& item = items[i];
        RECT r = state.items[i];
        if (item.IsSeparator()) {
            RECT line = {r.left + 1, (r.top + r.bottom) / 2 - 1, r.right - 1, (r.top + r.bottom) / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        bool hot = static_cast<int>(i) == state.hot;
        if (hot)
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        COLORREF color = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        // Named, not bound: a lambda may not capture a structured binding
        // in clang before version 16.
        const auto split = SplitAccelerator(item.text);
        const std::u16string& text = split.first;
        const std::u16string& accelerator = split.second;
        RECT textRect = {r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom};
        auto draw = [&](COLORREF c, int offset) {
            RECT t = textRect;
            OffsetRect(&t, offset, offset);
            SetTextColor(dc, c);
            DrawTextW(dc, text.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            DrawTextW(dc, accelerator.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        };
        if (item.IsEnabled()) {
            draw(color, 0);
        } else {
            if (!hot)
                draw(GetSysColor(COLOR_3DHILIGHT), 1); // embossed
            draw(GetSysColor(COLOR_GRAYTEXT), 0);
        }
        if (item.state & MFS_CHECKED)
            Glyph(dc, {r.left + 2, r.top + 2, r.left + kCheckColumn - 2, r.bottom - 2}, DFCS_MENUCHECK, color);
        if (item.submenu)
            Glyph(dc, {r.right - kArrowColumn + 2, r.top + 2, r.right - 2, r.bottom - 2}, DFCS_MENUARROW, color);
    }
    SelectObject(dc, oldFont);
}

} // namespace

SIZE LayoutMenuWindow(HMENU menu, std::vector<RECT>& items)
{
    items.clear();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int textWidth = 0;
    int acceleratorWidth = 0;
    auto entries = MenuItems(menu);
    for (const auto& item : entries) {
        if (item.IsSeparator())
            continue;
        auto [text, accelerator] = SplitAccelerator(item.text);
        textWidth = std::max(textWidth, Width(dc, text, true));
        if (!accelerator.empty())
            acceleratorWidth = std::max(acceleratorWidth, Width(dc, accelerator, false));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    int width = 2 * kEdge + kCheckColumn + textWidth + (acceleratorWidth ? kAcceleratorGap + acceleratorWidth : 0)
        + kArrowColumn;
    int y = kEdge;
    for (const auto& item : entries) {
        int height = item.IsSeparator() ? kSeparatorHeight : kItemHeight;
        items.push_back({kEdge, y, width - kEdge, y + height});
        y += height;
    }
    return {width, y + kEdge};
}

void SetMenuWindowState(HWND hwnd, const MenuWindowState& state)
{
    {
        std::lock_guard lock(g_mutex);
        bool known = g_states.count(hwnd) != 0;
        g_states[hwnd] = state;
        if (!known)
            g_order.push_back(hwnd);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

bool GetMenuWindowState(HWND hwnd, MenuWindowState& state)
{
    std::lock_guard lock(g_mutex);
    auto it = g_states.find(hwnd);
    if (it == g_states.end())
        return false;
    state = it->second;
    return true;
}

std::vector<HWND> OpenMenuWindows()
{
    std::vector<HWND> order;
    {
        std::lock_guard lock(g_mutex);
        order = g_order;
    }
    std::erase_if(order, [](HWND hwnd) { return !IsWindowVisible(hwnd); });
    return order;
}

RECT MenuWindowItemRect(HWND hwnd, int item)
{
    MenuWindowState state;
    if (!GetMenuWindowState(hwnd, state) || item < 0 || item >= static_cast<int>(state.items.size()))
        return {};
    RECT r = state.items[static_cast<std::size_t>(item)];
    POINT corner = {r.left, r.top};
    ClientToScreen(hwnd, &corner);
    OffsetRect(&r, corner.x - r.left, corner.y - r.top);
    return r;
}

HMENU MenuOfWindow(HWND hwnd)
{
    MenuWindowState state;
    return GetMenuWindowState(hwnd, state) ? state.menu : nullptr;
}

int MenuWindowItemAt(HWND hwnd, POINT screen)
{
    MenuWindowState state;
    if (!GetMenuWindowState(hwnd, state))
        return -1;
    ScreenToClient(hwnd, &screen);
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        if (PtInRect(&state.items[i], screen))
            return static_cast<int>(i);
    }
    return -1;
}

LRESULT MenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PaintItems(hwnd, dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintItems(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return 3; // MA_NOACTIVATE: a menu never takes the activation
    case WM_NCDESTROY: {
        std::lock_guard lock(g_mutex);
        g_states.erase(hwnd);
        std::erase(g_order, hwnd);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail

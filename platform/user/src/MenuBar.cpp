// The menu bar in the non-client area: where its items lie and how they look.
#include "Menus.h"
#include "NonClient.h"
#include "WindowData.h"

#include <mutex>
#include <unordered_map>

using namespace user::detail;

namespace {

constexpr int kItemPadding = 8; // each side of an item's text

std::mutex g_openMutex;
std::unordered_map<HWND, int> g_openItems;

int OpenItem(HWND hwnd)
{
    std::lock_guard lock(g_openMutex);
    auto it = g_openItems.find(hwnd);
    return it == g_openItems.end() ? -1 : it->second;
}

int TextWidth(HDC dc, const std::u16string& text)
{
    std::u16string plain = MenuTextWithoutPrefix(text);
    SIZE size = {};
    GetTextExtentPoint32W(dc, plain.c_str(), static_cast<int>(plain.size()), &size);
    return size.cx;
}

} // namespace

namespace user::detail {

std::vector<RECT> MenuBarItemRects(HWND hwnd)
{
    std::vector<RECT> rects;
    FrameLayout layout = LayoutFrame(hwnd);
    HMENU menu = GetMenu(hwnd);
    if (IsRectEmpty(&layout.menuBar) || !menu)
        return rects;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int x = layout.menuBar.left;
    for (const auto& item : MenuItems(menu)) {
        int width = item.IsSeparator() ? kItemPadding : TextWidth(dc, item.text) + 2 * kItemPadding;
        rects.push_back({x, layout.menuBar.top, x + width, layout.menuBar.bottom - 1});
        x += width;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return rects;
}

void PaintMenuBar(HWND hwnd, HDC dc, const RECT& bar)
{
    RECT face = {bar.left, bar.top, bar.right, bar.bottom - 1};
    FillRect(dc, &face, GetSysColorBrush(COLOR_MENU));
    RECT line = {bar.left, bar.bottom - 1, bar.right, bar.bottom};
    FillRect(dc, &line, GetSysColorBrush(COLOR_3DFACE));
    HMENU menu = GetMenu(hwnd);
    if (!menu)
        return;
    auto items = MenuItems(menu);
    auto rects = MenuBarItemRects(hwnd);
    int open = OpenItem(hwnd);
    HGDIOBJ oldFont = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < items.size() && i < rects.size(); ++i) {
        if (items[i].IsSeparator())
            continue;
        RECT r = rects[i];
        if (static_cast<int>(i) == open) {
            RECT edge = r;
            DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
            OffsetRect(&r, 1, 1);
        }
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
        if (items[i].IsEnabled()) {
            SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
            DrawTextW(dc, items[i].text.c_str(), -1, &r, format);
        } else {
            // Disabled items are embossed: a light copy below and right of a grey one.
            RECT light = r;
            OffsetRect(&light, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
            DrawTextW(dc, items[i].text.c_str(), -1, &light, format);
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextW(dc, items[i].text.c_str(), -1, &r, format);
        }
    }
    SelectObject(dc, oldFont);
}

void SetOpenMenuBarItem(HWND hwnd, int item)
{
    {
        std::lock_guard lock(g_openMutex);
        if (item < 0)
            g_openItems.erase(hwnd);
        else
            g_openItems[hwnd] = item;
    }
    RepaintFrame(hwnd);
}

} // namespace user::detail

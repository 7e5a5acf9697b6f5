// The tree view's row geometry (user/TreeView.h describes it) and its hit test.
#include "CommonControls.h"
#include "TreeViewState.h"

#include "gdi/Gdi.h"
#include "user/ImageList.h"
#include "user/ScrollBar.h"
#include "user/Window.h"

#include <algorithm>

namespace user::detail {

namespace {

int ImageWidth(HIMAGELIST list)
{
    int cx = 0, cy = 0;
    return list && ImageList_GetIconSize(list, &cx, &cy) ? cx : 0;
}

int TextWidth(HFONT font, const std::u16string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

int Level(const TreeViewState& state, const TreeItem& item)
{
    const DWORD style = TreeStyle(state);
    const bool atRoot = (style & TVS_LINESATROOT) && (style & (TVS_HASLINES | TVS_HASBUTTONS));
    return state.model.Depth(&item) + (atRoot ? 1 : 0);
}

} // namespace

DWORD TreeStyle(const TreeViewState& state)
{
    return static_cast<DWORD>(GetWindowLongPtrW(state.hwnd, GWL_STYLE));
}

int RowsThatFit(const TreeViewState& state)
{
    RECT client;
    GetClientRect(state.hwnd, &client);
    return std::max(1, static_cast<int>(client.bottom / TreeViewItemHeight));
}

void ClampScroll(TreeViewState& state)
{
    const int shown = static_cast<int>(state.model.ShownOrder().size());
    const int rows = RowsThatFit(state);
    state.top = std::clamp(state.top, 0, std::max(0, shown - rows));
    // The vertical bar shows while the rows do not all fit, as it tells
    // again only when something it shows has changed.
    if (shown == state.barShown && rows == state.barRows && state.top == state.barTop)
        return;
    state.barShown = shown;
    state.barRows = rows;
    state.barTop = state.top;
    SCROLLINFO info = {sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, shown - 1, static_cast<UINT>(rows),
                       state.top, 0};
    SetScrollInfo(state.hwnd, SB_VERT, &info, TRUE);
}

HFONT LabelFont(const TreeViewState& state, const TreeItem& item)
{
    if ((item.state & TVIS_BOLD) && state.boldFont)
        return state.boldFont;
    return ControlFont(state.font);
}

TreeRowLayout LayoutRow(const TreeViewState& state, const TreeItem& item, int rowIndex)
{
    TreeRowLayout layout;
    RECT client;
    GetClientRect(state.hwnd, &client);
    const int y = (rowIndex - state.top) * TreeViewItemHeight;
    const int bottom = y + TreeViewItemHeight;
    layout.level = Level(state, item);
    layout.row = {0, y, client.right, bottom};
    int x = layout.level * TreeViewIndent;
    if ((TreeStyle(state) & TVS_HASBUTTONS) && item.HasChildren() && layout.level > 0)
        layout.button = {x - TreeViewIndent, y, x, bottom};
    if (int width = ImageWidth(state.stateImages)) {
        layout.stateIcon = {x, y, x + width, bottom};
        x += width;
    }
    if (int width = ImageWidth(state.normalImages)) {
        layout.icon = {x, y, x + width, bottom};
        x += width;
    }
    layout.label = {x, y, x + TextWidth(LabelFont(state, item), item.text) + 4, bottom};
    return layout;
}

void HitTest(const TreeViewState& state, TVHITTESTINFO& info)
{
    RECT client;
    GetClientRect(state.hwnd, &client);
    const POINT pt = info.pt;
    info.flags = 0;
    info.hItem = nullptr;
    if (pt.x < 0)
        info.flags |= TVHT_TOLEFT;
    else if (pt.x >= client.right)
        info.flags |= TVHT_TORIGHT;
    if (pt.y < 0)
        info.flags |= TVHT_ABOVE;
    else if (pt.y >= client.bottom)
        info.flags |= TVHT_BELOW;
    if (info.flags)
        return;
    auto shown = state.model.ShownOrder();
    const int index = state.top + pt.y / TreeViewItemHeight;
    if (index >= static_cast<int>(shown.size())) {
        info.flags = TVHT_NOWHERE;
        return;
    }
    const TreeItem& item = *shown[static_cast<std::size_t>(index)];
    TreeRowLayout layout = LayoutRow(state, item, index);
    info.hItem = item.handle;
    if (PtInRect(&layout.button, pt))
        info.flags = TVHT_ONITEMBUTTON;
    else if (pt.x < layout.level * TreeViewIndent)
        info.flags = TVHT_ONITEMINDENT;
    else if (PtInRect(&layout.stateIcon, pt))
        info.flags = STATEIMAGEMASKTOINDEX(item.state) ? TVHT_ONITEMSTATEICON : TVHT_ONITEMINDENT;
    else if (PtInRect(&layout.icon, pt))
        info.flags = TVHT_ONITEMICON;
    else if (PtInRect(&layout.label, pt))
        info.flags = TVHT_ONITEMLABEL;
    else
        info.flags = TVHT_ONITEMRIGHT;
}

} // namespace user::detail

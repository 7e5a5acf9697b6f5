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

int TextWidth(HDC dc, HFONT font, const std::u16string& text)
{
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

// The label's text width, measured once per text and font: the widest row
// is asked for after every change to the rows. dc: one to measure on, or null.
int LabelTextWidth(const TreeViewState& state, const TreeItem& item, HDC dc)
{
    const bool bold = (item.state & TVIS_BOLD) && state.boldFont;
    const unsigned key = (state.fontGeneration << 1) | (bold ? 1u : 0u);
    if (item.widthKey != key) {
        HDC own = dc ? nullptr : CreateCompatibleDC(nullptr);
        item.textWidth = TextWidth(dc ? dc : own, LabelFont(state, item), item.text);
        item.widthKey = key;
        if (own)
            DeleteDC(own);
    }
    return item.textWidth;
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

namespace {

void ClampVertical(TreeViewState& state)
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

// The horizontal bar, in pixels, shows while the widest row does not fit.
void ClampHorizontal(TreeViewState& state)
{
    if (TreeStyle(state) & (TVS_NOHSCROLL | TVS_NOSCROLL)) {
        state.left = 0;
        return;
    }
    RECT client;
    GetClientRect(state.hwnd, &client);
    const int widest = WidestRow(state);
    const int page = std::max(1, static_cast<int>(client.right));
    state.left = std::clamp(state.left, 0, std::max(0, widest - page));
    if (widest == state.barWidest && page == state.barPage && state.left == state.barLeft)
        return;
    state.barWidest = widest;
    state.barPage = page;
    state.barLeft = state.left;
    SCROLLINFO info = {sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, widest - 1),
                       static_cast<UINT>(page), state.left, 0};
    SetScrollInfo(state.hwnd, SB_HORZ, &info, TRUE);
}

} // namespace

void ClampScroll(TreeViewState& state)
{
    // Either bar may take room from the other's direction (its WM_SIZE comes
    // back here), so both are settled each time.
    ClampVertical(state);
    ClampHorizontal(state);
}

int WidestRow(TreeViewState& state)
{
    const auto shown = state.model.ShownOrder();
    if (shown.empty())
        return 0;
    const int images = ImageWidth(state.stateImages) + ImageWidth(state.normalImages);
    // Level() of each row, with the style read once.
    const int rootLevel = Level(state, *shown.front()) - state.model.Depth(shown.front());
    HDC dc = CreateCompatibleDC(nullptr);
    int widest = 0;
    for (const TreeItem* item : shown) {
        const int level = rootLevel + state.model.Depth(item);
        widest = std::max(widest, level * TreeViewIndent + images + LabelTextWidth(state, *item, dc) + 4);
    }
    DeleteDC(dc);
    return widest;
}

int LeftShowing(const TreeViewState& state, int from, int to)
{
    RECT client;
    GetClientRect(state.hwnd, &client);
    int left = state.left;
    if (to - left > client.right)
        left = to - client.right;
    if (from < left)
        left = from;
    return std::max(0, left);
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
    layout.origin = -state.left;
    layout.row = {0, y, client.right, bottom};
    int x = layout.origin + layout.level * TreeViewIndent;
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
    layout.label = {x, y, x + LabelTextWidth(state, item, nullptr) + 4, bottom};
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
    else if (pt.x < layout.origin + layout.level * TreeViewIndent)
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

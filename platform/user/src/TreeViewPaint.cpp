// The tree view's picture in the classic look: dotted lines, +/- buttons,
// state and normal images, labels with the selection highlight and the
// caret's focus rectangle; and the check boxes' state images.
#include "CommonControls.h"
#include "TreeViewState.h"

#include "gdi/Gdi.h"
#include "user/ImageList.h"
#include "user/Window.h"

namespace user::detail {

namespace {

// Dotted lines set every other pixel, on a fixed grid so that the
// horizontal and vertical pieces meet.
void DottedHorizontal(HDC dc, int x0, int x1, int y, COLORREF color)
{
    for (int x = x0; x < x1; ++x)
        if (((x + y) & 1) == 0)
            SetPixelV(dc, x, y, color);
}

void DottedVertical(HDC dc, int x, int y0, int y1, COLORREF color)
{
    for (int y = y0; y < y1; ++y)
        if (((x + y) & 1) == 0)
            SetPixelV(dc, x, y, color);
}

int ColumnCentre(const TreeRowLayout& layout, int column)
{
    return layout.origin + column * TreeViewIndent + TreeViewIndent / 2;
}

void DrawLines(const TreeViewState& state, HDC dc, const TreeItem& item, const TreeRowLayout& layout)
{
    if (layout.level < 1)
        return;
    const COLORREF color = GetSysColor(COLOR_BTNSHADOW);
    const RECT& row = layout.row;
    const int mid = row.top + TreeViewItemHeight / 2;
    const int x = ColumnCentre(layout, layout.level - 1);
    DottedHorizontal(dc, x, layout.origin + layout.level * TreeViewIndent, mid, color);
    // Up to the previous sibling or the parent; a first top-level item has neither.
    if (item.previous || item.parent)
        DottedVertical(dc, x, row.top, mid, color);
    if (item.next)
        DottedVertical(dc, x, mid, row.bottom, color);
    // Ancestors with siblings still to come carry their line through this row.
    int column = layout.level - 2;
    for (const TreeItem* a = item.parent; a && column >= 0; a = a->parent, --column)
        if (a->next)
            DottedVertical(dc, ColumnCentre(layout, column), row.top, row.bottom, color);
}

void DrawButton(HDC dc, const TreeItem& item, const RECT& column)
{
    const int cx = (column.left + column.right) / 2;
    const int cy = (column.top + column.bottom) / 2;
    RECT box = {cx - 4, cy - 4, cx + 5, cy + 5};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
    HBRUSH sign = GetSysColorBrush(COLOR_WINDOWTEXT);
    RECT minus = {cx - 2, cy, cx + 3, cy + 1};
    FillRect(dc, &minus, sign);
    if (!item.IsExpanded()) {
        RECT bar = {cx, cy - 2, cx + 1, cy + 3};
        FillRect(dc, &bar, sign);
    }
}

void DrawImage(HIMAGELIST list, int index, HDC dc, const RECT& place)
{
    int cx = 0, cy = 0;
    if (!ImageList_GetIconSize(list, &cx, &cy))
        return;
    ImageList_Draw(list, index, dc, place.left, place.top + (TreeViewItemHeight - cy) / 2, ILD_TRANSPARENT);
}

void DrawLabel(const TreeViewState& state, HDC dc, const TreeItem& item, const TreeRowLayout& layout)
{
    const bool selected = item.state & TVIS_SELECTED;
    const bool enabled = IsWindowEnabled(state.hwnd);
    COLORREF text = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    if (selected && state.focused) {
        FillRect(dc, &layout.label, GetSysColorBrush(COLOR_HIGHLIGHT));
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else if (selected && (TreeStyle(state) & TVS_SHOWSELALWAYS)) {
        FillRect(dc, &layout.label, GetSysColorBrush(COLOR_BTNFACE));
    }
    SetTextColor(dc, text);
    HGDIOBJ old = SelectObject(dc, LabelFont(state, item));
    RECT inside = layout.label;
    InflateRect(&inside, -2, 0);
    DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &inside,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    if (state.focused && &item == state.caret)
        DrawFocusRect(dc, &layout.label);
}

} // namespace

void PaintTreeView(HWND hwnd, HDC dc)
{
    auto* state = TreeStateOf(hwnd);
    if (!state)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    const DWORD style = TreeStyle(*state);
    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    auto shown = state->model.ShownOrder();
    for (int index = state->top; index < static_cast<int>(shown.size()); ++index) {
        const TreeItem& item = *shown[static_cast<std::size_t>(index)];
        TreeRowLayout layout = LayoutRow(*state, item, index);
        if (layout.row.top >= client.bottom)
            break;
        if (style & TVS_HASLINES)
            DrawLines(*state, dc, item, layout);
        if (!IsRectEmpty(&layout.button))
            DrawButton(dc, item, layout.button);
        if (UINT stateIndex = STATEIMAGEMASKTOINDEX(item.state); stateIndex && state->stateImages)
            DrawImage(state->stateImages, static_cast<int>(stateIndex), dc, layout.stateIcon);
        if (state->normalImages)
            DrawImage(state->normalImages, (item.state & TVIS_SELECTED) ? item.selectedImage : item.image, dc,
                      layout.icon);
        DrawLabel(*state, dc, item, layout);
    }
    RestoreDC(dc, saved);
}

HIMAGELIST MakeCheckBoxImages()
{
    constexpr int kSize = 16;
    constexpr COLORREF kKey = RGB(255, 0, 255);
    HIMAGELIST list = ImageList_Create(kSize, kSize, ILC_COLOR32 | ILC_MASK, 3, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP strip = CreateBitmap(3 * kSize, kSize, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    HBRUSH key = CreateSolidBrush(kKey);
    RECT all = {0, 0, 3 * kSize, kSize};
    FillRect(dc, &all, key);
    DeleteObject(key);
    // Image 0 stays blank (state image 0 means none); 1 unchecked, 2 checked.
    for (int index = 1; index <= 2; ++index) {
        RECT box = {index * kSize + 1, 1, index * kSize + 14, 14};
        DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (index == 2 ? DFCS_CHECKED : 0));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(list, strip, kKey);
    DeleteObject(strip);
    return list;
}

} // namespace user::detail

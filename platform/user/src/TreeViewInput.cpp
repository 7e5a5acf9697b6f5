// The tree view's mouse and keyboard: clicks select, toggle check boxes and
// expand; keys move the caret, expand and collapse, scroll with Ctrl, and
// space toggles the caret's check box. The parent hears of each first (NM_CLICK, NM_DBLCLK,
// NM_RCLICK, TVN_KEYDOWN) and may keep the control from its default work.
#include "CommonControls.h"
#include "TreeViewState.h"

#include "user/MessageQueue.h"
#include "user/Messages.h"
#include "user/Window.h"

#include <algorithm>

namespace user::detail {

namespace {

LRESULT Notify(TreeViewState& state, UINT code)
{
    NMHDR notice = {};
    return SendNotify(state.hwnd, &notice, code);
}

void LeftRelease(TreeViewState& state)
{
    HWND hwnd = state.hwnd;
    state.leftPressed = false;
    const TVHITTESTINFO hit = state.pressed;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    // Nonzero from the parent prevents the default processing: no selection, no check.
    if (Notify(state, NM_CLICK) || !TreeAlive(hwnd, &state))
        return;
    TreeItem* item = state.model.Find(hit.hItem);
    if (!item || !(hit.flags & TVHT_ONITEM))
        return;
    if (hit.flags & TVHT_ONITEMSTATEICON) {
        if (TreeStyle(state) & TVS_CHECKBOXES)
            ToggleCheck(state, *item);
        return;
    }
    SelectCaret(state, hit.hItem, TVC_BYMOUSE);
}

void DoubleClick(TreeViewState& state, const TVHITTESTINFO& hit)
{
    HWND hwnd = state.hwnd;
    state.leftPressed = false;
    if (Notify(state, NM_DBLCLK) || !TreeAlive(hwnd, &state))
        return;
    // A double click expands or collapses; it never checks or unchecks.
    if (hit.flags & (TVHT_ONITEMBUTTON | TVHT_ONITEMICON | TVHT_ONITEMLABEL))
        ExpandItem(state, hit.hItem, TVE_TOGGLE, true);
}

TreeItem* RowsAway(const TreeViewState& state, TreeItem* from, int rows)
{
    auto shown = state.model.ShownOrder();
    auto it = std::find(shown.begin(), shown.end(), from);
    if (it == shown.end())
        return shown.empty() ? nullptr : shown.front();
    long index = std::clamp<long>(static_cast<long>(it - shown.begin()) + rows, 0, static_cast<long>(shown.size()) - 1);
    return shown[static_cast<std::size_t>(index)];
}

} // namespace

LRESULT TreeMouse(TreeViewState& state, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = state.hwnd;
    TVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    HitTest(state, hit);
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        if (!TreeAlive(hwnd, &state))
            return 0;
        if (hit.flags & TVHT_ONITEMBUTTON)
            ExpandItem(state, hit.hItem, TVE_TOGGLE, true);
        if (!TreeAlive(hwnd, &state))
            return 0;
        state.pressed = hit;
        state.leftPressed = true;
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        // Only a press that the control saw is a click: a subclass that took
        // the press over leaves the release without effect.
        if (state.leftPressed)
            LeftRelease(state);
        return 0;
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        if (TreeAlive(hwnd, &state))
            DoubleClick(state, hit);
        return 0;
    case WM_RBUTTONDOWN:
        state.rightPressed = true;
        return 0;
    case WM_RBUTTONUP:
        if (state.rightPressed) {
            state.rightPressed = false;
            Notify(state, NM_RCLICK);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd)
            state.leftPressed = false;
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT TreeKeyDown(TreeViewState& state, WPARAM key)
{
    HWND hwnd = state.hwnd;
    const HTREEITEM caret = state.caret ? state.caret->handle : nullptr;
    const UINT checkBefore = state.caret ? state.caret->state & TVIS_STATEIMAGEMASK : 0;
    NMTVKEYDOWN notice = {};
    notice.wVKey = static_cast<WORD>(key);
    SendNotify(hwnd, &notice.hdr, TVN_KEYDOWN);
    if (!TreeAlive(hwnd, &state))
        return 0;
    // With Ctrl the arrows scroll the view a line and leave the caret where it is.
    if (GetKeyState(static_cast<int>(VK_CONTROL)) < 0) {
        switch (key) {
        case VK_LEFT: return HorizontalScroll(state, SB_LINELEFT, 0);
        case VK_RIGHT: return HorizontalScroll(state, SB_LINERIGHT, 0);
        case VK_UP: return SendMessageW(hwnd, WM_VSCROLL, SB_LINEUP, 0);
        case VK_DOWN: return SendMessageW(hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
        default: break;
        }
    }
    TreeItem* item = state.caret;
    auto select = [&](TreeItem* target) {
        if (target)
            SelectCaret(state, target->handle, TVC_BYKEYBOARD);
    };
    switch (key) {
    case VK_SPACE:
        // A parent that changed the check itself while it handled TVN_KEYDOWN
        // has done the toggle; doing it again would undo it.
        if ((TreeStyle(state) & TVS_CHECKBOXES) && item && item->handle == caret
            && (item->state & TVIS_STATEIMAGEMASK) == checkBefore)
            ToggleCheck(state, *item);
        return 0;
    case VK_UP:
        select(item ? state.model.PreviousShown(item) : state.model.FirstTop());
        return 0;
    case VK_DOWN:
        select(item ? state.model.NextShown(item) : state.model.FirstTop());
        return 0;
    case VK_PRIOR:
        select(RowsAway(state, item, -std::max(1, RowsThatFit(state) - 1)));
        return 0;
    case VK_NEXT:
        select(RowsAway(state, item, std::max(1, RowsThatFit(state) - 1)));
        return 0;
    case VK_HOME:
        select(state.model.FirstTop());
        return 0;
    case VK_END: {
        auto shown = state.model.ShownOrder();
        select(shown.empty() ? nullptr : shown.back());
        return 0;
    }
    case VK_LEFT:
        if (item && item->IsExpanded() && item->HasChildren())
            ExpandItem(state, item->handle, TVE_COLLAPSE, true);
        else if (item)
            select(item->parent);
        return 0;
    case VK_RIGHT:
        if (item && item->HasChildren() && !item->IsExpanded())
            ExpandItem(state, item->handle, TVE_EXPAND, true);
        else if (item)
            select(item->firstChild);
        return 0;
    case VK_ADD:
    case VK_SUBTRACT:
        if (item)
            ExpandItem(state, item->handle, key == VK_ADD ? TVE_EXPAND : TVE_COLLAPSE, true);
        return 0;
    default:
        return DefWindowProcW(hwnd, WM_KEYDOWN, key, 0);
    }
}

} // namespace user::detail

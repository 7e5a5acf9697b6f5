// The tree view's window procedure: the item messages, images, fonts, focus
// and scrolling. Input lives in TreeViewInput.cpp, geometry in
// TreeViewLayout.cpp, the picture in TreeViewPaint.cpp.
#include "CommonControls.h"
#include "ControlState.h"
#include "TreeViewState.h"

#include "user/ImageList.h"
#include "user/ScrollBar.h"
#include "win32/WideString.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace user::detail {

HIMAGELIST MakeCheckBoxImages();

namespace {

// The live trees, for the readers of other threads: a tree leaves it before
// its state is freed, and a reader keeps it while it reads.
std::mutex g_treesMutex;
std::unordered_map<HWND, TreeViewState*>& LiveTrees()
{
    static auto* trees = new std::unordered_map<HWND, TreeViewState*>;
    return *trees;
}

// Reads the members of an insert or set request that its mask names.
void ApplyItem(TreeItem& item, const TVITEMW& in)
{
    if (in.mask & TVIF_TEXT) {
        // A text callback (-1) is not offered: such an item shows no text.
        bool real = in.pszText && reinterpret_cast<std::intptr_t>(in.pszText) != -1;
        item.text = real ? std::u16string(in.pszText) : std::u16string();
        item.widthKey = 0; // measured again
    }
    if (in.mask & TVIF_IMAGE)
        item.image = in.iImage;
    if (in.mask & TVIF_SELECTEDIMAGE)
        item.selectedImage = in.iSelectedImage;
    if (in.mask & TVIF_PARAM)
        item.param = in.lParam;
    if (in.mask & TVIF_CHILDREN)
        item.childrenMark = in.cChildren != 0 ? 1 : 0;
    if (in.mask & TVIF_STATE)
        item.state = (item.state & ~in.stateMask) | (in.state & in.stateMask);
}

int ShownIndex(const TreeViewState& state, const TreeItem* item)
{
    auto shown = state.model.ShownOrder();
    auto it = std::find(shown.begin(), shown.end(), item);
    return it == shown.end() ? -1 : static_cast<int>(it - shown.begin());
}

LRESULT InsertItem(TreeViewState& state, const TVINSERTSTRUCTW* insert)
{
    if (!insert)
        return 0;
    TreeItem* parent = nullptr;
    if (insert->hParent && insert->hParent != TVI_ROOT) {
        parent = state.model.Find(insert->hParent);
        if (!parent)
            return 0;
    }
    auto item = std::make_unique<TreeItem>();
    if (TreeStyle(state) & TVS_CHECKBOXES)
        item->state = INDEXTOSTATEIMAGEMASK(1); // a new item starts unchecked
    ApplyItem(*item, insert->item);
    TreeItem* added = state.model.Insert(parent, insert->hInsertAfter, std::move(item));
    if (!added)
        return 0;
    // Rows inserted above the first shown one push it down, so the view stays.
    if (state.top > 0 && state.model.IsShown(added) && ShownIndex(state, added) < state.top)
        ++state.top;
    if (state.model.IsShown(added))
        ClampScroll(state);
    InvalidateRect(state.hwnd, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(added->handle);
}

LRESULT GetItem(const TreeViewState& state, TVITEMW* out)
{
    if (!out)
        return FALSE;
    const TreeItem* item = state.model.Find(out->hItem);
    if (!item)
        return FALSE;
    if ((out->mask & TVIF_TEXT) && out->pszText && out->cchTextMax > 0)
        lstrcpynW(out->pszText, item->text.c_str(), out->cchTextMax);
    if (out->mask & TVIF_IMAGE)
        out->iImage = item->image;
    if (out->mask & TVIF_SELECTEDIMAGE)
        out->iSelectedImage = item->selectedImage;
    if (out->mask & TVIF_PARAM)
        out->lParam = item->param;
    if (out->mask & TVIF_CHILDREN)
        out->cChildren = item->HasChildren() ? 1 : 0;
    if (out->mask & TVIF_STATE)
        out->state = item->state & out->stateMask;
    return TRUE;
}

LRESULT SetItem(TreeViewState& state, const TVITEMW* in)
{
    if (!in)
        return FALSE;
    TreeItem* item = state.model.Find(in->hItem);
    if (!item)
        return FALSE;
    ApplyItem(*item, *in);
    ClampScroll(state);
    InvalidateRect(state.hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT DeleteItem(TreeViewState& state, HTREEITEM handle)
{
    HWND hwnd = state.hwnd;
    const bool all = !handle || handle == TVI_ROOT;
    TreeItem* item = all ? nullptr : state.model.Find(handle);
    if (!all && !item)
        return FALSE;
    // The parent learns of each item while it still exists, children first.
    for (HTREEITEM doomed : state.model.SubtreeChildrenFirst(item)) {
        TreeItem* victim = state.model.Find(doomed);
        if (!victim)
            continue;
        NMTREEVIEWW notice = {};
        notice.action = TVC_UNKNOWN;
        DescribeItem(victim, notice.itemOld);
        SendNotify(hwnd, &notice.hdr, TVN_DELETEITEMW);
        if (!TreeAlive(hwnd, &state))
            return TRUE;
    }
    std::vector<TreeItem*> roots;
    if (all) {
        for (TreeItem* top = state.model.FirstTop(); top; top = top->next)
            roots.push_back(top);
    } else if ((item = state.model.Find(handle))) {
        roots.push_back(item);
    }
    for (TreeItem* root : roots) {
        if (state.caret && (state.caret == root || state.model.IsAncestor(root, state.caret)))
            state.caret = nullptr;
        state.model.Remove(root);
    }
    state.leftPressed = false;
    ClampScroll(state);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT NextItem(const TreeViewState& state, UINT relation, HTREEITEM handle)
{
    const TreeModel& model = state.model;
    const TreeItem* item = model.Find(handle);
    const TreeItem* found = nullptr;
    switch (relation) {
    case TVGN_ROOT:
        found = model.FirstTop();
        break;
    case TVGN_CARET:
        found = state.caret;
        break;
    case TVGN_FIRSTVISIBLE: {
        auto shown = model.ShownOrder();
        found = state.top < static_cast<int>(shown.size()) ? shown[static_cast<std::size_t>(state.top)] : nullptr;
        break;
    }
    case TVGN_LASTVISIBLE: {
        auto shown = model.ShownOrder();
        found = shown.empty() ? nullptr : shown.back();
        break;
    }
    case TVGN_CHILD:
        found = item ? item->firstChild : (!handle || handle == TVI_ROOT) ? model.FirstTop() : nullptr;
        break;
    case TVGN_NEXT:
        found = item ? item->next : nullptr;
        break;
    case TVGN_PREVIOUS:
        found = item ? item->previous : nullptr;
        break;
    case TVGN_PARENT:
        found = item ? item->parent : nullptr;
        break;
    case TVGN_NEXTVISIBLE:
        found = item && model.IsShown(item) ? model.NextShown(item) : nullptr;
        break;
    case TVGN_PREVIOUSVISIBLE:
        found = item && model.IsShown(item) ? model.PreviousShown(item) : nullptr;
        break;
    default:
        break;
    }
    return found ? reinterpret_cast<LRESULT>(found->handle) : 0;
}

LRESULT ItemRect(const TreeViewState& state, BOOL labelOnly, RECT* rect)
{
    if (!rect)
        return FALSE;
    HTREEITEM handle = nullptr;
    std::memcpy(&handle, rect, sizeof handle); // the rectangle comes in holding the item
    const TreeItem* item = state.model.Find(handle);
    if (!item || !state.model.IsShown(item))
        return FALSE;
    TreeRowLayout layout = LayoutRow(state, *item, ShownIndex(state, item));
    *rect = labelOnly ? layout.label : layout.row;
    return TRUE;
}

LRESULT SetImageList(TreeViewState& state, WPARAM which, HIMAGELIST list)
{
    HIMAGELIST* slot = which == TVSIL_NORMAL ? &state.normalImages : which == TVSIL_STATE ? &state.stateImages
                                                                                           : nullptr;
    if (!slot)
        return 0;
    HIMAGELIST old = *slot;
    *slot = list;
    InvalidateRect(state.hwnd, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(old);
}

void SetFont(TreeViewState& state, HFONT font)
{
    state.font = font;
    ++state.fontGeneration;
    if (state.boldFont)
        DeleteObject(state.boldFont);
    LOGFONTW description = {};
    GetObjectW(ControlFont(font), sizeof description, &description);
    description.lfWeight = FW_BOLD;
    state.boldFont = CreateFontIndirectW(&description);
}

// Moves one scroll offset (the top row or the left pixel) within its range
// and repaints when it changed.
void ScrollOffsetTo(TreeViewState& state, int TreeViewState::*offset, int to)
{
    const int old = state.*offset;
    state.*offset = to;
    ClampScroll(state);
    if (state.*offset != old)
        InvalidateRect(state.hwnd, nullptr, TRUE);
}

void ScrollTo(TreeViewState& state, int top) { ScrollOffsetTo(state, &TreeViewState::top, top); }

void ScrollLeftTo(TreeViewState& state, int left) { ScrollOffsetTo(state, &TreeViewState::left, left); }

LRESULT VerticalScroll(TreeViewState& state, WORD request, int position)
{
    const int page = std::max(1, RowsThatFit(state) - 1);
    switch (request) {
    case SB_LINEUP: ScrollTo(state, state.top - 1); break;
    case SB_LINEDOWN: ScrollTo(state, state.top + 1); break;
    case SB_PAGEUP: ScrollTo(state, state.top - page); break;
    case SB_PAGEDOWN: ScrollTo(state, state.top + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // The message carries 16 bits of the position; the bar has all of it.
        SCROLLINFO info = {sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, position};
        GetScrollInfo(state.hwnd, SB_VERT, &info);
        ScrollTo(state, request == SB_THUMBTRACK ? info.nTrackPos : position);
        break;
    }
    case SB_TOP: ScrollTo(state, 0); break;
    case SB_BOTTOM: ScrollTo(state, static_cast<int>(state.model.Count())); break;
    default: break;
    }
    return 0;
}

} // namespace

LRESULT HorizontalScroll(TreeViewState& state, WORD request, int position)
{
    RECT client;
    GetClientRect(state.hwnd, &client);
    const int page = std::max(1, static_cast<int>(client.right));
    switch (request) {
    case SB_LINELEFT: ScrollLeftTo(state, state.left - TreeViewIndent); break;
    case SB_LINERIGHT: ScrollLeftTo(state, state.left + TreeViewIndent); break;
    case SB_PAGELEFT: ScrollLeftTo(state, state.left - page); break;
    case SB_PAGERIGHT: ScrollLeftTo(state, state.left + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // Pixels may pass the 16 bits of the message: the bar's track
        // position has all of them when its low bits agree, as in a drag.
        SCROLLINFO info = {sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(state.hwnd, SB_HORZ, &info);
        ScrollLeftTo(state, static_cast<WORD>(info.nTrackPos) == static_cast<WORD>(position) ? info.nTrackPos
                                                                                            : position);
        break;
    }
    case SB_LEFT: ScrollLeftTo(state, 0); break;
    case SB_RIGHT: ScrollLeftTo(state, WidestRow(state)); break;
    default: break;
    }
    return 0;
}

namespace {

// The wheel scrolls the lines the system asks for a notch; turns of less
// than a notch add up until they make one.
void WheelScroll(TreeViewState& state, int delta)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    state.wheelRest += delta;
    const int notches = state.wheelRest / WHEEL_DELTA;
    state.wheelRest -= notches * WHEEL_DELTA;
    if (notches)
        ScrollTo(state, state.top - notches * static_cast<int>(lines));
}

void Focus(TreeViewState& state, bool focused, UINT code)
{
    state.focused = focused;
    InvalidateRect(state.hwnd, nullptr, TRUE);
    NMHDR notice = {};
    SendNotify(state.hwnd, &notice, code);
}

} // namespace

TreeViewState* TreeStateOf(HWND hwnd)
{
    return StateOf<TreeViewState>(hwnd);
}

bool TreeAlive(HWND hwnd, const TreeViewState* state)
{
    return IsWindow(hwnd) && TreeStateOf(hwnd) == state;
}

void DescribeItem(const TreeItem* item, TVITEMW& out)
{
    out = {};
    if (!item)
        return;
    out.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    out.hItem = item->handle;
    out.state = item->state;
    out.stateMask = 0xFFFF;
    out.lParam = item->param;
}

void ToggleCheck(TreeViewState& state, TreeItem& item)
{
    UINT index = STATEIMAGEMASKTOINDEX(item.state);
    if (index != 1 && index != 2)
        return;
    item.state = (item.state & ~TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(index == 1 ? 2 : 1);
    InvalidateRect(state.hwnd, nullptr, TRUE);
}

bool ExpandItem(TreeViewState& state, HTREEITEM handle, UINT action, bool byUser)
{
    HWND hwnd = state.hwnd;
    TreeItem* item = state.model.Find(handle);
    if (!item || !item->HasChildren())
        return false;
    const bool expanded = item->IsExpanded();
    bool expand;
    switch (action & TVE_TOGGLE) {
    case TVE_EXPAND: expand = true; break;
    case TVE_COLLAPSE: expand = false; break;
    case TVE_TOGGLE: expand = !expanded; break;
    default: return false;
    }
    if (expand == expanded)
        return expand; // expanding an expanded item succeeds; collapsing a collapsed one does not
    // Messages notify only until the item has once been expanded; the user always does.
    const bool notify = byUser || !(item->state & TVIS_EXPANDEDONCE);
    NMTREEVIEWW notice = {};
    notice.action = expand ? TVE_EXPAND : TVE_COLLAPSE;
    DescribeItem(item, notice.itemNew);
    if (notify) {
        if (SendNotify(hwnd, &notice.hdr, TVN_ITEMEXPANDINGW) || !TreeAlive(hwnd, &state))
            return false;
        if (!(item = state.model.Find(handle)))
            return false;
    }
    if (expand)
        item->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    else
        item->state &= ~TVIS_EXPANDED;
    ClampScroll(state);
    InvalidateRect(hwnd, nullptr, TRUE);
    // A caret that the collapse hides moves to the collapsed item.
    if (!expand && state.caret && state.model.IsAncestor(item, state.caret)) {
        if (!SelectCaret(state, handle, TVC_UNKNOWN) && !TreeAlive(hwnd, &state))
            return true;
        if (!(item = state.model.Find(handle)))
            return true;
    }
    if (notify) {
        DescribeItem(item, notice.itemNew);
        SendNotify(hwnd, &notice.hdr, TVN_ITEMEXPANDEDW);
    }
    return true;
}

bool SelectCaret(TreeViewState& state, HTREEITEM handle, UINT cause)
{
    HWND hwnd = state.hwnd;
    TreeItem* item = handle ? state.model.Find(handle) : nullptr;
    if (handle && !item)
        return false;
    if (item == state.caret) {
        if (item)
            EnsureShown(state, handle);
        return true;
    }
    NMTREEVIEWW notice = {};
    notice.action = cause;
    DescribeItem(state.caret, notice.itemOld);
    DescribeItem(item, notice.itemNew);
    if (SendNotify(hwnd, &notice.hdr, TVN_SELCHANGINGW) || !TreeAlive(hwnd, &state))
        return false;
    item = handle ? state.model.Find(handle) : nullptr;
    if (handle && !item)
        return false;
    if (state.caret)
        state.caret->state &= ~TVIS_SELECTED;
    state.caret = item;
    if (item) {
        item->state |= TVIS_SELECTED;
        EnsureShown(state, handle);
        if (!TreeAlive(hwnd, &state))
            return true;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    TreeItem* old = state.model.Find(notice.itemOld.hItem);
    DescribeItem(old, notice.itemOld);
    DescribeItem(state.model.Find(handle), notice.itemNew);
    SendNotify(hwnd, &notice.hdr, TVN_SELCHANGEDW);
    return true;
}

int EnsureShown(TreeViewState& state, HTREEITEM handle)
{
    HWND hwnd = state.hwnd;
    TreeItem* item = state.model.Find(handle);
    if (!item)
        return 0;
    int done = 0;
    std::vector<HTREEITEM> ancestors;
    for (TreeItem* p = item->parent; p; p = p->parent)
        ancestors.insert(ancestors.begin(), p->handle);
    for (HTREEITEM ancestor : ancestors) {
        TreeItem* a = state.model.Find(ancestor);
        if (a && !a->IsExpanded()) {
            ExpandItem(state, ancestor, TVE_EXPAND, false);
            if (!TreeAlive(hwnd, &state))
                return done;
            done |= kEnsureExpanded;
        }
    }
    item = state.model.Find(handle);
    if (!item || !state.model.IsShown(item))
        return done;
    const int index = ShownIndex(state, item);
    const int rows = RowsThatFit(state);
    int top = state.top;
    if (index < top)
        top = index;
    else if (index >= top + rows)
        top = index - rows + 1;
    if (top != state.top) {
        ScrollTo(state, top);
        done |= kEnsureScrolled;
    }
    // And across, to the item from its button (or its images) to the end
    // of its label: its start first when it cannot all show.
    if (!(TreeStyle(state) & (TVS_NOHSCROLL | TVS_NOSCROLL))) {
        const TreeRowLayout layout = LayoutRow(state, *item, index);
        const int start = IsRectEmpty(&layout.button) ? layout.origin + layout.level * TreeViewIndent
                                                      : layout.button.left;
        const int left = LeftShowing(state, start + state.left, layout.label.right + state.left);
        if (left != state.left) {
            ScrollLeftTo(state, left);
            done |= kEnsureScrolled;
        }
    }
    return done;
}

bool IsTreeQuery(UINT msg)
{
    return msg == TVM_GETNEXTITEM || msg == TVM_GETITEMSTATE || msg == TVM_GETITEMW;
}

bool AnswerTreeQuery(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    std::lock_guard trees(g_treesMutex);
    auto it = LiveTrees().find(hwnd);
    if (it == LiveTrees().end())
        return false;
    TreeViewState& state = *it->second;
    std::unique_lock busy(*state.lock, std::try_to_lock);
    if (!busy)
        return false;
    switch (msg) {
    case TVM_GETNEXTITEM:
        *result = NextItem(state, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam));
        return true;
    case TVM_GETITEMSTATE: {
        const TreeItem* item = state.model.Find(reinterpret_cast<HTREEITEM>(wParam));
        *result = item ? static_cast<LRESULT>(item->state & static_cast<UINT>(lParam)) : 0;
        return true;
    }
    case TVM_GETITEMW:
        *result = GetItem(state, reinterpret_cast<TVITEMW*>(lParam));
        return true;
    default:
        return false;
    }
}

namespace {

// The state of the tree this thread spoke to last, so that a walk over many
// items does not look the window up for every message. A tree's procedure
// runs only on its own thread, which also frees the state (WM_NCDESTROY),
// and window handles are never used twice.
TreeViewState* StateFor(HWND hwnd, UINT msg)
{
    thread_local HWND t_hwnd = nullptr;
    thread_local TreeViewState* t_state = nullptr;
    if (hwnd == t_hwnd && msg != WM_NCCREATE && msg != WM_NCDESTROY)
        return t_state;
    auto* state = TrackState<TreeViewState>(hwnd, msg);
    if (msg == WM_NCDESTROY || !state) {
        if (hwnd == t_hwnd)
            t_hwnd = nullptr, t_state = nullptr;
    } else {
        t_hwnd = hwnd;
        t_state = state;
    }
    return state;
}

} // namespace

LRESULT TreeViewWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY) {
        std::lock_guard trees(g_treesMutex);
        LiveTrees().erase(hwnd);
    }
    auto* state = StateFor(hwnd, msg);
    if (!state)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    const auto lock = state->lock;
    std::unique_lock own(*lock);
    switch (msg) {
    case WM_NCCREATE: {
        state->hwnd = hwnd;
        std::lock_guard trees(g_treesMutex);
        LiveTrees()[hwnd] = state;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_CREATE:
        SetFont(*state, nullptr);
        // The check boxes' list outlives the tree, as the platform documents:
        // whoever wants it gone asks TVM_GETIMAGELIST and destroys it.
        if (TreeStyle(*state) & TVS_CHECKBOXES)
            state->stateImages = MakeCheckBoxImages();
        return 0;
    case WM_DESTROY:
        DeleteItem(*state, TVI_ROOT);
        if (TreeAlive(hwnd, state) && state->boldFont) {
            DeleteObject(state->boldFont);
            state->boldFont = nullptr;
        }
        return 0;
    case TVM_INSERTITEMW:
        return InsertItem(*state, reinterpret_cast<const TVINSERTSTRUCTW*>(lParam));
    case TVM_DELETEITEM:
        return DeleteItem(*state, reinterpret_cast<HTREEITEM>(lParam));
    case TVM_GETITEMW:
        return GetItem(*state, reinterpret_cast<TVITEMW*>(lParam));
    case TVM_SETITEMW:
        return SetItem(*state, reinterpret_cast<const TVITEMW*>(lParam));
    case TVM_GETITEMSTATE: {
        const TreeItem* item = state->model.Find(reinterpret_cast<HTREEITEM>(wParam));
        return item ? static_cast<LRESULT>(item->state & static_cast<UINT>(lParam)) : 0;
    }
    case TVM_GETNEXTITEM:
        return NextItem(*state, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam));
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(state->model.Count());
    case TVM_EXPAND:
        return ExpandItem(*state, reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam), false);
    case TVM_SELECTITEM: {
        auto handle = reinterpret_cast<HTREEITEM>(lParam);
        if (wParam == TVGN_CARET)
            return SelectCaret(*state, handle, TVC_UNKNOWN);
        if (wParam == TVGN_FIRSTVISIBLE && state->model.Find(handle)) {
            EnsureShown(*state, handle);
            if (TreeAlive(hwnd, state))
                ScrollTo(*state, ShownIndex(*state, state->model.Find(handle)));
            return TRUE;
        }
        return FALSE;
    }
    case TVM_ENSUREVISIBLE:
        return EnsureShown(*state, reinterpret_cast<HTREEITEM>(lParam)) == kEnsureScrolled;
    case TVM_HITTEST: {
        auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
        if (!info)
            return 0;
        HitTest(*state, *info);
        return reinterpret_cast<LRESULT>(info->hItem);
    }
    case TVM_GETITEMRECT:
        return ItemRect(*state, static_cast<BOOL>(wParam), reinterpret_cast<RECT*>(lParam));
    case TVM_GETVISIBLECOUNT: {
        RECT client;
        GetClientRect(hwnd, &client);
        return client.bottom / TreeViewItemHeight;
    }
    case TVM_GETINDENT:
        return TreeViewIndent;
    case TVM_GETITEMHEIGHT:
        return TreeViewItemHeight;
    case TVM_SETIMAGELIST:
        return SetImageList(*state, wParam, reinterpret_cast<HIMAGELIST>(lParam));
    case TVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == TVSIL_NORMAL ? state->normalImages
                                         : wParam == TVSIL_STATE ? state->stateImages
                                                                 : nullptr);
    case WM_SETFONT:
        SetFont(*state, reinterpret_cast<HFONT>(wParam));
        ClampScroll(*state); // the rows' widths changed with it
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SIZE:
        ClampScroll(*state);
        return 0;
    case WM_VSCROLL:
        return VerticalScroll(*state, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
    case WM_HSCROLL:
        return HorizontalScroll(*state, LOWORD(wParam), HIWORD(wParam));
    case WM_MOUSEWHEEL:
        WheelScroll(*state, static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_SETFOCUS:
        Focus(*state, true, NM_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        Focus(*state, false, NM_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        return TreeKeyDown(*state, wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_CAPTURECHANGED:
        return TreeMouse(*state, msg, wParam, lParam);
    case WM_ERASEBKGND:
        return 1; // the picture covers the whole client area
    case WM_PRINTCLIENT:
        PaintTreeView(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT:
        PaintThroughBeginPaint(hwnd, PaintTreeView);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail

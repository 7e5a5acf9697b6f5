// The state of one tree view window and the operations its messages, its
// mouse and keyboard handling and its painting share.
#pragma once

#include "TreeModel.h"

#include "gdi/GdiTypes.h"
#include "user/TreeView.h"

#include <memory>
#include <mutex>

namespace user::detail {

struct TreeViewState {
    // Held by the window's own thread while its procedure runs; another
    // thread that only reads items takes it when it is free (see
    // AnswerTreeQuery) and otherwise sends its message as usual. Shared, so
    // that a procedure whose tree is destroyed under it still lets it go.
    std::shared_ptr<std::recursive_mutex> lock = std::make_shared<std::recursive_mutex>();
    HWND hwnd = nullptr;
    TreeModel model;
    TreeItem* caret = nullptr;
    int top = 0; // index of the first shown row in the shown order
    // What the vertical scroll bar was last told: rows shown, rows that fit, top.
    int barShown = -1;
    int barRows = -1;
    int barTop = -1;
    int wheelRest = 0; // wheel turns short of a notch
    int left = 0; // pixels scrolled horizontally
    // What the horizontal scroll bar was last told: the widest row, the client width, left.
    int barWidest = -1;
    int barPage = -1;
    int barLeft = -1;
    HIMAGELIST normalImages = nullptr;
    HIMAGELIST stateImages = nullptr;
    HFONT font = nullptr;     // from WM_SETFONT; null: DEFAULT_GUI_FONT
    HFONT boldFont = nullptr; // made from the font for TVIS_BOLD labels, owned
    unsigned fontGeneration = 1; // counts the fonts set, for the items' measured widths
    bool focused = false;
    // A left or right press seen by the control, finished by its release,
    // and what the left press hit.
    bool leftPressed = false;
    bool rightPressed = false;
    TVHITTESTINFO pressed = {};
};

// The parts of one row, in client coordinates.
struct TreeRowLayout {
    int level = 0;      // indent columns before the images
    int origin = 0;     // where the first indent column starts: 0 less the horizontal scroll
    RECT row = {};      // the whole row
    RECT button = {};   // the button's column; empty when the item shows no button
    RECT stateIcon = {}; // empty without a state image list
    RECT icon = {};     // empty without a normal image list
    RECT label = {};
};

TreeViewState* TreeStateOf(HWND hwnd);
// Whether the state is still that of a live window: a parent may destroy the
// tree while it handles a notification.
bool TreeAlive(HWND hwnd, const TreeViewState* state);

// Answers a message that only reads items (TVM_GETNEXTITEM,
// TVM_GETITEMSTATE, TVM_GETITEMW) on the calling thread, when the tree is
// not busy on its own thread; false when the caller must send it.
bool AnswerTreeQuery(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool IsTreeQuery(UINT msg);

DWORD TreeStyle(const TreeViewState& state);
int RowsThatFit(const TreeViewState& state);
// Keeps the scroll positions within the rows that exist and their width, and
// the scroll bars showing them.
void ClampScroll(TreeViewState& state);
// The right end of the widest shown row, unscrolled.
int WidestRow(TreeViewState& state);
// The horizontal scroll that brings as much of the range [from, to) of
// unscrolled x into view as fits, its start first.
int LeftShowing(const TreeViewState& state, int from, int to);
TreeRowLayout LayoutRow(const TreeViewState& state, const TreeItem& item, int rowIndex);
void HitTest(const TreeViewState& state, TVHITTESTINFO& info);
HFONT LabelFont(const TreeViewState& state, const TreeItem& item);

// The operations behind the messages and the user's input. byUser: the user
// asked for it (notifications always go out), not a message.
bool ExpandItem(TreeViewState& state, HTREEITEM handle, UINT action, bool byUser);
bool SelectCaret(TreeViewState& state, HTREEITEM handle, UINT cause);
// Expands the item's ancestors and scrolls it into view; kEnsure* flags of
// what it did.
constexpr int kEnsureExpanded = 1;
constexpr int kEnsureScrolled = 2;
int EnsureShown(TreeViewState& state, HTREEITEM handle);
void ToggleCheck(TreeViewState& state, TreeItem& item);
void DescribeItem(const TreeItem* item, TVITEMW& out);

// Mouse and keyboard messages; the result of the message.
LRESULT TreeMouse(TreeViewState& state, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT TreeKeyDown(TreeViewState& state, WPARAM key);
// WM_HSCROLL: scrolls without moving the caret.
LRESULT HorizontalScroll(TreeViewState& state, WORD request, int position);

} // namespace user::detail

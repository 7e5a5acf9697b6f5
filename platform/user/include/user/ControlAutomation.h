// The automation interface for the common controls: finding, reading and
// clicking the items of a tree view, and reading tooltips, as a user sees
// them. Callable from any thread.
#pragma once

#include "user/ToolTip.h"
#include "user/TreeView.h"

#include <string>
#include <vector>

namespace user::automation {

// The item reached by the texts from a top-level item down; null when one is missing.
HTREEITEM FindTreeItem(HWND tree, const std::vector<std::u16string>& path);
std::u16string TreeItemText(HWND tree, HTREEITEM item);
// The texts of an item's children (of the top-level items for TVI_ROOT), in order.
std::vector<std::u16string> TreeChildTexts(HWND tree, HTREEITEM parent);
UINT TreeItemStateImage(HWND tree, HTREEITEM item);
bool IsTreeItemBold(HWND tree, HTREEITEM item);
// A point of the item's row where a hit test reports `part` (TVHT_ONITEMSTATEICON,
// TVHT_ONITEMICON, TVHT_ONITEMLABEL, TVHT_ONITEMBUTTON ...); the item is first
// scrolled into view, as a user would. {-1, -1} when the row has no such part.
POINT TreeItemPoint(HWND tree, HTREEITEM item, UINT part);
// Clicks that part of the item's row; false when the row has no such part.
bool ClickTreeItem(HWND tree, HTREEITEM item, UINT part);

// The tooltip window that holds a tool for this window (its own window as
// the tool, or a rectangle of it); null when there is none.
HWND FindToolTip(HWND tool);
// The text of the tool for `tool` in that tooltip.
std::u16string ToolTipText(HWND tooltip, HWND tool);
bool IsToolTipShowing(HWND tooltip);

} // namespace user::automation

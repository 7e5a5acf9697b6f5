// The items of a tree view: a hierarchy of siblings in order, each with its
// text, images, state and application value. Handles are never reused, so a
// handle of a deleted item is simply not found.
#pragma once

#include "user/TreeView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace user::detail {

struct TreeItem {
    HTREEITEM handle = nullptr;
    TreeItem* parent = nullptr; // null for a top-level item
    TreeItem* firstChild = nullptr;
    TreeItem* lastChild = nullptr;
    TreeItem* previous = nullptr;
    TreeItem* next = nullptr;
    std::u16string text;
    UINT state = 0;
    int image = 0;
    int selectedImage = 0;
    int childrenMark = 0; // cChildren: 1 shows a button before there are children
    LPARAM param = 0;
    // The label text's width in the font that widthKey names (see
    // LabelTextWidth), measured when first needed; 0: not measured.
    mutable int textWidth = 0;
    mutable unsigned widthKey = 0;

    bool HasChildren() const { return firstChild || childrenMark > 0; }
    bool IsExpanded() const { return (state & TVIS_EXPANDED) != 0; }
};

class TreeModel {
public:
    // The item of a handle; null for null, the special handles and deleted items.
    TreeItem* Find(HTREEITEM handle) const;

    // Inserts a new item under parent (null: top level) after `after`, which
    // is TVI_FIRST, TVI_LAST, TVI_SORT or a child of parent. Null when
    // `after` is none of these.
    TreeItem* Insert(TreeItem* parent, HTREEITEM after, std::unique_ptr<TreeItem> item);

    // Unlinks and frees an item with everything below it.
    void Remove(TreeItem* item);

    // The handles of an item's subtree (or of every item for null), children
    // before their parent.
    std::vector<HTREEITEM> SubtreeChildrenFirst(TreeItem* item) const;

    TreeItem* FirstTop() const { return m_first; }
    std::size_t Count() const { return m_items.size(); }
    int Depth(const TreeItem* item) const;
    bool IsAncestor(const TreeItem* ancestor, const TreeItem* item) const;

    // Whether every ancestor is expanded, so the item has a row.
    bool IsShown(const TreeItem* item) const;
    // The items that have rows, top to bottom.
    std::vector<TreeItem*> ShownOrder() const;
    TreeItem* NextShown(const TreeItem* item) const;
    TreeItem* PreviousShown(const TreeItem* item) const;

private:
    TreeItem* m_first = nullptr;
    TreeItem* m_last = nullptr;
    std::unordered_map<HTREEITEM, std::unique_ptr<TreeItem>> m_items;
    std::uintptr_t m_nextHandle = 0x100;

    void Link(TreeItem* parent, TreeItem* before, TreeItem* item);
};

} // namespace user::detail

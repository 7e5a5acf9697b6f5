#include "TreeModel.h"

#include "win32/WideString.h"

namespace user::detail {

TreeItem* TreeModel::Find(HTREEITEM handle) const
{
    auto it = m_items.find(handle);
    return it == m_items.end() ? nullptr : it->second.get();
}

void TreeModel::Link(TreeItem* parent, TreeItem* before, TreeItem* item)
{
    TreeItem*& first = parent ? parent->firstChild : m_first;
    TreeItem*& last = parent ? parent->lastChild : m_last;
    item->parent = parent;
    item->next = before;
    item->previous = before ? before->previous : last;
    if (item->previous)
        item->previous->next = item;
    else
        first = item;
    if (before)
        before->previous = item;
    else
        last = item;
}

TreeItem* TreeModel::Insert(TreeItem* parent, HTREEITEM after, std::unique_ptr<TreeItem> item)
{
    TreeItem* first = parent ? parent->firstChild : m_first;
    TreeItem* before = nullptr; // the sibling the new item goes in front of; null: at the end
    if (after == TVI_FIRST) {
        before = first;
    } else if (after == TVI_SORT) {
        // Alphabetical among the siblings, ignoring case; after its equals.
        before = first;
        while (before && _wcsicmp(before->text.c_str(), item->text.c_str()) <= 0)
            before = before->next;
    } else if (after != TVI_LAST) {
        TreeItem* sibling = Find(after);
        if (!sibling || sibling->parent != parent)
            return nullptr;
        before = sibling->next;
    }
    item->handle = reinterpret_cast<HTREEITEM>(m_nextHandle);
    m_nextHandle += 4;
    TreeItem* raw = item.get();
    m_items[raw->handle] = std::move(item);
    Link(parent, before, raw);
    return raw;
}

void TreeModel::Remove(TreeItem* item)
{
    TreeItem*& first = item->parent ? item->parent->firstChild : m_first;
    TreeItem*& last = item->parent ? item->parent->lastChild : m_last;
    if (item->previous)
        item->previous->next = item->next;
    else
        first = item->next;
    if (item->next)
        item->next->previous = item->previous;
    else
        last = item->previous;
    for (HTREEITEM handle : SubtreeChildrenFirst(item))
        m_items.erase(handle);
}

std::vector<HTREEITEM> TreeModel::SubtreeChildrenFirst(TreeItem* item) const
{
    std::vector<HTREEITEM> out;
    std::function<void(TreeItem*)> visit = [&](TreeItem* node) {
        for (TreeItem* child = node->firstChild; child; child = child->next)
            visit(child);
        out.push_back(node->handle);
    };
    if (item) {
        visit(item);
    } else {
        for (TreeItem* top = m_first; top; top = top->next)
            visit(top);
    }
    return out;
}

int TreeModel::Depth(const TreeItem* item) const
{
    int depth = 0;
    for (const TreeItem* p = item->parent; p; p = p->parent)
        ++depth;
    return depth;
}

bool TreeModel::IsAncestor(const TreeItem* ancestor, const TreeItem* item) const
{
    for (const TreeItem* p = item ? item->parent : nullptr; p; p = p->parent)
        if (p == ancestor)
            return true;
    return false;
}

bool TreeModel::IsShown(const TreeItem* item) const
{
    for (const TreeItem* p = item->parent; p; p = p->parent)
        if (!p->IsExpanded())
            return false;
    return true;
}

std::vector<TreeItem*> TreeModel::ShownOrder() const
{
    std::vector<TreeItem*> out;
    for (TreeItem* item = m_first; item; item = NextShown(item))
        out.push_back(item);
    return out;
}

TreeItem* TreeModel::NextShown(const TreeItem* item) const
{
    if (item->IsExpanded() && item->firstChild)
        return item->firstChild;
    for (const TreeItem* p = item; p; p = p->parent)
        if (p->next)
            return p->next;
    return nullptr;
}

TreeItem* TreeModel::PreviousShown(const TreeItem* item) const
{
    if (!item->previous)
        return item->parent;
    TreeItem* p = item->previous;
    while (p->IsExpanded() && p->lastChild)
        p = p->lastChild;
    return p;
}

} // namespace user::detail

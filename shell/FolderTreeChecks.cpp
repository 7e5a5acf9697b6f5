// The folder tree's three-way ticks: check boxes and bold marks, kept
// consistent from a clicked item down to its leaves and up to the top.
#include "FolderTreeCtrl.h"

namespace {

constexpr UINT kUnticked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kTicked = INDEXTOSTATEIMAGEMASK(2);

} // namespace

BOOL CFolderTreeCtrl::IsChecked(HTREEITEM item) const
{
    return GetItemState(item, TVIS_STATEIMAGEMASK) == kTicked;
}

BOOL CFolderTreeCtrl::IsBold(HTREEITEM item) const
{
    return (GetItemState(item, TVIS_BOLD) & TVIS_BOLD) != 0;
}

void CFolderTreeCtrl::CheckItem(HTREEITEM item)
{
    SetItemState(item, kTicked | TVIS_BOLD, TVIS_STATEIMAGEMASK | TVIS_BOLD);
}

void CFolderTreeCtrl::UncheckItem(HTREEITEM item)
{
    SetItemState(item, kUnticked, TVIS_STATEIMAGEMASK | TVIS_BOLD);
}

void CFolderTreeCtrl::CheckChildren(HTREEITEM item)
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        CheckItem(child);
        CheckChildren(child);
    }
}

void CFolderTreeCtrl::UncheckChildren(HTREEITEM item)
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        UncheckItem(child);
        UncheckChildren(child);
    }
}

void CFolderTreeCtrl::CheckSubtree(HTREEITEM item)
{
    CheckItem(item);
    CheckChildren(item);
}

void CFolderTreeCtrl::UncheckSubtree(HTREEITEM item)
{
    UncheckItem(item);
    UncheckChildren(item);
}

BOOL CFolderTreeCtrl::AllChildrenChecked(HTREEITEM item) const
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        if (!IsChecked(child))
            return FALSE;
    }
    return TRUE;
}

BOOL CFolderTreeCtrl::NoChildChecked(HTREEITEM item) const
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        if (IsChecked(child))
            return FALSE;
    }
    return TRUE;
}

BOOL CFolderTreeCtrl::HasBoldChild(HTREEITEM item) const
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        if (IsBold(child))
            return TRUE;
    }
    return FALSE;
}

void CFolderTreeCtrl::UpdateParentChecks(HTREEITEM item)
{
    for (HTREEITEM parent = GetParentItem(item); parent; parent = GetParentItem(parent)) {
        if (AllChildrenChecked(parent))
            CheckItem(parent);
        else
            UncheckItem(parent);
    }
}

void CFolderTreeCtrl::UpdateParentBold(HTREEITEM item)
{
    for (HTREEITEM parent = GetParentItem(item); parent; parent = GetParentItem(parent))
        SetItemState(parent, HasBoldChild(parent) ? TVIS_BOLD : 0, TVIS_BOLD);
}

int CFolderTreeCtrl::CountChecked() const
{
    int count = 0;
    for (HTREEITEM top = GetRootItem(); top; top = GetNextSiblingItem(top))
        count += CountCheckedBelow(top);
    return count;
}

int CFolderTreeCtrl::CountCheckedBelow(HTREEITEM item) const
{
    if (!IsBold(item))
        return 0;
    if (IsChecked(item))
        return 1;
    int count = 0;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        count += CountCheckedBelow(child);
    return count;
}

// The control's own click handling is left out, so it never toggles a check
// box behind this rule's back.
void CFolderTreeCtrl::OnLButtonDown(UINT, CPoint point)
{
    UINT where = 0;
    HTREEITEM item = HitTest(point, &where);
    if (!item)
        return;
    SelectItem(item);
    SetFocus();
    if (!(where & TVHT_ONITEMSTATEICON)) {
        Expand(item, TVE_TOGGLE);
        return;
    }
    if (IsChecked(item)) {
        UncheckItem(item);
        UncheckChildren(item);
    } else {
        CheckItem(item);
        CheckChildren(item);
    }
    UpdateParentChecks(item);
    UpdateParentBold(item);
}

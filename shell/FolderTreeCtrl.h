// The folder check tree of wizard step 3: the Notes folders of a database
// under one top item "Lotus Notes", built from backslash-separated paths.
//
// Ticking is three-way, shown through the tree's two check-box state images
// (1 unticked, 2 ticked) and the bold item state: an item is bold when it is
// ticked or something below it is ticked, so an unticked bold item is the
// partial state. The tree takes its left clicks itself: a click on a check
// box ticks or unticks the item with everything below it and recomputes the
// ancestors; a click anywhere else on a row expands or collapses it.
//
// Paths are ANSI: the item texts from the top item down, each followed by a
// backslash ("Lotus Notes\Inbox\"). A path holds at most 199 bytes and one of
// its components at most 99; an item text at most 199 characters.
#pragma once

#include "afx/CommonControls.h"

class CFolderTreeCtrl : public CTreeCtrl {
public:
    static constexpr int kMaxPathBytes = 199;
    static constexpr int kPathBufferBytes = kMaxPathBytes + 1; // what GetItemPath's out holds
    static constexpr int kMaxComponentBytes = 99;
    static constexpr int kMaxTextChars = 199;

    // The icons' indexes in the tree's image list.
    enum Image {
        ImageInbox = 0,
        ImageSent = 1,
        ImageDrafts = 2,
        ImageAll = 3,
        ImageTrash = 4,
        ImageFolder = 5,
        ImageFolderSelected = 6,
        ImageNotes = 7,
    };

    CFolderTreeCtrl() = default;

    // Makes the image list of the folder icons (16 x 16, 8 bits, no mask)
    // and sets it as the tree's normal list.
    void SetupImageList();

    // Makes sure the chain of items of the path exists, then updates the
    // ticks and bold marks of the last item's ancestors. The text after the
    // last backslash is ignored, so a path without one inserts nothing. A
    // path beyond the limits above is left out whole: a cut one would name
    // another folder than the one it stands for. False when it was.
    bool InsertPath(const char* path);
    // The child of parent (TVI_ROOT for the top level) whose text equals name
    // exactly, or a new last child: a top-level one shows its expand button
    // before it has children.
    HTREEITEM FindOrInsertChild(const char* name, HTREEITEM parent);
    // Inserts one item; its name, upper-cased, chooses the icon pair of a
    // system folder, else image and selectedImage are used.
    HTREEITEM InsertFolderItem(const char* name, int image, int selectedImage, HTREEITEM parent,
                               HTREEITEM insertAfter, bool hasChildren);
    // Writes the item's path into out (kPathBufferBytes), cut to
    // kMaxPathBytes; TVI_ROOT and null give the empty string.
    void GetItemPath(HTREEITEM item, char* out) const;

    BOOL IsChecked(HTREEITEM item) const;
    // Ticks and bolds / unticks and unbolds one item.
    void CheckItem(HTREEITEM item);
    void UncheckItem(HTREEITEM item);
    // Every descendant, depth first, not the item itself.
    void CheckChildren(HTREEITEM item);
    void UncheckChildren(HTREEITEM item);
    // The item and every descendant.
    void CheckSubtree(HTREEITEM item);
    void UncheckSubtree(HTREEITEM item);
    // Over the direct children; true for an item without children.
    BOOL AllChildrenChecked(HTREEITEM item) const;
    BOOL NoChildChecked(HTREEITEM item) const;
    BOOL HasBoldChild(HTREEITEM item) const;
    // From the parent up to the top, each level from the one below it:
    // ticked exactly when all its children are; bold exactly when a child is.
    void UpdateParentChecks(HTREEITEM item);
    void UpdateParentBold(HTREEITEM item);
    // The highest ticked items: a ticked item counts once, without what lies
    // below it; only bold items are looked into.
    int CountChecked() const;

protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg LRESULT OnInsertPath(WPARAM, LPARAM path);

    DECLARE_MESSAGE_MAP()

private:
    BOOL IsBold(HTREEITEM item) const;
    int CountCheckedBelow(HTREEITEM item) const;

    CImageList m_imageList;
};

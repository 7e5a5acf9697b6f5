// The tree view's items, navigation, expansion, selection and geometry,
// driven through its messages.
#include "ControlTest.h"

#include "user/ControlAutomation.h"

#include <gtest/gtest.h>

namespace automation = user::automation;

namespace {

constexpr DWORD kFolderStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES;

class TreeTest : public ::testing::Test {
protected:
    void Make(DWORD styles, int rows = 8, int width = 240)
    {
        tree = CreateWindowExW(0, WC_TREEVIEW, u"", WS_CHILD | WS_VISIBLE | styles, 0, 0, width,
                               rows * TreeViewItemHeight, parent.hwnd, reinterpret_cast<HMENU>(1023), nullptr,
                               nullptr);
        ASSERT_NE(tree, nullptr);
    }

    HTREEITEM Insert(HTREEITEM under, const char16_t* text, HTREEITEM after = TVI_LAST, LPARAM param = 0)
    {
        return InsertTreeItem(tree, under, text, after, param);
    }

    HTREEITEM Next(UINT relation, HTREEITEM item = nullptr)
    {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }

    std::vector<std::u16string> ShownTexts()
    {
        std::vector<std::u16string> out;
        for (HTREEITEM item = Next(TVGN_ROOT); item; item = Next(TVGN_NEXTVISIBLE, item))
            out.push_back(automation::TreeItemText(tree, item));
        return out;
    }

    LRESULT Expand(HTREEITEM item, UINT action)
    {
        return SendMessageW(tree, TVM_EXPAND, action, reinterpret_cast<LPARAM>(item));
    }

    UINT Hit(int x, int y, HTREEITEM* item = nullptr)
    {
        TVHITTESTINFO info = {};
        info.pt = {x, y};
        HTREEITEM found = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(found, info.hItem);
        if (item)
            *item = found;
        return info.flags;
    }

    RECT ItemRect(HTREEITEM item, BOOL labelOnly) { return TreeItemRect(tree, item, labelOnly); }

    NotifyParent parent;
    HWND tree = nullptr;
};

std::vector<UINT> CodesOf(const std::vector<Notice>& notices)
{
    std::vector<UINT> out;
    for (const auto& n : notices)
        out.push_back(n.code);
    return out;
}

} // namespace

TEST_F(TreeTest, InsertPlacesItemsAndNavigationWalksThem)
{
    Make(0);
    HTREEITEM b = Insert(TVI_ROOT, u"B");
    HTREEITEM a = Insert(nullptr, u"a", TVI_FIRST);
    HTREEITEM c = Insert(TVI_ROOT, u"C", b);
    HTREEITEM ab = Insert(TVI_ROOT, u"Ab", TVI_SORT); // case is ignored: a < Ab < B
    HTREEITEM x = Insert(b, u"x");
    HTREEITEM w = Insert(b, u"w", TVI_FIRST);
    EXPECT_EQ(automation::TreeChildTexts(tree, TVI_ROOT), (std::vector<std::u16string>{u"a", u"Ab", u"B", u"C"}));
    EXPECT_EQ(automation::TreeChildTexts(tree, b), (std::vector<std::u16string>{u"w", u"x"}));
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 6);

    EXPECT_EQ(Next(TVGN_ROOT), a);
    EXPECT_EQ(Next(TVGN_NEXT, a), ab);
    EXPECT_EQ(Next(TVGN_PREVIOUS, c), b);
    EXPECT_EQ(Next(TVGN_PREVIOUS, a), nullptr);
    EXPECT_EQ(Next(TVGN_NEXT, c), nullptr);
    EXPECT_EQ(Next(TVGN_CHILD, b), w);
    EXPECT_EQ(Next(TVGN_CHILD, TVI_ROOT), a);
    EXPECT_EQ(Next(TVGN_PARENT, x), b);
    EXPECT_EQ(Next(TVGN_PARENT, b), nullptr);
    EXPECT_EQ(automation::FindTreeItem(tree, {u"B", u"x"}), x);
    EXPECT_EQ(automation::FindTreeItem(tree, {u"B", u"y"}), nullptr);

    // An insert-after that is not a child of the parent, or a parent that is gone, inserts nothing.
    EXPECT_EQ(Insert(b, u"stray", a), nullptr);
    SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(x));
    EXPECT_EQ(Insert(x, u"orphan"), nullptr);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 5);
}

TEST_F(TreeTest, DeletingTellsTheParentOfEveryItemChildrenFirst)
{
    Make(0);
    HTREEITEM top = Insert(TVI_ROOT, u"top", TVI_LAST, 1);
    HTREEITEM one = Insert(top, u"one", TVI_LAST, 2);
    HTREEITEM deep = Insert(one, u"deep", TVI_LAST, 3);
    HTREEITEM two = Insert(top, u"two", TVI_LAST, 4);
    HTREEITEM other = Insert(TVI_ROOT, u"other", TVI_LAST, 5);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(deep));
    parent.Take();

    EXPECT_TRUE(SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(one)));
    auto notices = parent.Take();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].code, TVN_DELETEITEMW);
    EXPECT_EQ(notices[0].oldItem, deep);
    EXPECT_EQ(notices[1].oldItem, one);
    // The caret went with its item, and the handles of deleted items are dead.
    EXPECT_EQ(Next(TVGN_CARET), nullptr);
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = deep;
    EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_FALSE(SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(one)));
    EXPECT_EQ(Next(TVGN_CHILD, top), two);

    EXPECT_TRUE(SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
    notices = parent.Take();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].oldItem, two);
    EXPECT_EQ(notices[1].oldItem, top);
    EXPECT_EQ(notices[2].oldItem, other);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Next(TVGN_ROOT), nullptr);
}

TEST_F(TreeTest, ItemMembersRoundTripThroughSetAndGet)
{
    Make(TVS_CHECKBOXES);
    HTREEITEM item = Insert(TVI_ROOT, u"Inbox");
    // A check-box tree starts every item unchecked.
    EXPECT_EQ(automation::TreeItemStateImage(tree, item), 1u);

    TVITEMW set = {};
    set.mask = TVIF_HANDLE | TVIF_STATE | TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    set.hItem = item;
    set.state = INDEXTOSTATEIMAGEMASK(2) | TVIS_BOLD;
    set.stateMask = TVIS_STATEIMAGEMASK | TVIS_BOLD;
    set.pszText = const_cast<LPWSTR>(u"Mail Threads");
    set.lParam = 77;
    set.iImage = 5;
    set.iSelectedImage = 6;
    ASSERT_TRUE(SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&set)));

    WCHAR text[6];
    TVITEMW get = {};
    get.mask = TVIF_HANDLE | TVIF_STATE | TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    get.hItem = item;
    get.stateMask = TVIS_STATEIMAGEMASK; // only the state image is asked for
    get.pszText = text;
    get.cchTextMax = 6;
    ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get)));
    EXPECT_EQ(get.state, INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(std::u16string(text), u"Mail "); // cut to the buffer, terminated
    EXPECT_EQ(get.lParam, 77);
    EXPECT_EQ(get.iImage, 5);
    EXPECT_EQ(get.iSelectedImage, 6);
    EXPECT_EQ(get.cChildren, 0);
    EXPECT_TRUE(automation::IsTreeItemBold(tree, item));

    // Clearing the bold mark leaves the check alone.
    set.mask = TVIF_HANDLE | TVIF_STATE;
    set.state = 0;
    set.stateMask = TVIS_BOLD;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&set));
    EXPECT_FALSE(automation::IsTreeItemBold(tree, item));
    EXPECT_EQ(automation::TreeItemStateImage(tree, item), 2u);

    // The children mark shows as children before there are any.
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = const_cast<LPWSTR>(u"Lotus Notes");
    insert.item.cChildren = 1;
    auto top = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    get = {};
    get.mask = TVIF_HANDLE | TVIF_CHILDREN;
    get.hItem = top;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
    EXPECT_EQ(get.cChildren, 1);
}

TEST_F(TreeTest, ItemsOfATreeWithoutCheckBoxesHaveNoStateImage)
{
    Make(TVS_HASBUTTONS);
    HTREEITEM item = Insert(TVI_ROOT, u"x");
    EXPECT_EQ(automation::TreeItemStateImage(tree, item), 0u);
    EXPECT_EQ(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_STATE, 0), 0);
}

TEST_F(TreeTest, ExpandingNotifiesOnceByMessageAndChangesTheShownOrder)
{
    Make(TVS_HASBUTTONS);
    HTREEITEM top = Insert(TVI_ROOT, u"top");
    HTREEITEM child = Insert(top, u"child");
    Insert(child, u"grandchild");
    Insert(TVI_ROOT, u"last");
    EXPECT_EQ(ShownTexts(), (std::vector<std::u16string>{u"top", u"last"}));
    parent.Take();

    EXPECT_TRUE(Expand(top, TVE_EXPAND));
    auto notices = parent.Take();
    ASSERT_EQ(CodesOf(notices), (std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}));
    EXPECT_EQ(notices[0].action, TVE_EXPAND);
    EXPECT_EQ(notices[0].newItem, top);
    EXPECT_EQ(ShownTexts(), (std::vector<std::u16string>{u"top", u"child", u"last"}));
    EXPECT_EQ(Next(TVGN_LASTVISIBLE), Next(TVGN_NEXT, top));
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDEDONCE));

    // Once expanded, messages expand and collapse quietly; already expanded
    // succeeds, already collapsed and childless items do not.
    EXPECT_TRUE(Expand(top, TVE_EXPAND));
    EXPECT_TRUE(Expand(top, TVE_TOGGLE));
    EXPECT_FALSE(Expand(top, TVE_COLLAPSE));
    EXPECT_TRUE(parent.Take().empty());
    EXPECT_EQ(ShownTexts(), (std::vector<std::u16string>{u"top", u"last"}));
    EXPECT_FALSE(Expand(Next(TVGN_NEXT, top), TVE_EXPAND));

    // The parent may refuse an expansion.
    parent.answer = [](NMHDR* header) -> LRESULT { return header->code == TVN_ITEMEXPANDINGW; };
    EXPECT_FALSE(Expand(child, TVE_EXPAND));
    EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(child), TVIS_EXPANDED));
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{TVN_ITEMEXPANDINGW});
    // A hidden item's next visible item is none.
    EXPECT_EQ(Next(TVGN_NEXTVISIBLE, child), nullptr);
}

TEST_F(TreeTest, SelectionNotifiesCanBeRefusedAndRevealsTheItem)
{
    Make(TVS_HASBUTTONS);
    HTREEITEM top = Insert(TVI_ROOT, u"top");
    HTREEITEM child = Insert(top, u"child");
    HTREEITEM other = Insert(TVI_ROOT, u"other");

    ASSERT_TRUE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(other)));
    auto notices = parent.Take();
    ASSERT_EQ(CodesOf(notices), (std::vector<UINT>{TVN_SELCHANGINGW, TVN_SELCHANGEDW}));
    EXPECT_EQ(notices[1].oldItem, nullptr);
    EXPECT_EQ(notices[1].newItem, other);
    EXPECT_EQ(notices[1].action, TVC_UNKNOWN);

    // Selecting a hidden item expands its parent first.
    ASSERT_TRUE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child)));
    EXPECT_EQ(Next(TVGN_CARET), child);
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED));
    EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(other), TVIS_SELECTED));
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(child), TVIS_SELECTED));
    parent.Take();

    parent.answer = [](NMHDR* header) -> LRESULT { return header->code == TVN_SELCHANGINGW; };
    EXPECT_FALSE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(other)));
    EXPECT_EQ(Next(TVGN_CARET), child);
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{TVN_SELCHANGINGW});
    parent.answer = nullptr;

    // Collapsing over the caret moves it to the collapsed item.
    Expand(top, TVE_COLLAPSE);
    EXPECT_EQ(Next(TVGN_CARET), top);
}

TEST_F(TreeTest, HitTestsFollowTheDocumentedRowGeometry)
{
    Make(kFolderStyles, 6);
    HIMAGELIST icons = ImageList_Create(16, 16, ILC_COLOR8, 0, 0);
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
    HTREEITEM top = Insert(TVI_ROOT, u"Lotus Notes");
    HTREEITEM inbox = Insert(top, u"Inbox");
    Expand(top, TVE_EXPAND);

    // Row 0, the top item at level 1: indent 0-18 (holding its button), state
    // image 19-34, icon 35-50, label from 51.
    HTREEITEM item = nullptr;
    EXPECT_EQ(Hit(9, 9, &item), TVHT_ONITEMBUTTON);
    EXPECT_EQ(item, top);
    EXPECT_EQ(Hit(19, 9), TVHT_ONITEMSTATEICON);
    EXPECT_EQ(Hit(34, 9), TVHT_ONITEMSTATEICON);
    EXPECT_EQ(Hit(35, 9), TVHT_ONITEMICON);
    EXPECT_EQ(Hit(51, 9), TVHT_ONITEMLABEL);
    RECT label = ItemRect(top, TRUE);
    EXPECT_EQ(label.left, 51);
    EXPECT_EQ(label.top, 0);
    EXPECT_EQ(label.bottom, TreeViewItemHeight);
    EXPECT_GT(label.right, 51 + 4);
    EXPECT_EQ(Hit(label.right - 1, 9), TVHT_ONITEMLABEL);
    EXPECT_EQ(Hit(label.right, 9), TVHT_ONITEMRIGHT);

    // Row 1, a leaf at level 2: two indent columns without a button.
    EXPECT_EQ(Hit(9, 27, &item), TVHT_ONITEMINDENT);
    EXPECT_EQ(item, inbox);
    EXPECT_EQ(Hit(30, 27), TVHT_ONITEMINDENT);
    EXPECT_EQ(Hit(38, 27), TVHT_ONITEMSTATEICON);
    EXPECT_EQ(Hit(54, 27), TVHT_ONITEMICON);
    EXPECT_EQ(Hit(70, 27), TVHT_ONITEMLABEL);
    RECT row = ItemRect(inbox, FALSE);
    EXPECT_EQ(row.left, 0);
    EXPECT_EQ(row.top, TreeViewItemHeight);
    EXPECT_EQ(row.right, 240);

    // Below the rows, and outside the client area.
    EXPECT_EQ(Hit(60, 40, &item), TVHT_NOWHERE);
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(Hit(-1, 9), TVHT_TOLEFT);
    EXPECT_EQ(Hit(240, 9), TVHT_TORIGHT);
    EXPECT_EQ(Hit(10, -1), TVHT_ABOVE);
    EXPECT_EQ(Hit(-5, 6 * TreeViewItemHeight), TVHT_TOLEFT | TVHT_BELOW);

    // Without images or lines at the root, a top item starts at x = 0 with its label.
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_STATE, 0);
    SetWindowLongPtrW(tree, GWL_STYLE, WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS);
    EXPECT_EQ(Hit(1, 9), TVHT_ONITEMLABEL);
    EXPECT_EQ(Hit(TreeViewIndent + 1, 27), TVHT_ONITEMLABEL);
    ImageList_Destroy(icons);
}

TEST_F(TreeTest, ScrollingMovesRowsAndHitTestsFollow)
{
    Make(0, 5);
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 12; ++i) {
        std::u16string text = u"item " + std::u16string(1, static_cast<char16_t>(u'a' + i));
        items.push_back(Insert(TVI_ROOT, text.c_str()));
    }
    EXPECT_EQ(SendMessageW(tree, TVM_GETVISIBLECOUNT, 0, 0), 5);
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[0]);

    // Making item 8 visible scrolls just far enough: it becomes the last full row.
    EXPECT_TRUE(SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items[8])));
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[4]);
    HTREEITEM item = nullptr;
    EXPECT_EQ(Hit(10, 1, &item), TVHT_ONITEMLABEL);
    EXPECT_EQ(item, items[4]);
    EXPECT_EQ(ItemRect(items[8], FALSE).top, 4 * TreeViewItemHeight);
    EXPECT_EQ(ItemRect(items[2], FALSE).top, -2 * TreeViewItemHeight);
    // Already in view: no scrolling.
    EXPECT_FALSE(SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items[6])));

    // The scroll position stops where the last row is at the bottom.
    SendMessageW(tree, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[7]);
    SendMessageW(tree, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[7]);
    SendMessageW(tree, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[3]);
    SendMessageW(tree, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[0]);

    // Rows inserted above the first shown one leave the view where it was.
    SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[5]));
    Insert(TVI_ROOT, u"new", TVI_FIRST);
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[5]);
    // Deleting rows pulls the scroll position back within the rows left.
    for (int i = 0; i < 9; ++i)
        SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(items[static_cast<std::size_t>(i)]));
    EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), Next(TVGN_ROOT));
}

TEST_F(TreeTest, TreesSpokenToInTurnAndTreesMadeAfterOthersEndedEachAnswerForThemselves)
{
    // Messages alternate between trees of one thread, and a tree made after
    // another was destroyed starts empty, whichever the thread spoke to last.
    Make(kFolderStyles);
    HWND first = tree;
    Make(kFolderStyles);
    HWND second = tree;
    std::vector<HTREEITEM> ofFirst, ofSecond;
    for (int i = 0; i < 5; ++i) {
        tree = first;
        ofFirst.push_back(Insert(TVI_ROOT, u"first"));
        tree = second;
        ofSecond.push_back(Insert(TVI_ROOT, u"second"));
        ofSecond.push_back(Insert(TVI_ROOT, u"second"));
    }
    EXPECT_EQ(SendMessageW(first, TVM_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(second, TVM_GETCOUNT, 0, 0), 10);
    for (int round = 0; round < 3; ++round) {
        tree = first;
        EXPECT_EQ(automation::TreeItemText(first, ofFirst[round]), u"first");
        EXPECT_EQ(Next(TVGN_ROOT), ofFirst.front());
        tree = second;
        EXPECT_EQ(automation::TreeItemText(second, ofSecond[round]), u"second");
        EXPECT_EQ(Next(TVGN_ROOT), ofSecond.front());
    }
    SendMessageW(first, TVM_GETCOUNT, 0, 0); // the thread spoke to it last
    DestroyWindow(first);
    EXPECT_EQ(SendMessageW(first, TVM_GETCOUNT, 0, 0), 0) << "a destroyed tree answers nothing";
    Make(kFolderStyles);
    EXPECT_NE(tree, first);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Next(TVGN_ROOT), nullptr);
    Insert(TVI_ROOT, u"third");
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(second, TVM_GETCOUNT, 0, 0), 10);
    DestroyWindow(second);
}

// The tree view's horizontal scroll bar: it shows while a row is wider than
// the tree, scrolls the rows and their hit tests, follows the caret and
// TVM_ENSUREVISIBLE from the item's start, and Ctrl with the arrows scrolls
// without the caret.
#include "ControlTest.h"

#include "user/Automation.h"
#include "user/Input.h"
#include "user/ScrollBar.h"

#include <gtest/gtest.h>

#include <cstring>

namespace automation = user::automation;

namespace {

constexpr DWORD kFolderStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES;
const char16_t* kLongName = u"A folder whose name is a good deal wider than the whole tree";

class TreeScrollTest : public ::testing::Test {
protected:
    void SetUp() override { Make(0); }
    void TearDown() override
    {
        if (tree)
            DestroyWindow(tree);
    }

    void Make(DWORD extraStyle)
    {
        if (tree)
            DestroyWindow(tree);
        tree = CreateWindowExW(0, WC_TREEVIEW, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | kFolderStyles | extraStyle, 0,
                               0, 200, 6 * TreeViewItemHeight, parent.hwnd, reinterpret_cast<HMENU>(1023), nullptr,
                               nullptr);
        ASSERT_NE(tree, nullptr);
        top = InsertTreeItem(tree, TVI_ROOT, u"Lotus Notes");
        inbox = InsertTreeItem(tree, top, u"Inbox");
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
        PumpMessages();
    }

    bool HasBar() const { return (GetWindowLongPtrW(tree, GWL_STYLE) & WS_HSCROLL) != 0; }
    SCROLLINFO Info() const
    {
        SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(tree, SB_HORZ, &info);
        return info;
    }
    RECT Client() const
    {
        RECT client;
        GetClientRect(tree, &client);
        return client;
    }
    RECT Label(HTREEITEM item) const
    {
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof item);
        SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    UINT PartAt(POINT pt) const
    {
        TVHITTESTINFO hit = {};
        hit.pt = pt;
        SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        return hit.flags;
    }
    HTREEITEM Caret() const
    {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    }
    void CtrlKey(UINT key)
    {
        HWND to = user::input::KeyTarget(tree);
        user::input::Key(VK_CONTROL, true, to);
        user::input::Key(key, true, to);
        user::input::Key(key, false, to);
        user::input::Key(VK_CONTROL, false, to);
        PumpMessages();
    }

    NotifyParent parent;
    HWND tree = nullptr;
    HTREEITEM top = nullptr, inbox = nullptr;
};

TEST_F(TreeScrollTest, TheBarShowsWhileARowIsWiderThanTheTreeUnlessTheStyleSaysNo)
{
    EXPECT_FALSE(HasBar()) << "every row fits";
    HTREEITEM wide = InsertTreeItem(tree, top, kLongName);
    PumpMessages();
    ASSERT_TRUE(HasBar());
    const RECT label = Label(wide);
    SCROLLINFO info = Info();
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax + 1, label.right) << "the range is the widest row, in pixels";
    EXPECT_EQ(static_cast<int>(info.nPage), Client().right);
    EXPECT_EQ(info.nPos, 0);
    EXPECT_EQ(Client().bottom, 6 * TreeViewItemHeight - GetSystemMetrics(SM_CYHSCROLL)) << "the bar takes its room";

    // A shorter text, and the bar goes.
    TVITEMW change = {};
    change.mask = TVIF_TEXT;
    change.hItem = wide;
    change.pszText = const_cast<LPWSTR>(u"Short");
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
    PumpMessages();
    EXPECT_FALSE(HasBar());

    // Collapsed away, a wide row does not count.
    change.pszText = const_cast<LPWSTR>(kLongName);
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
    PumpMessages();
    EXPECT_TRUE(HasBar());
    SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(top));
    PumpMessages();
    EXPECT_FALSE(HasBar());

    Make(TVS_NOHSCROLL);
    InsertTreeItem(tree, top, kLongName);
    PumpMessages();
    EXPECT_FALSE(HasBar());
    SendMessageW(tree, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(Label(inbox).left, Label(top).left + TreeViewIndent) << "nothing scrolled";
}

TEST_F(TreeScrollTest, RequestsMoveTheRowsAndTheirHitTestsWithinTheRange)
{
    HTREEITEM wide = InsertTreeItem(tree, top, kLongName);
    PumpMessages();
    const RECT at0 = Label(wide);
    const int last = Info().nMax + 1 - static_cast<int>(Info().nPage);
    ASSERT_GT(last, TreeViewIndent);

    SendMessageW(tree, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(Info().nPos, TreeViewIndent);
    EXPECT_EQ(Label(wide).left, at0.left - TreeViewIndent);
    TVHITTESTINFO hit = {};
    hit.pt = {Label(wide).left + 3, Label(wide).top + 3};
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))), wide);
    EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMLABEL));
    hit.pt = {1, Label(wide).top + 3};
    SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMINDENT)) << "the indent scrolled under x = 1";

    SendMessageW(tree, WM_HSCROLL, SB_PAGERIGHT, 0);
    SendMessageW(tree, WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_EQ(Info().nPos, last) << "no further than the widest row's end";
    EXPECT_EQ(Label(wide).right, Client().right);
    SendMessageW(tree, WM_HSCROLL, SB_PAGELEFT, 0);
    EXPECT_EQ(Info().nPos, std::max(0, last - Client().right));
    SendMessageW(tree, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(Info().nPos, last);
    SendMessageW(tree, WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(Info().nPos, 0);
    EXPECT_EQ(Label(wide).left, at0.left);

    // Wider, the tree scrolls back to the new end of the range.
    SendMessageW(tree, WM_HSCROLL, SB_RIGHT, 0);
    MoveWindow(tree, 0, 0, 260, 6 * TreeViewItemHeight, TRUE);
    PumpMessages();
    EXPECT_EQ(Info().nPos, Info().nMax + 1 - static_cast<int>(Info().nPage));
    EXPECT_EQ(Label(wide).right, Client().right);
}

TEST_F(TreeScrollTest, TheCaretAndEnsureVisibleBringTheItemIntoViewItsStartFirst)
{
    HTREEITEM wide = InsertTreeItem(tree, top, kLongName);
    HTREEITEM fits = InsertTreeItem(tree, wide, u"A child folder of some width");
    PumpMessages();
    SendMessageW(tree, WM_HSCROLL, SB_RIGHT, 0);
    ASSERT_LT(Label(inbox).right, 0) << "Inbox scrolled out of view on the left";

    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(inbox));
    EXPECT_EQ(PartAt({0, Label(inbox).top + 3}), static_cast<UINT>(TVHT_ONITEMSTATEICON))
        << "its check box at the left edge, its label after it";

    // Too wide to show whole: its start, the button, shows.
    SendMessageW(tree, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_TRUE(SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(wide)));
    EXPECT_EQ(PartAt({0, Label(wide).top + 3}), static_cast<UINT>(TVHT_ONITEMBUTTON));
    EXPECT_EQ(PartAt({TreeViewIndent, Label(wide).top + 3}), static_cast<UINT>(TVHT_ONITEMSTATEICON))
        << "the button's column ends there";
    EXPECT_FALSE(SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(wide)))
        << "already as visible as it can be";

    // A label that fits shows whole, with as little scrolling as that takes;
    // its collapsed parent is expanded for it.
    SendMessageW(tree, WM_HSCROLL, SB_LEFT, 0);
    EXPECT_FALSE(SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(fits))) << "it expanded";
    const RECT label = Label(fits);
    EXPECT_GE(label.left, 0);
    EXPECT_LE(label.right, Client().right);
    if (Info().nPos > 0) {
        EXPECT_EQ(label.right, Client().right);
    }
}

TEST_F(TreeScrollTest, CtrlWithTheArrowsScrollsAndLeavesTheCaret)
{
    InsertTreeItem(tree, top, kLongName);
    for (int i = 0; i < 8; ++i)
        InsertTreeItem(tree, top, u"More");
    PumpMessages();
    SetFocus(tree);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(inbox));
    PumpMessages();
    CtrlKey(VK_RIGHT);
    CtrlKey(VK_RIGHT);
    EXPECT_EQ(Info().nPos, 2 * TreeViewIndent);
    CtrlKey(VK_LEFT);
    EXPECT_EQ(Info().nPos, TreeViewIndent);
    CtrlKey(VK_DOWN);
    CtrlKey(VK_DOWN);
    EXPECT_EQ(GetScrollPos(tree, SB_VERT), 2);
    CtrlKey(VK_UP);
    EXPECT_EQ(GetScrollPos(tree, SB_VERT), 1);
    EXPECT_EQ(Caret(), inbox) << "the caret stayed";

    // Without Ctrl, Left is the parent again, and the view follows it both ways.
    SendMessageW(tree, WM_HSCROLL, SB_RIGHT, 0);
    ASSERT_LT(Label(top).right, 0);
    automation::PressKey(tree, VK_LEFT);
    PumpMessages();
    EXPECT_EQ(Caret(), top);
    EXPECT_GE(Label(top).left, 0);
    EXPECT_LE(Label(top).right, Client().right);
    EXPECT_EQ(GetScrollPos(tree, SB_VERT), 0);
}

} // namespace

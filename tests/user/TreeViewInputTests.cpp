// The tree view under the mouse and the keyboard, driven through the
// automation interface; above all, a check box is never toggled twice when
// the parent or a subclass takes the click or the space key over.
#include "ControlTest.h"

#include "user/Automation.h"
#include "user/ControlAutomation.h"

#include <gtest/gtest.h>

namespace automation = user::automation;

namespace {

constexpr DWORD kFolderStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES;

class TreeInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree = CreateWindowExW(0, WC_TREEVIEW, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | kFolderStyles, 0, 0, 240,
                               8 * TreeViewItemHeight, parent.hwnd, reinterpret_cast<HMENU>(1023), nullptr, nullptr);
        ASSERT_NE(tree, nullptr);
        top = Insert(TVI_ROOT, u"Lotus Notes");
        inbox = Insert(top, u"Inbox");
        sent = Insert(top, u"Sent");
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
        PumpMessages();
        parent.Take();
    }

    HTREEITEM Insert(HTREEITEM under, const char16_t* text) { return InsertTreeItem(tree, under, text); }

    UINT Check(HTREEITEM item) { return automation::TreeItemStateImage(tree, item); }

    void SetCheck(HTREEITEM item, UINT index)
    {
        SetTreeItemState(tree, item, INDEXTOSTATEIMAGEMASK(index), TVIS_STATEIMAGEMASK);
    }

    void Click(HTREEITEM item, UINT part)
    {
        ASSERT_TRUE(automation::ClickTreeItem(tree, item, part));
        PumpMessages();
    }

    HTREEITEM Caret()
    {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    }

    // The notices of one kind, in order.
    std::vector<Notice> Only(UINT code)
    {
        std::vector<Notice> out;
        for (const auto& n : parent.Take())
            if (n.code == code)
                out.push_back(n);
        return out;
    }

    NotifyParent parent;
    HWND tree = nullptr;
    HTREEITEM top = nullptr, inbox = nullptr, sent = nullptr;
};

// A subclass that handles the press itself, as a check tree with its own
// rules does, and never lets the control see it.
WNDPROC g_treeProc = nullptr;
int g_subclassPresses = 0;

LRESULT OwnClickProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_LBUTTONDOWN)
        return CallWindowProcW(g_treeProc, hwnd, msg, wParam, lParam);
    ++g_subclassPresses;
    TVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    SendMessageW(hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.hItem && (hit.flags & TVHT_ONITEMSTATEICON)) {
        UINT now = automation::TreeItemStateImage(hwnd, hit.hItem);
        SetTreeItemState(hwnd, hit.hItem, INDEXTOSTATEIMAGEMASK(now == 2 ? 1 : 2), TVIS_STATEIMAGEMASK);
    }
    return 0;
}

} // namespace

TEST_F(TreeInputTest, AClickOnTheStateImageTogglesItAfterTellingTheParent)
{
    UINT checkDuringClick = 99;
    parent.answer = [&](NMHDR* header) -> LRESULT {
        if (header->code == NM_CLICK)
            checkDuringClick = Check(inbox);
        return 0;
    };
    Click(inbox, TVHT_ONITEMSTATEICON);
    EXPECT_EQ(checkDuringClick, 1u); // the parent hears of the click before the toggle
    EXPECT_EQ(Check(inbox), 2u);
    EXPECT_EQ(GetFocus(), tree);
    Click(inbox, TVHT_ONITEMSTATEICON);
    EXPECT_EQ(Check(inbox), 1u);
    // The check box does not move the caret; the label does, by mouse.
    EXPECT_EQ(Caret(), nullptr);
    parent.Take();
    Click(sent, TVHT_ONITEMLABEL);
    auto changed = Only(TVN_SELCHANGEDW);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].newItem, sent);
    EXPECT_EQ(changed[0].action, TVC_BYMOUSE);
    EXPECT_EQ(Check(sent), 1u);
}

TEST_F(TreeInputTest, AParentThatAnswersTheClickKeepsTheControlFromItsDefault)
{
    parent.answer = [](NMHDR* header) -> LRESULT { return header->code == NM_CLICK; };
    Click(inbox, TVHT_ONITEMSTATEICON);
    Click(sent, TVHT_ONITEMLABEL);
    EXPECT_EQ(Check(inbox), 1u);
    EXPECT_EQ(Caret(), nullptr);
    EXPECT_EQ(Only(NM_CLICK).size(), 2u);
}

TEST_F(TreeInputTest, ASubclassThatTakesThePressGetsExactlyOneToggle)
{
    g_subclassPresses = 0;
    g_treeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnClickProc)));
    Click(inbox, TVHT_ONITEMSTATEICON);
    EXPECT_EQ(g_subclassPresses, 1);
    EXPECT_EQ(Check(inbox), 2u);
    // The release reaches the control without its press: no click, no toggle.
    EXPECT_TRUE(Only(NM_CLICK).empty());

    // A double click: the subclass toggles on the first press; the second
    // press arrives as a double click, which never checks.
    POINT box = automation::TreeItemPoint(tree, sent, TVHT_ONITEMSTATEICON);
    automation::DoubleClickAt(tree, box);
    PumpMessages();
    EXPECT_EQ(g_subclassPresses, 2);
    EXPECT_EQ(Check(sent), 2u);
    EXPECT_EQ(Only(NM_DBLCLK).size(), 1u);
    SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_treeProc));
}

TEST_F(TreeInputTest, SpaceTogglesTheCaretOnceWhetherOrNotTheParentDoesIt)
{
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(inbox));
    SetFocus(tree);
    parent.Take();
    automation::PressKey(tree, VK_SPACE);
    PumpMessages();
    EXPECT_EQ(Check(inbox), 2u);
    auto keys = Only(TVN_KEYDOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].key, VK_SPACE);

    // A parent that inverts the check itself on TVN_KEYDOWN (and answers 0)
    // has done the toggle; the control must not undo it.
    parent.answer = [&](NMHDR* header) -> LRESULT {
        if (header->code == TVN_KEYDOWN && reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey == VK_SPACE)
            SetCheck(Caret(), Check(Caret()) == 2 ? 1 : 2);
        return 0;
    };
    automation::PressKey(tree, VK_SPACE);
    PumpMessages();
    EXPECT_EQ(Check(inbox), 1u);
    automation::PressKey(tree, VK_SPACE);
    PumpMessages();
    EXPECT_EQ(Check(inbox), 2u);
    EXPECT_EQ(Check(sent), 1u);
}

TEST_F(TreeInputTest, KeysMoveTheCaretAndExpandAndCollapse)
{
    SetFocus(tree);
    auto press = [&](WPARAM key) {
        automation::PressKey(tree, key);
        PumpMessages();
    };
    press(VK_DOWN); // no caret yet: the first item
    EXPECT_EQ(Caret(), top);
    press(VK_DOWN);
    EXPECT_EQ(Caret(), inbox);
    auto changed = Only(TVN_SELCHANGEDW);
    ASSERT_FALSE(changed.empty());
    EXPECT_EQ(changed.back().action, TVC_BYKEYBOARD);
    press(VK_END);
    EXPECT_EQ(Caret(), sent);
    press(VK_LEFT); // a leaf: to its parent
    EXPECT_EQ(Caret(), top);
    press(VK_LEFT); // expanded: collapse, and the user's collapse is always told
    EXPECT_EQ(Only(TVN_ITEMEXPANDINGW).size(), 1u);
    press(VK_DOWN); // nothing below when collapsed
    EXPECT_EQ(Caret(), top);
    press(VK_ADD);
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED));
    press(VK_RIGHT); // expanded: to the first child
    EXPECT_EQ(Caret(), inbox);
    press(VK_HOME);
    press(VK_SUBTRACT);
    EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED));
    // No arrow key ever touched a check.
    EXPECT_EQ(Check(inbox), 1u);
    EXPECT_EQ(Check(top), 1u);
}

TEST_F(TreeInputTest, ButtonsAndDoubleClicksExpandAndTheUserIsAlwaysHeard)
{
    Click(top, TVHT_ONITEMBUTTON);
    EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED));
    Click(top, TVHT_ONITEMBUTTON);
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED));
    // Both clicks notified, although the item was expanded once before.
    EXPECT_EQ(Only(TVN_ITEMEXPANDEDW).size(), 2u);

    automation::DoubleClickAt(tree, automation::TreeItemPoint(tree, top, TVHT_ONITEMLABEL));
    PumpMessages();
    EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED));
    EXPECT_EQ(Check(top), 1u);

    // A parent that answers NM_DBLCLK keeps the expansion as it is.
    parent.answer = [](NMHDR* header) -> LRESULT { return header->code == NM_DBLCLK; };
    automation::DoubleClickAt(tree, automation::TreeItemPoint(tree, top, TVHT_ONITEMLABEL));
    PumpMessages();
    EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED));
}

TEST_F(TreeInputTest, ARightClickTellsTheParent)
{
    automation::RightClickAt(tree, automation::TreeItemPoint(tree, inbox, TVHT_ONITEMLABEL));
    PumpMessages();
    EXPECT_EQ(Only(NM_RCLICK).size(), 1u);
    EXPECT_EQ(Caret(), nullptr);
}

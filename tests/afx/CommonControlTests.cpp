// The common-control wrappers on real controls: a check tree bound to a
// dialog whose own click rule replaces the control's, image lists and tooltips.
#include "AfxTestSupport.h"

#include "user/ControlAutomation.h"
#include "user/Icons.h"

#include <atomic>

using namespace afxtest;

namespace {

// A tree that takes its clicks itself: a click on a check box ticks or
// unticks the item; anywhere else on the row it expands or collapses it.
class CCheckTree : public CTreeCtrl {
public:
    std::atomic<int> clicks{0};

protected:
    afx_msg void OnLButtonDown(UINT, CPoint point)
    {
        ++clicks;
        UINT flags = 0;
        HTREEITEM item = HitTest(point, &flags);
        if (!item)
            return;
        SelectItem(item);
        if (flags & TVHT_ONITEMSTATEICON)
            SetCheck(item, !GetCheck(item));
        else
            Expand(item, TVE_TOGGLE);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCheckTree, CTreeCtrl)
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class CFoldersDlg : public CDialog {
public:
    CFoldersDlg()
        : CDialog(kTreeDialog)
    {
    }
    CCheckTree m_tree;
    CImageList m_images;
    HTREEITEM top = nullptr;
    HTREEITEM inbox = nullptr;
    HTREEITEM projects = nullptr;
    std::atomic<UINT> keyDown{0};

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 1023, m_tree); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_images.Create(16, 16, ILC_COLOR8, 0, 0);
        m_images.Add(::LoadIconW(nullptr, IDI_APPLICATION));
        m_tree.SetImageList(&m_images, TVSIL_NORMAL);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
        insert.item.pszText = const_cast<LPWSTR>(u"Lotus Notes");
        insert.item.cChildren = 1; // a button before any child exists
        top = m_tree.InsertItem(&insert);
        inbox = m_tree.InsertItem(u"Inbox", 0, 0, top);
        projects = m_tree.InsertItem(u"Projects", top);
        m_tree.InsertItem(u"2005", projects);
        m_tree.SetItemData(projects, 2005);
        m_tree.Expand(top, TVE_EXPAND);
        return TRUE;
    }
    afx_msg void OnTreeKeyDown(NMHDR* header, LRESULT* result)
    {
        keyDown = reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey;
        *result = 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFoldersDlg, CDialog)
ON_NOTIFY(TVN_KEYDOWN, 1023, &CFoldersDlg::OnTreeKeyDown)
END_MESSAGE_MAP()

class TreeDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        run = std::make_unique<ModalRun>(dialog);
        window = automation::WaitForWindow(u"Folders");
        ASSERT_NE(window, nullptr);
        tree = ::GetDlgItem(window, 1023);
    }
    void TearDown() override
    {
        automation::Click(::GetDlgItem(window, IDOK));
        EXPECT_EQ(run->Result(), IDOK);
    }

    CFoldersDlg dialog;
    std::unique_ptr<ModalRun> run;
    HWND window = nullptr;
    HWND tree = nullptr;
};

TEST_F(TreeDialog, TheWrappersBuildAndReadTheTree)
{
    CTreeCtrl& folders = dialog.m_tree;
    EXPECT_EQ(folders.GetRootItem(), dialog.top);
    EXPECT_EQ(folders.GetChildItem(dialog.top), dialog.inbox);
    EXPECT_EQ(folders.GetNextSiblingItem(dialog.inbox), dialog.projects);
    EXPECT_EQ(folders.GetPrevSiblingItem(dialog.projects), dialog.inbox);
    EXPECT_EQ(folders.GetNextSiblingItem(dialog.projects), nullptr);
    EXPECT_EQ(folders.GetParentItem(dialog.inbox), dialog.top);
    EXPECT_EQ(folders.GetItemText(dialog.top), u"Lotus Notes");
    EXPECT_EQ(folders.GetItemData(dialog.projects), 2005u);
    EXPECT_EQ(folders.GetCount(), 4u);
    EXPECT_TRUE(folders.ItemHasChildren(dialog.top));
    EXPECT_FALSE(folders.ItemHasChildren(dialog.inbox));
    EXPECT_EQ(folders.GetImageList(TVSIL_NORMAL)->GetSafeHandle(), dialog.m_images.GetSafeHandle());

    // Ticks are state image 2 and bold is an item state of its own.
    EXPECT_FALSE(folders.GetCheck(dialog.inbox));
    folders.SetCheck(dialog.inbox);
    folders.SetItemState(dialog.inbox, TVIS_BOLD, TVIS_BOLD);
    EXPECT_TRUE(folders.GetCheck(dialog.inbox));
    EXPECT_EQ(folders.GetItemState(dialog.inbox, TVIS_BOLD), TVIS_BOLD);
    EXPECT_EQ(automation::TreeItemStateImage(tree, dialog.inbox), 2u);
    EXPECT_TRUE(automation::IsTreeItemBold(tree, dialog.inbox));

    // A long text comes back whole.
    CString longText(u'n', 700);
    folders.SetItemText(dialog.projects, longText);
    EXPECT_EQ(folders.GetItemText(dialog.projects), longText);

    EXPECT_TRUE(folders.SelectItem(dialog.projects));
    EXPECT_EQ(folders.GetSelectedItem(), dialog.projects);
    folders.DeleteAllItems();
    EXPECT_EQ(folders.GetCount(), 0u);
    EXPECT_EQ(folders.GetRootItem(), nullptr);
}

TEST_F(TreeDialog, TheBoundTreeTakesItsClicksAndTheDialogItsKeys)
{
    ASSERT_TRUE(automation::ClickTreeItem(tree, dialog.projects, TVHT_ONITEMSTATEICON));
    ASSERT_TRUE(Eventually([&] { return automation::TreeItemStateImage(tree, dialog.projects) == 2; }));
    EXPECT_EQ(dialog.m_tree.GetSelectedItem(), dialog.projects);
    // A click on the label expands instead of ticking.
    ASSERT_TRUE(automation::ClickTreeItem(tree, dialog.projects, TVHT_ONITEMLABEL));
    ASSERT_TRUE(Eventually([&] {
        return (dialog.m_tree.GetItemState(dialog.projects, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }));
    EXPECT_EQ(automation::TreeItemStateImage(tree, dialog.projects), 2u);
    EXPECT_EQ(dialog.m_tree.clicks, 2);

    // The hit test of the wrapper names the parts of a row.
    UINT flags = 0;
    POINT label = automation::TreeItemPoint(tree, dialog.inbox, TVHT_ONITEMLABEL);
    EXPECT_EQ(dialog.m_tree.HitTest(CPoint(label), &flags), dialog.inbox);
    EXPECT_TRUE(flags & TVHT_ONITEMLABEL);

    automation::PressKey(tree, VK_SPACE);
    EXPECT_TRUE(Eventually([&] { return dialog.keyDown == VK_SPACE; }));
}

TEST(ImageLists, AListTakesIconsAndDrawsThemAndGoesWithItsObject)
{
    CImageList list;
    ASSERT_TRUE(list.Create(16, 16, ILC_COLOR8, 0, 0));
    HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    EXPECT_EQ(list.Add(icon), 0);
    EXPECT_EQ(list.Add(icon), 1);
    EXPECT_EQ(list.GetImageCount(), 2);
    EXPECT_EQ(CImageList::FromHandle(list.GetSafeHandle())->GetImageCount(), 2);

    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(16, 16, 1, 32, nullptr));
    CBitmap* previous = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, 16, 16, RGB(1, 2, 3));
    EXPECT_TRUE(list.Draw(&dc, 0, CPoint(0, 0), ILD_NORMAL));
    int changed = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            changed += dc.GetPixel(x, y) != RGB(1, 2, 3);
    EXPECT_GT(changed, 0);
    dc.SelectObject(previous);

    HIMAGELIST kept = list.Detach();
    EXPECT_EQ(list.GetSafeHandle(), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(kept), 2);
    EXPECT_TRUE(ImageList_Destroy(kept));
}

TEST(ToolTips, ToolsAreWholeWindowsOrRectanglesWithTextsThatChange)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, TestWindowClass(), u"tools", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr));
    CButton button;
    ASSERT_TRUE(button.Create(u"Exit", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20), &parent, 1006));
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&button));

    EXPECT_TRUE(tip.AddTool(&button, u"Exit"));
    EXPECT_EQ(tip.GetToolCount(), 1);
    EXPECT_EQ(automation::FindToolTip(button.m_hWnd), tip.m_hWnd);
    tip.UpdateTipText(u"Leave", &button);
    CString text;
    tip.GetText(text, &button);
    EXPECT_EQ(text, u"Leave");
    EXPECT_EQ(automation::ToolTipText(tip.m_hWnd, button.m_hWnd), u"Leave");

    CRect client;
    button.GetClientRect(&client);
    EXPECT_TRUE(tip.AddTool(&button, u"Link", &client, 1));
    EXPECT_EQ(tip.GetToolCount(), 2);
    tip.GetText(text, &button, 1);
    EXPECT_EQ(text, u"Link");
    tip.DelTool(&button, 1);
    EXPECT_EQ(tip.GetToolCount(), 1);

    tip.SetMaxTipWidth(300);
    EXPECT_EQ(tip.SetMaxTipWidth(200), 300);
    tip.Activate(FALSE);
    EXPECT_FALSE(automation::IsToolTipShowing(tip.m_hWnd));
    parent.DestroyWindow();
    EXPECT_EQ(button.m_hWnd, nullptr);
    tip.DestroyWindow();
}

} // namespace

// The folder check tree in dialog 139 of the program's resources, run
// modally on a GUI thread of its own; the test builds the tree from its own
// thread, as the enumeration worker does, and clicks it as a user would.
#pragma once

#include "FolderTreeCtrl.h"
#include "testsupport/MachineFixture.h"
#include "afx/AfxWin.h"
#include "user/Automation.h"
#include "user/ControlAutomation.h"

#include <future>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace automation = user::automation;

// One character per item: 'T' ticked and bold, 'P' partial (unticked and
// bold), '.' neither, 't' ticked without bold, '?' no such item.
inline char MarkOf(HWND tree, HTREEITEM item)
{
    if (!item)
        return '?';
    const bool ticked = automation::TreeItemStateImage(tree, item) == 2;
    const bool bold = automation::IsTreeItemBold(tree, item);
    return ticked ? (bold ? 'T' : 't') : (bold ? 'P' : '.');
}

// Clicks the item's check box and waits until its own mark is the one
// expected; the click's whole rule has run by then.
inline void ClickTreeBox(HWND tree, HTREEITEM item, char expected)
{
    ASSERT_TRUE(automation::ClickTreeItem(tree, item, TVHT_ONITEMSTATEICON));
    ASSERT_TRUE(automation::WaitUntil([&] { return MarkOf(tree, item) == expected; }))
        << "mark " << MarkOf(tree, item);
}

inline bool IsTreeItemExpanded(HWND tree, HTREEITEM item)
{
    return ::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) != 0;
}

// Clicks the item's label, which expands or collapses it.
inline void ClickTreeLabel(HWND tree, HTREEITEM item)
{
    const bool before = IsTreeItemExpanded(tree, item);
    ASSERT_TRUE(automation::ClickTreeItem(tree, item, TVHT_ONITEMLABEL));
    ASSERT_TRUE(automation::WaitUntil([&] { return IsTreeItemExpanded(tree, item) != before; }));
}

class CTreeHostDlg : public CDialog {
public:
    CTreeHostDlg()
        : CDialog(139)
    {
    }
    CFolderTreeCtrl m_tree;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 1023, m_tree); }
};

// In a machine root of its own, so that a test may set the machine's code page.
class FolderTreeFixture : public testsupport::MachineFixture {
protected:
    void SetUp() override
    {
        MachineFixture::SetUp();
        m_run = std::async(std::launch::async, [this] { return m_dialog.DoModal(); });
        m_window = automation::WaitForWindowWithControl(1023);
        ASSERT_NE(m_window, nullptr);
        m_tree = ::GetDlgItem(m_window, 1023);
    }

    void TearDown() override
    {
        ::PostMessageW(m_window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(m_run.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        MachineFixture::TearDown();
    }

    HTREEITEM Item(const std::vector<std::u16string>& path) { return automation::FindTreeItem(m_tree, path); }

    // The marks of the items, in the order given.
    std::string Marks(const std::vector<HTREEITEM>& items)
    {
        std::string marks;
        for (HTREEITEM item : items)
            marks += MarkOf(m_tree, item);
        return marks;
    }

    void ClickBox(HTREEITEM item, char expected) { ClickTreeBox(m_tree, item, expected); }
    bool IsExpanded(HTREEITEM item) { return IsTreeItemExpanded(m_tree, item); }
    void ClickLabel(HTREEITEM item) { ClickTreeLabel(m_tree, item); }

    CTreeHostDlg m_dialog;
    std::future<INT_PTR> m_run;
    HWND m_window = nullptr;
    HWND m_tree = nullptr;
};

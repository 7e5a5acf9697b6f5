// The folder check tree: its three-way ticks under the mouse, the items that
// paths make, their icons, and the paths that items give back, up to the
// limits of the path buffers.
#include "FolderTreeFixture.h"
#include "testsupport/AnsiCodePage.h"
#include "win32/CodePage.h"

#include <cstring>

namespace {

class FolderTreeTest : public FolderTreeFixture {
protected:
    // Lotus Notes > Inbox, Projects > (2005, 2006); everything expanded.
    void BuildProjects()
    {
        m_dialog.m_tree.SetupImageList();
        m_dialog.m_tree.InsertPath("Lotus Notes\\Inbox\\");
        m_dialog.m_tree.InsertPath("Lotus Notes\\Projects\\2005\\");
        m_dialog.m_tree.InsertPath("Lotus Notes\\Projects\\2006\\");
        top = Item({u"Lotus Notes"});
        inbox = Item({u"Lotus Notes", u"Inbox"});
        projects = Item({u"Lotus Notes", u"Projects"});
        y2005 = Item({u"Lotus Notes", u"Projects", u"2005"});
        y2006 = Item({u"Lotus Notes", u"Projects", u"2006"});
        ASSERT_TRUE(top && inbox && projects && y2005 && y2006);
        ClickLabel(top);
        ClickLabel(projects);
    }

    std::string All() { return Marks({top, inbox, projects, y2005, y2006}); }

    HTREEITEM top = nullptr, inbox = nullptr, projects = nullptr, y2005 = nullptr, y2006 = nullptr;
};

TEST_F(FolderTreeTest, ABoxClickSetsTheSubtreeAndRecomputesEveryAncestor)
{
    BuildProjects();
    ASSERT_EQ(All(), ".....");

    // Each click and the marks of top, Inbox, Projects, 2005 and 2006 after it.
    const struct {
        HTREEITEM item;
        char own;
        const char* all;
        const char* why;
    } clicks[] = {
        {y2005, 'T', "P.PT.", "a leaf alone: its ancestors are partial"},
        {y2006, 'T', "P.TTT", "its last unticked sibling: the parent is ticked"},
        {inbox, 'T', "TTTTT", "the top's last unticked child: everything is ticked"},
        {y2005, '.', "PTP.T", "unticking a leaf unticks every ancestor, which stay bold"},
        {inbox, '.', "P.P.T", "only 2006 is left ticked below the top"},
        {top, 'T', "TTTTT", "the top ticks and bolds everything"},
        {top, '.', ".....", "and clears everything"},
        {projects, 'T', "P.TTT", "a middle item carries its subtree along"},
        {projects, '.', ".....", "both ways"},
    };
    for (const auto& click : clicks) {
        ClickBox(click.item, click.own);
        EXPECT_EQ(All(), click.all) << click.why;
    }
}

TEST_F(FolderTreeTest, ClicksOffTheBoxOnlyExpandOrCollapseAndSelect)
{
    BuildProjects();
    ClickBox(y2006, 'T');
    const std::string before = All();

    // Label and icon toggle the expansion and make the item the caret.
    ClickLabel(projects);
    EXPECT_FALSE(IsExpanded(projects));
    EXPECT_EQ(m_dialog.m_tree.GetSelectedItem(), projects);
    ASSERT_TRUE(automation::ClickTreeItem(m_tree, projects, TVHT_ONITEMICON));
    ASSERT_TRUE(automation::WaitUntil([&] { return IsExpanded(projects); }));
    EXPECT_EQ(All(), before);

    // Below the last row nothing happens: the next click acts as if it had
    // not been there.
    RECT client = {};
    ::GetClientRect(m_tree, &client);
    automation::ClickAt(m_tree, {client.right / 2, client.bottom - 3});
    ClickLabel(top);
    EXPECT_FALSE(IsExpanded(top));
    EXPECT_TRUE(IsExpanded(projects));
    EXPECT_EQ(All(), before);
}

TEST_F(FolderTreeTest, ANewUntickedLeafUnticksItsAncestorsButLeavesTheirBold)
{
    BuildProjects();
    ClickBox(top, 'T');
    m_dialog.m_tree.InsertPath("Lotus Notes\\Projects\\2007\\");
    HTREEITEM y2007 = Item({u"Lotus Notes", u"Projects", u"2007"});
    EXPECT_EQ(Marks({top, inbox, projects, y2005, y2006, y2007}), "PTPTT.");

    // A ticked leaf that gets a child of its own is left with no tick and,
    // with nothing ticked below it, no bold either.
    m_dialog.m_tree.InsertPath("Lotus Notes\\Inbox\\Old\\");
    EXPECT_EQ(Marks({top, inbox, Item({u"Lotus Notes", u"Inbox", u"Old"})}), "P..");

    // An existing chain is only updated: nothing new appears.
    const UINT count = m_dialog.m_tree.GetCount();
    m_dialog.m_tree.InsertPath("Lotus Notes\\Projects\\2005\\");
    EXPECT_EQ(m_dialog.m_tree.GetCount(), count);
}

TEST_F(FolderTreeTest, PathsMakeItemsOnceAndMatchTextsExactly)
{
    CFolderTreeCtrl& tree = m_dialog.m_tree;
    tree.InsertPath("Lotus Notes\\Inbox\\");
    tree.InsertPath("Lotus Notes\\Inbox\\");
    tree.InsertPath("Lotus Notes\\inbox\\");
    tree.InsertPath("Lotus Notes\\Projects\\2005\\ignored after the last backslash");
    tree.InsertPath("no backslash at all");
    tree.InsertPath("");

    EXPECT_EQ(automation::TreeChildTexts(m_tree, TVI_ROOT), (std::vector<std::u16string>{u"Lotus Notes"}));
    HTREEITEM top = Item({u"Lotus Notes"});
    EXPECT_EQ(automation::TreeChildTexts(m_tree, top),
              (std::vector<std::u16string>{u"Inbox", u"inbox", u"Projects"}));
    EXPECT_EQ(automation::TreeChildTexts(m_tree, Item({u"Lotus Notes", u"Projects"})),
              (std::vector<std::u16string>{u"2005"}));
    EXPECT_EQ(tree.GetCount(), 5u);

    // A top-level item shows its button before it has children; others not.
    HTREEITEM lone = tree.FindOrInsertChild("Archive", TVI_ROOT);
    EXPECT_TRUE(tree.ItemHasChildren(lone));
    EXPECT_FALSE(tree.ItemHasChildren(tree.FindOrInsertChild("Empty", top)));
    EXPECT_EQ(tree.FindOrInsertChild("Archive", nullptr), lone);
}

TEST_F(FolderTreeTest, TheIconsComeFromTheNameInAnyCaseAndTheListHoldsEight)
{
    CFolderTreeCtrl& tree = m_dialog.m_tree;
    tree.SetupImageList();
    CImageList* images = tree.GetImageList(TVSIL_NORMAL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->GetImageCount(), 8);

    tree.InsertPath("Lotus Notes\\inbox\\");
    const struct {
        const char* name;
        int image, selected;
    } wanted[] = {{"inbox", 0, 0},  {"Sent", 1, 1},   {"DRAFTS", 2, 2},        {"All", 3, 3},
                  {"Trash", 4, 4},  {"Work", 5, 6},   {"Lotus notes", 7, 7},   {"Inbox2", 5, 6}};
    HTREEITEM top = Item({u"Lotus Notes"});
    for (const auto& w : wanted) {
        HTREEITEM item = tree.FindOrInsertChild(w.name, top);
        int image = -1, selected = -1;
        TVITEMW info = {};
        info.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        info.hItem = item;
        ASSERT_TRUE(tree.GetItem(&info));
        image = info.iImage;
        selected = info.iSelectedImage;
        EXPECT_EQ(image, w.image) << w.name;
        EXPECT_EQ(selected, w.selected) << w.name;
    }
    TVITEMW info = {};
    info.mask = TVIF_HANDLE | TVIF_IMAGE;
    info.hItem = top;
    ASSERT_TRUE(tree.GetItem(&info));
    EXPECT_EQ(info.iImage, 7);

    // A second set-up replaces the list with a new one of the same icons.
    tree.SetupImageList();
    EXPECT_EQ(tree.GetImageList(TVSIL_NORMAL)->GetImageCount(), 8);
}

TEST_F(FolderTreeTest, AnItemsPathRunsFromTheTopWithABackslashAfterEachText)
{
    CFolderTreeCtrl& tree = m_dialog.m_tree;
    tree.InsertPath("Lotus Notes\\Projects\\2005\\");
    char path[CFolderTreeCtrl::kPathBufferBytes];
    tree.GetItemPath(Item({u"Lotus Notes", u"Projects", u"2005"}), path);
    EXPECT_STREQ(path, "Lotus Notes\\Projects\\2005\\");
    tree.GetItemPath(Item({u"Lotus Notes"}), path);
    EXPECT_STREQ(path, "Lotus Notes\\");
    tree.GetItemPath(TVI_ROOT, path);
    EXPECT_STREQ(path, "");

    // Texts outside ASCII go through the ANSI code page both ways.
    testsupport::UseAnsiCodePage(1252);
    tree.InsertPath("Lotus Notes\\R\xE9sum\xE9s\\");
    EXPECT_NE(Item({u"Lotus Notes", u"R\u00E9sum\u00E9s"}), nullptr);
    tree.GetItemPath(Item({u"Lotus Notes", u"R\u00E9sum\u00E9s"}), path);
    EXPECT_STREQ(path, "Lotus Notes\\R\xE9sum\xE9s\\");
}

TEST_F(FolderTreeTest, PathsBeyondTheLimitsAreLeftOutAndLongTextsAreCut)
{
    CFolderTreeCtrl& tree = m_dialog.m_tree;
    const std::string prefix = "Lotus Notes\\";
    // 199 bytes in all is the longest path, with components of 99 bytes.
    const std::string a99(99, 'a'), b86(86, 'b');
    const std::string longest = prefix + a99 + "\\" + b86 + "\\";
    ASSERT_EQ(longest.size(), 199u);
    EXPECT_TRUE(tree.InsertPath(longest.c_str()));
    EXPECT_NE(Item({u"Lotus Notes", std::u16string(99, u'a'), std::u16string(86, u'b')}), nullptr);
    const UINT count = tree.GetCount();
    // One byte more, or a component of 100 bytes, and nothing is made: a
    // shortened path would stand for another folder.
    EXPECT_FALSE(tree.InsertPath((prefix + a99 + "\\" + std::string(87, 'c') + "\\").c_str()));
    EXPECT_FALSE(tree.InsertPath((prefix + std::string(100, 'd') + "\\").c_str()));
    EXPECT_EQ(tree.GetCount(), count);

    // A text of 254 bytes (a database path shown whole) is cut to 199
    // characters, and its path to 199 bytes, with the buffer terminated and
    // nothing written beyond it.
    HTREEITEM top = Item({u"Lotus Notes"});
    HTREEITEM wide = tree.FindOrInsertChild(std::string(254, 'n').c_str(), top);
    EXPECT_EQ(tree.GetItemText(wide), CString(std::u16string(199, u'n')));
    char guarded[CFolderTreeCtrl::kPathBufferBytes + 16];
    std::memset(guarded, 'Z', sizeof guarded);
    tree.GetItemPath(wide, guarded);
    EXPECT_EQ(std::string(guarded), prefix + std::string(199 - prefix.size(), 'n'));
    for (std::size_t i = CFolderTreeCtrl::kPathBufferBytes; i < sizeof guarded; ++i)
        EXPECT_EQ(guarded[i], 'Z') << i;
}

TEST_F(FolderTreeTest, UnderUtf8TheLimitsCountBytesAndNoCutSplitsACharacter)
{
    testsupport::UseAnsiCodePage(65001);
    CFolderTreeCtrl& tree = m_dialog.m_tree;
    const std::string prefix = "Lotus Notes\\";
    // A component of 33 three-byte characters is 99 bytes: at the limit, kept.
    std::string cjk99;
    for (int i = 0; i < 33; ++i)
        cjk99 += "会";
    ASSERT_EQ(cjk99.size(), 99u);
    tree.InsertPath((prefix + cjk99 + "\\").c_str());
    const std::u16string wide99(33, u'\u4F1A');
    HTREEITEM item = Item({u"Lotus Notes", wide99});
    ASSERT_NE(item, nullptr);
    char path[CFolderTreeCtrl::kPathBufferBytes];
    tree.GetItemPath(item, path);
    EXPECT_EQ(std::string(path), prefix + cjk99 + "\\");
    // One more character is 102 bytes: the path is left out whole.
    const UINT count = tree.GetCount();
    EXPECT_FALSE(tree.InsertPath((prefix + cjk99 + "会\\").c_str()));
    EXPECT_EQ(tree.GetCount(), count);

    // A text whose path runs past 199 bytes inside a character is cut
    // before that character, never through it.
    std::string greek;
    for (int i = 0; i < 120; ++i)
        greek += "Σ"; // two bytes each
    HTREEITEM top = Item({u"Lotus Notes"});
    HTREEITEM longItem = tree.FindOrInsertChild(greek.c_str(), top);
    tree.GetItemPath(longItem, path);
    const std::string cut(path);
    EXPECT_EQ(cut.size(), 198u) << "12 bytes of prefix and 93 whole characters";
    EXPECT_EQ(AnsiToWide(cut), u"Lotus Notes\\" + std::u16string(93, u'\u03A3'));

    // An emoji past the 199th character of a text is not split in two.
    std::string emoji = std::string(198, 'e') + "🎉";
    HTREEITEM emojiItem = tree.FindOrInsertChild(emoji.c_str(), top);
    EXPECT_EQ(tree.GetItemText(emojiItem), CString(std::u16string(198, u'e')));
}

TEST_F(FolderTreeTest, CountCheckedCountsOnlyTheHighestTickedItems)
{
    BuildProjects();
    EXPECT_EQ(m_dialog.m_tree.CountChecked(), 0);
    ClickBox(y2005, 'T');
    ClickBox(inbox, 'T');
    EXPECT_EQ(m_dialog.m_tree.CountChecked(), 2);
    // Projects is ticked now, and with it the top, which counts alone.
    ClickBox(y2006, 'T');
    EXPECT_EQ(m_dialog.m_tree.CountChecked(), 1);
    ClickBox(inbox, '.');
    EXPECT_EQ(m_dialog.m_tree.CountChecked(), 1); // Projects
    EXPECT_TRUE(m_dialog.m_tree.NoChildChecked(inbox));
    EXPECT_FALSE(m_dialog.m_tree.NoChildChecked(projects));
}

} // namespace

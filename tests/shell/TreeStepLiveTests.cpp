// Step 3 while its worker fills the tree and the user ticks at the same
// time, and the tree as it shows on the screen.
#include "TreeStepFixture.h"

#include "gdi/PngFile.h"

#include <cstring>

namespace {

class TreeStepLiveTest : public TreeStepFixture {
protected:
    HTREEITEM Next(HTREEITEM item, UINT relation) const
    {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }

    // The tick rule's invariant below item: an item with children is ticked
    // exactly when all of them are, and every item is bold exactly when it
    // or something below it is ticked. Returns the item's own bold mark.
    bool ExpectConsistent(HTREEITEM item)
    {
        const char mark = MarkOf(m_tree, item);
        bool anyChild = false, allTicked = true, boldChild = false;
        for (HTREEITEM child = Next(item, TVGN_CHILD); child; child = Next(child, TVGN_NEXT)) {
            anyChild = true;
            boldChild = ExpectConsistent(child) || boldChild;
            allTicked = allTicked && MarkOf(m_tree, child) == 'T';
        }
        const bool ticked = mark == 'T' || mark == 't';
        const bool bold = mark == 'T' || mark == 'P';
        const std::u16string text = automation::TreeItemText(m_tree, item);
        if (anyChild) {
            EXPECT_EQ(ticked, allTicked) << Utf16ToUtf8(text);
        }
        EXPECT_EQ(bold, ticked || boldChild) << Utf16ToUtf8(text);
        return bold;
    }
};

std::string Group(int g)
{
    return std::string("Group") + static_cast<char>('0' + g / 10) + static_cast<char>('0' + g % 10);
}

TEST_F(TreeStepLiveTest, TicksMadeWhileTheWorkerInsertsKeepTheTreeConsistent)
{
    constexpr int kGroups = 40, kFolders = 8;
    std::string description;
    for (int g = 0; g < kGroups; ++g) {
        for (int f = 0; f < kFolders; ++f)
            description += "folder " + Group(g) + "\\F" + std::to_string(f) + "\n";
    }
    Build(kMailNsf, description);
    ASSERT_NE(Open(1, kMailNsf), nullptr);

    // The top item comes with the first folder; it is clicked while the
    // worker goes on inserting (or just after, on a fast machine: the
    // assertions hold either way).
    HTREEITEM top = nullptr;
    ASSERT_TRUE(automation::WaitUntil([&] { return (top = Item({u"Lotus Notes"})) != nullptr; }));
    for (int click = 0; click < 3; ++click)
        ASSERT_TRUE(automation::ClickTreeItem(m_tree, top, TVHT_ONITEMSTATEICON));
    ASSERT_TRUE(WaitForFolders());

    std::vector<std::u16string> groups;
    for (int g = 0; g < kGroups; ++g)
        groups.push_back(Utf8ToUtf16(Group(g)));
    EXPECT_EQ(automation::TreeChildTexts(m_tree, top), groups);
    EXPECT_EQ(automation::TreeChildTexts(m_tree, Item({u"Lotus Notes", u"Group39"})),
              (std::vector<std::u16string>{u"F0", u"F1", u"F2", u"F3", u"F4", u"F5", u"F6", u"F7"}));
    ExpectConsistent(top);

    if (MarkOf(m_tree, top) != 'T')
        ClickBox(top, 'T');
    automation::Click(Control(IDOK));
    ASSERT_NE(WaitForStep4(), nullptr);
    EXPECT_EQ(g_nSelFolderCount, kGroups * (kFolders + 1));
    auto folders = SelectedFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders[0], u"Lotus Notes\\Group00\\");
    EXPECT_EQ(folders[1], u"Lotus Notes\\Group00\\F0\\");
    EXPECT_EQ(folders.back(), u"Lotus Notes\\Group39\\F7\\");
}

TEST_F(TreeStepLiveTest, TheScreenShowsTheTicksAndTheBoldLabels)
{
    Build(kMailNsf, "folder A\\Reports\nfolder B\\Reports\n");
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    HTREEITEM top = Item({u"Lotus Notes"});
    Expand(top);
    Expand(Item({u"Lotus Notes", u"A"}));
    Expand(Item({u"Lotus Notes", u"B"}));
    HTREEITEM ticked = Item({u"Lotus Notes", u"A", u"Reports"});
    HTREEITEM plain = Item({u"Lotus Notes", u"B", u"Reports"});
    ClickBox(ticked, 'T');
    // The caret leaves the ticked item, whose label would show highlighted.
    automation::PressKey(m_tree, VK_UP);
    automation::PressKey(m_tree, VK_UP);
    ASSERT_TRUE(automation::WaitUntil([&] { return Next(nullptr, TVGN_CARET) == top; }));

    const auto file = m_root / "step3-tree.png";
    ASSERT_TRUE(automation::Screenshot(m_tree, file));
    auto shot = gdi::ReadPng(file);
    ASSERT_TRUE(shot);
    // The picture holds the whole window; items are in client coordinates.
    POINT origin = {0, 0};
    ::ClientToScreen(m_tree, &origin);
    const RECT window = automation::PositionOf(m_tree);
    const COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT);
    auto inkIn = [&](RECT area) {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                n += gdi::ColorFromPixel(shot->At(x + origin.x - window.left, y + origin.y - window.top) & 0xFFFFFF)
                    == ink;
        return n;
    };
    auto box = [&](HTREEITEM item) {
        POINT centre = automation::TreeItemPoint(m_tree, item, TVHT_ONITEMSTATEICON);
        return RECT{centre.x - 4, centre.y - 4, centre.x + 4, centre.y + 4};
    };
    auto label = [&](HTREEITEM item) {
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof item);
        ::SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        return rect;
    };

    EXPECT_GT(inkIn(box(ticked)), 4) << "a tick in the box";
    EXPECT_EQ(inkIn(box(plain)), 0);
    EXPECT_GT(inkIn(box(Item({u"Lotus Notes", u"A"}))), 4) << "its parent is ticked with it";
    EXPECT_EQ(inkIn(box(top)), 0) << "the partial top has no tick";
    const RECT bold = label(ticked), thin = label(plain);
    EXPECT_GT(bold.right - bold.left, thin.right - thin.left);
    EXPECT_GT(inkIn(bold), inkIn(thin));
}

} // namespace

TEST_F(TreeStepLiveTest, FolderNamesInChineseAndEmojiShowTheirGlyphsNotBoxes)
{
    // U+10FFFD is a character no font has: its folder shows the boxes that
    // the other names would show without the linked fonts.
    Build(kMailNsf, "folder 中文\nfolder 😀🎉\nfolder \U0010FFFD\U0010FFFD\n");
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    Expand(Item({u"Lotus Notes"}));
    HTREEITEM chinese = Item({u"Lotus Notes", u"中文"});
    HTREEITEM emoji = Item({u"Lotus Notes", u"😀🎉"});
    HTREEITEM boxes = Item({u"Lotus Notes", u"\U0010FFFD\U0010FFFD"});
    ASSERT_TRUE(chinese && emoji && boxes);
    automation::PressKey(m_tree, VK_HOME); // the caret's highlight stays off the three labels

    const auto file = m_root / "step3-scripts.png";
    ASSERT_TRUE(automation::Screenshot(m_tree, file));
    auto shot = gdi::ReadPng(file);
    ASSERT_TRUE(shot);
    POINT origin = {0, 0};
    ::ClientToScreen(m_tree, &origin);
    const RECT window = automation::PositionOf(m_tree);
    // The label's pixels, from its left edge, as wide as the box label.
    auto pixels = [&](HTREEITEM item, int width) {
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof item);
        ::SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        std::vector<std::uint32_t> out;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.left + width; ++x)
                out.push_back(shot->At(x + origin.x - window.left, y + origin.y - window.top) & 0xFFFFFF);
        return out;
    };
    RECT boxRect = {};
    std::memcpy(&boxRect, &boxes, sizeof boxes);
    ::SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&boxRect));
    const int width = boxRect.right - boxRect.left;
    const auto boxPixels = pixels(boxes, width);
    EXPECT_NE(pixels(chinese, width), boxPixels);
    EXPECT_NE(pixels(emoji, width), boxPixels);
}

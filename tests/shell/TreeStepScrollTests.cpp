// Step 3's tree with more folders than fit: its scroll bar shows, and the
// thumb, the arrows, the page areas and the wheel bring the last folder into
// view, as the screen shows it.
#include "TreeStepFixture.h"

#include "gdi/PngFile.h"
#include "user/ScrollBar.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kFolders = 200;

std::u16string FolderName(int i)
{
    char name[8];
    std::snprintf(name, sizeof name, "F%03d", i);
    return Utf8ToUtf16(name);
}

class TreeStepScrollTest : public TreeStepFixture {
protected:
    void SetUp() override
    {
        TreeStepFixture::SetUp();
        std::string description;
        for (int i = 0; i < kFolders; ++i)
            description += "folder " + Utf16ToUtf8(FolderName(i)) + "\n";
        Build(kMailNsf, description);
        ASSERT_NE(Open(1, kMailNsf), nullptr);
        ASSERT_TRUE(WaitForFolders());
        m_top = Item({u"Lotus Notes"});
        ASSERT_NE(m_top, nullptr);
        Expand(m_top);
        ASSERT_TRUE(automation::WaitUntil([&] { return Info().nMax >= kFolders; }));
    }

    SCROLLINFO Info() const
    {
        SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        ::GetScrollInfo(m_tree, SB_VERT, &info);
        return info;
    }

    // The shown row at the top: 0 for the top item, i + 1 for folder i.
    int FirstShown() const
    {
        auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
        const std::u16string text = automation::TreeItemText(m_tree, item);
        return text.size() == 4 && text[0] == u'F' ? std::stoi(Utf16ToUtf8(text.substr(1))) + 1 : 0;
    }
    bool WaitForFirstShown(int row) const
    {
        return automation::WaitUntil([&] { return FirstShown() == row && Info().nPos == row; });
    }

    RECT Client() const
    {
        RECT client;
        ::GetClientRect(m_tree, &client);
        return client;
    }
    // A point on the bar, right of the client area, in client coordinates.
    POINT OnBar(int y) const { return {Client().right + ::GetSystemMetrics(SM_CXVSCROLL) / 2, y}; }
    // Where the thumb's middle is for the bar's values as they stand.
    int ThumbMiddle() const
    {
        const SCROLLINFO info = Info();
        const int arrow = ::GetSystemMetrics(SM_CYVSCROLL);
        const int track = Client().bottom - 2 * arrow;
        const int length = std::max(track * static_cast<int>(info.nPage) / (info.nMax - info.nMin + 1), 8);
        const int last = info.nMax - static_cast<int>(info.nPage) + 1;
        return arrow + (track - length) * info.nPos / last + length / 2;
    }

    std::shared_ptr<gdi::Surface> Shot(const char* name)
    {
        const auto file = m_root / name;
        if (!automation::Screenshot(m_tree, file))
            return nullptr;
        return gdi::ReadPng(file);
    }
    // Pixels of the colour in a part of the window given in client coordinates.
    int Count(const gdi::Surface& shot, RECT area, COLORREF color) const
    {
        POINT origin = {0, 0};
        ::ClientToScreen(m_tree, &origin);
        const RECT window = automation::PositionOf(m_tree);
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                n += gdi::ColorFromPixel(shot.At(x + origin.x - window.left, y + origin.y - window.top) & 0xFFFFFF)
                    == color;
        return n;
    }
    RECT BarPart(int top, int bottom) const
    {
        const int left = Client().right;
        return {left, top, left + ::GetSystemMetrics(SM_CXVSCROLL), bottom};
    }

    HTREEITEM m_top = nullptr;
};

TEST_F(TreeStepScrollTest, TheBarShowsAndTheArrowsPagesWheelAndThumbReachTheLastFolder)
{
    const int rows = static_cast<int>(::SendMessageW(m_tree, TVM_GETVISIBLECOUNT, 0, 0));
    ASSERT_GT(rows, 2);
    ASSERT_LT(rows, kFolders);
    EXPECT_NE(::GetWindowLongPtrW(m_tree, GWL_STYLE) & WS_VSCROLL, 0);
    SCROLLINFO info = Info();
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, kFolders) << "the top item and its folders";
    EXPECT_EQ(static_cast<int>(info.nPage), rows);
    const int last = kFolders + 1 - rows;
    const int arrow = ::GetSystemMetrics(SM_CYVSCROLL);
    const RECT client = Client();

    // The classic bar as the screen shows it: dark arrow glyphs on faces,
    // the thumb at the top, the light checker of the track below it.
    auto shot = Shot("bar-top.png");
    ASSERT_TRUE(shot);
    const COLORREF glyph = ::GetSysColor(COLOR_BTNTEXT);
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    const COLORREF light = ::GetSysColor(COLOR_3DHILIGHT);
    EXPECT_GT(Count(*shot, BarPart(0, arrow), glyph), 4) << "the up arrow";
    EXPECT_GT(Count(*shot, BarPart(client.bottom - arrow, client.bottom), glyph), 4) << "the down arrow";
    EXPECT_GT(Count(*shot, BarPart(arrow + 2, arrow + 6), face), 10) << "the thumb at the top";
    EXPECT_GT(Count(*shot, BarPart(client.bottom - arrow - 20, client.bottom - arrow), light), 40) << "the track";

    // The arrows move a row.
    automation::ClickAt(m_tree, OnBar(client.bottom - arrow / 2));
    ASSERT_TRUE(WaitForFirstShown(1));
    automation::ClickAt(m_tree, OnBar(client.bottom - arrow / 2));
    ASSERT_TRUE(WaitForFirstShown(2));
    automation::ClickAt(m_tree, OnBar(arrow / 2));
    ASSERT_TRUE(WaitForFirstShown(1));

    // A click below the thumb moves a page.
    automation::ClickAt(m_tree, OnBar(client.bottom - arrow - 2));
    ASSERT_TRUE(automation::WaitUntil([&] { return FirstShown() > 1; }));
    const int paged = FirstShown();
    EXPECT_GE(paged, rows - 1);

    // The wheel, towards the user, moves three rows a notch.
    automation::TurnWheel(m_tree, {client.right / 2, client.bottom / 2}, -2);
    ASSERT_TRUE(WaitForFirstShown(paged + 6));
    automation::TurnWheel(m_tree, {client.right / 2, client.bottom / 2}, 1);
    ASSERT_TRUE(WaitForFirstShown(paged + 3));

    // The thumb dragged down to the end shows the last folder, whole.
    const int middle = ThumbMiddle();
    automation::PressMouseAt(m_tree, OnBar(middle));
    automation::MoveMouseTo(m_tree, OnBar(middle + 10));
    ASSERT_TRUE(automation::WaitUntil([&] { return FirstShown() > paged + 3; })) << "it scrolls while it moves";
    automation::MoveMouseTo(m_tree, OnBar(client.bottom - 1));
    automation::ReleaseMouseAt(m_tree, OnBar(client.bottom - 1));
    ASSERT_TRUE(WaitForFirstShown(last));
    HTREEITEM lastItem = Item({u"Lotus Notes", FolderName(kFolders - 1)});
    ASSERT_NE(lastItem, nullptr);
    RECT rect = {};
    std::memcpy(&rect, &lastItem, sizeof lastItem);
    ASSERT_TRUE(::SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    EXPECT_LE(rect.bottom, client.bottom);
    EXPECT_GE(rect.top, 0);

    // Nothing lies beyond: the wheel and the arrow stay at the end.
    automation::TurnWheel(m_tree, {client.right / 2, client.bottom / 2}, -1);
    automation::ClickAt(m_tree, OnBar(client.bottom - arrow / 2));
    // The next input waits until the step's thread has taken all before it.
    automation::MoveMouseTo(m_tree, {client.right / 2, client.bottom / 2});
    EXPECT_EQ(FirstShown(), last);

    auto bottom = Shot("bar-bottom.png");
    ASSERT_TRUE(bottom);
    EXPECT_GT(Count(*bottom, BarPart(client.bottom - arrow - 6, client.bottom - arrow - 2), face), 10)
        << "the thumb at the bottom";
    EXPECT_GT(Count(*bottom, BarPart(arrow, arrow + 20), light), 40) << "the track above it";
    const int area = (rect.right - rect.left) * (rect.bottom - rect.top);
    EXPECT_LT(Count(*bottom, rect, ::GetSysColor(COLOR_WINDOW)), area - 20) << "the last folder's label is drawn";
}

TEST_F(TreeStepScrollTest, TheBarGoesWhenTheFoldersFitAgain)
{
    EXPECT_NE(::GetWindowLongPtrW(m_tree, GWL_STYLE) & WS_VSCROLL, 0);
    Expand(m_top); // collapses the top item: one row left
    EXPECT_TRUE(automation::WaitUntil([&] { return (::GetWindowLongPtrW(m_tree, GWL_STYLE) & WS_VSCROLL) == 0; }));
    EXPECT_EQ(FirstShown(), 0);
}

} // namespace

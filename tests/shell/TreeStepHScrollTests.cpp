// Step 3's tree with a deep path of long folder names, the last wider than
// the tree: the horizontal scroll bar shows, the caret brings the deepest
// folder into view, and the arrows, the page area, the thumb and Ctrl with
// the arrow keys scroll it, as the screen shows it, to the end of its name.
#include "TreeStepFixture.h"

#include "gdi/PngFile.h"
#include "user/Input.h"
#include "user/ScrollBar.h"

#include <cstring>

namespace {

constexpr int kLevels = 6;

// A deep path within the tree's 199-byte paths and 99-byte names in UTF-8
// (so at most 33 characters of Japanese a name), whose last folder is wider
// than the tree.
std::u16string LevelName(int level)
{
    static const char16_t* const names[kLevels] = {
        u"Archive", u"長い名前のフォルダー", u"Taxes", u"2024", u"Household",
        u"Letters to and from the Regional Tax Office about the Yearly Assessment of the Family House (2024)"};
    return names[level];
}

class TreeStepHScrollTest : public TreeStepFixture {
protected:
    void SetUp() override
    {
        TreeStepFixture::SetUp();
        std::string path;
        for (int level = 0; level < kLevels; ++level)
            path += (level ? "\\\\" : "") + Utf16ToUtf8(LevelName(level));
        Build(kMailNsf, "folder \"" + path + "\"\n"); // quoted: the names hold spaces
        ASSERT_NE(Open(1, kMailNsf), nullptr);
        ASSERT_TRUE(WaitForFolders());
        std::vector<std::u16string> at = {u"Lotus Notes"};
        for (int level = 0; level <= kLevels; ++level) {
            HTREEITEM item = Item(at);
            ASSERT_NE(item, nullptr);
            if (level < kLevels) {
                Expand(item);
                at.push_back(LevelName(level));
                ASSERT_TRUE(automation::WaitUntil([&] { return Item(at) != nullptr && Shown(Item(at)); }));
            } else {
                m_deepest = item;
            }
        }
    }

    bool Shown(HTREEITEM item) const
    {
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof item);
        return ::SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    RECT Label(HTREEITEM item) const
    {
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof item);
        ::SendMessageW(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    SCROLLINFO Info() const
    {
        SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        ::GetScrollInfo(m_tree, SB_HORZ, &info);
        return info;
    }
    int Pos() const { return Info().nPos; }
    int Last() const { return Info().nMax + 1 - static_cast<int>(Info().nPage); }
    bool WaitForPos(int pos) const { return automation::WaitUntil([&] { return Pos() == pos; }); }
    RECT Client() const
    {
        RECT client;
        ::GetClientRect(m_tree, &client);
        return client;
    }
    // A point on the horizontal bar, below the client area, in client coordinates.
    POINT OnBar(int x) const { return {x, Client().bottom + ::GetSystemMetrics(SM_CYHSCROLL) / 2}; }
    int ThumbMiddle() const
    {
        const SCROLLINFO info = Info();
        const int arrow = ::GetSystemMetrics(SM_CXHSCROLL);
        const int track = Client().right - 2 * arrow;
        const int length = std::max(track * static_cast<int>(info.nPage) / (info.nMax - info.nMin + 1), 8);
        return arrow + (track - length) * info.nPos / Last() + length / 2;
    }
    void CtrlKey(UINT key)
    {
        HWND to = user::input::KeyTarget(m_tree);
        user::input::Key(VK_CONTROL, true, to);
        user::input::Key(key, true, to);
        user::input::Key(key, false, to);
        user::input::Key(VK_CONTROL, false, to);
    }

    std::shared_ptr<gdi::Surface> Shot(const char* name)
    {
        automation::WaitForPaint();
        const auto file = m_root / name;
        if (!automation::Screenshot(m_tree, file))
            return nullptr;
        return gdi::ReadPng(file);
    }
    COLORREF At(const gdi::Surface& shot, int x, int y) const
    {
        POINT origin = {0, 0};
        ::ClientToScreen(m_tree, &origin);
        const RECT window = automation::PositionOf(m_tree);
        return gdi::ColorFromPixel(shot.At(x + origin.x - window.left, y + origin.y - window.top) & 0xFFFFFF);
    }
    int Count(const gdi::Surface& shot, RECT area, COLORREF color) const
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                n += At(shot, x, y) == color;
        return n;
    }
    std::vector<COLORREF> Pixels(const gdi::Surface& shot, RECT area) const
    {
        std::vector<COLORREF> out;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                out.push_back(At(shot, x, y));
        return out;
    }
    RECT BarPart(int left, int right) const
    {
        const int top = Client().bottom;
        return {left, top, right, top + ::GetSystemMetrics(SM_CYHSCROLL)};
    }

    HTREEITEM m_deepest = nullptr;
};

TEST_F(TreeStepHScrollTest, TheDeepestFolderIsReadToItsEndByTheBarTheThumbAndTheKeys)
{
    const RECT client = Client();
    ASSERT_NE(::GetWindowLongPtrW(m_tree, GWL_STYLE) & WS_HSCROLL, 0) << "the bar shows";
    const int arrow = ::GetSystemMetrics(SM_CXHSCROLL);

    // Home brings the start back; End puts the caret on the deepest folder
    // and scrolls just enough for the whole of its label.
    automation::PressKey(m_tree, VK_HOME);
    ASSERT_TRUE(WaitForPos(0));
    ASSERT_GT(Label(m_deepest).right, client.right) << "cut at the edge";
    automation::PressKey(m_tree, VK_END);
    ASSERT_TRUE(automation::WaitUntil([&] { return Pos() > 0; }));
    RECT label = Label(m_deepest);
    EXPECT_GE(label.left, 0);
    EXPECT_EQ(label.right, client.right);
    EXPECT_EQ(Pos(), Last()) << "the widest row is this one";
    const int atLabel = Pos();

    // The classic bar below the rows: glyphs on both arrows, the thumb's face.
    auto shot = Shot("hbar-label.png");
    ASSERT_TRUE(shot);
    const COLORREF glyph = ::GetSysColor(COLOR_BTNTEXT);
    EXPECT_GT(Count(*shot, BarPart(0, arrow), glyph), 4) << "the left arrow";
    EXPECT_GT(Count(*shot, BarPart(client.right - arrow, client.right), glyph), 4) << "the right arrow";
    const int middle = ThumbMiddle();
    EXPECT_GT(Count(*shot, BarPart(middle - 2, middle + 2), ::GetSysColor(COLOR_3DFACE)), 10) << "the thumb";

    // The left arrow moves a step, the track left of the thumb a page.
    automation::ClickAt(m_tree, OnBar(arrow / 2));
    ASSERT_TRUE(WaitForPos(atLabel - TreeViewIndent));
    automation::ClickAt(m_tree, OnBar(arrow + 2));
    ASSERT_TRUE(WaitForPos(std::max(0, atLabel - TreeViewIndent - client.right)));
    automation::ClickAt(m_tree, OnBar(arrow / 2));
    ASSERT_TRUE(WaitForPos(0));
    auto start = Shot("hbar-start.png");
    ASSERT_TRUE(start);

    // The thumb dragged to the right end shows the end of the deepest name.
    const int thumb = ThumbMiddle();
    automation::PressMouseAt(m_tree, OnBar(thumb));
    automation::MoveMouseTo(m_tree, OnBar(thumb + 10));
    ASSERT_TRUE(automation::WaitUntil([&] { return Pos() > 0; })) << "it scrolls while it moves";
    automation::MoveMouseTo(m_tree, OnBar(client.right - 1));
    automation::ReleaseMouseAt(m_tree, OnBar(client.right - 1));
    ASSERT_TRUE(WaitForPos(Last()));
    label = Label(m_deepest);
    EXPECT_EQ(label.right, client.right) << "the name's end at the right edge";
    auto end = Shot("hbar-end.png");
    ASSERT_TRUE(end);
    // The label's background just inside its end, and the glyphs before it.
    const COLORREF fill = At(*end, label.right - 1, label.top + 1);
    const RECT lastGlyphs = {label.right - 26, label.top, label.right - 2, label.bottom};
    const int area = (lastGlyphs.right - lastGlyphs.left) * (lastGlyphs.bottom - lastGlyphs.top);
    EXPECT_LT(Count(*end, lastGlyphs, fill), area - 10) << "the name's last characters are drawn";
    EXPECT_NE(Pixels(*end, lastGlyphs), Pixels(*start, lastGlyphs)) << "the text moved";
    EXPECT_GT(Count(*end, BarPart(client.right - arrow - 6, client.right - arrow - 2), ::GetSysColor(COLOR_3DFACE)),
              10)
        << "the thumb at the right end";

    // Ctrl with the arrows scrolls a step each way; the caret stays.
    CtrlKey(VK_LEFT);
    ASSERT_TRUE(WaitForPos(Last() - TreeViewIndent));
    CtrlKey(VK_RIGHT);
    ASSERT_TRUE(WaitForPos(Last()));
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0)), m_deepest);
}

} // namespace

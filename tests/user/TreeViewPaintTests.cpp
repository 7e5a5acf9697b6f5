// The tree view's picture at chosen points: check boxes, buttons, lines,
// the selection and bold labels.
#include "ControlTest.h"

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 240;
constexpr int kRows = 4;

class TreePaintTest : public GdiTest {
protected:
    void Make(DWORD styles)
    {
        tree = CreateWindowExW(0, WC_TREEVIEW, u"", WS_CHILD | WS_VISIBLE | styles, 0, 0, kWidth,
                               kRows * TreeViewItemHeight, parent.hwnd, reinterpret_cast<HMENU>(1023), nullptr,
                               nullptr);
        top = Insert(TVI_ROOT, u"Lotus Notes");
        first = Insert(top, u"Inbox");
        second = Insert(top, u"Sent");
    }
    void TearDown() override
    {
        DestroyWindow(tree);
        // The check boxes' list outlives the tree; it holds no GDI objects.
        GdiTest::TearDown();
    }

    HTREEITEM Insert(HTREEITEM under, const char16_t* text) { return InsertTreeItem(tree, under, text); }
    void SetState(HTREEITEM item, UINT state, UINT mask) { SetTreeItemState(tree, item, state, mask); }
    RECT Label(HTREEITEM item) { return TreeItemRect(tree, item, TRUE); }

    // Paints the tree into canvas.
    void Paint(BitmapDC& canvas) { SendMessageW(tree, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0); }

    int CountColour(BitmapDC& canvas, RECT area, COLORREF colour)
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                n += canvas.At(x, y) == colour;
        return n;
    }

    NotifyParent parent;
    HWND tree = nullptr;
    HTREEITEM top = nullptr, first = nullptr, second = nullptr;
};

} // namespace

TEST_F(TreePaintTest, CheckBoxesButtonsAndLines)
{
    Make(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF line = GetSysColor(COLOR_BTNSHADOW);
    {
        BitmapDC canvas(kWidth, kRows * TreeViewItemHeight);
        Paint(canvas);
        // The collapsed top item: a plus in the middle of its button column (0-18).
        EXPECT_EQ(canvas.At(9, 9), ink);
        EXPECT_EQ(canvas.At(9, 7), ink);
        EXPECT_EQ(canvas.At(7, 9), ink);
        EXPECT_EQ(canvas.At(9, 5), line); // the box's frame
        // Its unchecked box (state image 19-34): a white inside without a mark.
        EXPECT_EQ(CountColour(canvas, {23, 5, 31, 12}, window), 8 * 7);
        // Nothing below the collapsed item.
        EXPECT_EQ(CountColour(canvas, {0, TreeViewItemHeight, kWidth, 2 * TreeViewItemHeight}, window),
                  kWidth * TreeViewItemHeight);
    }
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
    SetState(first, INDEXTOSTATEIMAGEMASK(2), TVIS_STATEIMAGEMASK);
    BitmapDC canvas(kWidth, kRows * TreeViewItemHeight);
    Paint(canvas);
    EXPECT_EQ(canvas.At(9, 7), window); // now a minus
    EXPECT_EQ(canvas.At(9, 9), ink);
    // The checked child (state image 38-53 in row 1) shows its mark; the other does not.
    EXPECT_GT(CountColour(canvas, {42, 22, 50, 30}, ink), 4);
    EXPECT_EQ(CountColour(canvas, {42, 40, 50, 48}, ink), 0);
    // Dotted lines: the child's elbow in column 1, running up to the parent;
    // the last top-level item has no line below its button.
    EXPECT_EQ(canvas.At(29, 27), line);
    EXPECT_EQ(canvas.At(30, 27), window);
    EXPECT_EQ(canvas.At(28, 20), line);
    EXPECT_EQ(canvas.At(9, 15), window);
}

TEST_F(TreePaintTest, TheSelectionShowsWithFocusOrWithShowSelAlways)
{
    Make(TVS_HASBUTTONS | TVS_LINESATROOT);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
    RECT label = Label(top);
    const int x = label.left + 1, y = label.top + 2;
    {
        BitmapDC canvas(kWidth, kRows * TreeViewItemHeight);
        Paint(canvas);
        EXPECT_EQ(canvas.At(x, y), GetSysColor(COLOR_WINDOW)); // no focus, no SHOWSELALWAYS
    }
    SetFocus(tree);
    {
        BitmapDC canvas(kWidth, kRows * TreeViewItemHeight);
        Paint(canvas);
        EXPECT_EQ(canvas.At(x, y), GetSysColor(COLOR_HIGHLIGHT));
        // The text is drawn light on the highlight, never in the window text colour.
        RECT inside = label;
        InflateRect(&inside, -1, -1);
        EXPECT_GT(inside.right - inside.left, 0);
        int area = (inside.right - inside.left) * (inside.bottom - inside.top);
        EXPECT_GT(area - CountColour(canvas, inside, GetSysColor(COLOR_HIGHLIGHT)), 5);
        EXPECT_EQ(CountColour(canvas, inside, GetSysColor(COLOR_WINDOWTEXT)), 0);
    }
    SetFocus(parent.hwnd);
    SetWindowLongPtrW(tree, GWL_STYLE, GetWindowLongPtrW(tree, GWL_STYLE) | TVS_SHOWSELALWAYS);
    BitmapDC canvas(kWidth, kRows * TreeViewItemHeight);
    Paint(canvas);
    EXPECT_EQ(canvas.At(x, y), GetSysColor(COLOR_BTNFACE));
}

TEST_F(TreePaintTest, ABoldLabelIsWiderAndDarker)
{
    Make(TVS_HASBUTTONS | TVS_LINESATROOT);
    HTREEITEM twin = Insert(TVI_ROOT, u"Lotus Notes");
    SetState(twin, TVIS_BOLD, TVIS_BOLD);
    RECT plain = Label(top);
    RECT bold = Label(twin);
    EXPECT_EQ(plain.left, bold.left);
    EXPECT_GT(bold.right - bold.left, plain.right - plain.left);
    BitmapDC canvas(kWidth, kRows * TreeViewItemHeight);
    Paint(canvas);
    const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_GT(CountColour(canvas, bold, ink), CountColour(canvas, plain, ink));
}

TEST_F(TreePaintTest, LabelsInOtherScriptsDrawTheirGlyphsNotBoxes)
{
    const std::u16string box = u"\U0010FFFD"; // no font has it: the missing-character box
    const std::u16string cjk = u"中文資料夾", emoji = u"😀🎉";
    Make(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES);
    SetWindowPos(tree, nullptr, 0, 0, kWidth, 6 * TreeViewItemHeight, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
    HTREEITEM cjkItem = Insert(top, cjk.c_str());
    HTREEITEM emojiItem = Insert(top, emoji.c_str());
    // Items of as many missing characters, in the same places.
    HWND boxes = CreateWindowExW(0, WC_TREEVIEW, u"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                                          TVS_LINESATROOT | TVS_CHECKBOXES,
                                 0, 0, kWidth, 6 * TreeViewItemHeight, parent.hwnd, nullptr, nullptr, nullptr);
    HTREEITEM boxTop = InsertTreeItem(boxes, TVI_ROOT, u"Lotus Notes");
    InsertTreeItem(boxes, boxTop, u"Inbox");
    InsertTreeItem(boxes, boxTop, u"Sent");
    std::u16string fiveBoxes, twoBoxes;
    for (int i = 0; i < 5; ++i)
        fiveBoxes += box;
    twoBoxes = box + box;
    HTREEITEM cjkBoxes = InsertTreeItem(boxes, boxTop, fiveBoxes.c_str());
    HTREEITEM emojiBoxes = InsertTreeItem(boxes, boxTop, twoBoxes.c_str());
    SendMessageW(boxes, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(boxTop));

    auto labelPixels = [](HWND window, RECT label) {
        BitmapDC canvas(kWidth, 6 * TreeViewItemHeight);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        std::vector<COLORREF> pixels;
        int ink = 0;
        for (int y = label.top; y < label.bottom; ++y)
            for (int x = label.left; x < label.right + 40; ++x) {
                pixels.push_back(canvas.At(x, y));
                ink += canvas.At(x, y) != GetSysColor(COLOR_WINDOW) ? 1 : 0;
            }
        EXPECT_GT(ink, 0);
        return pixels;
    };
    EXPECT_NE(labelPixels(tree, Label(cjkItem)), labelPixels(boxes, TreeItemRect(boxes, cjkBoxes, TRUE)));
    EXPECT_NE(labelPixels(tree, Label(emojiItem)), labelPixels(boxes, TreeItemRect(boxes, emojiBoxes, TRUE)));
    // The emoji label is as wide as two characters, not four halves.
    RECT emojiLabel = Label(emojiItem);
    RECT emojiBoxLabel = TreeItemRect(boxes, emojiBoxes, TRUE);
    EXPECT_LT(emojiLabel.right - emojiLabel.left, 2 * (emojiBoxLabel.right - emojiBoxLabel.left));
    DestroyWindow(boxes);
}

// The check state of the shaded check boxes and radio buttons: clicks, the
// space key, presses that end early, the unchecking of a radio group, the
// down face and the tooltip text of a checked button.
#include "ControlsFixture.h"

#include <algorithm>

namespace {

class ShadeButtonCheck : public ControlsTest {
protected:
    // Opens the dialog and gives its check box; null when it did not come.
    HWND StartAtCheckBox()
    {
        if (!Start())
            return nullptr;
        HWND check = ::GetDlgItem(dialog.m_hWnd, 1014);
        RECT client;
        ::GetClientRect(check, &client);
        inside = {client.right / 2, client.bottom / 2};
        return check;
    }
    POINT inside = {}; // the middle of the check box
};

TEST_F(ShadeButtonCheck, ACheckBoxTogglesOnAClickOverItTwiceOnADoubleClickAndOnSpace)
{
    HWND check = StartAtCheckBox();
    ASSERT_NE(check, nullptr);
    HWND window = dialog.m_hWnd;

    automation::ClickAt(check, inside);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 1; }));
    automation::ClickAt(check, inside);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 0; }));

    // Released away from it: no toggle.
    automation::PressMouseAt(check, inside);
    automation::MoveMouseTo(window, {5, 150});
    automation::ReleaseMouseAt(window, {5, 150});
    automation::WaitForPaint();
    EXPECT_EQ(automation::CheckStateOf(check), 0u);

    // The second press of a double click is a press of its own.
    automation::DoubleClickAt(check, inside);
    automation::MoveMouseTo(check, inside); // once the double click is handled
    EXPECT_EQ(automation::CheckStateOf(check), 0u);
    automation::ClickAt(check, inside);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 1; }));

    automation::PressKey(check, VK_SPACE);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 0; }));
    automation::PressKey(check, VK_SPACE);
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 1; }));
}

// Space checks a radio button and unchecks the rest of its group, and never
// clears it; unchecking a radio button leaves the group alone, and any
// non-zero check state counts as checked.
TEST_F(ShadeButtonCheck, SpaceChecksARadioAndOnlyCheckingWalksTheGroup)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND one = ::GetDlgItem(window, 1010), two = ::GetDlgItem(window, 1011), check = ::GetDlgItem(window, 1014);
    automation::Click(one);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(one) == 1; }));
    ASSERT_TRUE(dialog.HandlePostedMessages());

    dialog.Run([&] { dialog.m_two.SetFocus(); });
    automation::PressKey(two, VK_SPACE);
    ASSERT_TRUE(automation::WaitUntil(
        [&] { return automation::CheckStateOf(two) == 1 && automation::CheckStateOf(one) == 0; }));
    automation::PressKey(two, VK_SPACE);
    ASSERT_TRUE(dialog.HandlePostedMessages());
    EXPECT_EQ(automation::CheckStateOf(two), 1u) << "space never clears a radio button";

    dialog.Run([&] { dialog.m_one.SetCheck(BST_CHECKED); });
    ASSERT_TRUE(dialog.HandlePostedMessages());
    ASSERT_EQ(automation::CheckStateOf(two), 0u);
    dialog.Run([&] { dialog.m_two.SetCheck(BST_UNCHECKED); });
    ASSERT_TRUE(dialog.HandlePostedMessages());
    EXPECT_EQ(automation::CheckStateOf(one), 1u) << "unchecking posts nothing to the group";

    dialog.Run([&] { dialog.m_check.SetCheck(BST_INDETERMINATE); });
    EXPECT_EQ(automation::CheckStateOf(check), 1u);
    ASSERT_TRUE(dialog.HandlePostedMessages());
    EXPECT_EQ(automation::CheckStateOf(one), 1u) << "a check box has no group to uncheck";
}

// A press that loses the focus, or that the dialog releases, is no press any
// more: letting go over the check box toggles nothing.
TEST_F(ShadeButtonCheck, APressEndedByAFocusChangeOrReleasePressTogglesNothing)
{
    HWND check = StartAtCheckBox();
    ASSERT_NE(check, nullptr);
    HWND window = dialog.m_hWnd;
    auto capture = [&] {
        HWND holder = nullptr;
        dialog.Run([&] { holder = ::GetCapture(); });
        return holder;
    };

    automation::PressMouseAt(check, inside);
    ASSERT_TRUE(automation::WaitUntil([&] { return capture() == check; }));
    dialog.Run([&] { ::SetFocus(::GetDlgItem(window, 1012)); });
    EXPECT_EQ(capture(), nullptr) << "losing the focus lets the mouse go";
    automation::ReleaseMouseAt(check, inside);
    automation::MoveMouseTo(check, {inside.x + 1, inside.y}); // once the release is handled
    EXPECT_EQ(automation::CheckStateOf(check), 0u);

    int result = -1;
    automation::PressMouseAt(check, inside);
    ASSERT_TRUE(automation::WaitUntil([&] { return capture() == check; }));
    dialog.Run([&] { result = dialog.m_check.ReleasePress(); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(capture(), nullptr);
    automation::ReleaseMouseAt(check, inside);
    automation::MoveMouseTo(check, inside);
    EXPECT_EQ(automation::CheckStateOf(check), 0u);

    // A whole click still toggles it.
    automation::ClickAt(check, inside);
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 1; }));
}

// A checked check box wears the down face, which is the hover face, also
// while the mouse is away; unchecked it goes back to the normal face.
TEST_F(ShadeButtonCheck, ACheckedCheckBoxShowsTheDownFace)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_check.SetShade(GrainOnly, 0, 50, 0, 0); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND check = ::GetDlgItem(window, 1014);
    RECT client;
    ::GetClientRect(check, &client);
    const POINT corner = {client.right - 2, client.bottom - 2};
    const auto [normal, lit] = NormalAndHoverAt(check, corner);
    ASSERT_GT(Brightness(lit), Brightness(normal));
    MoveMouseAway();
    ASSERT_TRUE(automation::WaitUntil([&] { return PixelOf(check, corner.x, corner.y) == normal; }));

    dialog.Run([&] { dialog.m_check.SetCheck(BST_CHECKED); });
    EXPECT_TRUE(automation::WaitUntil([&] { return PixelOf(check, corner.x, corner.y) == lit; }));
    dialog.Run([&] { dialog.m_check.SetCheck(BST_UNCHECKED); });
    EXPECT_TRUE(automation::WaitUntil([&] { return PixelOf(check, corner.x, corner.y) == normal; }));
}

// The tooltip text given while the button is checked: the checked text when
// there is one, else the plain one.
TEST_F(ShadeButtonCheck, ATooltipGivenWhileCheckedShowsTheCheckedTextWhenItHasOne)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND check = ::GetDlgItem(window, 1014);
    automation::Click(check);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 1; }));
    dialog.Run([&] { dialog.m_check.SetToolTipText(u"Plain", u""); });
    HWND tip = automation::FindToolTip(check);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(automation::ToolTipText(tip, check), u"Plain");
    dialog.Run([&] { dialog.m_check.SetToolTipText(u"Plain", u"Ticked"); });
    EXPECT_EQ(automation::ToolTipText(tip, check), u"Ticked");
    EXPECT_EQ(automation::FindToolTip(check), tip) << "one tooltip, its text updated";

    automation::Click(check);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(check) == 0; }));
    EXPECT_EQ(automation::ToolTipText(tip, check), u"Plain");
}

// A new button style turns the push button into a check box or a radio
// button that toggles or checks on a click; the window stays owner-drawn.
TEST_F(ShadeButtonCheck, ANewStyleMakesAPushButtonACheckBoxOrARadio)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND button = ::GetDlgItem(window, 1005);
    dialog.Run([&] { dialog.m_shaded.SetButtonStyle(BS_AUTOCHECKBOX, FALSE); });
    EXPECT_EQ(::GetWindowLongPtrW(button, GWL_STYLE) & 0xF, static_cast<LONG_PTR>(BS_OWNERDRAW));
    automation::Click(button);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(button) == 1; }));
    automation::Click(button);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(button) == 0; }));

    dialog.Run([&] { dialog.m_shaded.SetButtonStyle(BS_AUTORADIOBUTTON, TRUE); });
    automation::Click(button);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(button) == 1; }));
    automation::Click(button);
    ASSERT_TRUE(automation::WaitUntil([&] {
        auto commands = dialog.Commands();
        return std::count(commands.begin(), commands.end(), 1005u) == 4;
    }));
    EXPECT_EQ(automation::CheckStateOf(button), 1u) << "a click never clears a radio button";
}

} // namespace

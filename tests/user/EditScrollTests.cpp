// The multi-line edit typed into past its right edge: the text follows the
// caret across and the horizontal bar shows what there is to scroll.
#include "ControlTest.h"

#include "user/Automation.h"
#include "user/Controls.h"
#include "user/ScrollBar.h"

#include <gtest/gtest.h>

namespace automation = user::automation;

namespace {

TEST(EditScroll, TypingPastTheRightEdgeScrollsAcrossAndShowsTheBar)
{
    NotifyParent parent;
    HWND edit = CreateWindowExW(0, WC_EDIT, u"", WS_CHILD | WS_VISIBLE | WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL,
                                0, 0, 160, 80, parent.hwnd, reinterpret_cast<HMENU>(1012), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    PumpMessages();
    EXPECT_EQ(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL, 0) << "nothing to scroll yet";

    automation::TypeText(edit, u"Typed far past the right edge of this small box");
    PumpMessages();
    ASSERT_NE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL, 0);
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(edit, SB_HORZ, &info);
    EXPECT_GT(info.nPos, 0) << "the text followed the caret";
    EXPECT_EQ(info.nPos, info.nMax + 1 - static_cast<int>(info.nPage)) << "the caret at the end, at the right edge";

    // Home brings the start back; the bar follows.
    automation::PressKey(edit, VK_HOME);
    PumpMessages();
    EXPECT_EQ(GetScrollPos(edit, SB_HORZ), 0);
    DestroyWindow(edit);
}

} // namespace

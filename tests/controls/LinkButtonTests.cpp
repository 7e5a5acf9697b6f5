// The link button of the About box: a click opens its caption through the
// shell and turns it to the visited colour; the dialog never sees the click.
#include "ControlsFixture.h"

#include "win32/Shell.h"

namespace {

class LinkButtonTest : public ControlsTest {};

TEST_F(LinkButtonTest, AClickOpensTheCaptionAndShowsTheLinkVisited)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND link = ::GetDlgItem(window, 1040);
    const COLORREF visited = RGB(128, 0, 128);
    EXPECT_GT(CountPixels(link, ::GetSysColor(COLOR_HIGHLIGHT)), 0);
    EXPECT_EQ(CountPixels(link, visited), 0);

    automation::Click(link);
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].verb, u"open");
    EXPECT_EQ(journal[0].file, u"http://www.example.org/");
    EXPECT_EQ(journal[0].show, SW_HIDE);
    ASSERT_TRUE(automation::WaitUntil([&] { return CountPixels(link, visited) > 0; }));
    EXPECT_TRUE(dialog.m_link.IsVisited());
    auto commands = dialog.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 1040u), 0) << "the button keeps its click";
}

TEST_F(LinkButtonTest, ThePrefixGoesBeforeTheCaptionOrTheAddress)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_link.SetURLPrefix(u"mailto:"); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::u16string(dialog.m_link.GetURL()), u"mailto:http://www.example.org/");
    dialog.Run([&] { dialog.m_link.SetURL(u"team@example.org"); });
    automation::Click(::GetDlgItem(window, 1040));
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"mailto:team@example.org");
}

TEST_F(LinkButtonTest, EnterOpensOnItsReleaseSpaceNeverAndADisabledLinkNothing)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    HWND link = ::GetDlgItem(window, 1040);
    dialog.Run([&] { dialog.m_link.SetFocus(); });

    automation::PressKey(link, VK_SPACE);
    automation::PressKey(link, VK_RETURN);
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    automation::WaitForPaint();
    EXPECT_EQ(win32::ReadShellJournal().size(), 1u) << "once, for Enter only";
    auto commands = dialog.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 1040u), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), static_cast<UINT>(IDOK)), 0)
        << "Enter never reached the dialog's default button";

    dialog.Run([&] { dialog.m_link.EnableWindow(FALSE); });
    automation::Click(link);
    automation::WaitForPaint();
    EXPECT_EQ(win32::ReadShellJournal().size(), 1u);
    EXPECT_GT(CountPixels(link, ::GetSysColor(COLOR_GRAYTEXT)), 0) << "drawn in the disabled colour";
}

} // namespace

// Wizard step 1 driven as a user drives it: the exit prompts of Escape, the
// close box and the Exit button; Next and Back through the chain with their
// log blocks; the menus, routed from a later step to the main dialog; the
// system menu's About item; F1.
#include "StepFixture.h"

#include "user/ControlAutomation.h"

namespace {

constexpr UINT kAbout = 0x10;
constexpr UINT kFileExit = 32771;
constexpr UINT kLogView = 32772;
constexpr UINT kLogClear = 32773;
constexpr UINT kHelpContents = 32775;
constexpr UINT kHelpAbout = 32776;

class MainDialogTest : public StepFixture {
protected:
    void SetUp() override
    {
        StepFixture::SetUp();
        MakeFolder(u"C:\\Logs");
        SetSetting(u"LogPath", u"C:\\Logs");
    }

    std::string LogFile() { return ReadHostFile(Host(u"C:\\Logs\\Activity Log.txt")); }

    // The step that Next runs, made visible and owned by the main dialog.
    HWND WaitForStep() { return automation::WaitForWindowWithControl(1017); }

    // The top-level window of the thread that is neither main nor the step.
    static HWND WaitForAbout(HWND main)
    {
        HWND about = nullptr;
        automation::WaitUntil([&] {
            about = automation::ActiveWindow();
            return about && about != main && ::GetDlgItem(about, 1005) && ::GetDlgItem(about, IDOK)
                && !::GetDlgItem(about, 1031);
        });
        return about;
    }
};

TEST_F(MainDialogTest, EscapeAsksPromptBAndNoLeavesTheDialogWithNothingMore)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    automation::PressKey(main, VK_ESCAPE);
    HWND shown = ExpectBox(u"Are you sure you want to exit.", 0x1034, main);
    ASSERT_NE(shown, nullptr);
    Answer(shown, IDNO);

    // The key went no further: no Cancel, no second question.
    automation::Click(::GetDlgItem(main, 1048));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(::GetDlgItem(main, 1048)) == 1; }));
    Settle(main);
    EXPECT_EQ(user::MessageBoxHistory().size(), 1u);
    EXPECT_TRUE(user::OpenMessageBoxes().empty());
    EXPECT_TRUE(::IsWindowVisible(main));
}

TEST_F(MainDialogTest, TheCloseBoxAsksPromptAAndYesEndsTheProcessWithCodeZero)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    automation::CloseWindow(main);
    HWND shown = ExpectBox(u"Are you sure you want to exit?", 0x1024, main);
    ASSERT_NE(shown, nullptr);
    const std::string before = LogFile();
    automation::AnswerMessageBox(shown, IDYES);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_EQ(LogFile(), before) << "nothing is logged on the way out";
}

// In step 1 the Exit button and File / Exit ask as the close box does,
// with the question mark (not the step dialogs' full stop of File / Exit).
TEST_F(MainDialogTest, TheExitButtonAndFileExitAskPromptAAndNoKeepsStepOne)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    automation::Click(::GetDlgItem(main, 1006));
    Answer(ExpectBox(u"Are you sure you want to exit?", 0x1024, main), IDNO);
    ASSERT_TRUE(automation::ChooseMenuCommand(main, kFileExit));
    HWND shown = ExpectBox(u"Are you sure you want to exit?", 0x1024, main);
    ASSERT_NE(shown, nullptr);
    Answer(shown, IDNO);
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_EQ(user::MessageBoxHistory().size(), 2u);
}

TEST_F(MainDialogTest, EveryNextWritesItsBlockAndTheLastModeStays)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(main, 1010)), 1u) << "Mails is checked at start";
    EXPECT_FALSE(automation::IsVisible(::GetDlgItem(main, IDCANCEL)));

    automation::Click(::GetDlgItem(main, IDOK));
    HWND step = WaitForStep();
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(::GetWindow(step, GW_OWNER), main) << "made without a parent, owned by the main window";
    EXPECT_FALSE(::IsWindowVisible(main));
    EXPECT_EQ(g_nConvMode, 1);
    automation::Click(::GetDlgItem(step, 1017));
    ASSERT_TRUE(automation::WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }));
    EXPECT_FALSE(::IsWindow(step)) << "Back ends the step";

    automation::Click(::GetDlgItem(main, 1048));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(::GetDlgItem(main, 1048)) == 1; }));
    automation::PressKey(main, VK_RETURN); // Enter is Next too
    step = WaitForStep();
    ASSERT_NE(step, nullptr);
    automation::Click(::GetDlgItem(step, 1017));
    ASSERT_TRUE(automation::WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }));

    EXPECT_EQ(g_nConvMode, 3);
    const std::string log = LogFile();
    EXPECT_EQ(Occurrences(log, "\r\n\r\n\r\nStep 1 :\r\n-------\r\n"), 2) << log;
    const auto mail = log.find("Mode : Migrating Mail Folder");
    const auto calendar = log.find("Mode : Migrating Calendar Folder");
    ASSERT_NE(mail, std::string::npos);
    ASSERT_NE(calendar, std::string::npos);
    EXPECT_LT(mail, calendar);
    EXPECT_EQ(Occurrences(log, "Mode : "), 2);
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(main, 1048)), 1u) << "the controls as the user left them";
}

TEST_F(MainDialogTest, TheSystemMenusAboutItemFollowsASeparatorAndOpensTheAboutBox)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    auto entries = automation::SystemMenuEntries(main);
    ASSERT_GE(entries.size(), 3u);
    EXPECT_FALSE(entries.front().separator) << "the standard items come first";
    EXPECT_TRUE(entries[entries.size() - 2].separator);
    EXPECT_EQ(entries.back().text, u"&About Pellinor for Lotus Notes NSF - MS Outlook PST");
    EXPECT_EQ(entries.back().id, kAbout);

    ASSERT_TRUE(automation::ChooseMenuCommand(main, kAbout));
    HWND about = WaitForAbout(main);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(automation::TextOf(about), u"Pellinor for Lotus Notes NSF - MS Outlook PST");
    EXPECT_EQ(automation::TextOf(::GetDlgItem(about, 1004)), u"http://www.example.org");
    EXPECT_EQ(automation::TextOf(::GetDlgItem(about, 1005)), u"http://www.example.org/support");

    // Its link opens the address it shows; the Support button opens the same.
    automation::Click(::GetDlgItem(about, 1005));
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 1; }));
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"http://www.example.org/support");
    automation::Click(::GetDlgItem(about, IDOK));
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(about); }));

    automation::Click(::GetDlgItem(main, 1005));
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 2; }));
    auto support = win32::ReadShellJournal()[1];
    EXPECT_EQ(support.verb, u"open");
    EXPECT_EQ(support.file, u"http://www.example.org/support");
    EXPECT_EQ(support.show, SW_SHOWNORMAL);
}

TEST_F(MainDialogTest, ClearingTheLogAnsweredNoLeavesTheFile)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    const std::string before = LogFile();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(automation::ChooseMenuCommand(main, kLogClear));
    HWND shown = ExpectBox(u"Are you sure, you want to clear the log?", 0x1024, main);
    ASSERT_NE(shown, nullptr);
    Answer(shown, IDNO);
    Settle(main);
    EXPECT_EQ(LogFile(), before);

    // Yes deletes the log of the log folder; the next message starts anew.
    ASSERT_TRUE(automation::ChooseMenuCommand(main, kLogClear));
    shown = ExpectBox(u"Are you sure, you want to clear the log?", 0x1024, main);
    ASSERT_NE(shown, nullptr);
    Answer(shown, IDYES);
    Settle(main);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Logs\\Activity Log.txt")));
    automation::Click(::GetDlgItem(main, IDOK));
    ASSERT_NE(WaitForStep(), nullptr);
    EXPECT_EQ(LogFile(), "\r\n\r\n\r\nStep 1 :\r\n-------\r\nMode : Migrating Mail Folder");
}

TEST_F(MainDialogTest, F1AndHelpContentsOpenTheHelpAndNothingElse)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    const std::string before = LogFile();
    automation::PressKey(::GetDlgItem(main, 1010), VK_F1);
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    Settle(main);
    auto afterF1 = win32::ReadShellJournal();
    for (const auto& record : afterF1)
        EXPECT_TRUE(record.file.find(u".chm") != std::u16string::npos
                    || record.parameters.find(u".chm") != std::u16string::npos);
    EXPECT_TRUE(user::MessageBoxHistory().empty());
    EXPECT_EQ(LogFile(), before);
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_EQ(automation::ActiveWindow(), main);

    ASSERT_TRUE(automation::ChooseMenuCommand(main, kHelpContents));
    ASSERT_TRUE(automation::WaitUntil([&] { return win32::ReadShellJournal().size() == 2 * afterF1.size(); }));
    EXPECT_EQ(win32::ReadShellJournal()[afterF1.size()].file, afterF1[0].file);
}

TEST_F(MainDialogTest, TheStepsMenuCommandsReachTheMainDialogButItsExitIsItsOwn)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    automation::Click(::GetDlgItem(main, IDOK));
    HWND step = WaitForStep();
    ASSERT_NE(step, nullptr);

    // Log / View is handled by the main dialog only.
    ASSERT_TRUE(automation::ChooseMenuCommand(step, kLogView));
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    auto view = win32::ReadShellJournal()[0];
    EXPECT_EQ(view.file, u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(view.parameters, u"C:\\Logs\\Activity Log.txt");

    // Help / About Us too: the About box comes while the step waits.
    ASSERT_TRUE(automation::ChooseMenuCommand(step, kHelpAbout));
    HWND about = nullptr;
    ASSERT_TRUE(automation::WaitUntil([&] {
        about = automation::ActiveWindow();
        return about && about != step && about != main;
    }));
    automation::Click(::GetDlgItem(about, IDOK));
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(about); }));

    // File / Exit is the step's own: prompt C, owned by the step.
    ASSERT_TRUE(automation::ChooseMenuCommand(step, kFileExit));
    HWND shown = ExpectBox(u"Are you sure you want to exit.", 0x1024, step);
    ASSERT_NE(shown, nullptr);
    Answer(shown, IDNO);

    // Escape in the step is its Cancel: prompt A, and step 1's prompt B
    // stays out of it.
    const std::size_t asked = user::MessageBoxHistory().size();
    automation::PressKey(step, VK_ESCAPE);
    shown = ExpectBox(u"Are you sure you want to exit?", 0x1024, step);
    ASSERT_NE(shown, nullptr);
    Answer(shown, IDNO);
    Settle(step);
    EXPECT_EQ(user::MessageBoxHistory().size(), asked + 1);
    EXPECT_TRUE(::IsWindowVisible(step));
    automation::Click(::GetDlgItem(step, 1017));
    ASSERT_TRUE(automation::WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }));
}

TEST_F(MainDialogTest, TheToolButtonsCarryTheirTipsAndViewLogOpensTheLog)
{
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    const struct {
        int id;
        const char16_t* tip;
    } tools[] = {{1004, u"View Log"}, {1005, u"Support"}, {1006, u"Exit"}};
    for (const auto& tool : tools) {
        HWND button = ::GetDlgItem(main, tool.id);
        HWND tip = automation::FindToolTip(button);
        ASSERT_NE(tip, nullptr) << tool.id;
        EXPECT_EQ(automation::ToolTipText(tip, button), tool.tip);
    }
    automation::Click(::GetDlgItem(main, 1004));
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    EXPECT_EQ(win32::ReadShellJournal()[0].parameters, u"C:\\Logs\\Activity Log.txt");
}

} // namespace

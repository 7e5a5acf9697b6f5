// What the progress dialog shows and opens while its run goes on: the
// skinned tool buttons, the log that was written, the support page, help.
#include "RunFixture.h"

#include "AppSettings.h"
#include "Help.h"
#include "user/Automation.h"
#include "user/ControlAutomation.h"
#include "win32/Registry.h"

namespace enginetest {
namespace {

namespace automation = user::automation;

class ProgressDialog : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        m_gate->Close();
    }

    // Stop, Yes, and the completion dialog's OK.
    void StopRun()
    {
        automation::Click(GetDlgItem(m_progress, IDOK));
        Answer(u"Are you sure you want to stop?", IDYES);
        m_gate->Open();
        HWND completion = WaitForCompletionDialog();
        ASSERT_NE(completion, nullptr);
        automation::Click(GetDlgItem(completion, IDOK));
        EXPECT_EQ(WaitForProcessEnd(), 0);
    }
};

TEST_F(ProgressDialog, OpensWithItsTitlePictureSkinnedToolButtonsAndTheMailLabels)
{
    ASSERT_NE(StartRun(), nullptr);
    EXPECT_EQ(automation::TextOf(m_progress), kAppTitle);
    EXPECT_NE(SendDlgItemMessageW(m_progress, 1007, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(TextOf(m_progress, 1047), u"Enumerating mails. Please wait...");
    EXPECT_EQ(TextOf(m_progress, 1037), u"No of Mail (s)       :");
    const std::pair<int, const char16_t*> tools[] = {{1004, u"View Log"}, {1005, u"Support"}, {1006, u"Exit"}};
    for (const auto& [id, tip] : tools) {
        HWND button = GetDlgItem(m_progress, id);
        EXPECT_NE(GetWindowLongPtrW(button, GWL_STYLE) & BS_OWNERDRAW, 0) << id;
        HWND tooltip = automation::FindToolTip(button);
        ASSERT_NE(tooltip, nullptr) << id;
        EXPECT_EQ(automation::ToolTipText(tooltip, button), tip);
    }
    StopRun();
}

TEST_F(ProgressDialog, ViewLogOpensTheLogThatIsWrittenWhenTheLogFolderIsGone)
{
    WriteRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", u"C:\\Gone");
    wcscpy_s(g_szLogDir, MAX_PATH, u"C:\\Gone");
    ASSERT_NE(StartRun(), nullptr);
    automation::Click(GetDlgItem(m_progress, 1004));
    ASSERT_TRUE(Eventually([this] { return !ShellCallsOn(u"\\Notepad.exe").empty(); }));
    auto notepad = ShellCallsOn(u"\\Notepad.exe");
    EXPECT_EQ(notepad[0].file, u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(notepad[0].parameters, m_installDir + u"\\Activity Log.txt");
    EXPECT_EQ(notepad[0].verb, u"open");
    StopRun();
}

TEST_F(ProgressDialog, SupportOpensTheSupportPageAndF1TheHelpFile)
{
    ASSERT_NE(StartRun(), nullptr);
    automation::Click(GetDlgItem(m_progress, 1005));
    ASSERT_TRUE(Eventually([this] { return !ShellCallsOn(u"/support").empty(); }));
    auto support = ShellCallsOn(u"/support");
    EXPECT_EQ(support[0].file, u"http://www.example.org/support");
    EXPECT_EQ(support[0].verb, u"open");
    EXPECT_EQ(support[0].show, SW_SHOWNORMAL);

    automation::PressKey(m_progress, VK_F1);
    ASSERT_TRUE(Eventually([this] { return !ShellCallsOn(kHelpFileName).empty(); }));
    // The help request leaves the run as it was.
    EXPECT_TRUE(automation::IsVisible(m_progress));
    EXPECT_TRUE(Boxes().empty());
    StopRun();
}

} // namespace
} // namespace enginetest

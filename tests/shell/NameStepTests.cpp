// Wizard step 5 driven as a user drives it: the name proposed from the
// clock, the refusal of an empty name, Back and the exit prompts. Convert
// runs step 6, which the program's own walk reaches (tools tests).
#include "CCreFolDlg.h"
#include "StepFixture.h"

namespace {

constexpr int kName = 1013;
constexpr int kEditCheck = 1014;

class NameStepTest : public StepFixture {
protected:
    HWND Open() { return RunAlone<CCreFolDlg>(kStep5Control); }
};

TEST_F(NameStepTest, TheNameIsProposedFromTheClockAndAnEmptyOneIsRefusedUnlogged)
{
    g_strPstFolderName = u"earlier";
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    // 8 December 2026, 9:05 on the test's clock, without leading zeros.
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kName)), u"8-12-2026 9:5");
    EXPECT_FALSE(automation::IsVisible(::GetDlgItem(step, kEditCheck)));
    EXPECT_EQ(automation::TextOf(step), u"Pellinor for Lotus Notes NSF - MS Outlook PST");

    SetText(step, kName, u"");
    const std::string before = Log();
    ExpectRefusal(step, IDOK, u"Cannot continue, please specify folder name.", 0x1040);
    EXPECT_EQ(Log(), before) << "nothing is logged";
    EXPECT_TRUE(g_strPstFolderName.IsEmpty()) << "the empty text was taken";
}

// Any name of one character or more is taken as it stands, a blank too:
// Convert logs it and runs step 6, which, with no conversion mode, hands
// over to its completion dialog at once.
TEST_F(NameStepTest, ABlankNameIsLoggedAsItStandsAndConvertRunsStep6)
{
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    SetText(step, kName, u" ");
    automation::Click(::GetDlgItem(step, IDOK));
    HWND completion = automation::WaitForWindowWithControl(1040);
    ASSERT_NE(completion, nullptr);
    EXPECT_FALSE(::IsWindowVisible(step)) << "step 5 hides while step 6 runs";
    EXPECT_EQ(std::u16string(g_strPstFolderName), u" ");
    EXPECT_TRUE(user::MessageBoxHistory().empty());
    EXPECT_NE(Log().find("\r\n\r\n\r\nStep 5 :\r\n-------\r\nNew Folder in PST :  \r\n"), std::string::npos)
        << Log();
    automation::Click(::GetDlgItem(completion, IDOK));
    EXPECT_EQ(ExitCode(), 0);
}

TEST_F(NameStepTest, TheStepPictureFollowsTheMode)
{
    InstallArtwork(kInstallDir, {"step5_add.bmp"});
    wcscpy_s(g_szInstallDir, MAX_PATH, kInstallDir);
    const auto pictureIn = [](HWND step) {
        return ::SendMessageW(::GetDlgItem(step, 1007), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    };
    for (int mode : {1, 3, 2}) {
        SCOPED_TRACE(mode);
        g_nConvMode = mode;
        HWND step = Open();
        ASSERT_NE(step, nullptr);
        EXPECT_EQ(pictureIn(step), mode == 2) << "only the address book's picture is installed";
        automation::Click(::GetDlgItem(step, 1017));
        ASSERT_TRUE(RunEnded());
    }
    InstallArtwork(kInstallDir, {"step5_cal.bmp"});
    g_nConvMode = 3;
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    EXPECT_TRUE(pictureIn(step));
}

TEST_F(NameStepTest, BackLowersTheUpdateFlagAndEndsTheStep)
{
    g_bUpdateExistingPst = 1;
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    automation::Click(::GetDlgItem(step, 1017));
    ASSERT_TRUE(RunEnded());
    EXPECT_EQ(g_bUpdateExistingPst, 0);
    EXPECT_TRUE(user::MessageBoxHistory().empty()) << "Back asks nothing";
}

TEST_F(NameStepTest, TheExitPromptsAskAndYesEndsTheProcess)
{
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    automation::CloseWindow(step);
    Answer(ExpectBox(u"Are you sure you want to exit?", 0x1024, step), IDNO);
    ASSERT_TRUE(automation::ChooseMenuCommand(step, 32771));
    Answer(ExpectBox(u"Are you sure you want to exit.", 0x1024, step), IDNO);
    EXPECT_TRUE(::IsWindowVisible(step));
    automation::Click(::GetDlgItem(step, 1006));
    HWND box = ExpectBox(u"Are you sure you want to exit?", 0x1024, step);
    ASSERT_NE(box, nullptr);
    automation::AnswerMessageBox(box, IDYES);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace

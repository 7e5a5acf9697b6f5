// Wizard step 4 driven as a user drives it: the two choices and their
// browse buttons, the proposed name of a new PST, the checks of Next in
// their order, the backup of an existing PST, the log block, Back and the
// exit prompts. The step runs alone, as step 3's Next runs it.
#include "CTrgDlg.h"
#include "StepFixture.h"
#include "TargetStepIds.h"
#include "user/ShlObj.h"
#include "win32/Shell.h"

#include <cstdlib>

namespace {

using namespace target_step;

constexpr UINT kNotice = 0x1040;
constexpr UINT kStop = 0x1010;
constexpr const char16_t* kSamePath =
    u"Existing PST file path and Backup Path are same, please specify different path.";

class TargetStepTest : public StepFixture {
protected:
    void TearDown() override
    {
        ::unsetenv("MARLWICK_DISK_FREE");
        StepFixture::TearDown();
    }

    HWND Open() { return RunAlone<CTrgDlg>(kStep4Control); }

    static bool Enabled(HWND step, int control) { return automation::IsEnabled(::GetDlgItem(step, control)); }

    // Next gone through: step 5 shows, step 4 hides.
    static HWND ExpectStep5(HWND step)
    {
        automation::Click(::GetDlgItem(step, IDOK));
        HWND next = WaitForStep(kStep5Control);
        EXPECT_NE(next, nullptr);
        EXPECT_FALSE(::IsWindowVisible(step));
        return next;
    }

    std::u16string ProposedAfterPicking(HWND step, const std::u16string& folder)
    {
        automation::Click(::GetDlgItem(step, kBrowseNew));
        HWND browser = automation::WaitForFolderBrowser();
        if (!browser)
            return u"no browser";
        EXPECT_EQ(::GetWindow(browser, GW_OWNER), step) << "the step owns the browser";
        EXPECT_EQ(automation::TextOf(::GetDlgItem(browser, kBrowseTitleId)), u"Select Folder:");
        EXPECT_TRUE(automation::PickFolder(browser, folder));
        automation::WaitUntil([&] { return !::IsWindow(browser); });
        Settle(step);
        return automation::TextOf(::GetDlgItem(step, kNewPath));
    }
};

TEST_F(TargetStepTest, TheChoicesEnableTheirBrowseButtons)
{
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kExistingPst)), 1u) << "an existing PST at start";
    EXPECT_FALSE(Enabled(step, kBrowseNew));
    EXPECT_TRUE(Enabled(step, kBrowseExisting));
    EXPECT_FALSE(Enabled(step, kBrowseBackup));

    automation::Click(::GetDlgItem(step, kNewPst));
    ASSERT_TRUE(automation::WaitUntil([&] { return Enabled(step, kBrowseNew); }));
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kExistingPst)), 0u) << "one group";
    EXPECT_FALSE(Enabled(step, kBrowseExisting));
    // The backup box enables its browser whichever choice is made...
    Tick(step, kBackupCheck);
    EXPECT_TRUE(automation::WaitUntil([&] { return Enabled(step, kBrowseBackup); }));
    automation::Click(::GetDlgItem(step, kNewPst));
    EXPECT_TRUE(automation::WaitUntil([&] { return !Enabled(step, kBrowseBackup); }));
    // ...and the existing choice enables it again while the box is ticked.
    automation::Click(::GetDlgItem(step, kExistingPst));
    EXPECT_TRUE(automation::WaitUntil([&] { return Enabled(step, kBrowseBackup); }));
    EXPECT_FALSE(Enabled(step, kBrowseNew));
}

TEST_F(TargetStepTest, ANewPstIsNamedFromTheFolderAndTheTimeAndChecked)
{
    MakeFolder(u"C:\\Mail");
    PutFile(u"C:\\Mail\\taken.pst", "pst");
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    automation::Click(::GetDlgItem(step, kNewPst));
    ASSERT_TRUE(automation::WaitUntil([&] { return Enabled(step, kBrowseNew); }));

    // 8 December 2026, 9:05 on the test's clock.
    EXPECT_EQ(ProposedAfterPicking(step, u"C:\\Mail"), u"C:\\Mail\\Tolvane 8-12-2026 9-5.pst");
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\Tolvane 8-12-2026 9-5.pst");
    EXPECT_EQ(ProposedAfterPicking(step, u"C:\\"), u"C:\\Tolvane 8-12-2026 9-5.pst");

    HWND next = ExpectStep5(step);
    ASSERT_NE(next, nullptr);
    Back(next, step);

    SetText(step, kNewPath, u"out.pst"); // no folder part at all
    ExpectRefusal(step, IDOK, u"PST path does't exist.", kNotice);
    SetText(step, kNewPath, u"C:\\Nowhere\\out.pst");
    ExpectRefusal(step, IDOK, u"PST path does't exist.", kNotice);
    SetText(step, kNewPath, u"C:\\Mail\\out.ps");
    ExpectRefusal(step, IDOK, u"New PST File not specified.", kNotice);
    EXPECT_EQ(Occurrences(Log(), "Step 4 :"), 1) << "refusals log nothing";

    // An existing file is accepted as a new one; four characters from the
    // last "." count.
    SetText(step, kNewPath, u"C:\\Mail\\taken.pst");
    next = ExpectStep5(step);
    ASSERT_NE(next, nullptr);
    Back(next, step);
    g_bUpdateExistingPst = 1; // left by an earlier visit's refused existing PST
    SetText(step, kNewPath, u"C:\\Mail\\out.PSTX");
    SetText(step, kExistingPath, u"C:\\Mail\\old.pst");
    next = ExpectStep5(step);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\out.PSTX");
    EXPECT_EQ(g_bUpdateExistingPst, 0) << "a new PST is not updated as an existing one";
    const std::string log = Log();
    EXPECT_NE(log.find("\r\n\r\n\r\nStep 4 :\r\n-------\r\nNew PST File Path : C:\\Mail\\out.PSTX\r\n"
                       "Default PST Path : C:\\Mail\\old.pst\r\nBackup PST Path : "),
              std::string::npos)
        << log;
}

TEST_F(TargetStepTest, AFolderTooDeepForTheWholeNameProposesNothing)
{
    const std::u16string deep = u"C:\\" + std::u16string(120, u'a') + u"\\" + std::u16string(120, u'b');
    MakeFolder(deep);
    MakeFolder(u"C:\\Mail");
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    automation::Click(::GetDlgItem(step, kNewPst));
    ASSERT_TRUE(automation::WaitUntil([&] { return Enabled(step, kBrowseNew); }));
    ASSERT_EQ(ProposedAfterPicking(step, u"C:\\Mail"), u"C:\\Mail\\Tolvane 8-12-2026 9-5.pst");
    // A cut name would name another file: the proposal stays as it was.
    EXPECT_EQ(ProposedAfterPicking(step, deep), u"C:\\Mail\\Tolvane 8-12-2026 9-5.pst");
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\Tolvane 8-12-2026 9-5.pst");
}

TEST_F(TargetStepTest, AnExistingPstIsCheckedThenBackedUpBeforeStep5)
{
    PutFile(u"C:\\Mail\\a.pst", std::string(9000, 'p'));
    HWND step = Open();
    ASSERT_NE(step, nullptr);

    SetText(step, kExistingPath, u"C:\\Mail\\none.pst");
    ExpectRefusal(step, IDOK, u"PST path does't exist.", kNotice);
    EXPECT_EQ(g_bUpdateExistingPst, 1) << "raised before the checks";

    SetText(step, kExistingPath, u"C:\\Mail\\a.pst");
    Tick(step, kBackupCheck);
    ExpectRefusal(step, IDOK, u"Please select backup path.", kNotice);
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\a.pst") << "taken once it was found to exist";
    for (const char16_t* backup : {u"d:\\mail\\", u"c:\\mail\\", u"c:\\mail", u"C:\\Mail\\a.pst"}) {
        SetText(step, kBackupPath, backup);
        ExpectRefusal(step, IDOK, std::u16string(backup)[0] == u'd' ? u"Backup path does't exist." : kSamePath,
                      kNotice);
    }
    SetText(step, kBackupPath, u"C:\\Bak");
    ExpectRefusal(step, IDOK, u"Backup path does't exist.", kNotice);
    MakeFolder(u"C:\\Bak");
    HANDLE holder = CreateFileW(u"C:\\Mail\\a.pst", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ExpectRefusal(step, IDOK, u"File already in use.", kStop);
    CloseHandle(holder);
    ::setenv("MARLWICK_DISK_FREE", "9000", 1);
    ExpectRefusal(step, IDOK, u"Not enough space at the destination. Please select different location.", kStop);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Bak\\a.pst")));

    // An earlier, longer backup is asked about while the step waits, and
    // Yes makes it an exact copy.
    ::setenv("MARLWICK_DISK_FREE", "9001", 1);
    PutFile(u"C:\\Bak\\a.pst", std::string(20000, 'o'));
    automation::Click(::GetDlgItem(step, IDOK));
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(automation::MessageBoxText(box), u"File Exists, Do You Want To Overwrite?");
    EXPECT_FALSE(automation::IsEnabled(step)) << "the step waits for the copier";
    Answer(box, IDYES);
    HWND next = WaitForStep(kStep5Control);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\a.pst")), std::string(9000, 'p'));
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\a.pst") << "the typed path, never browsed";
    EXPECT_EQ(g_bUpdateExistingPst, 1);
    EXPECT_EQ(g_pBackupSrcList, nullptr);
    EXPECT_NE(Log().find("Default PST Path : C:\\Mail\\a.pst\r\nBackup PST Path : C:\\Bak"), std::string::npos);
}

// The backup box and folder count only with "Update Existing PST file":
// a new PST is never copied nor its backup folder checked, and an existing
// one is copied only while the box is ticked.
TEST_F(TargetStepTest, OnlyAnExistingPstWithItsBoxTickedIsBackedUp)
{
    MakeFolder(u"C:\\Mail");
    MakeFolder(u"C:\\Bak");
    PutFile(u"C:\\Mail\\a.pst", "existing");
    HWND step = Open();
    ASSERT_NE(step, nullptr);

    automation::Click(::GetDlgItem(step, kNewPst));
    ASSERT_TRUE(automation::WaitUntil([&] { return Enabled(step, kBrowseNew); }));
    Tick(step, kBackupCheck);
    SetText(step, kNewPath, u"C:\\Mail\\new.pst");
    SetText(step, kExistingPath, u"C:\\Mail\\a.pst");
    SetText(step, kBackupPath, u"C:\\Nowhere");
    HWND next = ExpectStep5(step);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(user::MessageBoxHistory().empty()) << "no backup check";
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Nowhere")));
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\new.pst");
    Back(next, step);
    // Step 4 shows again as the user left it.
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kNewPst)), 1u);
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kBackupCheck)), 1u);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNewPath)), u"C:\\Mail\\new.pst");
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kBackupPath)), u"C:\\Nowhere");

    automation::Click(::GetDlgItem(step, kExistingPst));
    ASSERT_TRUE(automation::WaitUntil([&] { return Enabled(step, kBrowseExisting); }));
    SetText(step, kBackupPath, u"C:\\Bak");
    automation::Click(::GetDlgItem(step, kBackupCheck));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(::GetDlgItem(step, kBackupCheck)) == 0; }));
    next = ExpectStep5(step);
    ASSERT_NE(next, nullptr);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Bak\\a.pst"))) << "unticked: no copy";
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\a.pst");
    EXPECT_EQ(g_bUpdateExistingPst, 1);
    EXPECT_TRUE(user::MessageBoxHistory().empty());
    // The backup line is logged as the box reads, copy or not.
    EXPECT_TRUE(Log().ends_with("\r\nNew PST File Path : C:\\Mail\\new.pst\r\nDefault PST Path : C:\\Mail\\a.pst"
                                "\r\nBackup PST Path : C:\\Bak"))
        << Log();
}

TEST_F(TargetStepTest, TheExistingPstBrowserFillsItsBoxAndBackEmptiesTheFolderList)
{
    PutFile(u"C:\\Mail\\b.pst", "pst");
    AppendStringNode(&g_pSelFolderList, u"Lotus Notes\\Inbox\\");
    AppendStringNode(&g_pSelFolderList, u"Lotus Notes\\Sent\\");
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    Tick(step, kBackupCheck);

    // A cancelled dialog changes nothing and gives the step back whole.
    wcscpy_s(g_szPstPath, MAX_PATH, u"C:\\Earlier.pst");
    automation::Click(::GetDlgItem(step, kBrowseExisting));
    HWND dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    automation::Click(::GetDlgItem(dialog, IDCANCEL));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::IsEnabled(step); }));
    // The step is enabled before its backup controls: the handler's end.
    Settle(step);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kExistingPath)), u"");
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Earlier.pst");
    for (int button : {IDOK, 1017, kBrowseExisting, kBrowseBackup})
        EXPECT_TRUE(Enabled(step, button)) << button;

    automation::Click(::GetDlgItem(step, kBrowseExisting));
    dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(automation::IsEnabled(step));
    EXPECT_FALSE(Enabled(step, kBrowseBackup));
    EXPECT_FALSE(Enabled(step, IDOK));
    ASSERT_TRUE(automation::TypeFileName(dialog, u"C:\\Mail\\b.pst"));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::IsEnabled(step); }));
    Settle(step);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kExistingPath)), u"C:\\Mail\\b.pst");
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\b.pst");
    EXPECT_TRUE(Enabled(step, kBrowseBackup));

    automation::Click(::GetDlgItem(step, 1017));
    ASSERT_TRUE(RunEnded());
    EXPECT_EQ(g_pSelFolderList, nullptr);
    EXPECT_EQ(std::u16string(g_szPstPath), u"C:\\Mail\\b.pst") << "Back keeps the target";
}

// The buttons that every step from 2 to 5 shares, and F1.
TEST_F(TargetStepTest, ViewLogSupportAndF1OpenWhatTheySay)
{
    wcscpy_s(g_szLogDir, MAX_PATH, u"C:\\Logs");
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    automation::Click(::GetDlgItem(step, 1004));
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 1; }));
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(win32::ReadShellJournal()[0].parameters, u"C:\\Logs\\Activity Log.txt");
    automation::Click(::GetDlgItem(step, 1005));
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 2; }));
    EXPECT_EQ(win32::ReadShellJournal()[1].file, u"http://www.example.org/support");
    // No browser on this machine: the log says why nothing opened.
    const std::string log = ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt"));
    EXPECT_NE(log.find("Support : no web browser on this machine to open http://www.example.org/support"),
              std::string::npos)
        << log;
    automation::PressKey(::GetDlgItem(step, kNewPath), VK_F1);
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() > 2; }));
    const auto help = win32::ReadShellJournal()[2];
    EXPECT_EQ(help.file, u"Pellinor for Lotes Notes NSF - MS Outlook PST.chm");
    EXPECT_TRUE(user::MessageBoxHistory().empty());
    EXPECT_TRUE(::IsWindowVisible(step));
}

TEST_F(TargetStepTest, TheExitPromptsAskAndNoLeavesTheStep)
{
    HWND step = Open();
    ASSERT_NE(step, nullptr);
    automation::Click(::GetDlgItem(step, 1006));
    Answer(ExpectBox(u"Are you sure you want to exit?", 0x1024, step), IDNO);
    automation::PressKey(step, VK_ESCAPE);
    Answer(ExpectBox(u"Are you sure you want to exit?", 0x1024, step), IDNO);
    ASSERT_TRUE(automation::ChooseMenuCommand(step, 32771));
    HWND box = ExpectBox(u"Are you sure you want to exit.", 0x1024, step);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(::IsWindowVisible(step));
    automation::AnswerMessageBox(box, IDYES);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace

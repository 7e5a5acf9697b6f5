// Wizard step 2 driven as a user drives it: the database proposed by mode
// from the Notes installation, the body format, the checks of Next in their
// order with their messages, the backup copy, the log block, Back and the
// browsers.
#include "StepFixture.h"
#include "user/ShlObj.h"

#include <cstdlib>

namespace {

constexpr int kNext = 3;
constexpr int kNsfPath = 1012;
constexpr int kBackupPath = 1013;
constexpr int kBackupCheck = 1014;
constexpr int kBrowseNsf = 1015;
constexpr int kBrowseBackup = 1016;
constexpr int kTxt = 1049;
constexpr int kRtf = 1050;

constexpr UINT kNotice = 0x1040;
constexpr UINT kStop = 0x1010;
constexpr const char16_t* kSamePath =
    u"Existing NSF file path and Backup Path are same, please specify different path.";

class SourceStepTest : public StepFixture {
protected:
    void TearDown() override
    {
        ::unsetenv("MARLWICK_DISK_FREE");
        StepFixture::TearDown();
    }
};

TEST_F(SourceStepTest, TheMailModeProposesTheFirstMailDatabaseAndTheFormatButtonsSetEachOther)
{
    PutFile(u"C:\\Notes\\Data\\mail\\rhale.nsf", "mail");
    HWND step = StartAtStep2(1010);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"C:\\Notes\\Data\\mail\\rhale.nsf");
    EXPECT_EQ(std::u16string(g_strNsfPath), u"C:\\Notes\\Data\\mail\\rhale.nsf");
    EXPECT_TRUE(user::MessageBoxHistory().empty()) << "a Notes installation gives no message";
    EXPECT_EQ(::GetWindow(step, GW_OWNER), m_main);
    EXPECT_FALSE(automation::IsEnabled(::GetDlgItem(step, kBrowseBackup))) << "the backup box starts unticked";
    EXPECT_TRUE(automation::IsVisible(::GetDlgItem(step, kRtf)));
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kTxt)), 1u);
    EXPECT_EQ(g_nMailBodyFormat, 1);

    // Each button starts its own group, yet choosing one clears the other.
    automation::Click(::GetDlgItem(step, kRtf));
    ASSERT_TRUE(automation::WaitUntil([&] { return g_nMailBodyFormat == 0; }));
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kTxt)), 0u);
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kRtf)), 1u);
    automation::Click(::GetDlgItem(step, kTxt));
    ASSERT_TRUE(automation::WaitUntil([&] { return g_nMailBodyFormat == 1; }));
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kRtf)), 0u);

    Tick(step, kBackupCheck);
    EXPECT_TRUE(automation::WaitUntil([&] { return automation::IsEnabled(::GetDlgItem(step, kBrowseBackup)); }));
    automation::Click(::GetDlgItem(step, kBackupCheck));
    EXPECT_TRUE(automation::WaitUntil([&] { return !automation::IsEnabled(::GetDlgItem(step, kBrowseBackup)); }));

    // Back leaves the choices as they are; a new visit starts afresh.
    automation::Click(::GetDlgItem(step, kRtf));
    ASSERT_TRUE(automation::WaitUntil([&] { return g_nMailBodyFormat == 0; }));
    Back(step, m_main);
    EXPECT_EQ(g_nMailBodyFormat, 0);
    automation::Click(::GetDlgItem(m_main, IDOK));
    step = WaitForStep(kStep2Control);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(g_nMailBodyFormat, 1);
    EXPECT_EQ(automation::CheckStateOf(::GetDlgItem(step, kRtf)), 0u);
}

TEST_F(SourceStepTest, TheAddressBookIsProposedUncheckedAndTheFormatButtonsHide)
{
    HWND step = StartAtStep2(1011);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"C:\\Notes\\Data\\names.nsf");
    EXPECT_FALSE(automation::IsVisible(::GetDlgItem(step, kTxt)));
    EXPECT_FALSE(automation::IsVisible(::GetDlgItem(step, kRtf)));
    EXPECT_EQ(g_nMailBodyFormat, 1) << "hidden, yet plain text";
    ExpectRefusal(step, kNext, u"Source path does't exist.", kNotice);
}

TEST_F(SourceStepTest, WithoutNotesTheStepSaysSoOnceAndOpensEmpty)
{
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer"), ERROR_SUCCESS);
    g_strNsfPath = u"C:\\Earlier\\kept.nsf";
    m_main = Start();
    ASSERT_NE(m_main, nullptr);
    automation::Click(::GetDlgItem(m_main, 1048));
    automation::Click(::GetDlgItem(m_main, IDOK));
    // The step asks while it opens, before it shows: the box is its own.
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    user::MessageBoxRecord record;
    ASSERT_TRUE(user::MessageBoxRecordOf(box, record));
    EXPECT_EQ(record.text, u"Lotus Notes not found installed or corrupted. Please install Lotus Notes & re-run "
                           u"conversion Application");
    EXPECT_EQ(record.type, 0u) << "OK, no icon";
    EXPECT_EQ(record.caption, u"Pellinor for NSF to PST");
    ASSERT_NE(record.owner, nullptr);
    EXPECT_NE(::GetDlgItem(record.owner, kBrowseNsf), nullptr) << "owned by the step";
    Answer(box, IDOK);
    HWND step = WaitForStep(kStep2Control);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(record.owner, step);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"");
    EXPECT_EQ(std::u16string(g_strNsfPath), u"C:\\Earlier\\kept.nsf");
    EXPECT_EQ(user::MessageBoxHistory().size(), 1u);
}

TEST_F(SourceStepTest, TheCalendarModeProposesTheMailDatabaseAndAnEmptyMailFolderNothing)
{
    PutFile(u"C:\\Notes\\Data\\mail\\ann.nsf", "mail");
    PutFile(u"C:\\Notes\\Data\\mail\\notes.txt", "not a database");
    HWND step = StartAtStep2(1048);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"C:\\Notes\\Data\\mail\\ann.nsf");
    EXPECT_EQ(std::u16string(g_strNsfPath), u"C:\\Notes\\Data\\mail\\ann.nsf");
    EXPECT_FALSE(automation::IsVisible(::GetDlgItem(step, kTxt)));
    EXPECT_FALSE(automation::IsVisible(::GetDlgItem(step, kRtf)));
    Back(step, m_main);

    // No database in the mail folder: the box stays empty, nothing is said,
    // and the path of the last visit is kept.
    std::filesystem::remove(Host(u"C:\\Notes\\Data\\mail\\ann.nsf"));
    automation::Click(::GetDlgItem(m_main, 1010));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(::GetDlgItem(m_main, 1010)) == 1; }));
    automation::Click(::GetDlgItem(m_main, IDOK));
    step = WaitForStep(kStep2Control);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"");
    EXPECT_EQ(std::u16string(g_strNsfPath), u"C:\\Notes\\Data\\mail\\ann.nsf");
    EXPECT_TRUE(user::MessageBoxHistory().empty());
}

// An empty data folder is still a Notes installation: the address book is
// proposed by its bare name and nothing is said.
TEST_F(SourceStepTest, AnEmptyDataFolderValueIsReadAndProposesTheBareAddressBook)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char16_t empty[] = u"";
    ASSERT_EQ(RegSetValueExW(key, u"DirectoryValue", 0, REG_SZ, reinterpret_cast<const BYTE*>(empty), sizeof empty),
              ERROR_SUCCESS);
    RegCloseKey(key);
    HWND step = StartAtStep2(1011);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"names.nsf");
    EXPECT_EQ(std::u16string(g_strNsfPath), u"names.nsf");
    EXPECT_TRUE(user::MessageBoxHistory().empty());
}

TEST_F(SourceStepTest, NextChecksTheDatabaseAndTheBackupInTheirOrderAndLogsNothingWhenRefused)
{
    PutFile(u"C:\\Data\\a.nsf", std::string(6000, 'n'));
    MakeFolder(u"C:\\Bak");
    // Calendar: step 3 then shows the database itself without reading it.
    HWND step = StartAtStep2(1048);
    ASSERT_NE(step, nullptr);

    for (const char16_t* path : {u"C:\\Data\\x.ns", u"C:\\Data\\x", u""}) {
        SetText(step, kNsfPath, path);
        ExpectRefusal(step, kNext, u"Not a valid NSF file.", kNotice);
    }
    // Only four characters from the last "." count, wherever that dot is.
    for (const char16_t* path : {u"C:\\Data\\x.nsfbak", u"C:\\a.nsf\\file"}) {
        SetText(step, kNsfPath, path);
        ExpectRefusal(step, kNext, u"Source path does't exist.", kNotice);
    }

    SetText(step, kNsfPath, u"C:\\Data\\a.nsf");
    Tick(step, kBackupCheck);
    ExpectRefusal(step, kNext, u"Backup path does't exist.", kNotice);
    for (const char16_t* backup : {u"c:\\data", u"C:\\Data\\"}) {
        SetText(step, kBackupPath, backup);
        ExpectRefusal(step, kNext, kSamePath, kNotice);
    }
    SetText(step, kBackupPath, u"C:\\Data\\Old");
    ExpectRefusal(step, kNext, u"Backup path does't exist.", kNotice);
    SetText(step, kBackupPath, u"C:\\Data\\a.nsf"); // a file is no backup folder
    ExpectRefusal(step, kNext, u"Backup path does't exist.", kNotice);

    SetText(step, kBackupPath, u"C:\\Bak");
    HANDLE holder = CreateFileW(u"C:\\Data\\a.nsf", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ExpectRefusal(step, kNext, u"File already in use.", kStop);
    CloseHandle(holder);

    // Exactly the database's size is not enough; one byte more is.
    ::setenv("MARLWICK_DISK_FREE", "6000", 1);
    ExpectRefusal(step, kNext, u"Not enough space at the destination. Please select different location.", kStop);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Bak\\a.nsf")));
    EXPECT_EQ(Occurrences(Log(), "Step 2 :"), 0) << "a refused Next logs nothing";

    ::setenv("MARLWICK_DISK_FREE", "6001", 1);
    automation::Click(::GetDlgItem(step, kNext));
    HWND next = WaitForStep3();
    ASSERT_NE(next, nullptr);
    EXPECT_FALSE(::IsWindowVisible(step));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\a.nsf")), std::string(6000, 'n')) << "the backup was made first";
    EXPECT_EQ(g_pBackupSrcList, nullptr) << "the lists are emptied when the copier returns";
    EXPECT_EQ(g_pBackupDstList, nullptr);
    const std::string log = Log();
    EXPECT_NE(log.find("\r\n\r\n\r\nStep 2 :\r\n-------\r\nNSF Source Path : C:\\Data\\a.nsf\r\n"
                       "Backup NSF Path : C:\\Bak"),
              std::string::npos)
        << log;
    BackFromStep3(next, step);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kBackupPath)), u"C:\\Bak") << "as the user left it";
}

TEST_F(SourceStepTest, ABackupIntoADriveRootAndNoBackupAtAll)
{
    PutFile(u"C:\\Data\\a.nsf", "database");
    HWND step = StartAtStep2(1048);
    ASSERT_NE(step, nullptr);
    SetText(step, kNsfPath, u"C:\\Data\\a.nsf");
    // Unticked, the backup text counts only for the log.
    SetText(step, kBackupPath, u"C:\\Nowhere");
    automation::Click(::GetDlgItem(step, kNext));
    HWND next = WaitForStep3();
    ASSERT_NE(next, nullptr);
    EXPECT_NE(Log().find("Backup NSF Path : C:\\Nowhere"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Nowhere")));
    BackFromStep3(next, step);

    // "C:\" and "\a.nsf" give "C:\\a.nsf", the root's own a.nsf.
    Tick(step, kBackupCheck);
    SetText(step, kBackupPath, u"C:\\");
    automation::Click(::GetDlgItem(step, kNext));
    next = WaitForStep3();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\a.nsf")), "database");
    EXPECT_EQ(Occurrences(Log(), "Step 2 :"), 2) << "every Next that goes on logs its block";
}

// The copier asks before it overwrites an earlier backup; the step waits
// for it and goes on whatever the answer, and the old copy answered No
// stays as it was.
TEST_F(SourceStepTest, AnEarlierBackupIsOverwrittenOnlyOnYesAndTheStepGoesOnEitherWay)
{
    PutFile(u"C:\\Data\\a.nsf", "new database");
    PutFile(u"C:\\Bak\\a.nsf", "earlier backup, longer than the database");
    HWND step = StartAtStep2(1048);
    ASSERT_NE(step, nullptr);
    SetText(step, kNsfPath, u"C:\\Data\\a.nsf");
    Tick(step, kBackupCheck);
    SetText(step, kBackupPath, u"C:\\Bak");

    for (int answer : {IDNO, IDYES}) {
        automation::Click(::GetDlgItem(step, kNext));
        HWND box = automation::WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        user::MessageBoxRecord record;
        ASSERT_TRUE(user::MessageBoxRecordOf(box, record));
        EXPECT_EQ(record.text, u"File Exists, Do You Want To Overwrite?");
        EXPECT_EQ(record.type, 0x1024u);
        ASSERT_NE(record.owner, nullptr);
        EXPECT_NE(::GetDlgItem(record.owner, 1022), nullptr) << "asked by the copier";
        EXPECT_FALSE(automation::IsEnabled(step)) << "the step waits for the copier";
        Answer(box, answer);
        HWND next = WaitForStep3();
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\a.nsf")),
                  answer == IDYES ? "new database" : "earlier backup, longer than the database");
        BackFromStep3(next, step);
    }
    EXPECT_EQ(Occurrences(Log(), "Backup NSF Path : C:\\Bak"), 2);
}

TEST_F(SourceStepTest, TheBrowsersFillTheBoxesAndCancelChangesNothing)
{
    PutFile(u"C:\\Data\\b.nsf", "b");
    MakeFolder(u"C:\\Bak\\Nsf");
    HWND step = StartAtStep2(1010);
    ASSERT_NE(step, nullptr);

    // A cancelled dialog changes nothing and gives the step back whole.
    SetText(step, kNsfPath, u"C:\\Data\\kept.nsf");
    automation::Click(::GetDlgItem(step, kBrowseNsf));
    HWND dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    automation::Click(::GetDlgItem(dialog, IDCANCEL));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::IsEnabled(step); }));
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"C:\\Data\\kept.nsf");
    for (int button : {kNext, 1017, kBrowseNsf})
        EXPECT_TRUE(automation::IsEnabled(::GetDlgItem(step, button))) << button;

    automation::Click(::GetDlgItem(step, kBrowseNsf));
    dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(automation::IsEnabled(step)) << "the step waits for the dialog";
    EXPECT_FALSE(automation::IsEnabled(::GetDlgItem(step, kNext)));
    EXPECT_FALSE(automation::IsEnabled(::GetDlgItem(step, 1017)));
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), nullptr) << "the dialog has no owner";
    ASSERT_TRUE(automation::PickFile(dialog, u"C:\\Data\\b.nsf"));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::IsEnabled(step); }));
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kNsfPath)), u"C:\\Data\\b.nsf");
    EXPECT_EQ(std::u16string(g_strNsfPath), u"C:\\Data\\b.nsf");
    EXPECT_TRUE(automation::IsEnabled(::GetDlgItem(step, kNext)));
    EXPECT_FALSE(automation::IsEnabled(::GetDlgItem(step, kBrowseBackup))) << "still unticked";

    // The backup folder's browser lets a folder be chosen.
    Tick(step, kBackupCheck);
    automation::Click(::GetDlgItem(step, kBrowseBackup));
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(browser, kBrowseTitleId)), u"Please select a folder below. Then Click OK.");
    ASSERT_TRUE(automation::PickFolder(browser, u"C:\\Bak\\Nsf"));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::IsEnabled(step); }));
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kBackupPath)), u"C:\\Bak\\Nsf");

    automation::Click(::GetDlgItem(step, kBrowseBackup));
    browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    automation::PressKey(browser, VK_ESCAPE);
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::IsEnabled(step); }));
    EXPECT_EQ(automation::TextOf(::GetDlgItem(step, kBackupPath)), u"C:\\Bak\\Nsf");

    // The box's text when Next is pressed counts, not the file browsed.
    PutFile(u"C:\\Data\\typed.nsf", "t");
    automation::Click(::GetDlgItem(step, kBackupCheck));
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::CheckStateOf(::GetDlgItem(step, kBackupCheck)) == 0; }));
    SetText(step, kNsfPath, u"C:\\Data\\typed.nsf");
    automation::Click(::GetDlgItem(step, kNext));
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindowVisible(step); })) << "step 3 runs";
    EXPECT_EQ(std::u16string(g_strNsfPath), u"C:\\Data\\typed.nsf");
    EXPECT_NE(Log().find("NSF Source Path : C:\\Data\\typed.nsf\r\n"), std::string::npos);
    // The typed file holds no database: step 3 says so and waits for Back.
    Answer(ExpectBox(u"Please check if you have select the correct source file.", 0x1010, nullptr), IDOK);
}

} // namespace

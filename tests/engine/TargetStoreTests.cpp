// An existing PST as the target: the password that Outlook asks for before
// it adds a protected store, a PST in the old ANSI format refused before
// anything is written, and the log lines that say why a target failed.
#include "MailRunFixture.h"

#include "AnsiStoreWriter.h"
#include "RunFlags.h"
#include "WizardSelections.h"
#include "user/Automation.h"
#include "win32/FileApi.h"

#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

namespace enginetest {
namespace {

namespace automation = user::automation;
namespace fs = std::filesystem;

constexpr const char16_t* kOutlookMissing =
    u"Microsoft Outlook not found installed or corrupted. Please install Microsoft Outlook & re-run conversion "
    u"Application";
constexpr const char16_t* kOutlookNotConfigured =
    u"Outlook is not properly configured. Please Re-Install the software.";
constexpr const char16_t* kAnsiPst =
    u"This PST file is in the old ANSI format and cannot be updated. Please choose another PST file or a new one.";
constexpr const char16_t* kPasswordCaption = u"Outlook Data File Password";
constexpr int kPasswordEdit = 1001;
constexpr const char* kSamplePst = MARLWICK_PST_SAMPLES "/passworded.pst";

constexpr const char* kMail = R"nsf(
view ($All)
entries a b
folder ($Inbox)
entries a b

note a
text Subject "first"
note b
text Subject "second"
)nsf";

class TargetStore : public MailRunFixture {
public:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        UseNsf(kMail);
        TickFolders({u"Inbox"});
        g_bUpdateExistingPst = 1;
    }

    fs::path Target() { return Host(kPstPath); }

    // A store of our own at the target path, named as a user named it.
    void MakeTarget(const char16_t* name = u"Archive 2024")
    {
        auto made = mapi::CStore::Create(Target(), name);
        ASSERT_TRUE(made.Ok()) << made.Message();
        ASSERT_TRUE((*made)->Close().Ok());
    }

    void ProtectTarget(const std::u16string& password)
    {
        ASSERT_TRUE(componenttest::ProtectStore(Target(), password));
    }

    // The sample that Outlook protected with a password nobody here knows.
    void CopySampleToTarget()
    {
        if (!fs::exists(kSamplePst))
            GTEST_SKIP() << "the shared PST samples are not beside the clone";
        fs::copy_file(kSamplePst, Target(), fs::copy_options::overwrite_existing);
        fs::permissions(Target(), fs::perms::owner_read | fs::perms::owner_write);
    }

    // The dialog of Outlook's question, on the thread that opens step 6.
    HWND WaitForPasswordDialog()
    {
        HWND dialog = automation::WaitForWindow(kPasswordCaption, kPatience);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    void AnswerPassword(const std::u16string& password)
    {
        HWND dialog = WaitForPasswordDialog();
        if (!dialog)
            return;
        HWND edit = automation::FindControl(dialog, kPasswordEdit);
        automation::Click(edit);
        automation::TypeText(edit, password);
        automation::Click(automation::FindControl(dialog, IDOK));
    }

    // The run goes to its completion dialog, which reports the result.
    void ExpectRunEnds(const std::u16string& result)
    {
        EXPECT_EQ(CloseCompletionDialog(WaitForCompletionDialog()), result);
    }

    // Both target sessions fail: Outlook's fixed message as step 6 opens,
    // Brenmoor's on the worker; the run ends aborted.
    void ExpectBothSessionsFail(const std::u16string& outlookText = kOutlookMissing)
    {
        auto outlook = Answer(outlookText, IDOK);
        EXPECT_EQ(outlook.type, 0u);
        EXPECT_TRUE(automation::WaitUntil([] { return g_bStopRequested == 1 && g_bAbortRequested == 1; }));
        auto brenmoor = Answer(kOutlookNotConfigured, IDOK);
        EXPECT_EQ(brenmoor.type, 0x1010u);
        ExpectRunEnds(u"Conversion Aborted");
    }

    bool LoggedReason(const std::string& description) const
    {
        return LogHas("Target PST not opened : " + description);
    }

    // An existing PST that both target sessions refuse: the fixed messages,
    // the reason in the log, the file as it was.
    void ExpectRefusedAndLogged(const std::string& reason)
    {
        const std::string before = ReadHostFile(Target());
        BeginRun();
        ExpectBothSessionsFail();
        EXPECT_TRUE(LoggedReason(reason)) << reason;
        EXPECT_TRUE(ReadHostFile(Target()) == before);
    }

    void TearDown() override
    {
        if (m_held)
            CloseHandle(m_held);
        if (m_writer >= 0)
            ::close(m_writer);
        SetFileAttributesW(u"C:\\Data", FILE_ATTRIBUTE_NORMAL);
        MailRunFixture::TearDown();
    }

    HANDLE m_held = nullptr;
    int m_writer = -1;
};

TEST_F(TargetStore, TheRightPasswordAddsTheStoreAndTheRunConvertsIntoIt)
{
    MakeTarget();
    ProtectTarget(u"Brass-7");
    BeginRun();
    AnswerPassword(u"Brass-7");
    ASSERT_NE(WaitForProgressDialog(), nullptr);
    EXPECT_EQ(Dialog().m_strTargetFolder.Str(), u"Archive 2024");
    ExpectRunEnds(u"Conversion Completed Successfully");
    EXPECT_TRUE(Boxes().empty());
    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].GetSubject(), u"first");
    EXPECT_EQ(messages[1].GetSubject(), u"second");
    // The question came once: Brenmoor found the store Outlook had added.
    EXPECT_EQ(automation::WaitForWindow(kPasswordCaption, std::chrono::milliseconds(0)), nullptr);
}

TEST_F(TargetStore, CancelEndsTheRunAbortedWithTheSampleUntouched)
{
    CopySampleToTarget();
    if (IsSkipped())
        return;
    const std::string before = ReadHostFile(Target());
    BeginRun();
    HWND dialog = WaitForPasswordDialog();
    ASSERT_NE(dialog, nullptr);
    automation::Click(automation::FindControl(dialog, IDCANCEL));
    ExpectBothSessionsFail();
    EXPECT_TRUE(ReadHostFile(Target()) == before) << "the PST is unchanged byte for byte";
    EXPECT_TRUE(LoggedReason("the password of C:\\Data\\Mail.pst was not given"));
    // Brenmoor opens no protected store that Outlook has not added.
    EXPECT_TRUE(LoggedReason("C:\\Data\\Mail.pst is protected by a password"));
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
}

TEST_F(TargetStore, AWrongPasswordEndsTheRunAbortedWithTheSampleUntouched)
{
    CopySampleToTarget();
    if (IsSkipped())
        return;
    const std::string before = ReadHostFile(Target());
    BeginRun();
    AnswerPassword(u"not it");
    ExpectBothSessionsFail();
    EXPECT_TRUE(ReadHostFile(Target()) == before) << "the PST is unchanged byte for byte";
    EXPECT_TRUE(LoggedReason("the password given for C:\\Data\\Mail.pst is not correct"));
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
}

TEST_F(TargetStore, AnAnsiPstIsRefusedBeforeAnythingIsWrittenIntoIt)
{
    const fs::path unicode = Host(u"C:\\Data\\Unicode.pst");
    {
        auto made = mapi::CStore::Create(unicode, u"Old Archive");
        ASSERT_TRUE(made.Ok()) << made.Message();
        ASSERT_TRUE((*made)->Close().Ok());
    }
    auto written = mapitest::WriteAnsiCopy(unicode, Target());
    ASSERT_TRUE(written.Ok()) << written.Message();
    const std::string before = ReadHostFile(Target());
    BeginRun();
    ExpectBothSessionsFail(kAnsiPst);
    EXPECT_TRUE(ReadHostFile(Target()) == before);
    EXPECT_TRUE(LoggedReason("C:\\Data\\Mail.pst is in the old ANSI format and cannot be updated"));
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
}

// The fixed texts stay; the log says what actually failed.
TEST_F(TargetStore, AFileThatIsNoPstIsLoggedSo)
{
    WriteHostFile(Target(), "this is no personal folders file");
    ExpectRefusedAndLogged("C:\\Data\\Mail.pst is not a personal folders file");
}

TEST_F(TargetStore, AReadOnlyPstIsLoggedSo)
{
    MakeTarget();
    ASSERT_TRUE(SetFileAttributesW(kPstPath, FILE_ATTRIBUTE_READONLY));
    ExpectRefusedAndLogged("C:\\Data\\Mail.pst is read-only");
}

TEST_F(TargetStore, APstThatAProgramHoldsIsLoggedInUse)
{
    MakeTarget();
    m_held = CreateFileW(kPstPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(m_held, INVALID_HANDLE_VALUE);
    ExpectRefusedAndLogged("C:\\Data\\Mail.pst is in use by another program");
}

TEST_F(TargetStore, APstThatAnotherStoreWritesIsLoggedInUse)
{
    MakeTarget();
    m_writer = ::open(Target().c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(m_writer, LOCK_EX | LOCK_NB), 0);
    ExpectRefusedAndLogged("C:\\Data\\Mail.pst is in use by another program");
}

TEST_F(TargetStore, ANewPstInAFolderThatCannotBeWrittenLogsItsFolder)
{
    g_bUpdateExistingPst = 0;
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Data", FILE_ATTRIBUTE_READONLY));
    ASSERT_NE(StartRun(), nullptr);
    auto brenmoor = Answer(kOutlookNotConfigured, IDOK);
    EXPECT_EQ(brenmoor.type, 0x1010u);
    ExpectRunEnds(u"Conversion Aborted");
    EXPECT_TRUE(LoggedReason("the folder of C:\\Data\\Mail.pst cannot be written"));
    EXPECT_FALSE(fs::exists(Target()));
}

} // namespace
} // namespace enginetest

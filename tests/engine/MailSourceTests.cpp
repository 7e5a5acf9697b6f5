// An NSF that cannot be read, and a Notes session that cannot be started:
// each is reported and the run ends as not completed.
#include "MailRunFixture.h"

#include "AppSettings.h"
#include "RunFlags.h"
#include "notes/FaultTable.h"

namespace enginetest {
namespace {

constexpr const char16_t* kWrongSource = u"Please check if you have select the correct source file.";
constexpr const char16_t* kNotConfigured = u"Your Lotus Notes is not confogured, please call Administrator ";

class MailSource : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        TickFolders({u"Inbox"});
        UseNsf("folder ($Inbox)\nentries one\nnote one\ntext Subject one\n");
    }

    // The run reports the source and ends through the completion dialog
    // that the converter shows, without a summary.
    void ExpectUnreadableSource()
    {
        ASSERT_NE(StartRun(), nullptr);
        auto box = Answer(kWrongSource, IDOK);
        EXPECT_EQ(box.type, 0x1010u);
        EXPECT_EQ(box.caption, kCaption);
        HWND completion = WaitForCompletionDialog();
        ASSERT_NE(completion, nullptr);
        EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion not completed successfully");
        EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
        EXPECT_TRUE(LoggedSummaries().empty());
        EXPECT_EQ(g_bStopRequested, 1);
        EXPECT_EQ(g_bNotCompleted, 1);
    }
};

TEST_F(MailSource, AnNsfThatIsNotThereIsReported)
{
    g_strNsfPath = u"C:\\Notes\\Data\\mail\\gone.nsf";
    ExpectUnreadableSource();
}

TEST_F(MailSource, AFileThatIsNoDatabaseIsReported)
{
    WriteHostFile(Host(kNsfPath), "not a database at all");
    ExpectUnreadableSource();
}

TEST_F(MailSource, ADatabaseWhoseViewsCannotBeListedIsReported)
{
    notes::SetFault("LNDatabase::GetViewFolders", LNERR_DATABASE_CORRUPT);
    ExpectUnreadableSource();
}

TEST_F(MailSource, ASessionThatCannotBeInitialisedIsReportedAndTheRunEndsNotCompleted)
{
    notes::SetFault("LNNotesSession::Initialize", LNERR_BAD_VERSION);
    ASSERT_NE(StartRun(), nullptr);
    auto box = Answer(kNotConfigured, IDOK);
    EXPECT_EQ(box.type, 0x1040u);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion not completed successfully");
    // The converter returned early: the thread's end logged the summary.
    EXPECT_EQ(LoggedSummaries(), (std::vector<std::vector<std::string>>{
                                     {"No. of folder selected : 1", "Current Progress : 0", "Overall Progress : 0"}}));
    EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
}

TEST_F(MailSource, ADatabaseThatFailsToCloseAtTheEndStillEndsTheRunInItsCompletionDialog)
{
    notes::SetFault("LNDatabase::Close", LNERR_WRITE_FAILED);
    notes::SetFault("LNNotesSession::Term", LNERR_NO_SESSION);
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    EXPECT_EQ(MessagesIn({u"Inbox"}).size(), 1u);
}

} // namespace
} // namespace enginetest

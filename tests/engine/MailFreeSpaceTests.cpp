// The free-space question before each document: asked at 300 MB or less,
// No ending the run with the summary logged by the converter, the fourth
// Yes ending it through the thread's own end; a drive that cannot be
// measured asks nothing.
#include "MailRunFixture.h"

#include "PstFreeSpace.h"
#include "RunFlags.h"
#include "user/Automation.h"

namespace enginetest {
namespace {

constexpr const char16_t* kQuestion = u"Free space is less than 300 MB. Are you sure you want to continue?";

constexpr const char* kTwoFolders = R"nsf(
folder ($Inbox)
entries one two three
folder ($Sent)
entries four five

note one
text Subject one
note two
text Subject two
note three
text Subject three
note four
text Subject four
note five
text Subject five
)nsf";

using Lines = std::vector<std::string>;

class MailFreeSpace : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        UseNsf(kTwoFolders);
        TickFolders({u"Inbox", u"Sent"});
    }

    std::size_t QuestionsAsked() const
    {
        std::size_t asked = 0;
        for (const auto& box : Boxes())
            asked += box.text == kQuestion;
        return asked;
    }
};

TEST_F(MailFreeSpace, OneByteAboveThreeHundredMegabytesAsksNothing)
{
    PinFreeSpace(kThreshold + 1);
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(MessagesIn({u"Inbox"}).size(), 3u);
}

TEST_F(MailFreeSpace, AtThreeHundredMegabytesEveryDocumentAsksAndNoEndsTheRunAborted)
{
    PinFreeSpace(kThreshold);
    ASSERT_NE(StartRun(), nullptr);
    auto first = Answer(kQuestion, IDYES);
    EXPECT_EQ(first.type, 0x1024u);
    EXPECT_EQ(first.caption, kCaption);
    EXPECT_EQ(first.owner, m_progress);
    Answer(kQuestion, IDNO);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_FALSE(user::automation::IsVisible(m_progress));
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");

    EXPECT_EQ(QuestionsAsked(), 2u);
    // The converter logged the summary itself, then the result followed.
    EXPECT_EQ(LoggedSummaries(),
              (std::vector<Lines>{{"No. of folder selected : 2", "Current Progress : 2", "Overall Progress : 1"}}));
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
    EXPECT_EQ(g_nFoldersLogged, 2);
    EXPECT_EQ(g_bStopRequested, 0);
    EXPECT_EQ(MessagesIn({u"Inbox"}).size(), 1u);
}

TEST_F(MailFreeSpace, TheFourthYesOfARunAcrossFoldersEndsIt)
{
    PinFreeSpace(kThreshold);
    ASSERT_NE(StartRun(), nullptr);
    for (int yes = 0; yes < 4; ++yes)
        Answer(kQuestion, IDYES);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");

    EXPECT_EQ(QuestionsAsked(), 4u);
    // Three documents went through; the fourth, the first of ($Sent), did not.
    EXPECT_EQ(MessagesIn({u"Inbox"}).size(), 3u);
    EXPECT_TRUE(MessagesIn({u"Sent"}).empty());
    // The thread's end wrote the summary, once.
    EXPECT_EQ(LoggedSummaries(),
              (std::vector<Lines>{{"No. of folder selected : 2", "Current Progress : 1", "Overall Progress : 2"}}));
    EXPECT_EQ(g_bStopRequested, 1);
    EXPECT_EQ(g_bAbortRequested, 1);
}

TEST_F(MailFreeSpace, TheQuestionIsAboutTheFolderOfThePst)
{
    // Only the PST's own folder is short of room.
    const std::u16string pstFolder = u"C:\\Data";
    win32::SetDiskFreeSpaceHook([pstFolder](LPCWSTR path) -> std::optional<ULONGLONG> {
        return path == pstFolder ? kThreshold : kPlentyFree;
    });
    ASSERT_NE(StartRun(), nullptr);
    Answer(kQuestion, IDNO);
    EXPECT_EQ(CloseCompletionDialog(WaitForCompletionDialog()), u"Conversion Aborted");
    EXPECT_EQ(QuestionsAsked(), 1u);
    EXPECT_TRUE(MessagesIn({u"Inbox"}).empty());
}

TEST_F(MailFreeSpace, ADriveThatCannotBeMeasuredAsksNothingAndIsLoggedOnce)
{
    PinFreeSpace(std::nullopt);
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    EXPECT_TRUE(Boxes().empty());
    auto lines = LogLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("Free space") != std::string::npos; }),
              1);
    EXPECT_EQ(MessagesIn({u"Inbox"}).size(), 3u);
    EXPECT_EQ(MessagesIn({u"Sent"}).size(), 2u);
}

} // namespace
} // namespace enginetest

// The loop over a folder's documents: the counter and the two bars as each
// document begins, a document that cannot be opened, a stop between two
// steps of a document.
#include "MailRunFixture.h"

#include "RunFlags.h"
#include "notes/FaultTable.h"
#include "user/Automation.h"
#include "user/ProgressBar.h"

#include <future>
#include <mutex>

namespace enginetest {
namespace {

namespace automation = user::automation;

// ($All) and Private are not ticked; the empty ($Drafts) is.
constexpr const char* kThreeInTheInbox = R"nsf(
view ($All)
entries one two three
folder ($Inbox)
entries one two three
folder Private
entries one
folder ($Drafts)

note one
text Subject one
text From "CN=Ann Lee/O=Acme"
note two
text Subject two
text From "CN=Bob Stone/O=Acme"
note three
text Subject three
text From "CN=Cy Fox/O=Acme"
)nsf";

struct Seen {
    std::u16string count;
    int current = 0;
    int overall = 0;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen)
{
    return out << Utf16ToUtf8(seen.count) << " " << seen.current << " " << seen.overall;
}

class MailDocumentLoop : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        UseNsf(kThreeInTheInbox);
        TickFolders({u"Inbox", u"Drafts"});
    }

    // What the dialog shows now, read on the worker's thread.
    Seen Showing()
    {
        HWND dialog = Dialog().GetSafeHwnd();
        return {automation::TextOf(GetDlgItem(dialog, 1034)), ProgressOf(GetDlgItem(dialog, 1019)),
                ProgressOf(GetDlgItem(dialog, 1020))};
    }
};

TEST_F(MailDocumentLoop, EachDocumentMovesTheCounterAndTheBarsEvenWhenItCannotBeOpened)
{
    // The free space is measured as each document begins: what the dialog
    // shows then is what the document before it left.
    std::vector<Seen> seen;
    win32::SetDiskFreeSpaceHook([&](LPCWSTR) -> std::optional<ULONGLONG> {
        seen.push_back(Showing());
        return kPlentyFree;
    });
    notes::SetFault("LNDocument::Open", LNERR_DATABASE_CORRUPT, 1, 1);
    HWND completion = RunToCompletionDialog();

    ASSERT_EQ(seen.size(), 3u);
    // ($All) before the inbox moved the overall bar to a quarter.
    EXPECT_EQ(seen[1], (Seen{u"1/3", 33, 25}));
    EXPECT_EQ(seen[2], (Seen{u"2/3", 66, 25}));
    // The empty ($Drafts) moved only the overall bar.
    EXPECT_EQ(Showing(), (Seen{u"3/3", 100, 100}));
    EXPECT_EQ(TextOf(m_progress, 1033), u"2/2   [($Drafts)]");
    EXPECT_EQ(g_nCurrentProgress, 3);
    EXPECT_EQ(g_nOverallProgress, 2);
    // The lost document makes the run not completed; the run went on.
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion not completed successfully");

    // The second document could not be opened: it is the one missing.
    std::vector<std::u16string> subjects;
    for (const auto& message : MessagesIn({u"Inbox"}))
        subjects.push_back(message.GetSubject());
    EXPECT_EQ(subjects, (std::vector<std::u16string>{u"one", u"three"}));
    EXPECT_TRUE(MessagesIn({u"Drafts"}).empty());
    EXPECT_TRUE(LoggedSummaries().empty());
}

TEST_F(MailDocumentLoop, ADocumentThatCannotBeClosedLeavesTheRestOfItsFolderToBeConverted)
{
    notes::SetFault("LNNote::Close", LNERR_DATABASE_CORRUPT, 0, 1);
    HWND completion = RunToCompletionDialog();
    EXPECT_EQ(Showing(), (Seen{u"3/3", 100, 100}));
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Completed Successfully");
    EXPECT_EQ(MessagesIn({u"Inbox"}).size(), 3u);
}

TEST_F(MailDocumentLoop, AStopBetweenTwoStepsOfADocumentEndsTheRunBeforeItsHandOff)
{
    // The worker is held as the second document begins.
    std::mutex mutex;
    int measured = 0;
    std::promise<void> atSecond, release;
    std::shared_future<void> released = release.get_future().share();
    win32::SetDiskFreeSpaceHook([&](LPCWSTR) -> std::optional<ULONGLONG> {
        std::lock_guard lock(mutex);
        if (++measured == 2) {
            atSecond.set_value();
            released.wait();
        }
        return kPlentyFree;
    });
    ASSERT_NE(StartRun(), nullptr);
    ASSERT_EQ(atSecond.get_future().wait_for(kPatience), std::future_status::ready);

    automation::Click(GetDlgItem(m_progress, IDOK));
    Answer(u"Are you sure you want to stop?", IDYES);
    release.set_value();
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    // The second document got as far as its sender, and no further.
    EXPECT_EQ(TextOf(m_progress, 1034), u"2/3");
    EXPECT_EQ(TextOf(m_progress, 1035), u"Bob Stone/Acme <CN=Bob Stone/O=Acme");
    EXPECT_EQ(TextOf(m_progress, 1036), u"one");
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");

    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].GetSubject(), u"one");
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
    EXPECT_TRUE(LoggedSummaries().empty());
}

} // namespace
} // namespace enginetest

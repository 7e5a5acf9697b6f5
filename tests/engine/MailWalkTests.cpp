// The walk over the view folders: which are converted, where they go in the
// PST, and what the dialog shows meanwhile.
#include "MailRunFixture.h"

#include "AppSettings.h"
#include "MailConverter.h"
#include "RunFlags.h"
#include "notes/FaultTable.h"
#include "user/Automation.h"

namespace enginetest {
namespace {

// Every system folder, a user folder nested in another, a hidden view, a
// folder nobody ticks and one whose name differs only in case.
constexpr const char* kFolders = R"nsf(
view ($All)
entries a b c d e
folder ($Inbox)
entries a
folder ($Sent)
entries b
folder ($Drafts)
folder ($Trash)
entries c
view ($Calendar)
entries e
folder Projects
entries d
folder "Projects\\2026"
entries e
folder Private
entries a
folder inbox
entries b

note a
text Subject "in the inbox"
note b
text Subject "sent"
note c
text Subject "thrown away"
note d
text Subject "project"
note e
text Subject "project of 2026"
)nsf";

class MailWalk : public MailRunFixture {};

TEST_F(MailWalk, TickedFoldersGoBelowTheStepFiveFolderUnderTheirPstNames)
{
    UseNsf(kFolders);
    TickFolders({u"Inbox", u"Sent", u"Drafts", u"Trash", u"Projects", u"Projects\\2026"});
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");

    auto subjects = [this](const std::vector<std::u16string>& levels) {
        std::vector<std::u16string> found;
        for (const auto& message : MessagesIn(levels))
            found.push_back(message.GetSubject());
        return found;
    };
    EXPECT_EQ(subjects({u"Inbox"}), std::vector<std::u16string>{u"in the inbox"});
    EXPECT_EQ(subjects({u"Sent"}), std::vector<std::u16string>{u"sent"});
    EXPECT_EQ(subjects({u"Drafts"}), std::vector<std::u16string>{});
    EXPECT_EQ(subjects({u"Trash"}), std::vector<std::u16string>{u"thrown away"});
    EXPECT_EQ(subjects({u"Projects"}), std::vector<std::u16string>{u"project"});
    EXPECT_EQ(subjects({u"Projects", u"2026"}), std::vector<std::u16string>{u"project of 2026"});
    // Not ticked, hidden, or ticked only in another case: not converted.
    EXPECT_FALSE(HasFolder({u"All"}));
    EXPECT_FALSE(HasFolder({u"Private"}));
    EXPECT_FALSE(HasFolder({u"($Calendar)"}));
    EXPECT_EQ(g_nFoldersDone, 6);
}

// The drafts of the Notes mailbox stay drafts; a sent or a posted copy of
// the same document elsewhere stays sent.
TEST_F(MailWalk, TheNotesDraftsAreSavedUnsentAndTheOtherFoldersSent)
{
    UseNsf(R"nsf(
view ($All)
entries a b
folder ($Inbox)
entries a
folder ($Drafts)
entries b
folder Projects
entries b

note a
text Subject "received"
note b
text Subject "unfinished"
)nsf");
    TickFolders({u"Inbox", u"Drafts", u"Projects"});
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    auto unsent = [this](const std::vector<std::u16string>& levels) {
        std::vector<std::pair<std::u16string, bool>> found;
        for (const auto& message : MessagesIn(levels))
            found.emplace_back(message.GetSubject(), message.IsUnsent());
        return found;
    };
    using Found = std::vector<std::pair<std::u16string, bool>>;
    EXPECT_EQ(unsent({u"Drafts"}), (Found{{u"unfinished", true}}));
    EXPECT_EQ(unsent({u"Inbox"}), (Found{{u"received", false}}));
    EXPECT_EQ(unsent({u"Projects"}), (Found{{u"unfinished", false}}));
}

TEST_F(MailWalk, AStepFiveNameWithABackslashAddsALevelToEveryFolder)
{
    UseNsf(kFolders);
    g_strPstFolderName = u"Mail\\2026";
    TickFolders({u"Inbox", u"Projects\\2026"});
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    ASSERT_EQ(MessagesIn({u"2026", u"Inbox"}).size(), 1u);
    EXPECT_EQ(MessagesIn({u"2026", u"Inbox"})[0].GetSubject(), u"in the inbox");
    ASSERT_EQ(MessagesIn({u"2026", u"Projects", u"2026"}).size(), 1u);
}

TEST_F(MailWalk, AnEntryTicksOnlyTheFolderOfItsOwnCase)
{
    UseNsf(kFolders);
    TickFolders({u"inbox"});
    HWND completion = RunToCompletionDialog();
    // The user folder "inbox" matched; ($Inbox), mapped to "Inbox", did not.
    EXPECT_EQ(TextOf(m_progress, 1033), u"1/1   [inbox]");
    CloseCompletionDialog(completion);
    ASSERT_EQ(MessagesIn({u"inbox"}).size(), 1u);
    EXPECT_EQ(MessagesIn({u"inbox"})[0].GetSubject(), u"sent");
}

TEST_F(MailWalk, ASystemFolderAndAUserFolderOfItsPstNameAreBothConverted)
{
    UseNsf(R"nsf(
folder ($Inbox)
entries a
folder Inbox
entries b
note a
text Subject "system inbox"
note b
text Subject "user inbox"
)nsf");
    TickFolders({u"Inbox"});
    HWND completion = RunToCompletionDialog();
    EXPECT_EQ(TextOf(m_progress, 1033), u"2/1   [Inbox]");
    CloseCompletionDialog(completion);
    std::vector<std::u16string> subjects;
    for (const auto& message : MessagesIn({u"Inbox"}))
        subjects.push_back(message.GetSubject());
    EXPECT_EQ(subjects, (std::vector<std::u16string>{u"system inbox", u"user inbox"}));
}

TEST_F(MailWalk, AFolderThatFailsIsLeftWhereItFailedAndTheWalkGoesOn)
{
    UseNsf(kFolders);
    TickFolders({u"Inbox", u"Sent", u"Projects"});
    // ($Inbox), the second view folder, cannot be opened; the first folder
    // to be counted, ($Sent), cannot be counted.
    notes::SetFault("LNViewFolder::Open", LNERR_DATABASE_CORRUPT, 1, 1);
    notes::SetFault("LNViewFolder::GetEntryCount", LNERR_DATABASE_CORRUPT, 0, 1);
    HWND completion = RunToCompletionDialog();
    EXPECT_EQ(TextOf(m_progress, 1033), u"2/3   [Projects]");
    EXPECT_EQ(ProgressOf(GetDlgItem(m_progress, 1020)), 100);
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Completed Successfully");
    EXPECT_FALSE(HasFolder({u"Inbox"}));
    // The folder was made before its documents were counted.
    EXPECT_TRUE(HasFolder({u"Sent"}));
    EXPECT_TRUE(MessagesIn({u"Sent"}).empty());
    ASSERT_EQ(MessagesIn({u"Projects"}).size(), 1u);
    EXPECT_EQ(MessagesIn({u"Projects"})[0].GetSubject(), u"project");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MailWalk, AWalkThatMatchesNothingStillFillsTheOverallBarAndEnds)
{
    UseNsf(kFolders);
    TickFolders({u"Archive"});
    HWND completion = RunToCompletionDialog();
    EXPECT_EQ(TextOf(m_progress, 1033), u"");
    EXPECT_EQ(ProgressOf(GetDlgItem(m_progress, 1020)), 100);
    EXPECT_EQ(ProgressOf(GetDlgItem(m_progress, 1019)), 0);
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Completed Successfully");
    EXPECT_FALSE(HasFolder({}));
}

TEST_F(MailWalk, ADatabaseWithoutViewsOrFoldersEndsAtOnce)
{
    UseNsf("note lonely\ntext Subject alone\n");
    TickFolders({u"Inbox"});
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    EXPECT_EQ(g_nFoldersDone, 0);
    EXPECT_TRUE(LoggedSummaries().empty());
}

} // namespace
} // namespace enginetest

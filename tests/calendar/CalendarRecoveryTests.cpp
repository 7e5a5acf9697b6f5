// The calendar run's recovery from Notes errors, at the entry, the view
// folder and the database, and from a refusal of the RDO library.
#include "CalendarRunFixture.h"

#include "NsfRows.h"
#include "testsupport/FileSizeLimit.h"
#include "win32/WideString.h"

#include <algorithm>
#include <filesystem>

#include "AppSettings.h"
#include "RunFlags.h"
#include "WizardSelections.h"
#include "mapi/Store.h"
#include "notes/Notes.h"

namespace calendartest {
namespace {

constexpr UINT kQuestionOk = 0x1020;

const std::string kTwoEntries = R"nsf(
note first
calendar 1
text Subject First
note second
calendar 1
text Subject Second
)nsf";

class CalendarRecoveryTest : public CalendarRunFixture {
protected:
    // The log line of an entry's lost attachment.
    std::string LostLine(const std::string& subject, const std::string& what)
    {
        return "Not converted : Note ID " + enginetest::NoteIdWithText(Host(enginetest::kNsfPath), "Subject", subject)
               + " \"" + subject + "\" : attachment " + what;
    }
};

TEST_F(CalendarRecoveryTest, ANotesErrorInsideAnEntryKeepsWhatWasPutAndTheRunGoesOn)
{
    notes::SetFault("LNAttachment::Detach", LNERR_CANNOT_CREATE_FILE, 0, 1);
    UseNsf(CalendarNsf({"reminder", "first"}, R"nsf(
note reminder
calendar 4
text Subject Rent
times StartDate 2026-07-02
attach lease.pdf "lease"
text Categories "H"
text Location Office
)nsf" + kTwoEntries));
    // The lost attachment is reported; the entry keeps the rest.
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_EQ(enginetest::LossLines(LogLines()),
              std::vector<std::string>{LostLine("Rent", "\"lease.pdf\" cannot be detached (Cannot create file)")});
    auto items = Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(SubjectOf(items[0]), u"Rent");
    EXPECT_EQ(StartOf(items[0]), kJulyFirstNine - 9 * kHour + kDay);
    // Still all-day; the blocks after the failing one were not run.
    EXPECT_EQ(AllDayOf(items[0]), true);
    EXPECT_TRUE(CategoriesOf(items[0]).empty());
    EXPECT_FALSE(LocationOf(items[0]));
    EXPECT_EQ(SubjectOf(items[1]), u"First");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(g_bNotCompleted, 1);
}

TEST_F(CalendarRecoveryTest, AnErrorInASeriesKeepsTheSavedOccurrencesAndNoDatePieceLeaksOn)
{
    // The second occurrence's attachment fails.
    notes::SetFault("LNAttachment::Detach", LNERR_CANNOT_CREATE_FILE, 1, 1);
    UseNsf(CalendarNsf({"series", "meeting"}, R"nsf(
note series
calendar 16
text Subject Series
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00"
attach a.txt "A"
note meeting
calendar 8
text Subject Meeting
times StartDateTime "2026-07-10 09:00:00" "2026-07-11 09:00:00"
times EndDateTime "2026-07-10 10:00:00" "2026-07-11 10:00:00"
)nsf"));
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_EQ(enginetest::LossLines(LogLines()),
              std::vector<std::string>{LostLine("Series", "\"a.txt\" cannot be detached (Cannot create file)")});
    auto items = Items();
    ASSERT_EQ(items.size(), 1u + 2u);
    EXPECT_EQ(SubjectOf(items[0]), u"Series");
    EXPECT_EQ(StartOf(items[0]), kJulyFirstNine);
    EXPECT_EQ(StartOf(items[1]), kJulyFirstNine + 9 * kDay);
    EXPECT_EQ(StartOf(items[2]), kJulyFirstNine + 10 * kDay);
    EXPECT_EQ(EndOf(items[2]), kJulyFirstNine + 10 * kDay + kHour);
}

TEST_F(CalendarRecoveryTest, AViewThatCannotBeOpenedIsReportedAndTheOtherViewsAreStillVisited)
{
    // The second view folder, the first "($Calendar)".
    notes::SetFault("LNViewFolder::Open", LNERR_DATABASE_CORRUPT, 1, 1);
    UseNsf("view ($All)\nview ($Calendar)\nentries first\nview Other\nview ($Calendar)\nentries second\n" +
           kTwoEntries);
    ASSERT_NE(StartRun(), nullptr);
    Answer(u"1Please Verify the NSF file...", IDOK);
    HWND completion = WaitForCompletionDialog();
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"1Please Verify the NSF file...");
    EXPECT_EQ(boxes[0].caption, kCaption);
    EXPECT_EQ(boxes[0].type, kQuestionOk);
    EXPECT_EQ(notes::CallCount("LNViewFolder::Open"), 4);
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Completed Successfully");
    auto items = Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(SubjectOf(items[0]), u"Second");
}

TEST_F(CalendarRecoveryTest, ItemsThatNoLongerFitAFullFileSystemAreLoggedAndTheRunGoesOn)
{
    constexpr int kEntries = 8;
    std::vector<std::string> keys;
    std::string notes;
    for (int i = 0; i < kEntries; ++i) {
        keys.push_back("e" + std::to_string(i));
        notes += "note e" + std::to_string(i) + "\ncalendar 1\ntext Subject \"Entry " + std::to_string(i)
                 + "\"\nrichtext Body\nrun \"" + std::string(40000, static_cast<char>('a' + i)) + "\"\n";
    }
    UseNsf(CalendarNsf(keys, notes));
    m_gate->Close();
    ASSERT_NE(StartRun(), nullptr);
    // Held at the first pause of the fourth entry, three items saved: from
    // here on the PST can no longer grow.
    m_gate->Let(2 + 3 * 3);
    ASSERT_TRUE(m_gate->WaitForEntered(2 + 3 * 3 + 1));
    std::u16string result;
    {
        testsupport::FileSizeLimit full(std::filesystem::file_size(Host(enginetest::kPstPath)));
        ASSERT_TRUE(full.Set());
        m_gate->Open();
        result = CloseCompletionDialog(WaitForCompletionDialog());
    }
    EXPECT_EQ(result, u"Conversion not completed successfully");
    std::vector<std::u16string> saved;
    for (const auto& item : Items())
        saved.push_back(SubjectOf(item));
    const auto losses = enginetest::LossLines(LogLines());
    ASSERT_GE(saved.size(), 3u);
    EXPECT_EQ(saved[2], u"Entry 2");
    EXPECT_FALSE(losses.empty());
    for (int i = 0; i < kEntries; ++i) {
        const std::string subject = "Entry " + std::to_string(i);
        const bool inPst = std::find(saved.begin(), saved.end(), Utf8ToUtf16(subject)) != saved.end();
        const std::string head = "Not converted : Note ID "
                                 + enginetest::NoteIdWithText(Host(enginetest::kNsfPath), "Subject", subject) + " \""
                                 + subject + "\" : the calendar item could not be saved (";
        const bool logged = std::any_of(losses.begin(), losses.end(),
                                        [&](const std::string& line) { return line.rfind(head, 0) == 0; });
        EXPECT_NE(inPst, logged) << subject;
    }
}

// The calendar starts its Notes session with every error thrown, so a
// session that cannot be started fails as a database that cannot be opened
// does; either way the session is ended before the completion dialog.
class CalendarUnreadableTest : public CalendarRunFixture, public testing::WithParamInterface<const char*> {};

TEST_P(CalendarUnreadableTest, ANsfThatCannotBeReadEndsTheRunAsNotCompleted)
{
    notes::SetFault(GetParam(), LNERR_NOT_A_DATABASE);
    UseNsf(CalendarNsf({"first"}, kTwoEntries));
    ASSERT_NE(StartRun(), nullptr);
    Answer(u"Please Verify the NSF file...", IDOK);
    EXPECT_EQ(CloseCompletionDialog(WaitForCompletionDialog()), u"Conversion not completed successfully");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Please Verify the NSF file...");
    EXPECT_EQ(boxes[0].type, kQuestionOk);
    EXPECT_EQ(notes::CallCount("LNNotesSession::Term"), 1);
    // The calendar folder was made before the NSF was opened.
    EXPECT_TRUE(Items().empty());
}

INSTANTIATE_TEST_SUITE_P(FailingCalls, CalendarUnreadableTest,
                         testing::Values("LNDatabase::Open", "LNNotesSession::Initialize"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? std::string("DatabaseOpen") : std::string("SessionStart");
                         });

TEST_F(CalendarRecoveryTest, AnItemTheStoreRefusesSkipsItsEntryOnly)
{
    // The store cannot read the detached file back: the item's attachment
    // call fails in the RDO library, not in Notes.
    UseNsf(CalendarNsf({"broken", "first"}, "note broken\ncalendar 1\ntext Subject Broken\nattach gone.txt gone\n" +
                                                kTwoEntries));
    notes::SetFault("LNAttachment::Detach", LNWARN_NOT_FOUND);
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_EQ(enginetest::LossLines(LogLines()),
              std::vector<std::string>{LostLine("Broken", "\"gone.txt\" could not be added (cannot read the attachment "
                                                 "C:\\Program Files\\Pellinor\\Attachment\\gone.txt: the file "
                                                 "does not exist)")});
    auto items = Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(SubjectOf(items[0]), u"Broken");
    EXPECT_TRUE(items[0].GetAttachments().empty());
    EXPECT_EQ(SubjectOf(items[1]), u"First");
    EXPECT_EQ(g_bNotCompleted, 1);
}

// A calendar folder that cannot be made in a new PST would lose every
// entry: the run ends at the set-up, not completed, instead of reporting
// success.
TEST_F(CalendarRecoveryTest, ACalendarFolderThatCannotBeMadeInANewPstEndsTheRunNotCompleted)
{
    // The store is found under the whole name, but no folder's name holds a
    // backslash.
    g_strPstFolderName = u"Diary\\Book";
    UseNsf(CalendarNsf({"first", "second"}, kTwoEntries));
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_TRUE(Boxes().empty());
}

// In a store whose root is found, a calendar folder that can be neither made
// nor opened would leave every entry unsaved: the run ends at the set-up.
TEST_F(CalendarRecoveryTest, ACalendarFolderThatCannotBeMadeOrOpenedEndsTheRunNotCompleted)
{
    constexpr const char16_t* kExistingPst = u"C:\\Data\\Archive.pst";
    {
        auto made = mapi::CStore::Create(Host(kExistingPst), u"Archive 2024");
        ASSERT_TRUE(made.Ok()) << made.Message();
        (*made)->Close();
    }
    wcscpy_s(g_szPstPath, MAX_PATH, kExistingPst);
    g_bUpdateExistingPst = 1;
    // No folder is named with a backslash; the path reads it as two levels.
    g_strPstFolderName = u"Diary\\Book";
    UseNsf(CalendarNsf({"first", "second"}, kTwoEntries));
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_TRUE(Boxes().empty());
}

} // namespace
} // namespace calendartest

// What each entry type's branch makes of its document: the field blocks,
// the items of date series and meetings, and single-date entries.
#include "CalendarRunFixture.h"

#include "NsfRows.h"

#include "AppSettings.h"
#include "RunFlags.h"
#include "notes/Notes.h"

#include <fstream>

namespace calendartest {
namespace {

class CalendarBranchTest : public CalendarRunFixture {
protected:
    // Converts the notes, each listed in the view in order; the items.
    std::vector<mapi::CMessage> Convert(const std::vector<std::string>& keys, const std::string& notes)
    {
        UseNsf(CalendarNsf(keys, notes));
        EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
        return Items();
    }

    static std::uint64_t July(int day, int hour = 0, int minute = 0)
    {
        return kJulyFirstNine - 9 * kHour + (day - 1) * kDay + hour * kHour + minute * kMinute;
    }
};

TEST_F(CalendarBranchTest, FieldBlocksCutLongTextsAndMapCategoriesAndAlarms)
{
    const std::string longSubject(300, 's');
    auto items = Convert({"long", "lower", "none", "off"}, R"nsf(
note long
calendar 1
text Subject ")nsf" + longSubject + R"nsf("
text Location ")nsf" + std::string(1500, 'l') + R"nsf("
richtext Body
run ")nsf" + std::string(3000, 'b') + R"nsf("
text Categories "H"
note lower
calendar 1
text Categories "PC" "h"
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00"
note none
calendar 1
text Categories
note off
calendar 1
text Alarms "1"
)nsf");
    ASSERT_EQ(items.size(), 4u);
    // 199 wide characters and the terminator; an appointment's body whole.
    EXPECT_EQ(SubjectOf(items[0]), std::u16string(199, u's'));
    EXPECT_EQ(LocationOf(items[0]), std::u16string(199, u'l'));
    EXPECT_EQ(items[0].GetString(0x1000001F), std::u16string(3000, u'b'));
    EXPECT_EQ(CategoriesOf(items[0]), std::vector<std::u16string>{u"Holiday"});
    EXPECT_EQ(CategoriesOf(items[1]), std::vector<std::u16string>{u"Miscellaneous"});
    EXPECT_TRUE(CategoriesOf(items[2]).empty());
    // An appointment's start list is converted whole: two dates are no date.
    EXPECT_EQ(items[1].GetTime(0x00600040), kDayZero);
    // "Alarms" with the alarm off puts FALSE; without "Alarms" nothing.
    EXPECT_EQ(ReminderOf(items[3]), false);
    EXPECT_FALSE(ReminderOf(items[0]).value_or(false));
}

TEST_F(CalendarBranchTest, AttachmentsAreDetachedInsideTheAttachmentFolderAndAddedInOrder)
{
    auto items = Convert({"files"}, R"nsf(
note files
calendar 1
attach "..\\..\\escape.txt" "outside?"
attach notes.txt "first"
attach notes.txt "second"
attach "plan;v2.txt" "fourth"
)nsf");
    ASSERT_EQ(items.size(), 1u);
    auto attachments = items[0].GetAttachments();
    ASSERT_EQ(attachments.size(), 4u);
    EXPECT_EQ(attachments[0].GetFileName(), u"escape.txt");
    // Each file is added by itself, so a ";" of its name stays.
    EXPECT_EQ(attachments[3].GetFileName(), u"plan;v2.txt");
    mapi::Bytes second = attachments[1].GetData(), third = attachments[2].GetData();
    EXPECT_EQ(std::string(second.begin(), second.end()), "first");
    EXPECT_EQ(std::string(third.begin(), third.end()), "second");
    // A name from the database is no path: nothing lands beside the folder.
    EXPECT_FALSE(std::filesystem::exists(Host(std::u16string(g_szInstallDir) + u"\\..\\escape.txt")));
    EXPECT_TRUE(std::filesystem::exists(Host(std::u16string(g_szInstallDir) + u"\\Attachment\\escape.txt")));
}

TEST_F(CalendarBranchTest, AttachmentNamesThatNoWindowsFileHoldsReachTheItemWithThoseCharactersReplaced)
{
    auto items = Convert({"odd"}, R"nsf(
note odd
calendar 1
attach "agenda?.txt" "agenda"
attach "<draft>|*.doc" "draft"
attach "tab\tname.txt" "tab"
)nsf");
    ASSERT_EQ(items.size(), 1u);
    auto attachments = items[0].GetAttachments();
    ASSERT_EQ(attachments.size(), 3u);
    EXPECT_EQ(attachments[0].GetFileName(), u"agenda_.txt");
    EXPECT_EQ(attachments[1].GetFileName(), u"_draft___.doc");
    EXPECT_EQ(attachments[2].GetFileName(), u"tab_name.txt");
    mapi::Bytes draft = attachments[1].GetData();
    EXPECT_EQ(std::string(draft.begin(), draft.end()), "draft");
    EXPECT_TRUE(enginetest::LossLines(LogLines()).empty());
}

TEST_F(CalendarBranchTest, ADateSeriesGivesOneItemPerStartAndNeverSavesTheEntrysOwnItem)
{
    auto items = Convert({"event", "ungated", "gatedone", "nostart"}, R"nsf(
note event
calendar 16
text Subject Fair
richtext Body
run ")nsf" + std::string(250, 'b') + R"nsf("
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00"
attach a.txt "A"
attach b.txt "B"
note ungated
calendar 2
text Subject Ungated
times StartDateTime 2026-07-04 2026-07-05 2026-07-06
note gatedone
calendar 2
text Subject Single
times StartDate 2026-07-07
times StartDateTime 2026-07-07
note nostart
calendar 16
text Subject Undated
text Location Home
)nsf");
    ASSERT_EQ(items.size(), 3u + 3u + 1u + 1u);
    for (int occ = 0; occ < 3; ++occ) {
        EXPECT_EQ(SubjectOf(items[occ]), u"Fair");
        EXPECT_EQ(StartOf(items[occ]), July(1 + occ, 9)) << occ;
        // A series keeps 199 characters of its body.
        EXPECT_EQ(items[occ].GetString(0x1000001F), std::u16string(199, u'b'));
        EXPECT_EQ(AttachmentsOf(items[occ]), (std::map<std::u16string, std::string>{{u"a.txt", "A"}, {u"b.txt", "B"}}));
    }
    // Type 2 reads its dates only when it has "StartDate".
    for (int occ = 3; occ < 6; ++occ) {
        EXPECT_EQ(SubjectOf(items[occ]), u"Ungated");
        EXPECT_FALSE(StartOf(items[occ])) << occ;
    }
    EXPECT_EQ(StartOf(items[6]), July(7));
    EXPECT_EQ(SubjectOf(items[7]), u"Undated");
    EXPECT_EQ(LocationOf(items[7]), u"Home");
    EXPECT_FALSE(StartOf(items[7]));
}

TEST_F(CalendarBranchTest, AnAnniversaryWithStartDateButNoStartListIsStillConverted)
{
    // Reading the missing list would throw and lose the whole entry.
    auto items = Convert({"anniversary"}, R"nsf(
note anniversary
calendar 2
text Subject Birthday
text Location Garden
times StartDate 2026-07-08
)nsf");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(SubjectOf(items[0]), u"Birthday");
    EXPECT_EQ(LocationOf(items[0]), u"Garden");
    EXPECT_EQ(g_bNotCompleted, 0);
}

TEST_F(CalendarBranchTest, AStartListLongerThanItsBufferKeepsTheDatesThatFitWhole)
{
    // 60 values of 19 bytes and their separators: 1199 bytes.
    std::string starts;
    for (int day = 0; day < 60; ++day) {
        char value[32];
        std::snprintf(value, sizeof value, " \"2026-%02d-%02d 09:00:00\"", 7 + day / 28, 1 + day % 28);
        starts += value;
    }
    auto items = Convert({"many"}, "note many\ncalendar 16\ntimes StartDateTime" + starts + "\n");
    // 51 values fit the 1023 bytes: 51 × 19 + 50 separators = 1019.
    ASSERT_EQ(items.size(), 51u);
    EXPECT_EQ(StartOf(items[0]), July(1, 9));
    EXPECT_EQ(StartOf(items[50]), July(1, 9) + (31 + 22) * kDay);
}

TEST_F(CalendarBranchTest, MeetingsPairEachStartWithTheEndAtItsPlace)
{
    auto items = Convert({"fewer", "more", "oneend", "noend", "nostart", "manyends"}, R"nsf(
note fewer
calendar 8
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00"
times EndDateTime "2026-07-01 10:00:00" "2026-07-02 11:00:00"
richtext Body
run ")nsf" + std::string(250, 'b') + R"nsf("
note more
calendar 8
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00"
times EndDateTime "2026-07-01 10:00:00" "2026-07-02 10:00:00" "2026-07-03 10:00:00" "2026-07-04 10:00:00"
note oneend
calendar 8
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00"
times EndDateTime "2026-07-09 12:00:00"
note noend
calendar 8
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00"
note nostart
calendar 8
times EndDateTime "2026-07-05 10:00:00"
note manyends
calendar 8
times StartDateTime "2026-07-06 09:00:00"
times EndDateTime "2026-07-06 10:00:00" "2026-07-07 10:00:00"
)nsf");
    ASSERT_EQ(items.size(), 3u * 4u + 1u + 1u);
    const std::vector<std::uint64_t> ends = {
        July(1, 10),   July(2, 11),   July(2, 11),     // fewer ends: the last one repeats
        July(1, 10),   July(2, 10),   July(3, 10),     // more: the fourth is not used
        July(9, 12),   July(9, 12),   July(9, 12),     // one end for all
        July(1, 9),    July(2, 9),    July(3, 9),      // none put: the store ends them at their start
        July(5, 10),                                   // no start: the single end
        July(6, 10)};                                  // several ends of one start: the first
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i < 12) {
            EXPECT_EQ(StartOf(items[i]), July(1 + static_cast<int>(i % 3), 9)) << i;
        }
        EXPECT_EQ(EndOf(items[i]), ends[i]) << i;
    }
    EXPECT_FALSE(StartOf(items[12]));
    EXPECT_EQ(StartOf(items[13]), July(6, 9));
    // A meeting keeps its whole body, and every meeting item is marked as
    // not yet responded to (5).
    for (int occ = 0; occ < 3; ++occ)
        EXPECT_EQ(items[occ].GetString(0x1000001F), std::u16string(250, u'b')) << occ;
    for (const auto& item : items)
        EXPECT_EQ(componenttest::NamedValue<std::int32_t>(
                      item, mapi::LidTag(mapi::PSETID_Appointment, 0x8218, mapi::PT_LONG)),
                  5);
    // Without "Alarms" neither reminder is put.
    EXPECT_FALSE(ReminderOf(items[0]).value_or(false));
}

TEST_F(CalendarBranchTest, AMeetingsNameListsAreAbbreviatedAndJoined)
{
    auto items = Convert({"one", "empty"}, R"nsf(
note one
calendar 8
text RequiredAttendees "CN=Ann Lee/OU=Sales/O=Acme"
text OptionalAttendees "CN=Cy Fox/O=Acme" "bob@example.com"
note empty
calendar 8
text RequiredAttendees
)nsf");
    ASSERT_EQ(items.size(), 2u);
    auto toAttendees = [](const mapi::CMessage& item) {
        return componenttest::NamedValue<std::u16string>(
            item, mapi::LidTag(mapi::PSETID_Appointment, 0x823B, mapi::PT_UNICODE));
    };
    EXPECT_EQ(toAttendees(items[0]), u"Ann Lee/Sales/Acme");
    EXPECT_EQ(componenttest::NamedValue<std::u16string>(
                  items[0], mapi::LidTag(mapi::PSETID_Appointment, 0x823C, mapi::PT_UNICODE)),
              u"Cy Fox/Acme, bob@example.com");
    // No elements: the empty text is put.
    EXPECT_EQ(toAttendees(items[1]).value_or(u"(none)"), u"");
}

TEST_F(CalendarBranchTest, AResourceThatCannotBeAbbreviatedStaysWholeWhileAnAttendeeCostsItsOccurrence)
{
    // The second and third abbreviations fail: the attendee of the first
    // meeting's second occurrence, then the second meeting's resource.
    notes::SetFault("LNNotesSession::AbbreviateName", LNERR_DATABASE_CORRUPT, 1, 2);
    auto items = Convert({"attendee", "resource"}, R"nsf(
note attendee
calendar 8
text Subject Twice
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00"
text RequiredAttendees "CN=Bob Ray/O=Acme"
note resource
calendar 8
text Subject Beamer
text RequiredResources "CN=Beamer/O=Acme"
text RequiredAttendees "CN=Ann Lee/O=Acme"
)nsf");
    using Names = std::vector<std::u16string>;
    ASSERT_EQ(items.size(), 2u);
    // The occurrence before the failing one stays; the failing one is lost.
    EXPECT_EQ(SubjectOf(items[0]), u"Twice");
    EXPECT_EQ(StartOf(items[0]), July(1, 9));
    EXPECT_EQ(RecipientsOf(items[0], mapi::MAPI_TO), Names{u"Bob Ray/Acme"});
    EXPECT_EQ(SubjectOf(items[1]), u"Beamer");
    EXPECT_EQ(RecipientsOf(items[1], mapi::MAPI_BCC), Names{u"CN=Beamer/O=Acme"});
    EXPECT_EQ(RecipientsOf(items[1], mapi::MAPI_TO), Names{u"Ann Lee/Acme"});
    EXPECT_EQ(g_bNotCompleted, 1);
}

TEST_F(CalendarBranchTest, ASingleDateEntryIsAnAllDayItemStartingAtItsDate)
{
    auto items = Convert({"dated", "two", "undated"}, R"nsf(
note dated
calendar 4 alarm
text Subject Rent
times StartDate 2026-07-02
text Alarms "1"
note two
calendar 4
times StartDate 2026-07-02 2026-07-03
note undated
calendar 4
text Subject Someday
richtext Body
run ")nsf" + std::string(250, 'b') + R"nsf("
)nsf");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(StartOf(items[0]), July(2));
    EXPECT_EQ(AllDayOf(items[0]), true);
    EXPECT_EQ(ReminderOf(items[0]), true);
    // Two dates are one text that does not convert: 30 December 1899.
    EXPECT_EQ(items[1].GetTime(0x00600040), kDayZero);
    EXPECT_EQ(AllDayOf(items[2]), true);
    EXPECT_FALSE(StartOf(items[2]));
    // A single-date entry keeps 199 characters of its body.
    EXPECT_EQ(items[2].GetString(0x1000001F), std::u16string(199, u'b'));
    // Only meetings carry a response status.
    EXPECT_FALSE(componenttest::NamedValue<std::int32_t>(
        items[2], mapi::LidTag(mapi::PSETID_Appointment, 0x8218, mapi::PT_LONG)));
}

} // namespace
} // namespace calendartest

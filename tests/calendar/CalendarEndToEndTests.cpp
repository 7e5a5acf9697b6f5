// Whole calendar runs into a new PST, read back through the store layer and
// through the independent readers pffexport and readpst.
#include "CalendarRunFixture.h"

#include "PstBack.h"

namespace calendartest {
namespace {

using componenttest::ExportedValue;
using componenttest::PffExported;
using componenttest::ReadpstExported;

const std::string kEveryKind = R"nsf(
note appointment
calendar 1 alarm
text Subject "Design review"
richtext Body
run "Agenda: the calendar layer"
times StartDateTime "2026-07-01 09:00:00"
times EndDateTime "2026-07-01 10:30:00"
text Location "Room 4"
text Categories "PC" "H"
text Alarms "1"
attach plan.txt "the plan"

note reminder
calendar 4
text Subject "Pay the rent"
times StartDate 2026-07-02

note anniversary
calendar 2
text Subject "Wedding day"
times StartDate 2026-07-03
times StartDateTime "2026-07-03 00:00:00" "2027-07-03 00:00:00"

note meeting
calendar 8 alarm
text Subject "Planning"
richtext Body
run "Plans for the quarter"
times StartDateTime "2026-07-06 14:00:00" "2026-07-07 14:00:00"
times EndDateTime "2026-07-06 15:00:00" "2026-07-07 15:30:00"
text Location "Hall"
text Alarms "1"
text RequiredAttendees "CN=Ann Lee/O=Acme" "CN=Bob Ray/O=Acme"
text OptionalAttendees "CN=Cy Fox/O=Acme"
text FYIAttendees "CN=Dan Orr/O=Acme"
text RequiredResources "CN=Beamer/O=Acme"

note event
calendar 16
text Subject "Fair"
times StartDateTime "2026-07-10 08:00:00"

note plain
text Subject "Not a calendar entry"
)nsf";

class CalendarEndToEndTest : public CalendarRunFixture {};

TEST_F(CalendarEndToEndTest, EveryEntryTypeReachesThePstAsTheReadersSeeIt)
{
    UseNsf(CalendarNsf({"appointment", "reminder", "anniversary", "meeting", "event", "plain"}, kEveryKind));
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");

    auto items = Items();
    ASSERT_EQ(items.size(), 8u);
    for (const auto& item : items)
        EXPECT_EQ(item.GetMessageClass(), u"IPM.Appointment");

    const mapi::CMessage& appointment = items[0];
    EXPECT_EQ(SubjectOf(appointment), u"Design review");
    EXPECT_EQ(appointment.GetString(0x1000001F), u"Agenda: the calendar layer");
    EXPECT_EQ(StartOf(appointment), kJulyFirstNine);
    EXPECT_EQ(EndOf(appointment), kJulyFirstNine + 90 * kMinute);
    EXPECT_EQ(LocationOf(appointment), u"Room 4");
    EXPECT_EQ(CategoriesOf(appointment), std::vector<std::u16string>{u"Holiday"});
    EXPECT_EQ(ReminderOf(appointment), true);
    EXPECT_EQ(AttachmentsOf(appointment), (std::map<std::u16string, std::string>{{u"plan.txt", "the plan"}}));
    EXPECT_NE(AllDayOf(appointment), true);

    const mapi::CMessage& reminder = items[1];
    EXPECT_EQ(SubjectOf(reminder), u"Pay the rent");
    EXPECT_EQ(StartOf(reminder), kJulyFirstNine - 9 * kHour + kDay);
    EXPECT_EQ(AllDayOf(reminder), true);

    // The anniversary: one item per start date, no recurrence.
    EXPECT_EQ(SubjectOf(items[2]), u"Wedding day");
    EXPECT_EQ(SubjectOf(items[3]), u"Wedding day");
    EXPECT_EQ(StartOf(items[2]), kJulyFirstNine - 9 * kHour + 2 * kDay);
    EXPECT_EQ(StartOf(items[3]), kJulyFirstNine - 9 * kHour + 367 * kDay);
    for (const auto& item : items)
        EXPECT_FALSE(componenttest::NamedValue<bool>(item, mapi::LidTag(mapi::PSETID_Appointment, 0x8223,
                                                                         mapi::PT_BOOLEAN))
                         .value_or(false))
            << "an item was written as recurring";

    // The meeting: start and end paired, attendees, reminder of 15 minutes.
    const mapi::CMessage& first = items[4];
    const mapi::CMessage& second = items[5];
    EXPECT_EQ(SubjectOf(first), u"Planning");
    EXPECT_EQ(StartOf(first), kJulyFirstNine + 5 * kDay + 5 * kHour);
    EXPECT_EQ(EndOf(first), kJulyFirstNine + 5 * kDay + 6 * kHour);
    EXPECT_EQ(StartOf(second), kJulyFirstNine + 6 * kDay + 5 * kHour);
    EXPECT_EQ(EndOf(second), kJulyFirstNine + 6 * kDay + 6 * kHour + 30 * kMinute);
    EXPECT_EQ(ReminderMinutesOf(first), 15);
    EXPECT_EQ(ReminderOf(second), true);
    for (const auto* meeting : {&first, &second}) {
        EXPECT_EQ(RecipientsOf(*meeting, mapi::MAPI_TO), (std::vector<std::u16string>{u"Ann Lee/Acme", u"Bob Ray/Acme"}));
        EXPECT_EQ(RecipientsOf(*meeting, mapi::MAPI_CC), (std::vector<std::u16string>{u"Dan Orr/Acme", u"Cy Fox/Acme"}));
        EXPECT_EQ(RecipientsOf(*meeting, mapi::MAPI_BCC), std::vector<std::u16string>{u"Beamer/Acme"});
    }

    EXPECT_EQ(SubjectOf(items[6]), u"Fair");
    EXPECT_EQ(StartOf(items[6]), kJulyFirstNine + 9 * kDay - kHour);
    // The document that is no calendar entry still gives an empty item.
    EXPECT_EQ(SubjectOf(items[7]), u"");
    EXPECT_FALSE(StartOf(items[7]));

    // What the independent readers make of it.
    const std::string item1 = "Top of Personal Folders/Mail/Appointment00001/";
    std::string exported = PffExported(Host(kPstPath), m_root / "pff", item1 + "Appointment.txt");
    EXPECT_EQ(ExportedValue(exported, "Subject:"), "Design review") << exported;
    EXPECT_EQ(ExportedValue(exported, "Start time:"), "Jul 01, 2026 09:00:00.000000000 UTC");
    EXPECT_EQ(ExportedValue(exported, "End time:"), "Jul 01, 2026 10:30:00.000000000 UTC");
    EXPECT_EQ(ExportedValue(exported, "Location:"), "Room 4");
    EXPECT_EQ(ExportedValue(exported, "Is a reminder:"), "yes");
    EXPECT_EQ(PffExported(Host(kPstPath), m_root / "pff", item1 + "Attachments/1_plan.txt"), "the plan");
    std::string attendees = PffExported(Host(kPstPath), m_root / "pff",
                                        "Top of Personal Folders/Mail/Appointment00005/Recipients.txt");
    for (const char* name : {"Ann Lee/Acme", "Bob Ray/Acme", "Cy Fox/Acme", "Dan Orr/Acme", "Beamer/Acme"})
        EXPECT_NE(attendees.find(name), std::string::npos) << name << "\n" << attendees;

    std::string calendar = ReadpstExported(Host(kPstPath), m_root / "readpst", "Mail.calendar");
    EXPECT_NE(calendar.find("SUMMARY:Design review"), std::string::npos) << calendar;
    EXPECT_NE(calendar.find("DTSTART;VALUE=DATE-TIME:20260701T090000Z"), std::string::npos) << calendar;
    EXPECT_NE(calendar.find("DTEND;VALUE=DATE-TIME:20260701T103000Z"), std::string::npos) << calendar;
    // The all-day reminder: its whole day.
    EXPECT_NE(calendar.find("DTSTART;VALUE=DATE-TIME:20260702T000000Z\nDTEND;VALUE=DATE-TIME:20260703T000000Z"),
              std::string::npos)
        << calendar;
    EXPECT_NE(calendar.find("TRIGGER:-PT15M"), std::string::npos) << calendar;
    EXPECT_EQ(calendar.find("RRULE"), std::string::npos) << calendar;
    std::size_t summaries = 0;
    for (std::size_t at = calendar.find("SUMMARY:Wedding day"); at != std::string::npos;
         at = calendar.find("SUMMARY:Wedding day", at + 1))
        ++summaries;
    EXPECT_EQ(summaries, 2u);
}

} // namespace
} // namespace calendartest

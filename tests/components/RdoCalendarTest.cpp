// Appointments made as the calendar converter makes them: a calendar folder
// added below the store's top folder, items added to it and filled by the
// field blocks, then saved with 0x41, the item's method 6 and the folder's.
#include "RdoTestBase.h"

#include "PstFile.h"
#include "ole/DateText.h"

#include <atomic>
#include <filesystem>

namespace componenttest {
namespace {

using mapi::LidTag;
using mapi::PSETID_Appointment;
using mapi::PSETID_Common;

constexpr const char16_t* kCalendarPath = u"\\\\Archive\\Calendar";
constexpr std::uint64_t kMinute = 600000000ull;
// 1 July 2026, 09:00 and 10:00, and midnight of that day (UTC).
constexpr std::uint64_t kNine = 134273700000000000ull;
constexpr std::uint64_t kTen = 134273736000000000ull;
constexpr std::uint64_t kMidnight = kNine - 9 * 60 * kMinute;

mapi::NamedTag Appointment(std::uint32_t lid, std::uint16_t type)
{
    return LidTag(PSETID_Appointment, lid, type);
}

mapi::NamedTag Common(std::uint32_t lid, std::uint16_t type)
{
    return LidTag(PSETID_Common, lid, type);
}

// Counts what the store hands to its files while it is installed.
class CStoreWrites : public mapi::ndb::IFileObserver {
public:
    CStoreWrites() { mapi::ndb::SetFileObserver(this); }
    ~CStoreWrites() override { mapi::ndb::SetFileObserver(nullptr); }
    CStoreWrites(const CStoreWrites&) = delete;
    CStoreWrites& operator=(const CStoreWrites&) = delete;

    void Wrote(std::uint64_t, const std::vector<std::uint8_t>&) override { ++writes; }
    void Resized(std::uint64_t) override { ++writes; }
    void Synced() override { ++syncs; }

    std::atomic<int> writes{0};
    std::atomic<int> syncs{0};
};

class RdoCalendarTest : public RdoMachine {
protected:
    void SetUp() override
    {
        RdoMachine::SetUp();
        AddTopFolder(u"Calendar", 9);
        NewSession(m_session);
        FolderFromPath(m_session, kCalendarPath, m_folder);
    }

    void NewAppointment(COleDispatchDriver& item)
    {
        COleDispatchDriver items;
        ObjectProperty(m_folder, 0x11, items);
        ole::CVariant kind;
        static_cast<VARIANT&>(kind) = ole::MakeLong(1);
        LPDISPATCH made = nullptr;
        items.InvokeHelper(4, DISPATCH_METHOD, VT_DISPATCH, &made, Params(VTS_VARIANT), &kind);
        item.AttachDispatch(made);
    }

    // Put41 TRUE, the item's method 6, the folder's method 6.
    void SaveCalendarItem(COleDispatchDriver& item)
    {
        item.InvokeHelper(0x41, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_BOOL), TRUE);
        item.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
        m_folder.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    }

    static void Put(COleDispatchDriver& item, DISPID member, const char* kind, ...)
    {
        va_list args;
        va_start(args, kind);
        item.InvokeHelperV(member, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(kind), args);
        va_end(args);
    }


    COleDispatchDriver m_session;
    COleDispatchDriver m_folder;
};

TEST_F(RdoCalendarTest, AnAttachmentThatCannotBeReadSaysWhy)
{
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt"), "plan");
    std::filesystem::create_directories(Host(u"C:\\Program Files\\Pellinor\\Attachment\\folder.txt"));
    COleDispatchDriver item;
    NewAppointment(item);
    const auto failureOf = [&](const char16_t* path) -> std::u16string {
        try {
            AddAttachment(item, path);
        } catch (const COleDispatchException& e) {
            return e.m_strDescription;
        }
        return u"read";
    };
    EXPECT_EQ(failureOf(u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt"), u"read");
    EXPECT_EQ(failureOf(u"C:\\Program Files\\Pellinor\\Attachment\\gone.txt"),
              u"cannot read the attachment C:\\Program Files\\Pellinor\\Attachment\\gone.txt: the file does not exist");
    EXPECT_EQ(failureOf(u"C:\\Program Files\\Pellinor\\Missing\\plan.txt"),
              u"cannot read the attachment C:\\Program Files\\Pellinor\\Missing\\plan.txt: its folder does not exist");
    EXPECT_EQ(failureOf(u"C:\\Program Files\\Pellinor\\Attachment\\folder.txt"),
              u"cannot read the attachment C:\\Program Files\\Pellinor\\Attachment\\folder.txt: access is denied (a folder, "
              u"or a file that may not be read)");
}

TEST_F(RdoCalendarTest, AMeetingKeepsEveryFieldTheMeetingBranchPuts)
{
    COleDispatchDriver item;
    NewAppointment(item);
    Put(item, 0x6004001A, VTS_I4, 5);
    Put(item, 0x0, VTS_BSTR, u"Design review");
    Put(item, 0xB, VTS_BSTR, u"Agenda: the calendar layer");
    Put(item, 0x60040042, VTS_DATE, ole::MakeDate(2026, 7, 1, 9, 0));
    Put(item, 0x6004000A, VTS_DATE, ole::MakeDate(2026, 7, 1, 10, 0));
    Put(item, 0x60040049, VTS_BSTR, u"Room 4");
    Put(item, 0xD, VTS_BSTR, u"Phone Calls");
    Put(item, 0xD, VTS_BSTR, u"Holiday");
    Put(item, 0x6004002F, VTS_I4, 15);
    Put(item, 0x2D, VTS_BOOL, TRUE);
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt"), "first plan");
    AddAttachment(item, u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt");
    // The next attachment is detached to the same path: the first keeps its bytes.
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt"), "second plan, longer");
    AddAttachment(item, u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt");
    Put(item, 0x6004003D, VTS_BSTR, u"Room 4/Acme");
    Put(item, 0x9, VTS_BSTR, u"Dan Orr/Acme");
    Put(item, 0x6004003B, VTS_BSTR, u"Ann Lee/Acme, Bob Ray/Acme");
    Put(item, 0x6004002A, VTS_BSTR, u"Cy Fox/Acme");
    SaveCalendarItem(item);

    auto items = ItemsIn(u"Calendar");
    ASSERT_EQ(items.size(), 1u);
    const mapi::CMessage& meeting = items[0];
    EXPECT_EQ(meeting.GetMessageClass(), u"IPM.Appointment");
    EXPECT_EQ(meeting.GetString(0x0037001F), u"Design review");
    EXPECT_EQ(meeting.GetString(0x1000001F), u"Agenda: the calendar layer");
    EXPECT_EQ(meeting.GetTime(0x00600040), kNine);
    EXPECT_EQ(meeting.GetTime(0x00610040), kTen);
    EXPECT_EQ(NamedValue<std::uint64_t>(meeting, Appointment(0x820D, mapi::PT_SYSTIME)), kNine);
    EXPECT_EQ(NamedValue<std::uint64_t>(meeting, Appointment(0x820E, mapi::PT_SYSTIME)), kTen);
    EXPECT_EQ(NamedValue<std::int32_t>(meeting, Appointment(0x8213, mapi::PT_LONG)), 60);
    EXPECT_EQ(NamedValue<std::u16string>(meeting, Appointment(0x8208, mapi::PT_UNICODE)), u"Room 4");
    EXPECT_EQ(NamedValue<std::int32_t>(meeting, Appointment(0x8218, mapi::PT_LONG)), 5);
    EXPECT_EQ(NamedValue<std::vector<std::u16string>>(
                  meeting, {mapi::NamedProperty::Name(mapi::PS_PUBLIC_STRINGS, u"Keywords"), mapi::PT_MV_UNICODE}),
              std::vector<std::u16string>{u"Holiday"});
    EXPECT_EQ(NamedValue<bool>(meeting, Common(0x8503, mapi::PT_BOOLEAN)), true);
    EXPECT_EQ(NamedValue<std::int32_t>(meeting, Common(0x8501, mapi::PT_LONG)), 15);
    EXPECT_EQ(NamedValue<std::uint64_t>(meeting, Common(0x8560, mapi::PT_SYSTIME)), kNine - 15 * kMinute);

    std::vector<std::pair<std::int32_t, std::u16string>> recipients;
    for (const auto& recipient : meeting.GetRecipients())
        recipients.emplace_back(recipient.type, recipient.displayName);
    std::vector<std::pair<std::int32_t, std::u16string>> expected = {
        {mapi::MAPI_TO, u"Ann Lee/Acme"}, {mapi::MAPI_TO, u"Bob Ray/Acme"}, {mapi::MAPI_CC, u"Dan Orr/Acme"},
        {mapi::MAPI_CC, u"Cy Fox/Acme"}, {mapi::MAPI_BCC, u"Room 4/Acme"}};
    EXPECT_EQ(recipients, expected);
    EXPECT_EQ(NamedValue<std::u16string>(meeting, Appointment(0x823B, mapi::PT_UNICODE)), u"Ann Lee/Acme, Bob Ray/Acme");
    EXPECT_EQ(NamedValue<std::u16string>(meeting, Appointment(0x823C, mapi::PT_UNICODE)), u"Cy Fox/Acme");

    const auto& attachments = meeting.GetAttachments();
    ASSERT_EQ(attachments.size(), 2u);
    EXPECT_EQ(attachments[0].GetFileName(), u"plan.txt");
    mapi::Bytes first = attachments[0].GetData(), second = attachments[1].GetData();
    EXPECT_EQ(std::string(first.begin(), first.end()), "first plan");
    EXPECT_EQ(std::string(second.begin(), second.end()), "second plan, longer");

    // What the independent readers show of it.
    std::string exported = PffExported(Host(kTargetPst), m_root / "pff",
                                       "Top of Personal Folders/Calendar/Appointment00001/Appointment.txt");
    EXPECT_EQ(ExportedValue(exported, "Subject:"), "Design review");
    EXPECT_EQ(ExportedValue(exported, "Start time:"), "Jul 01, 2026 09:00:00.000000000 UTC");
    EXPECT_EQ(ExportedValue(exported, "End time:"), "Jul 01, 2026 10:00:00.000000000 UTC");
    EXPECT_EQ(ExportedValue(exported, "Duration:"), "60 minutes");
    EXPECT_EQ(ExportedValue(exported, "Location:"), "Room 4");
    EXPECT_EQ(ExportedValue(exported, "Is a reminder:"), "yes");
    const std::string exportedItem = "Top of Personal Folders/Calendar/Appointment00001/";
    std::string attendees = PffExported(Host(kTargetPst), m_root / "pff", exportedItem + "Recipients.txt");
    for (const char* name : {"Ann Lee/Acme", "Bob Ray/Acme", "Cy Fox/Acme", "Dan Orr/Acme", "Room 4/Acme"})
        EXPECT_NE(attendees.find(name), std::string::npos) << name << "\n" << attendees;
    EXPECT_EQ(PffExported(Host(kTargetPst), m_root / "pff", exportedItem + "Attachments/1_plan.txt"), "first plan");
    EXPECT_EQ(PffExported(Host(kTargetPst), m_root / "pff", exportedItem + "Attachments/2_plan.txt"), "second plan, longer");
    std::string calendar = ReadpstExported(Host(kTargetPst), m_root / "readpst", "Calendar.calendar");
    EXPECT_NE(calendar.find("SUMMARY:Design review"), std::string::npos) << calendar;
    EXPECT_NE(calendar.find("DTSTART;VALUE=DATE-TIME:20260701T090000Z"), std::string::npos) << calendar;
    EXPECT_NE(calendar.find("DTEND;VALUE=DATE-TIME:20260701T100000Z"), std::string::npos) << calendar;
    EXPECT_NE(calendar.find("LOCATION:Room 4"), std::string::npos) << calendar;
    // Busy time: readpst writes no TRANSP:TRANSPARENT, which marks free time.
    EXPECT_EQ(calendar.find("TRANSP:"), std::string::npos) << calendar;
    EXPECT_NE(calendar.find("TRIGGER:-PT15M"), std::string::npos) << calendar;
}

TEST_F(RdoCalendarTest, AnItemSavedWithoutAnEndEndsAtItsStartOrAfterItsWholeDay)
{
    COleDispatchDriver timed, allDay, undated;
    NewAppointment(timed);
    Put(timed, 0x60040042, VTS_DATE, ole::MakeDate(2026, 7, 1, 9, 0));
    SaveCalendarItem(timed);
    NewAppointment(allDay);
    Put(allDay, 0x60040042, VTS_DATE, ole::MakeDate(2026, 7, 1));
    Put(allDay, 0x60040000, VTS_BOOL, TRUE);
    SaveCalendarItem(allDay);
    NewAppointment(undated);
    Put(undated, 0x0, VTS_BSTR, u"No date");
    SaveCalendarItem(undated);

    auto items = ItemsIn(u"Calendar");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(NamedValue<std::uint64_t>(items[0], Appointment(0x820E, mapi::PT_SYSTIME)), kNine);
    EXPECT_EQ(NamedValue<std::int32_t>(items[0], Appointment(0x8213, mapi::PT_LONG)), 0);
    EXPECT_EQ(NamedValue<bool>(items[1], Appointment(0x8215, mapi::PT_BOOLEAN)), true);
    EXPECT_EQ(items[1].GetTime(0x00610040), kMidnight + 1440 * kMinute);
    EXPECT_EQ(NamedValue<std::int32_t>(items[1], Appointment(0x8213, mapi::PT_LONG)), 1440);
    // Busy time, but an all-day item is free time.
    EXPECT_EQ(NamedValue<std::int32_t>(items[0], Appointment(0x8205, mapi::PT_LONG)), 2);
    EXPECT_EQ(NamedValue<std::int32_t>(items[1], Appointment(0x8205, mapi::PT_LONG)), 0);
    EXPECT_FALSE(NamedValue<std::uint64_t>(items[2], Appointment(0x820D, mapi::PT_SYSTIME)));
    EXPECT_FALSE(NamedValue<std::uint64_t>(items[2], Appointment(0x820E, mapi::PT_SYSTIME)));
}

TEST_F(RdoCalendarTest, AReminderWithoutMinutesIsFifteenMinutesAndTheDefaultDateIsKept)
{
    COleDispatchDriver item;
    NewAppointment(item);
    // A start that did not convert is put as 0.0 all the same.
    Put(item, 0x60040042, VTS_DATE, 0.0);
    Put(item, 0x2D, VTS_BOOL, TRUE);
    SaveCalendarItem(item);
    auto items = ItemsIn(u"Calendar");
    ASSERT_EQ(items.size(), 1u);
    // 30 December 1899, midnight.
    constexpr std::uint64_t kDayZero = 94353120000000000ull;
    EXPECT_EQ(items[0].GetTime(0x00600040), kDayZero);
    EXPECT_EQ(NamedValue<std::int32_t>(items[0], Common(0x8501, mapi::PT_LONG)), 15);
    EXPECT_EQ(NamedValue<std::uint64_t>(items[0], Common(0x8560, mapi::PT_SYSTIME)), kDayZero - 15 * kMinute);
}

TEST_F(RdoCalendarTest, AMissingAttachmentFileIsAnErrorThatNamesIt)
{
    COleDispatchDriver item;
    NewAppointment(item);
    try {
        AddAttachment(item, u"C:\\Program Files\\Pellinor\\Attachment\\gone.doc");
        ADD_FAILURE() << "the attachment was added";
    } catch (const COleDispatchException& error) {
        EXPECT_EQ(error.m_scError, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
        EXPECT_NE(error.m_strDescription.find(u"gone.doc"), std::u16string::npos);
        EXPECT_EQ(error.m_strSource, components::kRdoSessionClass.progId);
    }
    EXPECT_EQ(RaisedBy([&] { Put(item, 0x6004002F, VTS_BSTR, u"soon"); }), DISP_E_TYPEMISMATCH);
    // Contacts' names on an appointment are no members.
    EXPECT_EQ(RaisedBy([&] { Put(item, 0x6004004D, VTS_BSTR, u"Ann"); }), DISP_E_MEMBERNOTFOUND);
}

// The store is written where the caller saves and nowhere else: an item's
// fields, attendees and attachments stay in memory until its Save, which
// flushes the store once; the folder's method 6 and a second item that is
// never saved write nothing.
TEST_F(RdoCalendarTest, AnItemReachesTheFileOnlyAtItsSaveWithOneFlush)
{
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt"), "plan");
    CStoreWrites store;
    COleDispatchDriver item, unsaved;
    NewAppointment(item);
    NewAppointment(unsaved);
    Put(unsaved, 0x0, VTS_BSTR, u"Never saved");
    Put(item, 0x0, VTS_BSTR, u"Design review");
    Put(item, 0xB, VTS_BSTR, u"Agenda");
    Put(item, 0x60040042, VTS_DATE, ole::MakeDate(2026, 7, 1, 9, 0));
    Put(item, 0x6004000A, VTS_DATE, ole::MakeDate(2026, 7, 1, 10, 0));
    Put(item, 0xD, VTS_BSTR, u"Holiday");
    Put(item, 0x2D, VTS_BOOL, TRUE);
    AddAttachment(item, u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt");
    AddAttachment(item, u"C:\\Program Files\\Pellinor\\Attachment\\plan.txt");
    Put(item, 0x6004003B, VTS_BSTR, u"Ann Lee/Acme, Bob Ray/Acme");
    Put(item, 0x6004003D, VTS_BSTR, u"Room 4/Acme");
    item.InvokeHelper(0x41, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_BOOL), TRUE);
    m_folder.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    EXPECT_EQ(store.writes, 0) << "the store was written before the item's save";
    EXPECT_EQ(store.syncs, 0);

    item.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    EXPECT_GT(store.writes, 0);
    EXPECT_EQ(store.syncs, 1);
    m_folder.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    unsaved.ReleaseDispatch();
    item.ReleaseDispatch();
    EXPECT_EQ(store.syncs, 1);

    auto items = ItemsIn(u"Calendar");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].GetString(0x0037001F), u"Design review");
    EXPECT_EQ(items[0].GetRecipients().size(), 3u);
    EXPECT_EQ(items[0].GetAttachments().size(), 2u);
}

} // namespace
} // namespace componenttest

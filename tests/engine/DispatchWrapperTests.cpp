// The named calls of the two components reach the members they name: what
// the contact and calendar conversions will put through them lands in the
// PST where readers look for it, and Brenmoor's calls make the target, its
// folders and a message.
#include "RdoTestBase.h"

#include "BrenmoorDispatch.h"
#include "RdoDispatch.h"
#include "RdoItemProperties.h"
#include "components/ComponentClasses.h"
#include "ole/DateText.h"

namespace componenttest {
namespace {

using mapi::LidTag;

class DispatchWrappers : public RdoMachine {
protected:
    // A session of its own, logged on, and the folder at the path in it.
    void OpenFolder(const char16_t* path, COleDispatchDriver& session, COleDispatchDriver& folder)
    {
        ASSERT_TRUE(Create(session, components::kRdoSessionClass));
        RdoSession_Logon(session);
        folder.AttachDispatch(RdoSession_GetFolderFromPath(session, path));
        ASSERT_NE(folder.m_lpDispatch, nullptr);
    }

    // The converters' folder set-up: a subfolder of the store's top folder.
    void AddTopFolderThroughWrappers(const char16_t* name, LONG kind)
    {
        COleDispatchDriver session, root, folders;
        OpenFolder(u"\\\\Archive", session, root);
        folders.AttachDispatch(RdoObject_Get12(root));
        RdoFolders_Add(folders, name, kind);
    }

    void NewItemThroughWrappers(const char16_t* path, LONG kind, COleDispatchDriver& folder, COleDispatchDriver& item)
    {
        COleDispatchDriver items;
        OpenFolder(path, m_session, folder);
        items.AttachDispatch(RdoFolder_GetItems(folder));
        item.AttachDispatch(RdoItems_Add(items, kind));
        ASSERT_NE(item.m_lpDispatch, nullptr);
    }

    COleDispatchDriver m_session;
};

TEST_F(DispatchWrappers, EveryContactPutReachesItsProperty)
{
    AddTopFolderThroughWrappers(u"Contacts", kRdoFolderContacts);
    COleDispatchDriver folder, contact;
    NewItemThroughWrappers(u"\\\\Archive\\Contacts", kRdoItemContact, folder, contact);
    RdoMessage_Put6004004D(contact, u"Ann");
    RdoMessage_Put60040077(contact, u"Engineer");
    RdoMessage_Put60040083(contact, u"Lee");
    RdoMessage_Put60040096(contact, u"Q");
    RdoMessage_Put6004001A(contact, u"+44 20 1111");
    RdoMessage_Put6004006B(contact, u"+44 20 2222");
    RdoMessage_Put60040051(contact, u"Ann Q Lee");
    RdoMessage_Put6004009E(contact, u"alee");
    RdoMessage_Put60040035(contact, u"ann@acme.example");
    RdoMessage_Put6004002D(contact, u"Acme");
    RdoMessage_Put60040086(contact, u"ann.lee@acme.example");
    RdoMessage_Put6004008A(contact, u"United Kingdom");
    RdoMessage_Put60040008(contact, ole::MakeDate(1980, 5, 17));
    RdoMessage_Put60040002(contact, ole::MakeDate(2005, 9, 3));
    RdoMessage_Put60040033(contact, u"Research");
    RdoMessage_Put600400BA(contact, u"+44 20 3333");
    RdoMessage_Put6004002B(contact, u"+44 20 4444");
    RdoMessage_Put60040098(contact, u"+44 77 5555");
    RdoMessage_Call6(contact);
    RdoMessage_Put41(contact, TRUE);

    auto saved = ItemsIn(u"Contacts");
    ASSERT_EQ(saved.size(), 1u);
    const mapi::CMessage& person = saved[0];
    EXPECT_EQ(person.GetMessageClass(), u"IPM.Contact");
    const std::pair<std::uint32_t, const char16_t*> texts[] = {
        {0x3A06001F, u"Ann"},         {0x3A17001F, u"Engineer"},    {0x3A11001F, u"Lee"},
        {0x3A44001F, u"Q"},           {0x3A24001F, u"+44 20 1111"}, {0x3A25001F, u"+44 20 2222"},
        {0x3001001F, u"Ann Q Lee"},   {0x3A4F001F, u"alee"},        {0x3A16001F, u"Acme"},
        {0x3A5A001F, u"United Kingdom"}, {0x3A18001F, u"Research"}, {0x3A1F001F, u"+44 20 3333"},
        {0x3A08001F, u"+44 20 4444"}, {0x3A1C001F, u"+44 77 5555"}};
    for (const auto& [tag, text] : texts)
        EXPECT_EQ(person.GetString(tag), text) << std::hex << tag;
    EXPECT_EQ(NamedValue<std::u16string>(person, LidTag(mapi::PSETID_Address, 0x8083, mapi::PT_UNICODE)),
              u"ann@acme.example");
    EXPECT_EQ(NamedValue<std::u16string>(person, LidTag(mapi::PSETID_Address, 0x8093, mapi::PT_UNICODE)),
              u"ann.lee@acme.example");
    EXPECT_EQ(person.GetTime(0x3A420040), 119718432000000000ull); // birthday
    EXPECT_EQ(person.GetTime(0x3A410040), 127701792000000000ull); // anniversary
}

TEST_F(DispatchWrappers, EveryAppointmentPutAndTheSaveReachTheItem)
{
    AddTopFolderThroughWrappers(u"Calendar", kRdoFolderCalendar);
    COleDispatchDriver folder, meeting;
    NewItemThroughWrappers(u"\\\\Archive\\Calendar", kRdoItemAppointment, folder, meeting);
    RdoItem_Put6004001A(meeting, 5);
    RdoItem_PutSubject(meeting, u"Design review");
    RdoItem_PutBody(meeting, u"Agenda");
    RdoItem_PutStart(meeting, ole::MakeDate(2026, 7, 1, 9, 0));
    RdoItem_PutEnd(meeting, ole::MakeDate(2026, 7, 1, 10, 0));
    RdoItem_PutLocation(meeting, u"Room 4");
    RdoItem_PutCategories(meeting, u"Holiday");
    RdoItem_PutReminderMinutes(meeting, 15);
    RdoItem_PutReminderSet(meeting, TRUE);
    RdoItem_PutResources(meeting, u"Room 4/Acme");
    RdoItem_PutFyiAttendees(meeting, u"Dan Orr/Acme");
    RdoItem_PutRequiredAttendees(meeting, u"Ann Lee/Acme");
    RdoItem_PutOptionalAttendees(meeting, u"Cy Fox/Acme");
    WriteHostFile(Host(u"C:\\Mail\\plan.txt"), "the plan");
    COleDispatchDriver attachments;
    attachments.AttachDispatch(RdoItem_GetAttachments(meeting));
    RdoAttachments_Add(attachments, u"C:\\Mail\\plan.txt");
    RdoItem_Put41(meeting, TRUE);
    RdoItem_Call6(meeting);
    RdoObject_Method6(folder);

    COleDispatchDriver allDay;
    COleDispatchDriver items;
    items.AttachDispatch(RdoFolder_GetItems(folder));
    allDay.AttachDispatch(RdoItems_Add(items, kRdoItemAppointment));
    RdoItem_PutSubject(allDay, u"Holiday");
    RdoItem_PutStart(allDay, ole::MakeDate(2026, 7, 1));
    RdoItem_Put60040000(allDay, TRUE);
    RdoItem_Call6(allDay);

    auto saved = ItemsIn(u"Calendar");
    ASSERT_EQ(saved.size(), 2u);
    const mapi::CMessage& review = saved[0].GetString(0x0037001F) == u"Design review" ? saved[0] : saved[1];
    const mapi::CMessage& holiday = &review == &saved[0] ? saved[1] : saved[0];
    auto appointment = [](std::uint32_t lid, std::uint16_t type) {
        return LidTag(mapi::PSETID_Appointment, lid, type);
    };
    auto common = [](std::uint32_t lid, std::uint16_t type) { return LidTag(mapi::PSETID_Common, lid, type); };
    EXPECT_EQ(review.GetString(0x1000001F), u"Agenda");
    EXPECT_EQ(review.GetTime(0x00600040), 134273700000000000ull);
    EXPECT_EQ(review.GetTime(0x00610040), 134273736000000000ull);
    EXPECT_EQ(NamedValue<std::u16string>(review, appointment(0x8208, mapi::PT_UNICODE)), u"Room 4");
    EXPECT_EQ(NamedValue<std::int32_t>(review, appointment(0x8218, mapi::PT_LONG)), 5);
    EXPECT_EQ(NamedValue<bool>(review, common(0x8503, mapi::PT_BOOLEAN)), true);
    EXPECT_EQ(NamedValue<std::int32_t>(review, common(0x8501, mapi::PT_LONG)), 15);
    EXPECT_EQ(NamedValue<std::u16string>(review, appointment(0x823B, mapi::PT_UNICODE)), u"Ann Lee/Acme");
    EXPECT_EQ(NamedValue<std::u16string>(review, appointment(0x823C, mapi::PT_UNICODE)), u"Cy Fox/Acme");
    EXPECT_EQ(review.GetRecipients().size(), 4u);
    ASSERT_EQ(review.GetAttachments().size(), 1u);
    EXPECT_EQ(review.GetAttachments()[0].GetFileName(), u"plan.txt");
    EXPECT_EQ(holiday.GetString(0x0037001F), u"Holiday");
    EXPECT_EQ(NamedValue<bool>(holiday, appointment(0x8215, mapi::PT_BOOLEAN)), true);
}

TEST_F(DispatchWrappers, BrenmoorOpensTheTargetMakesAFolderAndWritesAMessage)
{
    COleDispatchDriver brenmoor;
    ASSERT_TRUE(Create(brenmoor, components::kBrenmoorClass));
    Brenmoor_Call6003002A(brenmoor);
    BSTR pst = SysAllocString(u"C:\\Mail\\mail.pst");
    BSTR name = SysAllocString(u"Pellinor Conversion FolderMail");
    Brenmoor_Call6003002B(brenmoor, &pst, &name);
    BSTR folder = SysAllocString(u"\\\\Pellinor Conversion FolderMail\\Mail");
    Brenmoor_Call6003002C(brenmoor, &folder);
    SysFreeString(folder);
    folder = SysAllocString(u"\\\\Pellinor Conversion FolderMail\\Mail\\Inbox");
    Brenmoor_Call6003002C(brenmoor, &folder);

    WriteHostFile(Host(u"C:\\tol.eml"), "From: Ann Lee <ann@acme.example>\r\n");
    BSTR subject = SysAllocString(u"Minutes");
    BSTR to = SysAllocString(u"bob@acme.example");
    BSTR eml = SysAllocString(u"C:\\tol.eml");
    BSTR date = SysAllocString(u"01/07/2026 09:00:00");
    BSTR body = SysAllocString(u"The minutes of the meeting.");
    BSTR none = nullptr;
    SHORT kind = 1;
    Brenmoor_Call6003002E(brenmoor, &folder);
    Brenmoor_Call6003002D(brenmoor, {&folder, &subject, &to, &eml, &date, &none, &body, &kind, &none, &none});
    Brenmoor_Call6003002F(brenmoor);
    for (BSTR text : {pst, name, folder, subject, to, eml, date, body})
        SysFreeString(text);

    auto store = ReopenStore(Host(u"C:\\Mail\\mail.pst"));
    ASSERT_TRUE(store);
    EXPECT_EQ(store->GetDisplayName().Value(), u"Pellinor Conversion FolderMail");
    auto inbox = FolderBelowTop(store, {u"Mail", u"Inbox"});
    ASSERT_TRUE(inbox);
    auto messages = MessagesOf(*inbox);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].GetString(0x0037001F), u"Minutes");
}

TEST_F(DispatchWrappers, CallsOnAnEmptyDriverDoNothing)
{
    COleDispatchDriver empty;
    BSTR text = nullptr;
    EXPECT_NO_THROW(Brenmoor_Call6003002A(empty));
    EXPECT_NO_THROW(Brenmoor_Call6003002B(empty, &text, &text));
    EXPECT_EQ(RdoObject_Get12(empty), nullptr);
    EXPECT_EQ(RdoItems_Add(empty, kRdoItemContact), nullptr);
    EXPECT_NO_THROW(RdoMessage_Put6004004D(empty, u"Ann"));
}

} // namespace
} // namespace componenttest

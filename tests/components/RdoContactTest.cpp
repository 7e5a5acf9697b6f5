// Contacts made as the contact converter makes them: a contacts folder
// added below the store's top folder, then one session, item and save per
// contact; read back from the PST.
#include "RdoTestBase.h"

#include "components/FolderLookup.h"
#include "components/Logon.h"
#include "ole/DateText.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

namespace componenttest {
namespace {

using mapi::LidTag;
using mapi::PSETID_Address;

constexpr const char16_t* kContactsPath = u"\\\\Archive\\Contacts";

class RdoContactTest : public RdoMachine {
protected:
    void SetUp() override
    {
        RdoMachine::SetUp();
        AddTopFolder(u"Contacts", 10);
    }

    static void PutText(COleDispatchDriver& item, DISPID member, const char16_t* text)
    {
        item.InvokeHelper(member, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_BSTR), text);
    }

    static void PutDate(COleDispatchDriver& item, DISPID member, DATE date)
    {
        item.InvokeHelper(member, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_DATE), date);
    }

    static void Put41(COleDispatchDriver& item)
    {
        item.InvokeHelper(0x41, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_BOOL), TRUE);
    }
};

// A Notes person with every field the contact converter carries.
struct Field {
    DISPID dispid;
    const char16_t* text;
    std::uint32_t tag; // 0 for the two e-mail addresses, which are named properties
};
const Field kPerson[] = {
    {0x6004004D, u"Ann", 0x3A06001F},                // given name
    {0x60040077, u"Engineer", 0x3A17001F},           // job title
    {0x60040083, u"Lee", 0x3A11001F},                // surname
    {0x60040096, u"Q", 0x3A44001F},                  // middle name
    {0x6004001A, u"+44 20 1111", 0x3A24001F},        // business fax
    {0x6004006B, u"+44 20 2222", 0x3A25001F},        // home fax
    {0x60040051, u"Ann Q Lee", 0x3001001F},          // display name
    {0x6004009E, u"alee", 0x3A4F001F},               // nickname
    {0x6004002D, u"Acme", 0x3A16001F},               // company
    {0x6004008A, u"United Kingdom", 0x3A5A001F},     // home address country
    {0x60040033, u"Research", 0x3A18001F},           // department
    {0x600400BA, u"+44 20 3333", 0x3A1F001F},        // other telephone
    {0x6004002B, u"+44 20 4444", 0x3A08001F},        // business telephone
    {0x60040098, u"+44 77 5555", 0x3A1C001F},        // mobile
    {0x60040035, u"ann@acme.example", 0},            // e-mail 1
    {0x60040086, u"ann.lee@acme.example", 0},        // e-mail 2
};

TEST_F(RdoContactTest, EveryFieldOfAPersonReachesThePropertyThatReadersShowIt)
{
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    for (const Field& field : kPerson)
        PutText(item, field.dispid, field.text);
    PutDate(item, 0x60040008, ole::MakeDate(1980, 5, 17));
    PutDate(item, 0x60040002, ole::MakeDate(2005, 9, 3));
    Save(item);
    Put41(item);

    auto store = Reopen();
    auto folder = FolderBelowTop(store, {u"contacts"});
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->GetContainerClass().Value(), u"IPF.Contact");
    auto saved = MessagesOf(*folder);
    ASSERT_EQ(saved.size(), 1u);
    const mapi::CMessage& contact = saved[0];
    EXPECT_EQ(contact.GetMessageClass(), u"IPM.Contact");
    for (const Field& field : kPerson) {
        if (field.tag) {
            EXPECT_EQ(contact.GetString(field.tag), field.text) << std::hex << field.dispid;
        }
    }
    EXPECT_EQ(NamedValue<std::u16string>(contact, LidTag(PSETID_Address, 0x8083, mapi::PT_UNICODE)), u"ann@acme.example");
    EXPECT_EQ(NamedValue<std::u16string>(contact, LidTag(PSETID_Address, 0x8093, mapi::PT_UNICODE)),
              u"ann.lee@acme.example");
    // Birthday and wedding anniversary: midnight of the day (local time is UTC here).
    EXPECT_EQ(contact.GetTime(0x3A420040), 119718432000000000ull);
    EXPECT_EQ(contact.GetTime(0x3A410040), 127701792000000000ull);
    // Filed as "Last, First"; the addresses are SMTP addresses shown with the name.
    EXPECT_EQ(NamedValue<std::u16string>(contact, LidTag(PSETID_Address, 0x8005, mapi::PT_UNICODE)), u"Lee, Ann");
    EXPECT_EQ(NamedValue<std::u16string>(contact, LidTag(PSETID_Address, 0x8082, mapi::PT_UNICODE)), u"SMTP");
    EXPECT_EQ(NamedValue<std::u16string>(contact, LidTag(PSETID_Address, 0x8080, mapi::PT_UNICODE)),
              u"Ann Q Lee (ann@acme.example)");

    // What the independent readers show of it.
    std::string exported = PffExported(Host(kTargetPst), m_root / "pff",
                                       "Top of Personal Folders/Contacts/Contact00001/Contact.txt");
    EXPECT_EQ(ExportedValue(exported, "Given name:"), "Ann");
    EXPECT_EQ(ExportedValue(exported, "Surname:"), "Lee");
    EXPECT_EQ(ExportedValue(exported, "File under:"), "Lee, Ann");
    EXPECT_EQ(ExportedValue(exported, "Company name:"), "Acme");
    EXPECT_EQ(ExportedValue(exported, "Job title:"), "Engineer");
    EXPECT_EQ(ExportedValue(exported, "Department name:"), "Research");
    EXPECT_EQ(ExportedValue(exported, "Email address 1:"), "ann@acme.example");
    EXPECT_EQ(ExportedValue(exported, "Email address 2:"), "ann.lee@acme.example");
    EXPECT_EQ(ExportedValue(exported, "Mobile phone number:"), "+44 77 5555");
    EXPECT_EQ(ExportedValue(exported, "Business fax number:"), "+44 20 1111");
    EXPECT_EQ(ExportedValue(exported, "Flags:"), "0x00000001 (Read)");
    std::string vcard = ReadpstExported(Host(kTargetPst), m_root / "readpst", "Contacts.contacts");
    for (const char* line : {"N:Lee;Ann;Q;;", "NICKNAME:alee", "EMAIL:ann@acme.example", "EMAIL:ann.lee@acme.example",
                             "BDAY:1980-05-17", "TEL;TYPE=home,fax:+44 20 2222", "TEL;TYPE=cell,voice:+44 77 5555",
                             "TEL;TYPE=work,voice:+44 20 4444", "TEL;TYPE=msg:+44 20 3333", "TITLE:Engineer",
                             "ORG:Acme"})
        EXPECT_NE(vcard.find(line), std::string::npos) << line << "\n" << vcard;
}

TEST_F(RdoContactTest, ANotesNameAsEmailIsTypedNotesBesideAnInternetAddress)
{
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    PutText(item, 0x60040035, u"CN=Ann Lee/O=Acme@AcmeMail");
    PutText(item, 0x60040086, u"ann.lee@acme.example");
    Save(item);
    Put41(item);

    auto store = Reopen();
    auto folder = FolderBelowTop(store, {u"contacts"});
    ASSERT_TRUE(folder);
    auto saved = MessagesOf(*folder);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(NamedValue<std::u16string>(saved[0], LidTag(PSETID_Address, 0x8083, mapi::PT_UNICODE)),
              u"CN=Ann Lee/O=Acme@AcmeMail");
    EXPECT_EQ(NamedValue<std::u16string>(saved[0], LidTag(PSETID_Address, 0x8082, mapi::PT_UNICODE)), u"NOTES");
    EXPECT_EQ(NamedValue<std::u16string>(saved[0], LidTag(PSETID_Address, 0x8092, mapi::PT_UNICODE)), u"SMTP");
    std::string exported = PffExported(Host(kTargetPst), m_root / "pff",
                                       "Top of Personal Folders/Contacts/Contact00001/Contact.txt");
    EXPECT_NE(exported.find("CN=Ann Lee/O=Acme@AcmeMail"), std::string::npos) << exported;
}

TEST_F(RdoContactTest, ALaterPutReplacesTheValueOfTheSameProperty)
{
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    PutText(item, 0x60040051, u"Ann Lee");
    PutText(item, 0x60040051, u"Ann Lee/Acme");
    PutText(item, 0x60040035, u"ann@old.example");
    PutText(item, 0x60040086, u"ann@acme.example");
    PutText(item, 0x60040035, u"ann@acme.example");
    Save(item);
    auto saved = ItemsIn(u"Contacts");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].GetString(0x3001001F), u"Ann Lee/Acme");
    EXPECT_EQ(NamedValue<std::u16string>(saved[0], LidTag(PSETID_Address, 0x8083, mapi::PT_UNICODE)),
              u"ann@acme.example");
}

TEST_F(RdoContactTest, AContactWithoutNamesIsStillSavedAndOneReleasedUnsavedLeavesNothing)
{
    {
        COleDispatchDriver unsaved;
        NewItem(kContactsPath, 2, unsaved);
        PutText(unsaved, 0x6004004D, u"Stopped");
    }
    COleDispatchDriver empty;
    NewItem(kContactsPath, 2, empty);
    Save(empty);
    auto saved = ItemsIn(u"Contacts");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].GetString(0x3A06001F), u"");
    EXPECT_EQ(saved[0].GetString(0x3001001F), u"");
}

TEST_F(RdoContactTest, SavingAgainKeepsOneItemWithTheLaterValues)
{
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    PutText(item, 0x6004004D, u"Ann");
    Save(item);
    PutText(item, 0x60040083, u"Lee");
    PutText(item, 0x60040051, u"Ann Lee");
    Save(item);
    auto saved = ItemsIn(u"Contacts");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].GetString(0x3001001F), u"Ann Lee");
    EXPECT_EQ(saved[0].GetString(0x3A11001F), u"Lee");
}

TEST_F(RdoContactTest, AddingAnExistingFolderIsAnErrorThatLeavesTheFolderAsItWas)
{
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    Save(item);
    COleDispatchDriver session, root, folders;
    NewSession(session);
    FolderFromPath(session, u"\\\\Archive", root);
    ObjectProperty(root, 0x12, folders);
    EXPECT_EQ(RaisedBy([&] { AddFolder(folders, u"CONTACTS", 10); }), static_cast<HRESULT>(0x80040604));
    EXPECT_EQ(RaisedBy([&] { AddFolder(folders, u"Tasks", 13); }), E_INVALIDARG);
    EXPECT_EQ(ItemsIn(u"Contacts").size(), 1u);
}

TEST_F(RdoContactTest, PathsThatLeadNowhereAndSessionsWithoutLogonAreErrors)
{
    COleDispatchDriver session, folder;
    NewSession(session);
    EXPECT_EQ(RaisedBy([&] { FolderFromPath(session, u"\\\\Archive\\Missing", folder); }), components::kNotFound);
    EXPECT_EQ(RaisedBy([&] { FolderFromPath(session, u"\\\\Elsewhere", folder); }), components::kNotFound);
    EXPECT_EQ(RaisedBy([&] { FolderFromPath(session, u"Archive\\Contacts", folder); }), E_INVALIDARG);
    EXPECT_EQ(folder.m_lpDispatch, nullptr);

    COleDispatchDriver fresh;
    ASSERT_TRUE(Create(fresh, components::kRdoSessionClass));
    EXPECT_NE(RaisedBy([&] { FolderFromPath(fresh, u"\\\\Archive", folder); }), S_OK);
    RemoveDefaultProfile();
    EXPECT_EQ(RaisedBy([&] { Logon(fresh); }), components::kLogonFailed);
}

// A session is made and logged on for every contact: each logon goes by the
// default profile as the registry has it at that moment.
TEST_F(RdoContactTest, EveryLogonGoesByTheDefaultProfileAsTheRegistryHasItThen)
{
    const auto profile = components::DefaultProfileName();
    ASSERT_TRUE(profile);
    for (int i = 0; i < 2; ++i) {
        COleDispatchDriver session;
        ASSERT_TRUE(Create(session, components::kRdoSessionClass));
        EXPECT_EQ(RaisedBy([&] { Logon(session); }), S_OK);
    }

    RemoveDefaultProfile();
    COleDispatchDriver without;
    ASSERT_TRUE(Create(without, components::kRdoSessionClass));
    EXPECT_EQ(RaisedBy([&] { Logon(without); }), components::kLogonFailed);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, components::kProfilesKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, components::kDefaultProfileValue, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(profile->c_str()),
                             static_cast<DWORD>((profile->size() + 1) * sizeof(WCHAR))),
              ERROR_SUCCESS);
    RegCloseKey(key);
    COleDispatchDriver again, folder;
    ASSERT_TRUE(Create(again, components::kRdoSessionClass));
    EXPECT_EQ(RaisedBy([&] { Logon(again); }), S_OK);
    EXPECT_EQ(RaisedBy([&] { FolderFromPath(again, u"\\\\Archive", folder); }), S_OK);
}

TEST_F(RdoContactTest, ValuesOfTheWrongKindAndMembersOfOtherKindsAreRefused)
{
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    EXPECT_EQ(RaisedBy([&] { PutText(item, 0x60040008, u"not a date"); }), DISP_E_TYPEMISMATCH);
    // Start belongs to appointments.
    EXPECT_EQ(RaisedBy([&] { PutDate(item, 0x60040042, 46000.5); }), DISP_E_MEMBERNOTFOUND);
    std::u16string got;
    EXPECT_EQ(RaisedBy([&] { item.GetProperty(0x6004004D, VT_BSTR, &got); }), DISP_E_MEMBERNOTFOUND);
    // A date given as text converts as VariantChangeType reads it.
    PutText(item, 0x60040008, u"17/05/1980");
    Save(item);
    auto saved = ItemsIn(u"Contacts");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].GetTime(0x3A420040), 119718432000000000ull);
}

} // namespace
} // namespace componenttest

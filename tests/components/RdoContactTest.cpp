// Contacts made as the contact converter makes them: a contacts folder
// added below the store's top folder, then one session, item and save per
// contact.
#include "RdoTestBase.h"

#include "mapi/PropTags.h"
#include "mapi/ltp/PropertySets.h"
#include "components/FolderLookup.h"
#include "ole/DateText.h"

namespace componenttest {
namespace {

using components::PropertyKey;
using mapi::ltp::PSETID_Address;

constexpr const char16_t* kContactsPath = u"\\\\Archive\\Contacts";

class RdoContactTest : public RdoMachine {
protected:
    void SetUp() override
    {
        RdoMachine::SetUp();
        COleDispatchDriver session, root, folders;
        NewSession(session);
        FolderFromPath(session, u"\\\\Archive", root);
        ObjectProperty(root, 0x12, folders);
        AddFolder(folders, u"Contacts", 10);
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

TEST_F(RdoContactTest, TheContactsFolderIsAContactsFolderBelowTheTopFolder)
{
    auto store = Store();
    auto folder = store->FindSubfolder(store->TopFolder(), u"contacts");
    ASSERT_TRUE(folder);
    EXPECT_EQ(store->m_folders.at(*folder).containerClass, u"IPF.Contact");
}

TEST_F(RdoContactTest, EveryFieldOfAPersonReachesThePropertyThatReadersShowIt)
{
    struct Field {
        DISPID dispid;
        const char16_t* text;
        PropertyKey expected;
    };
    const Field fields[] = {
        {0x6004004D, u"Ann", PropertyKey::Tag(0x3A06001F)},                  // given name
        {0x60040077, u"Engineer", PropertyKey::Tag(0x3A17001F)},             // title
        {0x60040083, u"Lee", PropertyKey::Tag(0x3A11001F)},                  // surname
        {0x60040096, u"Q", PropertyKey::Tag(0x3A44001F)},                    // middle name
        {0x6004001A, u"+44 20 1111", PropertyKey::Tag(0x3A24001F)},          // business fax
        {0x6004006B, u"+44 20 2222", PropertyKey::Tag(0x3A25001F)},          // home fax
        {0x60040051, u"Ann Q Lee", PropertyKey::Tag(0x3001001F)},            // display name
        {0x6004009E, u"alee", PropertyKey::Tag(0x3A4F001F)},                 // nickname
        {0x6004002D, u"Acme", PropertyKey::Tag(0x3A16001F)},                 // company
        {0x6004008A, u"United Kingdom", PropertyKey::Tag(0x3A5A001F)},       // home address country
        {0x60040033, u"Research", PropertyKey::Tag(0x3A18001F)},             // department
        {0x600400BA, u"+44 20 3333", PropertyKey::Tag(0x3A1F001F)},          // other telephone
        {0x6004002B, u"+44 20 4444", PropertyKey::Tag(0x3A08001F)},          // business telephone
        {0x60040098, u"+44 77 5555", PropertyKey::Tag(0x3A1C001F)},          // mobile
        {0x60040035, u"ann@acme.example", PropertyKey::Named(PSETID_Address, 0x8083, mapi::PT_UNICODE)},
        {0x60040086, u"ann.lee@acme.example", PropertyKey::Named(PSETID_Address, 0x8093, mapi::PT_UNICODE)},
    };
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    for (const Field& field : fields)
        PutText(item, field.dispid, field.text);
    PutDate(item, 0x60040008, ole::MakeDate(1980, 5, 17));
    PutDate(item, 0x60040002, ole::MakeDate(2005, 9, 3));
    Save(item);
    Put41(item);

    auto saved = ItemsIn(u"Contacts");
    ASSERT_EQ(saved.size(), 1u);
    const components::ItemDraft& contact = saved[0];
    EXPECT_EQ(contact.messageClass, u"IPM.Contact");
    for (const Field& field : fields)
        EXPECT_EQ(contact.Text(field.expected), field.text) << std::hex << field.dispid;
    // Birthday and wedding anniversary, midnight UTC of the day.
    EXPECT_EQ(contact.Time(PropertyKey::Tag(0x3A420040)), 119718432000000000ull);
    EXPECT_EQ(contact.Time(PropertyKey::Tag(0x3A410040)), 127701792000000000ull);
    // Filed as "Last, First"; the addresses are SMTP addresses shown with the name.
    EXPECT_EQ(contact.Text(PropertyKey::Named(PSETID_Address, 0x8005, mapi::PT_UNICODE)), u"Lee, Ann");
    EXPECT_EQ(contact.Text(PropertyKey::Named(PSETID_Address, 0x8082, mapi::PT_UNICODE)), u"SMTP");
    EXPECT_EQ(contact.Text(PropertyKey::Named(PSETID_Address, 0x8080, mapi::PT_UNICODE)),
              u"Ann Q Lee (ann@acme.example)");
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
    EXPECT_EQ(saved[0].Text(PropertyKey::Tag(0x3001001F)), u"Ann Lee/Acme");
    EXPECT_EQ(saved[0].Text(PropertyKey::Named(PSETID_Address, 0x8083, mapi::PT_UNICODE)), u"ann@acme.example");
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
    EXPECT_FALSE(saved[0].Text(PropertyKey::Tag(0x3A06001F)));
    EXPECT_FALSE(saved[0].Text(PropertyKey::Tag(0x3001001F)));
}

TEST_F(RdoContactTest, SavingAgainKeepsOneItemWithTheLaterValues)
{
    COleDispatchDriver item;
    NewItem(kContactsPath, 2, item);
    PutText(item, 0x6004004D, u"Ann");
    Save(item);
    PutText(item, 0x60040083, u"Lee");
    Save(item);
    auto saved = ItemsIn(u"Contacts");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].Text(PropertyKey::Tag(0x3001001F)), u"Ann Lee");
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
    EXPECT_EQ(ItemsIn(u"Contacts").size(), 1u);
    EXPECT_EQ(RaisedBy([&] { AddFolder(folders, u"Tasks", 13); }), E_INVALIDARG);
}

TEST_F(RdoContactTest, PathsThatLeadNowhereAndSessionsWithoutLogonAreErrors)
{
    COleDispatchDriver session, folder;
    NewSession(session);
    EXPECT_EQ(RaisedBy([&] { FolderFromPath(session, u"\\\\Archive\\Missing", folder); }),
              components::kNotFound);
    EXPECT_EQ(RaisedBy([&] { FolderFromPath(session, u"\\\\Elsewhere", folder); }), components::kNotFound);
    EXPECT_EQ(RaisedBy([&] { FolderFromPath(session, u"Archive\\Contacts", folder); }), E_INVALIDARG);
    EXPECT_EQ(folder.m_lpDispatch, nullptr);

    COleDispatchDriver fresh;
    ASSERT_TRUE(Create(fresh, components::kRdoSessionClass));
    EXPECT_NE(RaisedBy([&] { FolderFromPath(fresh, u"\\\\Archive", folder); }), S_OK);
    RemoveDefaultProfile();
    EXPECT_EQ(RaisedBy([&] { Logon(fresh); }), components::kLogonFailed);
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
    EXPECT_EQ(ItemsIn(u"Contacts")[0].Time(PropertyKey::Tag(0x3A420040)), 119718432000000000ull);
}

} // namespace
} // namespace componenttest

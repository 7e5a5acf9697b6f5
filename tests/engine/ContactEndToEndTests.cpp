// A whole Address Book run as the program makes it: persons with every field
// the conversion carries, one with characters of the whole ANSI code page and
// one with no field at all, beside a group that is no contact; converted into
// a new PST and read back through the store layer, pffexport and readpst.
#include "ContactRunFixture.h"

#include "ReaderTools.h"
#include "components/MessageValues.h"

namespace enginetest {
namespace {

using mapi::LidTag;
using mapi::PSETID_Address;

// Where the properties of a contact live.
constexpr std::uint32_t kGivenName = 0x3A06001F;
constexpr std::uint32_t kSurname = 0x3A11001F;
constexpr std::uint32_t kDisplayName = 0x3001001F;
const mapi::NamedTag kEmail1 = LidTag(PSETID_Address, 0x8083, mapi::PT_UNICODE);
const mapi::NamedTag kEmail2 = LidTag(PSETID_Address, 0x8093, mapi::PT_UNICODE);

const ContactItems kAnn = {
    {"FirstName", "Ann"},
    {"JobTitle", "Engineer"},
    {"LastName", "Lee"},
    {"MiddleInitial", "Q."},
    {"OfficeFAXPhoneNumber", "+44 20 1111"},
    {"HomeFAXPhoneNumber", "+44 20 2222"},
    {"FullName", "Ann Q. Lee"},
    {"ShortName", "alee"},
    {"InternetAddress", "ann@acme.example"},
    {"CompanyName", "Acme"},
    {"Country", "United Kingdom"},
    {"Department", "Research"},
    {"MiscPhone1", "+44 20 3333"},
    {"OfficePhoneNumber", "+44 20 4444"},
    {"CellPhoneNumber", "+44 77 5555"},
};

// Windows-1252 bytes: e diaeresis, u umlaut, the euro sign, curly quotes.
const ContactItems kZoe = {
    {"FirstName", "Zo\xeb"},
    {"LastName", "O'Brien-M\xfcller"},
    {"FullName", "M\xfcller, Zo\xeb \x93Z\x94"},
    {"JobTitle", "Head of R&D \\ Ops"},
    {"CompanyName", "Smith & Sons <Ltd>; \"Quoted\""},
    {"Department", "Sales \x80 Europe\tEast"},
    {"InternetAddress", "zoe.old@example.org"},
    {"MailAddress", "zoe@example.org"},
    {"CellPhoneNumber", "+49 (0) 151/123-456"},
};

std::string Database()
{
    std::string ann = PersonNote("ann", kAnn) + "times Birthday 1985-03-14\ntimes Anniversary 2010-06-19\n";
    return AddressBook({ann, PersonNote("zoe", kZoe), PersonNote("nobody", {})});
}

class ContactEndToEnd : public ContactRunFixture {
protected:
    void SetUp() override
    {
        ContactRunFixture::SetUp();
        ConvertWholly(Database(), [this] {
            m_counterShown = ProgressText(1034);
            m_labels = {ProgressText(1037), ProgressText(1038), ProgressText(1039), ProgressText(1033),
                        ProgressText(1047)};
            m_bars = {ProgressOf(GetDlgItem(m_progress, 1019)), ProgressOf(GetDlgItem(m_progress, 1020))};
        });
    }

    std::u16string m_counterShown;
    std::vector<std::u16string> m_labels;
    std::vector<int> m_bars;
};

TEST_F(ContactEndToEnd, EveryPersonBecomesAContactWithEachFieldAtItsProperty)
{
    auto contacts = Contacts();
    ASSERT_EQ(contacts.size(), 3u);
    const mapi::CMessage& ann = contacts[0];
    EXPECT_EQ(ann.GetMessageClass(), u"IPM.Contact");
    const std::pair<std::uint32_t, const char16_t*> annFields[] = {
        {kGivenName, u"Ann"},           {0x3A17001F, u"Engineer"},    {kSurname, u"Lee"},
        {0x3A44001F, u"Q."},            {0x3A24001F, u"+44 20 1111"}, {0x3A25001F, u"+44 20 2222"},
        {kDisplayName, u"Ann Q. Lee"},  {0x3A4F001F, u"alee"},        {0x3A16001F, u"Acme"},
        {0x3A5A001F, u"United Kingdom"}, {0x3A18001F, u"Research"},   {0x3A1F001F, u"+44 20 3333"},
        {0x3A08001F, u"+44 20 4444"},   {0x3A1C001F, u"+44 77 5555"},
    };
    for (const auto& [tag, text] : annFields)
        EXPECT_EQ(ann.GetString(tag), text) << std::hex << tag;
    EXPECT_EQ(componenttest::NamedValue<std::u16string>(ann, kEmail1), u"ann@acme.example");
    EXPECT_FALSE(componenttest::NamedValue<std::u16string>(ann, kEmail2));
    EXPECT_EQ(ann.GetTime(0x3A420040), 121240800000000000ull); // birthday, 14 March 1985
    EXPECT_EQ(ann.GetTime(0x3A410040), 129213792000000000ull); // anniversary, 19 June 2010

    const mapi::CMessage& zoe = contacts[1];
    EXPECT_EQ(zoe.GetString(kGivenName), u"Zo\u00eb");
    EXPECT_EQ(zoe.GetString(kSurname), u"O'Brien-M\u00fcller");
    EXPECT_EQ(zoe.GetString(kDisplayName), u"M\u00fcller, Zo\u00eb \u201cZ\u201d");
    EXPECT_EQ(zoe.GetString(0x3A17001F), u"Head of R&D \\ Ops");
    EXPECT_EQ(zoe.GetString(0x3A16001F), u"Smith & Sons <Ltd>; \"Quoted\"");
    EXPECT_EQ(zoe.GetString(0x3A18001F), u"Sales \u20ac Europe\tEast");
    // The mail address replaces the internet address and is the second one too.
    EXPECT_EQ(componenttest::NamedValue<std::u16string>(zoe, kEmail1), u"zoe@example.org");
    EXPECT_EQ(componenttest::NamedValue<std::u16string>(zoe, kEmail2), u"zoe@example.org");
    EXPECT_EQ(zoe.GetString(0x3A1C001F), u"+49 (0) 151/123-456");

    const mapi::CMessage& nobody = contacts[2];
    EXPECT_EQ(nobody.GetMessageClass(), u"IPM.Contact");
    EXPECT_EQ(nobody.GetString(kGivenName), u"");
    EXPECT_EQ(nobody.GetString(kDisplayName), u"");
    EXPECT_FALSE(nobody.GetProperty(0x3A420040));
}

TEST_F(ContactEndToEnd, TheDialogAndTheLogTellTheContactsCount)
{
    EXPECT_EQ(m_labels, (std::vector<std::u16string>{u"No. of Contact(s):", u"Name                   :",
                                                     u"Mobile No             :", kContactsFolder,
                                                     u"Enumerating contacts. Please wait..."}));
    EXPECT_EQ(m_counterShown, u"3/3");
    // The last person has neither name nor mobile: the one before stays shown.
    EXPECT_EQ(m_nameShown, u"M\u00fcller, Zo\u00eb \u201cZ\u201d");
    EXPECT_EQ(m_mobileShown, u"+49 (0) 151/123-456");
    EXPECT_EQ(m_bars, (std::vector<int>{100, 100}));
    EXPECT_EQ(LoggedSummaries(), (std::vector<std::vector<std::string>>{
                                     {"No. of folder selected : 1", "Current Progress : 3", "Overall Progress : 3"}}));
}

TEST_F(ContactEndToEnd, PffexportReadsEveryContactsFields)
{
    const auto pst = Host(kPstPath);
    const std::string folder = "Top of Personal Folders/Contacts/";
    std::string ann = componenttest::PffExported(pst, m_root / "pff", folder + "Contact00001/Contact.txt");
    const std::pair<const char*, const char*> annValues[] = {
        {"Given name:", "Ann"},           {"Surname:", "Lee"},
        {"File under:", "Lee, Ann"},      {"Company name:", "Acme"},
        {"Job title:", "Engineer"},       {"Department name:", "Research"},
        {"Email address 1:", "ann@acme.example"}, {"Mobile phone number:", "+44 77 5555"},
        {"Business fax number:", "+44 20 1111"},  {"Business phone number 1:", "+44 20 4444"},
    };
    for (const auto& [label, value] : annValues)
        EXPECT_EQ(componenttest::ExportedValue(ann, label), value) << label << "\n" << ann;

    std::string zoe = componenttest::PffExported(pst, m_root / "pff", folder + "Contact00002/Contact.txt");
    EXPECT_EQ(componenttest::ExportedValue(zoe, "Given name:"), "Zo\xc3\xab");
    EXPECT_EQ(componenttest::ExportedValue(zoe, "Surname:"), "O'Brien-M\xc3\xbcller");
    EXPECT_EQ(componenttest::ExportedValue(zoe, "Company name:"), "Smith & Sons <Ltd>; \"Quoted\"");
    EXPECT_EQ(componenttest::ExportedValue(zoe, "Email address 1:"), "zoe@example.org");
    EXPECT_EQ(componenttest::ExportedValue(zoe, "Email address 2:"), "zoe@example.org");
    EXPECT_TRUE(std::filesystem::exists(m_root / "pff.export" / "Top of Personal Folders" / "Contacts" /
                                        "Contact00003"));
    EXPECT_FALSE(std::filesystem::exists(m_root / "pff.export" / "Top of Personal Folders" / "Contacts" /
                                         "Contact00004"));
}

TEST_F(ContactEndToEnd, ReadpstReadsEveryContactAsAVcard)
{
    std::string vcards = componenttest::ReadpstExported(Host(kPstPath), m_root / "readpst", "Contacts.contacts");
    std::size_t cards = 0;
    for (std::size_t at = vcards.find("BEGIN:VCARD"); at != std::string::npos; at = vcards.find("BEGIN:VCARD", at + 1))
        ++cards;
    // readpst makes a card only of an item with some contact field: the
    // person without any is read by the store layer and pffexport alone.
    EXPECT_EQ(cards, 2u) << vcards;
    for (const char* line :
         {"N:Lee;Ann;Q.;;", "FN:Lee\\, Ann", "NICKNAME:alee", "EMAIL:ann@acme.example", "BDAY:1985-03-14",
          "TEL;TYPE=home,fax:+44 20 2222", "TEL;TYPE=work,fax:+44 20 1111", "TEL;TYPE=cell,voice:+44 77 5555",
          "TEL;TYPE=work,voice:+44 20 4444", "TEL;TYPE=msg:+44 20 3333", "TITLE:Engineer", "ORG:Acme",
          "N:O'Brien-M\xc3\xbcller;Zo\xc3\xab;;;", "EMAIL:zoe@example.org",
          "ORG:Smith & Sons <Ltd>\\; \"Quoted\"", "TITLE:Head of R&D \\\\ Ops"})
        EXPECT_NE(vcards.find(line), std::string::npos) << line << "\n" << vcards;
}

} // namespace
} // namespace enginetest

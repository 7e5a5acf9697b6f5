// How each Person item reaches its property: the later of two items for one
// property, texts at the edge of the fixed buffers, lists, dates that read
// and dates that do not, and items that cannot be read.
#include "ContactRunFixture.h"

namespace enginetest {
namespace {

constexpr std::uint32_t kGivenName = 0x3A06001F;
constexpr std::uint32_t kSurname = 0x3A11001F;
constexpr std::uint32_t kMiddleName = 0x3A44001F;
constexpr std::uint32_t kJobTitle = 0x3A17001F;
constexpr std::uint32_t kDepartment = 0x3A18001F;
constexpr std::uint32_t kDisplayName = 0x3001001F;
constexpr std::uint32_t kMobile = 0x3A1C001F;
constexpr std::uint32_t kBirthday = 0x3A420040;
constexpr std::uint32_t kAnniversary = 0x3A410040;
// 30 December 1899, midnight: the date 0.0.
constexpr unsigned long long kDayZero = 94353120000000000ull;

// A text of that many bytes whose every position differs from its
// neighbours, so that a cut shows where it was made.
std::string Pattern(std::size_t bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

std::u16string WidePattern(std::size_t bytes)
{
    std::string narrow = Pattern(bytes);
    return std::u16string(narrow.begin(), narrow.end());
}

std::string ManyDates(int count)
{
    std::string dates;
    for (int day = 0; day < count; ++day)
        dates += " 2001-" + std::string(day / 28 < 9 ? "0" : "") + std::to_string(day / 28 + 1) + "-" +
                 (day % 28 < 9 ? "0" : "") + std::to_string(day % 28 + 1);
    return dates;
}

std::string Database()
{
    const std::string emptyLater = PersonNote("bob", {{"FullName", "Bob Stone"}, {"RAName", ""}});
    const std::string longTexts = PersonNote("long", {{"FirstName", Pattern(1500)},
                                                      {"LastName", Pattern(1000)},
                                                      {"MiddleInitial", Pattern(1022)},
                                                      {"JobTitle", Pattern(1023)},
                                                      {"Department", Pattern(1500)},
                                                      {"CellPhoneNumber", "+1 555 0100"}}) +
                                  "text FullName \"First Value\" \"Second Value\"\n";
    const std::string dates = PersonNote("dates", {{"LastName", "Dates"}}) +
                              "times Birthday \"1972-11-02 08:30:00\"\n"
                              "times Anniversary 2001-01-01 2002-02-02\n";
    const std::string badDates = PersonNote("baddates", {{"LastName", "Bad dates"}}) +
                                 "times Birthday 2026-01-01..2026-01-02\n"
                                 "times Anniversary" + ManyDates(120) + "\n";
    const std::string wrongTypes = PersonNote("types", {{"LastName", "Typed"},
                                                        {"FullName", "Ann Lee"},
                                                        {"RAName", "CN=Ann Lee/O=Acme"}}) +
                                   "numbers FirstName 42\nnumbers CellPhoneNumber 5550199\ntext JobTitle\n";
    return AddressBook({emptyLater, longTexts, dates, badDates, wrongTypes});
}

class ContactFields : public ContactRunFixture {
protected:
    void SetUp() override
    {
        ContactRunFixture::SetUp();
        ConvertWholly(Database());
        m_contacts = Contacts();
        ASSERT_EQ(m_contacts.size(), 5u);
    }

    std::vector<mapi::CMessage> m_contacts;
};

TEST_F(ContactFields, ALaterItemForTheSamePropertyReplacesTheEarlierUnlessItIsEmpty)
{
    EXPECT_EQ(m_contacts[0].GetString(kDisplayName), u"Bob Stone");
    EXPECT_EQ(m_contacts[4].GetString(kDisplayName), u"CN=Ann Lee/O=Acme");
    // The dialog shows the full name, not the name that replaced it.
    EXPECT_EQ(m_nameShown, u"Ann Lee");
}

TEST_F(ContactFields, TextsAreCutOnlyWhenTheyDoNotFitTheBufferWithTheirTerminator)
{
    const mapi::CMessage& contact = m_contacts[1];
    EXPECT_TRUE(contact.GetString(kGivenName) == WidePattern(1000));
    EXPECT_TRUE(contact.GetString(kSurname) == WidePattern(1000));
    EXPECT_TRUE(contact.GetString(kMiddleName) == WidePattern(1022));
    EXPECT_TRUE(contact.GetString(kJobTitle) == WidePattern(1023)) << "1023 bytes fit with their terminator";
    // The department has no length test of its own: it is cut as the others.
    EXPECT_TRUE(contact.GetString(kDepartment) == WidePattern(1000));
    // Only the first value of a list is carried over.
    EXPECT_EQ(contact.GetString(kDisplayName), u"First Value");
}

TEST_F(ContactFields, ADateIsPutWhenItReadsAsOneAndDayZeroWhenItDoesNot)
{
    EXPECT_EQ(m_contacts[2].GetTime(kBirthday), 117340146000000000ull); // 2 November 1972 08:30
    // Two values joined by ";" do not read as a date.
    EXPECT_EQ(m_contacts[2].GetTime(kAnniversary), kDayZero);
    EXPECT_EQ(m_contacts[3].GetTime(kBirthday), kDayZero);
    // A list whose text is longer than the buffer is cut, not overrun.
    EXPECT_EQ(m_contacts[3].GetTime(kAnniversary), kDayZero);
    EXPECT_EQ(m_contacts[3].GetString(kSurname), u"Bad dates");
}

TEST_F(ContactFields, AnItemThatCannotBeReadIsSkippedAloneAndLeavesTheShownMobileStanding)
{
    const mapi::CMessage& contact = m_contacts[4];
    EXPECT_EQ(contact.GetString(kGivenName), u"");
    EXPECT_EQ(contact.GetString(kJobTitle), u"");
    EXPECT_EQ(contact.GetString(kMobile), u"");
    EXPECT_EQ(contact.GetString(kSurname), u"Typed");
    EXPECT_EQ(m_mobileShown, u"+1 555 0100");
}

} // namespace
} // namespace enginetest

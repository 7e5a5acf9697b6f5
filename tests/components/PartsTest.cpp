// The texts that reach the components: address lists and sender lines,
// folder paths, attachment lists, and local dates turned into store times.
#include "components/Addresses.h"
#include "components/FolderPath.h"
#include "components/LocalTime.h"
#include "components/FileBytes.h"
#include "ole/DateText.h"
#include "ole/DispatchObject.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace componenttest {
namespace {

using components::Address;

TEST(AddressTest, TheSenderLineOfTheEmlFileGivesNameAndAddressEvenWithoutItsClosingBracket)
{
    EXPECT_EQ(components::SenderOfEml(u"From: Ann Lee/Acme <CN=Ann Lee/O=Acme\r\n"),
              (Address{u"Ann Lee/Acme", u"CN=Ann Lee/O=Acme", u"NOTES"}));
    EXPECT_EQ(components::SenderOfEml(u"Subject: x\r\nfrom:  \"Lee, Ann\" <ann@acme.example>\r\n"),
              (Address{u"Lee, Ann", u"ann@acme.example", u"SMTP"}));
    EXPECT_EQ(components::SenderOfEml(u"From: ann@acme.example"),
              (Address{u"ann@acme.example", u"ann@acme.example", u"SMTP"}));
    // The line without an abbreviated name: the address names the sender.
    EXPECT_EQ(components::SenderOfEml(u"From:  <CN=Ann Lee/O=Acme\r\n")->displayName, u"CN=Ann Lee/O=Acme");
    EXPECT_FALSE(components::SenderOfEml(u""));
    EXPECT_FALSE(components::SenderOfEml(u"From: \r\n"));
    EXPECT_FALSE(components::SenderOfEml(u"To: Bob\r\nX-From: Ann\r\n"));
}

TEST(AddressTest, AListSplitsAtCommasAndSemicolonsOutsideQuotesAndBrackets)
{
    auto names = components::ParseAddressList(u"Bob Ray/Acme, \"Fox, Cy\" <cy@acme.example>;; Dan <d@x.example>, ");
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], (Address{u"Bob Ray/Acme", u"Bob Ray/Acme", u"NOTES"}));
    EXPECT_EQ(names[1], (Address{u"Fox, Cy", u"cy@acme.example", u"SMTP"}));
    EXPECT_EQ(names[2].emailAddress, u"d@x.example");
    EXPECT_TRUE(components::ParseAddressList(u" , ;").empty());
}

TEST(AddressTest, OnlyAnInternetAddressIsTypedSmtpAndEveryNotesNameIsTypedNotes)
{
    for (const char16_t* internet : {u"ann@acme.example", u"a.b+c@mail.acme.co.uk", u"x@[192.0.2.1]",
                                     u"zoë@bücher.example", u"o'hara@acme-corp.example"})
        EXPECT_EQ(components::ParseAddress(internet).addressType, u"SMTP") << std::string(internet, internet + 3);
    for (const char16_t* notes :
         {u"CN=First Last/OU=Unit/O=Org@NotesDomain", u"CN=First Last/OU=Unit/O=Org@Notes.Domain",
          u"First Last/Unit/Org@NotesDomain", u"First Last/Org", u"Ann@NotesDomain", u"ann lee@acme.example",
          u"a@b@acme.example", u"@acme.example", u"ann@", u"ann@.example", u"ann@acme..example", u"ann@-acme.example",
          u"Ann Lee"})
        EXPECT_EQ(components::ParseAddress(notes).addressType, u"NOTES") << std::string(notes, notes + 3);
    // A Notes name keeps its whole text as display name and address.
    EXPECT_EQ(components::ParseAddress(u"CN=First Last/OU=Unit/O=Org@NotesDomain"),
              (Address{u"CN=First Last/OU=Unit/O=Org@NotesDomain", u"CN=First Last/OU=Unit/O=Org@NotesDomain",
                       u"NOTES"}));
    EXPECT_EQ(components::SenderOfEml(u"From: First Last/Unit/Org <CN=First Last/OU=Unit/O=Org@NotesDomain\r\n"),
              (Address{u"First Last/Unit/Org", u"CN=First Last/OU=Unit/O=Org@NotesDomain", u"NOTES"}));
}

TEST(FolderPathTest, AStoreRootedPathGivesTheStoreAndItsLevels)
{
    auto path = components::ParseFolderPath(u"\\\\Mail Archive\\Inbox\\2024\\");
    EXPECT_EQ(path.storeName, u"Mail Archive");
    EXPECT_EQ(path.levels, (std::vector<std::u16string>{u"Inbox", u"2024"}));
    EXPECT_TRUE(components::ParseFolderPath(u"\\\\Mail Archive").levels.empty());
    for (const char16_t* bad : {u"Mail Archive\\Inbox", u"\\Mail Archive", u"\\\\", u"\\\\\\Inbox",
                                u"\\\\Mail Archive\\\\Inbox"}) {
        try {
            components::ParseFolderPath(bad);
            ADD_FAILURE() << "accepted a bad path";
        } catch (const ole::CDispatchError& error) {
            EXPECT_EQ(error.Code(), E_INVALIDARG);
            EXPECT_NE(error.Description().find(bad), std::u16string::npos);
        }
    }
}

TEST(AttachmentListTest, EveryEntryEndsWithASemicolonAndNoBlankIsAdded)
{
    EXPECT_EQ(components::SplitAttachmentList(u"C:\\A\\report.doc;C:\\A\\\\Decode.bmp;C:\\A\\\\Decode.bmp;"),
              (std::vector<std::u16string>{u"C:\\A\\report.doc", u"C:\\A\\\\Decode.bmp", u"C:\\A\\\\Decode.bmp"}));
    EXPECT_EQ(components::SplitAttachmentList(u" a b.txt;"), (std::vector<std::u16string>{u" a b.txt"}));
    EXPECT_TRUE(components::SplitAttachmentList(u"").empty());
    EXPECT_TRUE(components::SplitAttachmentList(u";;").empty());
}

class LocalTimeTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    static void Zone(const char* zone)
    {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
};

TEST_F(LocalTimeTest, LocalDatesBecomeUtcFileTimesByTheZoneOfTheirDay)
{
    constexpr std::uint64_t kHour = 36000000000ull;
    Zone("UTC");
    auto winter = components::FileTimeFromLocalDate(ole::MakeDate(2026, 12, 8, 9, 5));
    EXPECT_EQ(winter, 134411943000000000ull);
    auto summer = components::FileTimeFromLocalDate(ole::MakeDate(2026, 7, 1, 10, 0));
    EXPECT_EQ(summer, 134273736000000000ull);
    Zone("Europe/London");
    // GMT in December, BST (one hour ahead) in July.
    EXPECT_EQ(components::FileTimeFromLocalDate(ole::MakeDate(2026, 12, 8, 9, 5)), winter);
    EXPECT_EQ(components::FileTimeFromLocalDate(ole::MakeDate(2026, 7, 1, 10, 0)), *summer - kHour);
    // Day 0 of automation dates, and a date before 1601 that no FILETIME holds.
    Zone("UTC");
    EXPECT_EQ(components::FileTimeFromLocalDate(0.0), 94353120000000000ull);
    EXPECT_FALSE(components::FileTimeFromLocalDate(ole::MakeDate(1500, 1, 1)));
}

} // namespace
} // namespace componenttest

#include "NotesFixture.h"

#include "nsfbuild/Description.h"
#include "nsfbuild/NsfWriter.h"
#include "nsfbuild/SampleDatabases.h"
#include "nsfbuild/Synthetic.h"

#include "win32/Registry.h"

#include <map>

namespace notestest {
namespace {

class BuilderTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    }

    LNViewFolderArray Views(const char* path, LNDatabase& database)
    {
        EXPECT_EQ(m_session.GetDatabase(path, &database), LNNOERROR);
        EXPECT_EQ(database.Open(), LNNOERROR);
        LNViewFolderArray views;
        EXPECT_EQ(database.GetViewFolders(&views), LNNOERROR);
        return views;
    }

    std::map<std::string, LNINT> EntryCounts(const LNViewFolderArray& views)
    {
        std::map<std::string, LNINT> counts;
        for (LNINT i = 0; i < views.GetCount(); ++i) {
            LNViewFolder view = views[i];
            view.Open();
            counts[view.GetName().GetPlatformTextPtr()] = view.GetEntryCount();
        }
        return counts;
    }
};

TEST_F(BuilderTest, DescriptionErrorsNameTheirLine)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"note a\ntext Subject \"open", "line 2: unterminated quoted word"},
        {"view V\n\n# comment\nentries a\nnote a\nnumbers N one", "line 6: not a number: one"},
        {"text Subject x", "line 1: \"text\" outside a note"},
        {"note a\ntimes T 2026-02-30", "line 2: not a date-time: 2026-02-30"},
        {"note a\nrun x", "line 2: run outside a richtext item"},
        {"note a\nrichtext B\nrun size=0 x", "line 3: bad run option size=0"},
        {"note a\nfrob", "line 2: unknown statement \"frob\""},
        {"note a\nattachhex f 0g", "line 2: bad hex contents"},
        {"entries a", "line 1: entries before any view or folder"},
        {"note a\ntext S \"\\q\"", "line 2: unknown escape \\q"},
    };
    for (const auto& c : cases) {
        nsfbuild::DatabaseContent described;
        nsfbuild::Result result = nsfbuild::ParseDescription(c.text, &described);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.message, c.message);
    }
}

TEST_F(BuilderTest, AnEntryNamingAnUnknownNoteFailsAndLeavesNoFile)
{
    nsfbuild::DatabaseContent described;
    ASSERT_TRUE(nsfbuild::ParseDescription("view V\nentries ghost\nnote real\n", &described).ok);
    nsfbuild::Result result = nsfbuild::WriteDatabase(described, Host(u"C:\\ghost.nsf"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "view folder \"V\" names an unknown note \"ghost\"");
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\ghost.nsf")));
    EXPECT_FALSE(nsfbuild::WriteDatabase(described, Host(u"C:\\no\\such\\folder.nsf")).ok);
}

TEST_F(BuilderTest, AWrittenDatabaseReadsBackAsDescribed)
{
    WriteHostFile(Host(u"C:\\fixture.txt"), kMailDescription);
    nsfbuild::Result result = nsfbuild::BuildFromDescriptionFile(Host(u"C:\\fixture.txt"), Host(u"C:\\fixture.nsf"));
    ASSERT_TRUE(result.ok) << result.message;
    LNDatabase database;
    LNViewFolderArray views = Views("C:\\fixture.nsf", database);
    EXPECT_EQ(EntryCounts(views), (std::map<std::string, LNINT>{{"($All)", 2}, {"($Inbox)", 1}, {"($Sent)", 0},
                                                                 {"Projects\\2026", 1}, {"Taxes (2025)", 0},
                                                                 {"($Calendar)", 1}}));
    EXPECT_FALSE(views[0].IsFolder());
    EXPECT_TRUE(views[1].IsFolder());
    LNViewFolder inbox = views[1];
    inbox.Open();
    LNDocument memo;
    inbox[0].GetDocument(&memo);
    ASSERT_EQ(memo.Open(), LNNOERROR);
    LNItem from;
    ASSERT_EQ(memo.GetItem("From", &from), LNNOERROR);
    EXPECT_EQ(from.GetFlags(), LNITEMFLAGS_SUMMARY);
    EXPECT_EQ(memo.GetItemCount(), 8);
    LNItem body;
    ASSERT_EQ(memo.GetItemAt(7, &body), LNNOERROR);
    EXPECT_STREQ(body.GetName().GetPlatformTextPtr(), "Body");
    EXPECT_EQ(memo.GetItemAt(8, &body), LNERR_INDEX_OUT_OF_RANGE);
}

TEST_F(BuilderTest, SyntheticMailboxHasItsMessagesInAllAndOneOtherFolderEach)
{
    nsfbuild::MailboxOptions options;
    options.messages = 300;
    options.folders = 6;
    options.calendarEntries = 14;
    ASSERT_TRUE(nsfbuild::BuildSyntheticMailbox(Host(u"C:\\box.nsf"), options).ok);
    LNDatabase database;
    LNViewFolderArray views = Views("C:\\box.nsf", database);
    auto counts = EntryCounts(views);
    EXPECT_EQ(counts["($All)"], 300);
    EXPECT_EQ(counts["($Calendar)"], 14);
    LNINT inFolders = 0;
    for (const auto& [name, count] : counts) {
        if (name != "($All)" && name != "($Calendar)")
            inFolders += count;
    }
    EXPECT_EQ(inFolders, 300);
    EXPECT_GT(counts["Projects\\2021"], 0);
    EXPECT_GT(counts["Taxes (2025)"], 0);
    EXPECT_GT(counts["Projects"], 0);
    EXPECT_GT(counts["R\xe9unions"], 0);

    // The kinds of message the converters must meet are all there.
    LNViewFolder all = views[0];
    all.Open();
    int html = 0, attachments = 0, mime = 0, pictures = 0;
    for (LNINT i = 0; i < all.GetEntryCount(); ++i) {
        LNDocument document;
        all[i].GetDocument(&document);
        ASSERT_EQ(document.Open(), LNNOERROR);
        LNRichText body;
        ASSERT_EQ(document.GetItem("Body", &body), LNNOERROR);
        LNString text;
        body.GetText(&text);
        html += text.Text().rfind("<HTML> ", 0) == 0;
        LNRTCursor cursor;
        body.GetCursor(&cursor);
        pictures += cursor.GotoNext(LNRTTYPE_GRAPHIC, nullptr) == LNNOERROR;
        LNAttachmentArray list;
        if (document.HasAttachments() && document.GetAttachments(&list) == LNNOERROR) {
            for (LNINT a = 0; a < list.GetCount(); ++a)
                (list[a].GetAttachmentName().Text().rfind("$MIM", 0) == 0 ? mime : attachments) += 1;
        }
    }
    EXPECT_EQ(html, 30);
    EXPECT_EQ(attachments, 15);
    EXPECT_EQ(mime, 6);
    EXPECT_EQ(pictures, 12);
}

TEST_F(BuilderTest, SyntheticAddressBookIsFoundByThePersonFormula)
{
    nsfbuild::AddressBookOptions options;
    options.persons = 40;
    options.groups = 4;
    ASSERT_TRUE(nsfbuild::BuildSyntheticAddressBook(Host(u"C:\\names.nsf"), options).ok);
    LNDatabase database;
    ASSERT_EQ(m_session.GetDatabase("C:\\names.nsf", &database), LNNOERROR);
    ASSERT_EQ(database.Open(), LNNOERROR);
    LNDocumentArray people;
    ASSERT_EQ(database.Search(LNFormula("Form=\"Person\""), &people), LNNOERROR);
    ASSERT_EQ(people.GetCount(), 40);
    LNDocument first = people[0];
    ASSERT_EQ(first.Open(), LNNOERROR);
    for (const char* item : {"FirstName", "LastName", "FullName", "InternetAddress", "MailAddress", "CompanyName",
                             "CellPhoneNumber", "OfficeFAXPhoneNumber", "Birthday", "Anniversary", "Department"})
        EXPECT_TRUE(first.HasItem(item)) << item;
    LNDatetimes birthday;
    ASSERT_EQ(first.GetItem("Birthday", &birthday), LNNOERROR);
    LNString text;
    birthday.GetText(&text, ";");
    EXPECT_TRUE(nsfbuild::DateTimeValue{} != notes::format::ParseDateTime(text.Text()).value_or(nsfbuild::DateTimeValue{}));
    LNDocumentArray groups;
    ASSERT_EQ(database.Search(LNFormula("Form=\"Group\""), &groups), LNNOERROR);
    EXPECT_EQ(groups.GetCount(), 4);
}

TEST_F(BuilderTest, SyntheticCalendarHoldsEveryEntryType)
{
    nsfbuild::CalendarOptions options;
    options.entries = 14;
    ASSERT_TRUE(nsfbuild::BuildSyntheticCalendar(Host(u"C:\\cal.nsf"), options).ok);
    LNDatabase database;
    LNViewFolderArray views = Views("C:\\cal.nsf", database);
    LNViewFolder calendar = views[1];
    ASSERT_STREQ(calendar.GetName().GetPlatformTextPtr(), "($Calendar)");
    calendar.Open();
    std::map<LNINT, int> types;
    int alarms = 0, meetingsWithAttendees = 0, remindersWithStartDate = 0;
    for (LNINT i = 0; i < calendar.GetEntryCount(); ++i) {
        LNDocument document;
        calendar[i].GetDocument(&document);
        ASSERT_EQ(document.Open(), LNNOERROR);
        LNCalendarEntry entry(document);
        types[entry.GetEntryType()] += 1;
        alarms += entry.GetIsAlarmEnabled() && document.HasItem("Alarms");
        meetingsWithAttendees += entry.GetEntryType() == LNCALENTRYTYPE_MEETING && document.HasItem("RequiredAttendees");
        remindersWithStartDate += entry.GetEntryType() == LNCALENTRYTYPE_REMINDER && document.HasItem("StartDate");
        LNDatetimes starts, ends;
        ASSERT_EQ(document.GetItem("StartDateTime", &starts), LNNOERROR);
        if (document.HasItem("EndDateTime")) {
            ASSERT_EQ(document.GetItem("EndDateTime", &ends), LNNOERROR);
            EXPECT_EQ(starts.GetCount(), ends.GetCount());
        }
    }
    EXPECT_EQ(types, (std::map<LNINT, int>{{0, 2}, {1, 2}, {2, 2}, {4, 2}, {8, 2}, {16, 2}, {32, 2}}));
    EXPECT_EQ(alarms, 5);
    EXPECT_EQ(meetingsWithAttendees, 2);
    EXPECT_EQ(remindersWithStartDate, 2);
}

TEST_F(BuilderTest, SyntheticShareDocumentsCarryPicturesAndTheirAttachments)
{
    nsfbuild::ShareOptions options;
    options.documents = 12;
    options.folders = 3;
    ASSERT_TRUE(nsfbuild::BuildSyntheticShare(Host(u"C:\\share.nsf"), options).ok);
    LNDatabase database;
    LNViewFolderArray views = Views("C:\\share.nsf", database);
    EXPECT_EQ(EntryCounts(views), (std::map<std::string, LNINT>{{"All Documents", 12}, {"Library\\Shelf 1", 4},
                                                                 {"Library\\Shelf 2", 4}, {"Library\\Shelf 3", 4}}));
    LNDocumentArray documents;
    ASSERT_EQ(database.Search(LNFormula("Form = \"Document\""), &documents), LNNOERROR);
    ASSERT_EQ(documents.GetCount(), 12);
    std::filesystem::create_directories(Host(u"C:\\out"));
    for (LNINT i = 0; i < documents.GetCount(); ++i) {
        LNDocument document = documents[i];
        ASSERT_EQ(document.Open(), LNNOERROR);
        LNRichText body;
        ASSERT_EQ(document.GetItem("Body", &body), LNNOERROR);
        LNRTCursor cursor;
        body.GetCursor(&cursor);
        LNRTObject place;
        int places = 0;
        while (cursor.GotoNext(LNRTTYPE_ATTACHMENT, &place) == LNNOERROR)
            ++places;
        LNAttachmentArray attachments;
        ASSERT_EQ(document.GetAttachments(&attachments), LNNOERROR);
        EXPECT_EQ(places, attachments.GetCount());
        ASSERT_GE(attachments.GetCount(), 1);
        LNAttachment first = attachments[0];
        ASSERT_EQ(first.Detach("C:\\out\\file.pdf"), LNNOERROR);
        EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(Host(u"C:\\out\\file.pdf"))), first.GetSize());
    }
}

TEST_F(BuilderTest, SampleDatabasesAreLaidUnderTheNotesDataFolder)
{
    ASSERT_TRUE(nsfbuild::LaySampleDatabases(u"C:\\Program Files\\Lotus\\Notes\\Data", "Robin Hale").ok);
    EXPECT_EQ(nsfbuild::SampleMailFileName("Robin Hale"), "mail\\rhale.nsf");
    for (const char* path : {"C:\\Program Files\\Lotus\\Notes\\Data\\mail\\rhale.nsf",
                             "C:\\Program Files\\Lotus\\Notes\\Data\\names.nsf",
                             "C:\\Program Files\\Lotus\\Notes\\Data\\calendar.nsf"}) {
        LNDatabase database;
        LNViewFolderArray views = Views(path, database);
        EXPECT_GT(views.GetCount(), 1) << path;
    }
    ASSERT_TRUE(nsfbuild::RegisterNotesDataFolder(u"C:\\Program Files\\Lotus\\Notes\\Data").ok);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    WCHAR value[260] = {};
    DWORD bytes = sizeof value;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"DirectoryValue", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::u16string(value), u"C:\\Program Files\\Lotus\\Notes\\Data");
}

} // namespace
} // namespace notestest

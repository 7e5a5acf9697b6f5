#include "NotesFixture.h"

#include <cstring>
#include <thread>

namespace notestest {
namespace {

class DatabaseTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        BuildDatabase(u"C:\\Notes\\Data\\mail.nsf", kMailDescription);
        OpenDatabase("C:\\Notes\\Data\\mail.nsf");
    }

    std::string FirstText(const LNNote& note, const char* item)
    {
        LNText text;
        EXPECT_EQ(note.GetItem(item, &text), LNNOERROR);
        return text.GetCount() ? std::string(LNString(text[0]).GetPlatformTextPtr()) : "";
    }
};

TEST_F(DatabaseTest, ViewFoldersComeInFileOrderWithTheirNamesAndEntries)
{
    LNViewFolderArray all;
    ASSERT_EQ(m_database.GetViewFolders(&all, FALSE), LNNOERROR);
    const char* names[] = {"($All)", "($Inbox)", "($Sent)", "Projects\\2026", "Taxes (2025)", "($Calendar)"};
    const LNINT counts[] = {2, 1, 0, 1, 0, 1};
    ASSERT_EQ(all.GetCount(), 6);
    for (LNINT i = 0; i < all.GetCount(); ++i) {
        LNViewFolder viewFolder = all[i];
        EXPECT_STREQ(viewFolder.GetName().GetPlatformTextPtr(), names[i]);
        ASSERT_EQ(viewFolder.Open(0), LNNOERROR);
        EXPECT_EQ(viewFolder.GetEntryCount(), counts[i]) << names[i];
        EXPECT_EQ(viewFolder.Close(), LNNOERROR);
    }
    LNViewFolderArray folders;
    ASSERT_EQ(m_database.GetViewFolders(&folders, TRUE), LNNOERROR);
    EXPECT_EQ(folders.GetCount(), 4);
    EXPECT_THROW(all[6], LNSTATUS);
    EXPECT_THROW(all[-1], LNSTATUS);
}

TEST_F(DatabaseTest, BufLengthCountsTheTerminatorSoOnlyALeadingParenthesisMarksAHiddenView)
{
    LNViewFolderArray all;
    ASSERT_EQ(m_database.GetViewFolders(&all), LNNOERROR);
    std::vector<std::string> shown;
    for (LNINT i = 0; i < all.GetCount(); ++i) {
        LNString name = all[i].GetName();
        const char* text = name.GetPlatformTextPtr();
        EXPECT_EQ(name.GetBufLength(), static_cast<LNINT>(std::strlen(text) + 1));
        EXPECT_EQ(text[name.GetBufLength() - 1], '\0');
        bool hidden = text[0] == '(' || text[name.GetBufLength() - 1] == ')';
        if (!hidden)
            shown.push_back(text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Projects\\2026", "Taxes (2025)"}));
    EXPECT_EQ(LNString().GetBufLength(), 1);
}

TEST_F(DatabaseTest, EntriesGiveTheirDocumentsInViewOrder)
{
    LNViewFolderArray all;
    ASSERT_EQ(m_database.GetViewFolders(&all), LNNOERROR);
    LNViewFolder everything = all[0];
    EXPECT_THROW(everything.GetEntryCount(), LNSTATUS); // not open yet
    ASSERT_EQ(everything.Open(), LNNOERROR);
    std::vector<std::string> subjects;
    for (LNINT i = 0; i < everything.GetEntryCount(); ++i) {
        LNDocument document;
        ASSERT_EQ(everything[i].GetDocument(&document), LNNOERROR);
        EXPECT_FALSE(document.IsOpen());
        EXPECT_FALSE(document.HasItem("Subject"));
        ASSERT_EQ(document.Open(0), LNNOERROR);
        subjects.push_back(FirstText(document, "Subject"));
        EXPECT_EQ(document.Close(), LNNOERROR);
    }
    EXPECT_EQ(subjects, (std::vector<std::string>{"Quarterly r\xe9sum\xe9", ""}));
    EXPECT_THROW(everything[2], LNSTATUS);
}

TEST_F(DatabaseTest, ItemsAreReadByNameIgnoringCaseAndOnlyAsTheirOwnType)
{
    LNDocument memo = OpenFirstDocument("($Inbox)");
    EXPECT_TRUE(memo.HasItem("subject"));
    EXPECT_TRUE(memo.HasItem("SUBJECT"));
    EXPECT_FALSE(memo.HasItem("Subjec"));
    EXPECT_EQ(FirstText(memo, "subject"), "Quarterly r\xe9sum\xe9");

    LNText sendTo;
    ASSERT_EQ(memo.GetItem("SendTo", &sendTo), LNNOERROR);
    ASSERT_EQ(sendTo.GetCount(), 3);
    EXPECT_STREQ(LNString(sendTo[2]).GetPlatformTextPtr(), "CN=Dee Vance/OU=R&D/O=Acme");
    EXPECT_EQ(sendTo.GetType(), LNITEMTYPE_TEXT);
    EXPECT_THROW(sendTo[3], LNSTATUS);

    LNNumbers size;
    ASSERT_EQ(memo.GetItem("Size", &size), LNNOERROR);
    ASSERT_EQ(size.GetCount(), 2);
    EXPECT_DOUBLE_EQ(size[1], 5.5);

    LNText wrong;
    EXPECT_EQ(memo.GetItem("Body", &wrong), LNERR_TYPE_MISMATCH);
    LNRichText wrongRich;
    EXPECT_EQ(memo.GetItem("Subject", &wrongRich), LNERR_TYPE_MISMATCH);
    LNDatetimes wrongTimes;
    EXPECT_EQ(memo.GetItem("Size", &wrongTimes), LNERR_TYPE_MISMATCH);
    EXPECT_EQ(memo.GetItem("Missing", &wrong), LNERR_ITEM_NOT_FOUND);
    LNItem any;
    EXPECT_EQ(memo.GetItem("Body", &any), LNNOERROR);
    EXPECT_EQ(any.GetType(), LNITEMTYPE_RICHTEXT);

    LNSetThrowAllErrorsGlobal(TRUE);
    EXPECT_THROW(memo.GetItem("Body", &wrong), LNSTATUS);
    EXPECT_THROW(memo.GetItem("EnterSendTo", &wrong), LNSTATUS);
}

TEST_F(DatabaseTest, DateTimesHaveOneTextFormAndListsTakeTheSeparator)
{
    LNDocument memo = OpenFirstDocument("($Inbox)");
    LNDatetimes posted;
    ASSERT_EQ(memo.GetItem("PostedDate", &posted), LNNOERROR);
    LNString text;
    ASSERT_EQ(posted.GetText(&text, ";"), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(), "2026-12-01 10:15:00");

    LNDatetimes window;
    ASSERT_EQ(memo.GetItem("Window", &window), LNNOERROR);
    ASSERT_EQ(window.GetText(&text, ";"), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(), "2026-12-01 09:00:00 - 2026-12-01 10:00:00;2026-12-02");
    EXPECT_TRUE(window.IsRange(0));
    EXPECT_FALSE(window.IsRange(1));
    ASSERT_EQ(window[1].GetText(&text), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(), "2026-12-02");

    ASSERT_EQ(memo.GetLastModified().GetText(&text), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(), "2026-12-01 10:15:30");
    ASSERT_EQ(memo.GetAddedToFile().GetText(&text), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(), "2026-12-01 10:16:00");
    ASSERT_EQ(memo.GetCreated().GetText(&text), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(), "2026-11-30 08:00:00");
    ASSERT_EQ(LNDatetime().GetText(&text), LNNOERROR);
    EXPECT_TRUE(text.IsEmpty());

    LNDocument closed;
    EXPECT_THROW(closed.GetLastModified(), LNSTATUS);
}

TEST_F(DatabaseTest, AttachmentsDetachTheirBytesToWindowsPaths)
{
    LNDocument memo = OpenFirstDocument("($Inbox)");
    ASSERT_TRUE(memo.HasAttachments());
    LNAttachmentArray attachments;
    ASSERT_EQ(memo.GetAttachments(&attachments), LNNOERROR);
    ASSERT_EQ(attachments.GetCount(), 2);
    LNAttachment report = attachments[0];
    EXPECT_STREQ(report.GetAttachmentName().GetPlatformTextPtr(), "report.doc");
    EXPECT_STREQ(attachments[1].GetAttachmentName().GetPlatformTextPtr(), "$MIMEPart1");

    std::filesystem::create_directories(Host(u"C:\\Program Files\\Pellinor\\Attachment"));
    ASSERT_EQ(report.Detach("C:\\Program Files\\Pellinor\\Attachment\\report.doc"), LNNOERROR);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Attachment\\report.doc")),
              std::string("report bytes\x00\x01\xff", 15));
    // Detach replaces what is there.
    ASSERT_EQ(attachments[1].Detach("c:\\program files\\pellinor\\attachment\\REPORT.DOC"), LNNOERROR);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Attachment\\report.doc")), "SGVsbG8=");

    EXPECT_EQ(report.Detach("C:\\No Such Folder\\report.doc"), LNERR_CANNOT_CREATE_FILE);
    EXPECT_EQ(report.Detach(""), LNERR_CANNOT_CREATE_FILE);
    // The attachment stays readable after its note is closed.
    memo.Close();
    EXPECT_EQ(report.Detach("C:\\again.doc"), LNNOERROR);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\again.doc")).size(), 15u);

    LNDocument html = OpenFirstDocument("Projects\\2026");
    EXPECT_FALSE(html.HasAttachments());
}

TEST_F(DatabaseTest, CalendarEntriesGiveTheirTypeAndAlarm)
{
    LNDocument meeting = OpenFirstDocument("($Calendar)");
    LNCalendarEntry entry(meeting);
    EXPECT_EQ(entry.GetEntryType(), LNCALENTRYTYPE_MEETING);
    EXPECT_EQ(entry.GetIsAlarmEnabled(), TRUE);

    LNCalendarEntry memoEntry(OpenFirstDocument("($Inbox)"));
    EXPECT_EQ(memoEntry.GetEntryType(), LNCALENTRYTYPE_NONE);
    EXPECT_EQ(memoEntry.GetIsAlarmEnabled(), FALSE);

    LNDocument unopened;
    LNCalendarEntry none(unopened);
    EXPECT_THROW(none.GetEntryType(), LNSTATUS);
}

TEST_F(DatabaseTest, ThreadsCanReadOneDatabaseAtTheSameTime)
{
    LNViewFolderArray all;
    ASSERT_EQ(m_database.GetViewFolders(&all), LNNOERROR);
    auto walk = [&](std::string* subjects) {
        LNViewFolder view = all[0];
        view.Open();
        for (int round = 0; round < 200; ++round) {
            for (LNINT i = 0; i < view.GetEntryCount(); ++i) {
                LNDocument document;
                view[i].GetDocument(&document);
                if (document.Open() != LNNOERROR)
                    return;
                LNText subject;
                document.GetItem("Subject", &subject);
                if (round == 0)
                    *subjects += LNString(subject[0]).Text() + ";";
            }
        }
    };
    std::string first, second;
    std::thread other(walk, &second);
    walk(&first);
    other.join();
    EXPECT_EQ(first, "Quarterly r\xe9sum\xe9;;");
    EXPECT_EQ(second, first);
}

TEST_F(DatabaseTest, CopiesOfADocumentShareItsOpenState)
{
    LNDocument memo = OpenFirstDocument("($Inbox)");
    LNDocument copy = memo;
    EXPECT_TRUE(copy.IsOpen());
    EXPECT_EQ(copy.GetNoteID(), memo.GetNoteID());
    EXPECT_EQ(copy.GetUniversalID().GetByteLength(), 32);
    memo.Close();
    EXPECT_FALSE(copy.IsOpen());
    EXPECT_THROW(copy.GetItemCount(), LNSTATUS);
}

} // namespace
} // namespace notestest

// Text of every script through the database file: the file keeps Unicode, the
// class library gives it in the machine's code page.
#include "NotesFixture.h"
#include "testsupport/AnsiCodePage.h"
#include "RtfReader.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <sqlite3.h>

namespace notestest {
namespace {

const std::string kFolder = "Συναντήσεις\\Проекты 会议";
const std::string kSubject = "Réunion — συνάντηση, встреча, 会议, اجتماع 🎉";
const std::string kRun = "Ελληνικά Кириллица 中文 العربية façade 📅";
const std::string kAttachment = "отчёт 报告 🎉.txt";

// The folder's name in the description, its backslash escaped.
const std::string kFolderQuoted = "Συναντήσεις\\\\Проекты 会议";
const std::string kDescription = "folder \"" + kFolderQuoted + "\"\nentries memo\nnote memo\ntext Subject \"" + kSubject
                                 + "\" \"plain\"\nrichtext Body\nrun bold \"" + kRun + "\"\nattach \"" + kAttachment
                                 + "\" \"contents\"\n";

class UnicodeTextTest : public NotesFixture {
protected:
    struct Read {
        std::string folder, subject, body, attachment;
    };

    Read ReadBack(const char16_t* path)
    {
        Read read;
        LNDatabase database;
        EXPECT_EQ(m_session.GetDatabase(WideToAnsi(path).c_str(), &database), LNNOERROR);
        EXPECT_EQ(database.Open(), LNNOERROR);
        LNViewFolderArray folders;
        EXPECT_EQ(database.GetViewFolders(&folders), LNNOERROR);
        if (folders.GetCount() != 1)
            return read;
        LNViewFolder folder = folders[0];
        read.folder = folder.GetName().Text();
        EXPECT_EQ(folder.Open(), LNNOERROR);
        LNDocument document;
        EXPECT_EQ(folder[0].GetDocument(&document), LNNOERROR);
        EXPECT_EQ(document.Open(), LNNOERROR);
        LNText subject;
        EXPECT_EQ(document.GetItem("Subject", &subject), LNNOERROR);
        read.subject = subject[0].GetText().Text();
        EXPECT_EQ(subject[1].GetText().Text(), "plain");
        LNRichText body;
        EXPECT_EQ(document.GetItem("Body", &body), LNNOERROR);
        LNString text;
        body.GetText(&text);
        read.body = text.Text();
        LNAttachmentArray attachments;
        EXPECT_EQ(document.GetAttachments(&attachments), LNNOERROR);
        if (attachments.GetCount() == 1)
            read.attachment = attachments[0].GetAttachmentName().Text();
        return read;
    }
};

TEST_F(UnicodeTextTest, EveryScriptReadsBackUnchangedUnderUtf8)
{
    testsupport::UseAnsiCodePage(65001);
    BuildDatabase(u"C:\\scripts.nsf", kDescription);
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    const Read read = ReadBack(u"C:\\scripts.nsf");
    EXPECT_EQ(read.folder, kFolder);
    EXPECT_EQ(read.subject, kSubject);
    EXPECT_NE(read.body.find(kRun), std::string::npos) << read.body;
    EXPECT_EQ(read.attachment, kAttachment);
}

TEST_F(UnicodeTextTest, AWindows1252MachineGetsItsCharactersAndQuestionMarksForTheRest)
{
    testsupport::UseAnsiCodePage(1252);
    BuildDatabase(u"C:\\scripts.nsf", kDescription);
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    const Read read = ReadBack(u"C:\\scripts.nsf");
    EXPECT_EQ(read.subject, "R\xe9union \x97 ?????????, ???????, ??, ?????? ?");
    EXPECT_EQ(read.attachment, "????? ?? ?.txt");
}

TEST_F(UnicodeTextTest, AFileOfTheFirstFormatHoldsWindows1252AndStillOpens)
{
    testsupport::UseAnsiCodePage(65001);
    BuildDatabase(u"C:\\old.nsf", "folder \"R\\xe9unions\"\nentries memo\nnote memo\ntext Subject \"x\" \"plain\"\n"
                                  "richtext Body\nrun x\nattach \"a.txt\" y\n");
    // Back to the first format: its version and Windows-1252 bytes.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Host(u"C:\\old.nsf").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "UPDATE nsf_meta SET value = '1' WHERE key = 'version';"
                           "UPDATE view_folders SET name = X'52E9756E696F6E73';"
                           "UPDATE attachments SET name = X'80E92E747874';",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    const Read read = ReadBack(u"C:\\old.nsf");
    EXPECT_EQ(read.folder, "Réunions");
    EXPECT_EQ(read.attachment, "€é.txt");
}

TEST_F(UnicodeTextTest, TextGivenInTheMachinesCodePageFindsWhatItNames)
{
    testsupport::UseAnsiCodePage(65001);
    BuildDatabase(u"C:\\Αρχείο 会议.nsf", kDescription);
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    // The path and a folder name, both narrow text of the machine.
    EXPECT_EQ(ReadBack(u"C:\\Αρχείο 会议.nsf").folder, kFolder);
}

TEST_F(UnicodeTextTest, RichTextExportsOtherScriptsAsUnicodeEscapes)
{
    testsupport::UseAnsiCodePage(65001);
    BuildDatabase(u"C:\\scripts.nsf", kDescription);
    OpenDatabase("C:\\scripts.nsf");
    LNDocument document = OpenFirstDocument(kFolder.c_str());
    LNRichText body;
    ASSERT_EQ(document.GetItem("Body", &body), LNNOERROR);
    LNRTCursor start, end;
    body.GetCursor(&start);
    body.GetEndCursor(&end);
    ASSERT_EQ(body.Export("C:\\scripts.rtf", start, end), LNNOERROR);
    const std::string raw = ReadHostFile(Host(u"C:\\scripts.rtf"));
    for (unsigned char c : raw)
        ASSERT_LT(c, 0x80) << "the document is 7-bit";
    EXPECT_NE(raw.find("\\u917?\\u955?"), std::string::npos) << "Ελ as \\uN: " << raw;
    EXPECT_NE(raw.find("\\u-10179?\\u-9019?"), std::string::npos) << "the emoji as its two surrogates: " << raw;
    auto rtf = ReadRtf(raw);
    ASSERT_TRUE(rtf.has_value());
    EXPECT_TRUE(rtf->SegmentWith("Ελληνικά").has_value() || rtf->SegmentWith(kRun).has_value())
        << "a reader of \\uN gets the text back";
}

} // namespace
} // namespace notestest

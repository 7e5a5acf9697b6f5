// Messages that never reach the PST are not lost in silence: a document that
// cannot be read, a message that Brenmoor cannot save, a file system that
// is full. Each costs one line of the activity log naming the document, the
// run goes on with the next document and ends "not completed".
#include "MailRunFixture.h"

#include "LostDocuments.h"
#include "NsfRows.h"

#include "notes/FaultTable.h"
#include "FullDisk.h"
#include "win32/FileApi.h"


namespace enginetest {
namespace {

constexpr const char* kThreeInTheInbox = R"nsf(
folder ($Inbox)
entries one two three
note one
text Subject first
text From "CN=Ann Lee/O=Acme"
note two
text Subject second
text From "CN=Bob Stone/O=Acme"
note three
text Subject third
text From "CN=Cy Fox/O=Acme"
)nsf";

std::vector<std::u16string> SubjectsOf(const std::vector<mapi::CMessage>& messages)
{
    std::vector<std::u16string> subjects;
    for (const auto& message : messages)
        subjects.push_back(message.GetSubject());
    return subjects;
}

class MailLoss : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        TickFolders({u"Inbox"});
    }

    void Damage(const std::string& sql) { DamageNsf(Host(kNsfPath), sql); }
    std::string NoteIdOf(const std::string& subject) { return NoteIdWithText(Host(kNsfPath), "Subject", subject); }
};

TEST_F(MailLoss, DocumentsThatCannotBeReadAreLoggedAndTheRestConverted)
{
    UseNsf(kThreeInTheInbox);
    const std::string second = NoteIdOf("second"), third = NoteIdOf("third");
    ASSERT_FALSE(second.empty());
    // One document whose open fails, one whose row is damaged.
    notes::SetFault("LNDocument::Open", LNERR_DATABASE_CORRUPT, 1, 1);
    Damage("UPDATE items SET type = 123456 WHERE note_id = " + DecimalId(third));
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Inbox"})), std::vector<std::u16string>{u"first"});
    EXPECT_EQ(LossLines(LogLines()),
              (std::vector<std::string>{
                  "Not converted : Note ID " + second + " \"\" : the document cannot be read (Database is damaged)",
                  "Not converted : Note ID " + third + " \"\" : the document cannot be read (Database is damaged)"}));
    EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
}

TEST_F(MailLoss, AnEntryWhoseDocumentIsGoneIsLogged)
{
    UseNsf(kThreeInTheInbox);
    const std::string second = NoteIdOf("second");
    Damage("DELETE FROM notes WHERE note_id = " + DecimalId(second));
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_EQ(SubjectsOf(MessagesIn({u"Inbox"})), (std::vector<std::u16string>{u"first", u"third"}));
    EXPECT_EQ(LossLines(LogLines()), std::vector<std::string>{"Not converted : Note ID " + second
                                                              + " \"\" : the document cannot be read (Document not found)"});
}

TEST_F(MailLoss, MessagesThatBrenmoorCannotSaveAreLoggedWithTheirSubjects)
{
    UseNsf(kThreeInTheInbox);
    // Another program holds the sender file with no sharing: Brenmoor cannot
    // read it, so it refuses every message.
    HANDLE held = CreateFileW(u"C:\\tol.eml", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::u16string result = RunToEnd();
    CloseHandle(held);
    EXPECT_EQ(result, u"Conversion not completed successfully");
    EXPECT_TRUE(MessagesIn({u"Inbox"}).empty());
    std::vector<std::string> expected;
    for (const char* subject : {"first", "second", "third"})
        expected.push_back("Not converted : Note ID " + NoteIdOf(subject) + " \"" + subject
                           + "\" : the message could not be saved (cannot read the EML file C:\\tol.eml: another "
                             "program holds the file)");
    EXPECT_EQ(LossLines(LogLines()), expected);
    EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
}

TEST_F(MailLoss, AFullFileSystemLosesTheMessagesThatNoLongerFitAndSaysSo)
{
    // Bodies large enough that the PST outgrows the limit part of the way.
    std::string description = "folder ($Inbox)\nentries";
    constexpr int kNotes = 12;
    for (int i = 0; i < kNotes; ++i)
        description += " n" + std::to_string(i);
    description += "\n";
    for (int i = 0; i < kNotes; ++i)
        description += "note n" + std::to_string(i) + "\ntext Subject s" + std::to_string(i) + "\nrichtext Body\nrun \""
                       + std::string(40000, static_cast<char>('a' + i)) + "\"\n";
    UseNsf(description);
    std::u16string result;
    {
        // Full from the fourth document on.
        FullDiskAt full(Host(kPstPath), 4);
        result = RunToEnd();
        EXPECT_TRUE(full.Filled());
    }
    EXPECT_EQ(result, u"Conversion not completed successfully");
    const auto saved = SubjectsOf(MessagesIn({u"Inbox"}));
    const auto losses = LossLines(LogLines());
    EXPECT_GE(saved.size(), 3u);
    EXPECT_FALSE(losses.empty());
    // Every document is either in the PST or named in the log, never both.
    const std::string prefix = "\" : the message could not be saved (";
    for (int i = 0; i < kNotes; ++i) {
        const std::string subject = "s" + std::to_string(i);
        const bool inPst = std::find(saved.begin(), saved.end(), Utf8ToUtf16(subject)) != saved.end();
        const std::string head = "Not converted : Note ID " + NoteIdOf(subject) + " \"" + subject + prefix;
        const bool logged = std::any_of(losses.begin(), losses.end(),
                                        [&](const std::string& line) { return line.rfind(head, 0) == 0; });
        EXPECT_NE(inPst, logged) << subject;
    }
    EXPECT_EQ(saved.size() + losses.size(), static_cast<std::size_t>(kNotes));
}

TEST(LostDocumentLines, NameTheDocumentByItsHexNoteIdAndCutALongSubjectSoTheReasonFits)
{
    EXPECT_EQ(LostDocumentLine(0x8F6, u"Plans", u"why"), u"Not converted : Note ID 8F6 \"Plans\" : why");
    const std::u16string line = LostDocumentLine(4, std::u16string(300, u's'), u"the message could not be saved (x)");
    EXPECT_EQ(line, u"Not converted : Note ID 4 \"" + std::u16string(60, u's') + u"...\" : the message could not be saved (x)");
    // The activity log keeps 200 bytes of a line: the reason is among them.
    EXPECT_LT(line.size(), 200u);
}

} // namespace
} // namespace enginetest

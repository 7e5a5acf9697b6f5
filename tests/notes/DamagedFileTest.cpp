#include "NotesFixture.h"

#include <sqlite3.h>

namespace notestest {
namespace {

class DamagedFileTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    }

    LNSTATUS OpenStatus(const char* path)
    {
        LNDatabase database;
        if (LNSTATUS status = m_session.GetDatabase(path, &database))
            return status;
        return database.Open();
    }

    // Runs SQL on a built database to damage it.
    void Execute(const std::u16string& windowsPath, const char* sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Host(windowsPath).c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    // Walks every document and item of ($All) as a converter does, and
    // returns the first status thrown.
    LNSTATUS WalkStatus(const char* path)
    {
        LNSetThrowAllErrorsGlobal(TRUE);
        try {
            LNDatabase database;
            m_session.GetDatabase(path, &database);
            database.Open();
            LNViewFolderArray views;
            database.GetViewFolders(&views);
            LNViewFolder all = views[0];
            all.Open();
            for (LNINT i = 0; i < all.GetEntryCount(); ++i) {
                LNDocument document;
                all[i].GetDocument(&document);
                document.Open();
                LNText subject;
                LNRichText body;
                LNString text;
                if (document.HasItem("Subject"))
                    document.GetItem("Subject", &subject);
                if (document.HasItem("Body")) {
                    document.GetItem("Body", &body);
                    body.GetText(&text);
                }
                if (document.HasAttachments()) {
                    LNAttachmentArray attachments;
                    document.GetAttachments(&attachments);
                    attachments[0].Detach("C:\\out.bin");
                }
            }
        } catch (LNSTATUS status) {
            LNSetThrowAllErrorsGlobal(FALSE);
            return status;
        }
        LNSetThrowAllErrorsGlobal(FALSE);
        return LNNOERROR;
    }
};

TEST_F(DamagedFileTest, FilesThatAreNotOurDatabasesFailToOpen)
{
    WriteHostFile(Host(u"C:\\empty.nsf"), "");
    WriteHostFile(Host(u"C:\\text.nsf"), "This is a text file, not a database.\r\n");
    WriteHostFile(Host(u"C:\\header.nsf"), std::string("SQLite format 3\0garbage garbage garbage", 40));
    // Another SQLite database: readable, but not of our schema.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(Host(u"C:\\other.nsf").c_str(), &other), SQLITE_OK);
    sqlite3_exec(other, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_EQ(OpenStatus("C:\\text.nsf"), LNERR_NOT_A_DATABASE);
    EXPECT_EQ(OpenStatus("C:\\header.nsf"), LNERR_NOT_A_DATABASE);
    EXPECT_EQ(OpenStatus("C:\\other.nsf"), LNERR_NOT_A_DATABASE);
    EXPECT_EQ(OpenStatus("C:\\empty.nsf"), LNERR_NOT_A_DATABASE);
}

TEST_F(DamagedFileTest, AnotherFormatOrVersionIsRefused)
{
    BuildDatabase(u"C:\\format.nsf", kMailDescription);
    BuildDatabase(u"C:\\version.nsf", kMailDescription);
    Execute(u"C:\\format.nsf", "UPDATE nsf_meta SET value = 'something-else' WHERE key = 'format'");
    Execute(u"C:\\version.nsf", "UPDATE nsf_meta SET value = '3' WHERE key = 'version'");
    EXPECT_EQ(OpenStatus("C:\\format.nsf"), LNERR_NOT_A_DATABASE);
    EXPECT_EQ(OpenStatus("C:\\version.nsf"), LNERR_NOT_A_DATABASE);
}

TEST_F(DamagedFileTest, ATruncatedFileFailsWithAStatusWhereverItIsRead)
{
    // A database large enough that its tables span many pages.
    std::string description = "view ($All)\n";
    for (int i = 0; i < 300; ++i)
        description += "entries n" + std::to_string(i) + "\n";
    for (int i = 0; i < 300; ++i)
        description += "note n" + std::to_string(i) + "\ntext Subject \"" + std::string(200, 'x') +
                       "\"\nrichtext Body\nrun \"" + std::string(300, 'y') + "\"\n";
    BuildDatabase(u"C:\\whole.nsf", description);
    std::string bytes = ReadHostFile(Host(u"C:\\whole.nsf"));
    ASSERT_GT(bytes.size(), 100000u);
    EXPECT_EQ(WalkStatus("C:\\whole.nsf"), LNNOERROR);

    for (std::size_t keep : {std::size_t{100}, std::size_t{4096}, bytes.size() / 3, bytes.size() / 2,
                             bytes.size() - 4096}) {
        WriteHostFile(Host(u"C:\\cut.nsf"), bytes.substr(0, keep));
        LNSTATUS status = WalkStatus("C:\\cut.nsf");
        EXPECT_TRUE(status == LNERR_NOT_A_DATABASE || status == LNERR_DATABASE_CORRUPT) << keep << ": " << status;
    }
}

TEST_F(DamagedFileTest, OverwrittenPagesFailWithAStatus)
{
    BuildDatabase(u"C:\\whole.nsf", kMailDescription);
    std::string bytes = ReadHostFile(Host(u"C:\\whole.nsf"));
    for (std::size_t page = 1; page * 4096 < bytes.size(); ++page) {
        std::string damaged = bytes;
        for (std::size_t i = page * 4096; i < (page + 1) * 4096 && i < damaged.size(); ++i)
            damaged[i] = static_cast<char>(0xA5 ^ (i * 7));
        WriteHostFile(Host(u"C:\\damaged.nsf"), damaged);
        LNSTATUS status = WalkStatus("C:\\damaged.nsf");
        // A page of a table that the walk does not read may go unnoticed.
        EXPECT_TRUE(status == LNNOERROR || status == LNERR_NOT_A_DATABASE || status == LNERR_DATABASE_CORRUPT ||
                    status == LNERR_NOTE_NOT_FOUND)
            << "page " << page << ": " << status;
    }
}

TEST_F(DamagedFileTest, DamagedValuesAndDanglingEntriesAreCorruption)
{
    BuildDatabase(u"C:\\values.nsf", kMailDescription);
    Execute(u"C:\\values.nsf", "UPDATE items SET value = x'0500000001' WHERE CAST(name AS TEXT) = 'Subject'");
    EXPECT_EQ(WalkStatus("C:\\values.nsf"), LNERR_DATABASE_CORRUPT);

    BuildDatabase(u"C:\\types.nsf", kMailDescription);
    Execute(u"C:\\types.nsf", "UPDATE items SET type = 99 WHERE CAST(name AS TEXT) = 'Subject'");
    EXPECT_EQ(WalkStatus("C:\\types.nsf"), LNERR_DATABASE_CORRUPT);

    BuildDatabase(u"C:\\dangling.nsf", kMailDescription);
    Execute(u"C:\\dangling.nsf", "UPDATE vf_entries SET note_id = 999");
    EXPECT_EQ(WalkStatus("C:\\dangling.nsf"), LNERR_NOTE_NOT_FOUND);

    BuildDatabase(u"C:\\count.nsf", kMailDescription);
    Execute(u"C:\\count.nsf", "UPDATE view_folders SET entry_count = 5");
    EXPECT_EQ(WalkStatus("C:\\count.nsf"), LNERR_DATABASE_CORRUPT);
}

} // namespace
} // namespace notestest

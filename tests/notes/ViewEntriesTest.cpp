// Entries of views with many documents, read in every order a caller may
// ask: the file layer reads a view's entries ahead, and what it keeps must
// never answer for another view, another position or another file.
#include "NotesFixture.h"

#include <string>
#include <vector>

namespace notestest {
namespace {

constexpr LNINT kNotes = 700; // more than two read-aheads

// ($All) holds every note in order; (Backwards) every third note, last first.
std::string Description(const std::string& subjectPrefix)
{
    std::string text = "view ($All)\nentries";
    for (LNINT i = 0; i < kNotes; ++i)
        text += " n" + std::to_string(i);
    text += "\nfolder (Backwards)\nentries";
    for (LNINT i = kNotes - 1; i >= 0; i -= 3)
        text += " n" + std::to_string(i);
    text += "\n";
    for (LNINT i = 0; i < kNotes; ++i)
        text += "note n" + std::to_string(i) + "\ntext Subject " + subjectPrefix + std::to_string(i) + "\n";
    return text;
}

class ViewEntriesTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        BuildDatabase(u"C:\\Notes\\Data\\many.nsf", Description("s"));
        OpenDatabase("C:\\Notes\\Data\\many.nsf");
        ASSERT_EQ(m_database.GetViewFolders(&m_views), LNNOERROR);
        ASSERT_EQ(m_views.GetCount(), 2);
        m_all = m_views[0];
        m_backwards = m_views[1];
        ASSERT_EQ(m_all.Open(), LNNOERROR);
        ASSERT_EQ(m_backwards.Open(), LNNOERROR);
    }

    static std::string Subject(const LNViewFolder& view, LNINT index)
    {
        LNDocument document;
        EXPECT_EQ(view[index].GetDocument(&document), LNNOERROR);
        EXPECT_EQ(document.Open(), LNNOERROR);
        LNText subject;
        EXPECT_EQ(document.GetItem("Subject", &subject), LNNOERROR);
        return subject.GetCount() ? std::string(LNString(subject[0]).GetPlatformTextPtr()) : "";
    }

    // The subject of (Backwards)'s entry at index.
    static std::string BackwardsSubject(LNINT index) { return "s" + std::to_string(kNotes - 1 - 3 * index); }

    LNViewFolderArray m_views;
    LNViewFolder m_all;
    LNViewFolder m_backwards;
};

TEST_F(ViewEntriesTest, AWalkInOrderGivesEveryDocumentOnceAcrossReadAheads)
{
    ASSERT_EQ(m_all.GetEntryCount(), kNotes);
    for (LNINT i = 0; i < kNotes; ++i)
        ASSERT_EQ(Subject(m_all, i), "s" + std::to_string(i)) << "entry " << i;
    EXPECT_THROW(m_all[kNotes], LNSTATUS);
}

TEST_F(ViewEntriesTest, WalksOfTwoViewsInterleavedKeepTheirOwnEntries)
{
    const LNINT backwardsCount = m_backwards.GetEntryCount();
    ASSERT_EQ(backwardsCount, (kNotes + 2) / 3);
    for (LNINT i = 0; i < kNotes; ++i) {
        ASSERT_EQ(Subject(m_all, i), "s" + std::to_string(i)) << "entry " << i;
        const LNINT j = i % backwardsCount;
        ASSERT_EQ(Subject(m_backwards, j), BackwardsSubject(j)) << "entry " << j;
    }
}

TEST_F(ViewEntriesTest, EntriesAskedBackwardsOrByJumpsGiveTheirOwnDocuments)
{
    for (LNINT i = kNotes - 1; i >= 0; --i)
        ASSERT_EQ(Subject(m_all, i), "s" + std::to_string(i)) << "entry " << i;
    // In order for a while, then back before the read-ahead began, then
    // past its end, then at its last and first places again.
    const LNINT jumps[] = {0, 1, 2, 3, 1, 0, 300, 301, 257, 256, 255, 699, 512, 513, 511, 2};
    for (LNINT i : jumps)
        ASSERT_EQ(Subject(m_all, i), "s" + std::to_string(i)) << "entry " << i;
}

TEST_F(ViewEntriesTest, ADatabaseReplacedWhileOpenIsReadAnewOnceOpenedAgain)
{
    ASSERT_EQ(Subject(m_all, 5), "s5");
    ASSERT_EQ(Subject(m_all, 6), "s6");
    BuildDatabase(u"C:\\Notes\\Data\\many.nsf", Description("t"));
    // The open database goes on reading the file it opened, whole: no
    // entry or note comes from the new one.
    EXPECT_EQ(Subject(m_all, 7), "s7");
    EXPECT_EQ(Subject(m_all, 400), "s400");
    EXPECT_EQ(Subject(m_backwards, 1), BackwardsSubject(1));

    ASSERT_EQ(m_database.Close(), LNNOERROR);
    ASSERT_EQ(m_database.Open(), LNNOERROR);
    LNViewFolderArray views;
    ASSERT_EQ(m_database.GetViewFolders(&views), LNNOERROR);
    LNViewFolder all = views[0];
    ASSERT_EQ(all.Open(), LNNOERROR);
    for (LNINT i : {5, 6, 7, 400})
        EXPECT_EQ(Subject(all, i), "t" + std::to_string(i));
}

} // namespace
} // namespace notestest

#include "NotesFixture.h"

#include <set>

namespace notestest {
namespace {

class FaultTableTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        BuildDatabase(u"C:\\mail.nsf", kMailDescription);
    }

    // The mail converter's pattern: a guard per folder, per document and per
    // step. Returns what each level saw.
    struct Walk {
        int folders = 0, foldersFailed = 0;
        int documents = 0, documentsFailed = 0;
        int subjects = 0, stepsFailed = 0;
        LNSTATUS outer = LNNOERROR;
    };

    Walk RunWalk()
    {
        Walk walk;
        LNNotesSession session;
        if (session.Initialize(700) != LNNOERROR) {
            walk.outer = 1;
            return walk;
        }
        LNSetThrowAllErrorsGlobal(TRUE);
        try {
            LNDatabase database;
            session.GetDatabase("C:\\mail.nsf", &database, nullptr);
            database.Open();
            LNViewFolderArray array;
            database.GetViewFolders(&array, FALSE);
            for (LNINT k = 0; k < array.GetCount(); ++k) {
                try {
                    LNViewFolder viewFolder = array[k];
                    viewFolder.Open(0);
                    viewFolder.GetName();
                    ++walk.folders;
                    for (LNINT i = 0; i < viewFolder.GetEntryCount(); ++i) {
                        try {
                            LNDocument document;
                            viewFolder[i].GetDocument(&document);
                            document.Open(0);
                            ++walk.documents;
                            try {
                                LNText subject;
                                document.GetItem("Subject", &subject);
                                ++walk.subjects;
                            } catch (LNSTATUS) {
                                ++walk.stepsFailed;
                            }
                            document.Close();
                        } catch (LNSTATUS) {
                            ++walk.documentsFailed;
                        }
                    }
                } catch (LNSTATUS) {
                    ++walk.foldersFailed;
                }
            }
        } catch (LNSTATUS status) {
            walk.outer = status;
        }
        LNSetThrowAllErrorsGlobal(FALSE);
        session.Term();
        return walk;
    }
};

TEST_F(FaultTableTest, WithoutFaultsTheWalkReadsEverything)
{
    Walk walk = RunWalk();
    EXPECT_EQ(walk.outer, LNNOERROR);
    EXPECT_EQ(walk.folders, 6);
    EXPECT_EQ(walk.documents, 5);
    EXPECT_EQ(walk.subjects, 5);
    EXPECT_EQ(notes::CallCount("LNDocument::Open"), 5);
}

TEST_F(FaultTableTest, EachGuardLevelCanBeReached)
{
    notes::SetFault("LNDatabase::Open", LNERR_DATABASE_CORRUPT);
    EXPECT_EQ(RunWalk().outer, LNERR_DATABASE_CORRUPT);
    notes::ClearFaults();

    notes::SetFault("LNViewFolder::Open", LNERR_NOT_OPEN, 1, 1); // the second folder only
    Walk folder = RunWalk();
    EXPECT_EQ(folder.foldersFailed, 1);
    EXPECT_EQ(folder.folders, 5);
    EXPECT_EQ(folder.documents, 4); // ($Inbox) held one
    notes::ClearFaults();

    notes::SetFault("LNDocument::Open", LNERR_NOTE_NOT_FOUND, 0, 2);
    Walk document = RunWalk();
    EXPECT_EQ(document.documentsFailed, 2);
    EXPECT_EQ(document.documents, 3);
    EXPECT_EQ(document.foldersFailed, 0);
    notes::ClearFaults();

    notes::SetFault("LNNote::GetItem", LNERR_TYPE_MISMATCH);
    Walk step = RunWalk();
    EXPECT_EQ(step.stepsFailed, 5);
    EXPECT_EQ(step.subjects, 0);
    EXPECT_EQ(step.documentsFailed, 0);
}

TEST_F(FaultTableTest, CallsWithoutAStatusThrowTheirFaultEvenWithThrowAllOff)
{
    notes::SetFault("LNViewFolder::GetEntryCount", LNERR_DATABASE_CORRUPT);
    OpenDatabase("C:\\mail.nsf");
    LNViewFolderArray array;
    ASSERT_EQ(m_database.GetViewFolders(&array), LNNOERROR);
    LNViewFolder first = array[0];
    ASSERT_EQ(first.Open(), LNNOERROR);
    try {
        first.GetEntryCount();
        FAIL() << "no exception";
    } catch (LNSTATUS status) {
        EXPECT_EQ(status, LNERR_DATABASE_CORRUPT);
    }
    notes::ClearFault("LNViewFolder::GetEntryCount");
    EXPECT_EQ(first.GetEntryCount(), 2);

    // With throw-all off a call with a status returns its fault.
    notes::SetFault("LNVFEntry::GetDocument", LNERR_NOTE_NOT_FOUND, 0, 1);
    LNDocument document;
    EXPECT_EQ(first[0].GetDocument(&document), LNERR_NOTE_NOT_FOUND);
    EXPECT_EQ(first[0].GetDocument(&document), LNNOERROR);
}

TEST_F(FaultTableTest, InitializeCanFailSoTheConvertersEarlyReturnIsReachable)
{
    notes::SetFault("LNNotesSession::Initialize", LNERR_NO_SESSION);
    EXPECT_EQ(RunWalk().outer, 1u);
    LNNotesSession session;
    EXPECT_EQ(session.Initialize(700), LNERR_NO_SESSION);
    EXPECT_FALSE(session.IsInitialized());
    // Term after a failed initialisation is harmless.
    EXPECT_EQ(session.Term(0), LNNOERROR);
}

} // namespace
} // namespace notestest

namespace notestest {
namespace {

// Makes every call of the library once, each under its own guard, with
// throw-all on, and returns the statuses that came out of them.
std::set<LNSTATUS> ExerciseEveryCall()
{
    std::set<LNSTATUS> seen;
    auto guard = [&](auto&& call) {
        try {
            call();
        } catch (LNSTATUS status) {
            seen.insert(status);
        }
    };
    LNSetThrowAllErrorsGlobal(TRUE);
    LNNotesSession session;
    LNDatabase database;
    LNViewFolderArray views;
    LNViewFolder inbox;
    LNVFEntry entry;
    LNDocument memo;
    LNText text;
    LNNumbers numbers;
    LNDatetimes times;
    LNRichText body;
    LNRTCursor start, end;
    LNGraphic graphic;
    LNAttachmentArray attachments;
    LNDocumentArray found;
    LNString out;
    guard([&] { session.Initialize(700); });
    guard([&] { session.AbbreviateName("CN=A/O=B", &out); });
    guard([&] { session.GetDatabase("C:\\mail.nsf", &database, ""); });
    guard([&] { database.Open(); });
    guard([&] { database.Search(LNFormula("@All"), &found); });
    guard([&] { found[0]; });
    guard([&] { database.GetViewFolders(&views); });
    guard([&] { views.GetCount(); });
    guard([&] { inbox = views[1]; });
    guard([&] { inbox.Open(); });
    guard([&] { inbox.GetName(); });
    guard([&] { inbox.GetEntryCount(); });
    guard([&] { entry = inbox[0]; });
    guard([&] { entry.GetDocument(&memo); });
    guard([&] { memo.Open(); });
    guard([&] { memo.HasItem("Subject"); });
    guard([&] { memo.GetItemCount(); });
    guard([&] { memo.GetItem("SendTo", &text); });
    guard([&] { text.GetCount(); });
    guard([&] { text[0]; });
    guard([&] { memo.GetItem("Size", &numbers); });
    guard([&] { numbers.GetCount(); });
    guard([&] { numbers[0]; });
    guard([&] { memo.GetItem("Window", &times); });
    guard([&] { times.GetCount(); });
    guard([&] { times[0]; });
    guard([&] { times.GetText(&out, ";"); });
    guard([&] { memo.GetLastModified(); });
    guard([&] { memo.GetCreated(); });
    guard([&] { memo.GetUniversalID(); });
    guard([&] { LNDatetime added = memo.GetAddedToFile(); added.GetText(&out); });
    guard([&] { memo.GetItem("Body", &body); });
    guard([&] { body.GetText(&out); });
    guard([&] { body.GetCursor(&start); });
    guard([&] { body.GetEndCursor(&end); });
    guard([&] { body.Export("C:\\tol1.rtf", start, end, ""); });
    guard([&] { start.GotoNext(LNRTTYPE_GRAPHIC, &graphic); });
    guard([&] { graphic.IsType(LNRTTYPE_GRAPHIC); });
    guard([&] { std::string bytes; graphic.GetBitmap(&bytes); });
    guard([&] { memo.HasAttachments(); });
    guard([&] { memo.GetAttachments(&attachments); });
    guard([&] { attachments.GetCount(); });
    guard([&] { attachments[0].GetAttachmentName(); });
    guard([&] { attachments[0].Detach("C:\\report.doc"); });
    guard([&] {
        LNCalendarEntry calendar(memo);
        calendar.GetEntryType();
        calendar.GetIsAlarmEnabled();
    });
    guard([&] { memo.Close(); });
    guard([&] { inbox.Close(); });
    guard([&] { database.Close(); });
    guard([&] { session.Term(0); });
    LNSetThrowAllErrorsGlobal(FALSE);
    return seen;
}

class EveryCallFaultTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        BuildDatabase(u"C:\\mail.nsf", kMailDescription);
    }
};

TEST_F(EveryCallFaultTest, EveryCallTheConvertersMakeCanBeMadeToFail)
{
    EXPECT_TRUE(ExerciseEveryCall().empty());
    const char* calls[] = {
        "LNNotesSession::Initialize", "LNNotesSession::AbbreviateName", "LNNotesSession::GetDatabase",
        "LNDatabase::Open", "LNDatabase::Search", "LNDocumentArray::operator[]", "LNDatabase::GetViewFolders",
        "LNNoteArray::GetCount", "LNViewFolderArray::operator[]", "LNViewFolder::Open", "LNViewFolder::GetName",
        "LNViewFolder::GetEntryCount", "LNViewFolder::operator[]", "LNVFEntry::GetDocument", "LNDocument::Open",
        "LNNote::HasItem", "LNNote::GetItemCount", "LNNote::GetItem", "LNText::GetCount", "LNText::operator[]",
        "LNNumbers::GetCount", "LNNumbers::operator[]", "LNDatetimes::GetCount", "LNDatetimes::operator[]",
        "LNDatetimes::GetText", "LNNote::GetLastModified", "LNNote::GetCreated", "LNNote::GetUniversalID",
        "LNNote::GetAddedToFile", "LNDatetime::GetText", "LNRichText::GetText", "LNRichText::GetCursor",
        "LNRichText::GetEndCursor", "LNRichText::Export", "LNRTCursor::GotoNext", "LNRTObject::IsType",
        "LNGraphic::GetBitmap", "LNNote::HasAttachments", "LNNote::GetAttachments", "LNAttachmentArray::GetCount",
        "LNAttachmentArray::operator[]", "LNAttachment::GetAttachmentName", "LNAttachment::Detach",
        "LNCalendarEntry::LNCalendarEntry", "LNCalendarEntry::GetEntryType", "LNCalendarEntry::GetIsAlarmEnabled",
        "LNNote::Close", "LNViewFolder::Close", "LNDatabase::Close", "LNNotesSession::Term",
    };
    LNSTATUS status = 0x0F00;
    for (const char* call : calls) {
        notes::ClearFaults();
        notes::SetFault(call, ++status);
        std::set<LNSTATUS> seen = ExerciseEveryCall();
        EXPECT_TRUE(seen.count(status)) << call;
        EXPECT_GT(notes::CallCount(call), 0) << call;
    }
}

} // namespace
} // namespace notestest

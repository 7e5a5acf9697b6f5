#include "NotesFixture.h"

#include <cstring>
#include <set>

namespace notestest {
namespace {

class SessionTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        BuildDatabase(u"C:\\Notes\\Data\\mail.nsf", kMailDescription);
    }
};

TEST_F(SessionTest, InitializeAcceptsVersion700AndRefusesANewerOne)
{
    LNNotesSession newer;
    EXPECT_EQ(newer.Initialize(800), LNERR_BAD_VERSION);
    EXPECT_FALSE(newer.IsInitialized());
    EXPECT_EQ(m_session.Initialize(700, 0, nullptr, TRUE, nullptr), LNNOERROR);
    EXPECT_TRUE(m_session.IsInitialized());
}

TEST_F(SessionTest, DatabasesNeedAnInitialisedSessionAndALocalServer)
{
    EXPECT_EQ(m_session.GetDatabase("C:\\Notes\\Data\\mail.nsf", &m_database, ""), LNERR_NO_SESSION);
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    EXPECT_EQ(m_session.GetDatabase("C:\\Notes\\Data\\mail.nsf", &m_database, "Hub01/Acme"),
              LNERR_SERVER_NOT_AVAILABLE);
    EXPECT_EQ(m_session.GetDatabase("C:\\Notes\\Data\\missing.nsf", &m_database, ""), LNERR_FILE_NOT_FOUND);
    EXPECT_EQ(m_session.GetDatabase("C:\\Notes\\Data", &m_database, nullptr), LNERR_FILE_NOT_FOUND);
    // The path resolves as Windows paths do: any case, doubled backslashes.
    ASSERT_EQ(m_session.GetDatabase("c:\\NOTES\\\\data\\MAIL.NSF", &m_database, nullptr), LNNOERROR);
    EXPECT_FALSE(m_database.IsOpen());
    EXPECT_EQ(m_database.Open(), LNNOERROR);
    EXPECT_STREQ(m_database.GetFilePath().GetPlatformTextPtr(), "c:\\NOTES\\\\data\\MAIL.NSF");
}

TEST_F(SessionTest, TermAndCloseAreHarmlessInAnyOrderAndOpenObjectsStayReadable)
{
    EXPECT_EQ(m_session.Term(0), LNNOERROR); // never initialised
    OpenDatabase("C:\\Notes\\Data\\mail.nsf");
    LNDocument memo = OpenFirstDocument("($Inbox)");
    EXPECT_EQ(m_session.Term(0), LNNOERROR);
    EXPECT_EQ(m_session.Term(0), LNNOERROR);
    EXPECT_TRUE(memo.HasItem("Subject"));
    EXPECT_EQ(m_database.Close(), LNNOERROR);
    EXPECT_EQ(m_database.Close(), LNNOERROR);
    EXPECT_EQ(memo.Close(), LNNOERROR);
    // A closed database opens again only with a session.
    EXPECT_EQ(m_database.Open(), LNERR_NO_SESSION);
}

TEST_F(SessionTest, AbbreviateNameDropsTheLabelsOfCanonicalNamesOnly)
{
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    struct Case {
        const char* name;
        const char* abbreviated;
    };
    const Case cases[] = {
        {"CN=Ann Lee/OU=Sales/O=Acme", "Ann Lee/Sales/Acme"},
        {"CN=Ann Lee/O=Acme", "Ann Lee/Acme"},
        {"cn=Ann Lee/ou=East/ou=Sales/o=Acme/c=US", "Ann Lee/East/Sales/Acme/US"},
        {"CN=Ann Lee/O=Acme@AcmeMail", "Ann Lee/Acme@AcmeMail"},
        {"Ann Lee/Sales/Acme", "Ann Lee/Sales/Acme"},
        {"ann.lee@example.com", "ann.lee@example.com"},
        {"CN=Ann Lee/Sales/O=Acme", "CN=Ann Lee/Sales/O=Acme"}, // one component unlabelled
        {"XY=Ann/O=Acme", "XY=Ann/O=Acme"},
        // Every label, in either case; labels that only look like them are not.
        {"Cn=A/oU=B/O=C/c=D/G=E/s=F/I=G/q=H/P=I/a=J", "A/B/C/D/E/F/G/H/I/J"},
        {"ON=Ann/O=Acme", "ON=Ann/O=Acme"},
        {"CO=Ann/O=Acme", "CO=Ann/O=Acme"},
        {"CNN=Ann/O=Acme", "CNN=Ann/O=Acme"},
        {"CN=Ann/X=Acme", "CN=Ann/X=Acme"},
        {"=Ann/O=Acme", "=Ann/O=Acme"},
        {"", ""},
    };
    for (const auto& c : cases) {
        LNString result;
        EXPECT_EQ(m_session.AbbreviateName(c.name, &result), LNNOERROR);
        EXPECT_STREQ(result.GetPlatformTextPtr(), c.abbreviated) << c.name;
    }
    LNString inPlace("CN=Bob Stone/OU=R&D/O=Acme");
    EXPECT_EQ(m_session.AbbreviateName(inPlace, &inPlace), LNNOERROR);
    EXPECT_STREQ(inPlace.GetPlatformTextPtr(), "Bob Stone/R&D/Acme");
}

TEST_F(SessionTest, ThrowAllTurnsReturnedErrorsIntoThrownStatusesButNotWarnings)
{
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    EXPECT_EQ(m_session.GetDatabase("C:\\missing.nsf", &m_database), LNERR_FILE_NOT_FOUND);

    LNSetThrowAllErrorsGlobal(TRUE);
    EXPECT_EQ(LNGetThrowAllErrorsGlobal(), TRUE);
    try {
        m_session.GetDatabase("C:\\missing.nsf", &m_database);
        FAIL() << "no exception";
    } catch (LNSTATUS status) {
        EXPECT_EQ(status, LNERR_FILE_NOT_FOUND);
    }
    // A cursor that finds nothing reports a warning, which is not thrown.
    LNRTCursor unplaced;
    LNGraphic graphic;
    EXPECT_EQ(unplaced.GotoNext(LNRTTYPE_GRAPHIC, &graphic), LNWARN_NOT_FOUND);
    EXPECT_FALSE(graphic.IsType(LNRTTYPE_GRAPHIC));

    LNSetThrowAllErrorsGlobal(FALSE);
    EXPECT_EQ(m_session.GetDatabase("C:\\missing.nsf", &m_database), LNERR_FILE_NOT_FOUND);
}

TEST_F(SessionTest, EveryStatusHasATextThatFitsTheCallersBuffer)
{
    char buffer[512];
    std::set<std::string> texts;
    for (LNSTATUS status = LNERR_NO_SESSION; status <= LNERR_OUT_OF_MEMORY; ++status) {
        LNINT length = LNGetErrorMessageText(status, buffer, sizeof buffer);
        EXPECT_GT(length, 0) << status;
        EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(buffer));
        texts.insert(buffer);
    }
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(LNERR_OUT_OF_MEMORY - LNERR_NO_SESSION + 1));
    LNGetErrorMessageText(0x7777, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Unknown error 0x7777");

    char small[6];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(LNGetErrorMessageText(LNERR_FILE_NOT_FOUND, small, sizeof small), 5);
    EXPECT_STREQ(small, "File ");
    EXPECT_EQ(LNGetErrorMessageText(LNERR_FILE_NOT_FOUND, nullptr, 10), 0);
}

} // namespace
} // namespace notestest

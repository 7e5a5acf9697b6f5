#include "NotesFixture.h"
#include "testsupport/AnsiCodePage.h"

#include "nsfbuild/Description.h"
#include "nsfbuild/NsfWriter.h"

namespace notestest {

const char* const kMailDescription = R"nsf(
# views and folders in file order
view ($All)
entries memo html
folder ($Inbox)
entries memo
folder ($Sent)
folder "Projects\\2026"
entries html
folder "Taxes (2025)"
view ($Calendar)
entries meeting

note memo
created 2026-11-30T08:00:00
modified "2026-12-01 10:15:30"
added 2026-12-01T10:16:00
text Form Memo
text From "CN=Ann Lee/OU=Sales/O=Acme"
text SendTo "CN=Bob Stone/O=Acme" "carol@example.com" "CN=Dee Vance/OU=R\x26D/O=Acme"
text Subject "Quarterly r\xe9sum\xe9"
numbers Size 1234 5.5
times PostedDate 2026-12-01T10:15:00
times Window 2026-12-01T09:00:00..2026-12-01T10:00:00 2026-12-02
richtext Body
run "Plain "
run bold "strong"
run " and "
run italic "slanted"
tab
run underline face=Arial size=14 color=C00000 "red"
para
run "Second {line} \\ end"
break
run "after break"
para
graphic png 4 4 89504e470d0a1a0a0000000d4948445200000004000000040802000000269309290000001049444154789c6350483800470cc47100fe431401ec189d430000000049454e44ae426082
attachref report.doc
attach report.doc "report bytes\x00\x01\xff"
attach $MIMEPart1 "SGVsbG8="

note html
text Form Memo
text Subject ""
richtext Body
run "<HTML> <p>hi</p>"

note meeting
calendar 8 alarm
text Form Appointment
text Subject Planning
times StartDateTime 2026-12-08T09:00:00 2026-12-15T09:00:00
times EndDateTime 2026-12-08T10:00:00 2026-12-15T10:00:00
numbers Alarms 1
)nsf";

void NotesFixture::SetUp()
{
    MachineFixture::SetUp();
    // The library's own tests read their texts on a Windows-1252 machine;
    // the tests of other scripts choose UTF-8 themselves.
    testsupport::UseAnsiCodePage(1252);
    notes::ClearFaults();
    LNSetThrowAllErrorsGlobal(FALSE);
}

void NotesFixture::TearDown()
{
    m_database.Close();
    m_session.Term();
    notes::ClearFaults();
    LNSetThrowAllErrorsGlobal(FALSE);
    MachineFixture::TearDown();
}

void NotesFixture::BuildDatabase(const std::u16string& windowsPath, const std::string& description)
{
    std::filesystem::path host = Host(windowsPath);
    std::filesystem::create_directories(host.parent_path());
    nsfbuild::Result written = nsfbuild::BuildFromDescription(description, host);
    ASSERT_TRUE(written.ok) << written.message;
}

void NotesFixture::OpenDatabase(const char* ansiPath)
{
    ASSERT_EQ(m_session.Initialize(700), LNNOERROR);
    ASSERT_EQ(m_session.GetDatabase(ansiPath, &m_database, ""), LNNOERROR);
    ASSERT_EQ(m_database.Open(), LNNOERROR);
}

LNDocument NotesFixture::OpenFirstDocument(const char* viewFolderName)
{
    LNViewFolderArray array;
    EXPECT_EQ(m_database.GetViewFolders(&array), LNNOERROR);
    for (LNINT i = 0; i < array.GetCount(); ++i) {
        LNViewFolder viewFolder = array[i];
        if (std::string(viewFolder.GetName().GetPlatformTextPtr()) != viewFolderName)
            continue;
        EXPECT_EQ(viewFolder.Open(), LNNOERROR);
        LNDocument document;
        EXPECT_EQ(viewFolder[0].GetDocument(&document), LNNOERROR);
        EXPECT_EQ(document.Open(), LNNOERROR);
        return document;
    }
    ADD_FAILURE() << "no view folder " << viewFolderName;
    return LNDocument();
}

} // namespace notestest

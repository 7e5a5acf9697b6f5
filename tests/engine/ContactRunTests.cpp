// The contact loop as the user sees it: the counter and the bars at each
// contact, the free-space question with its No and its fourth Yes, a stop
// while a contact is filled, and the sources that give no contacts: an
// address book without persons, a file that is no database, a document that
// cannot be opened.
#include "ContactRunFixture.h"

#include "NsfRows.h"
#include "FullDisk.h"

#include "AppSettings.h"
#include "PstFreeSpace.h"
#include "WizardSelections.h"
#include "mapi/Store.h"
#include "RunFlags.h"
#include "notes/FaultTable.h"
#include "user/Automation.h"

namespace enginetest {
namespace {

constexpr const char16_t* kQuestion = u"Free space is less than 300 MB. Are you sure you want to continue?";
constexpr const char16_t* kWrongSource = u"Please check if you have select the correct source file.";

using Lines = std::vector<std::string>;

std::string Persons(int count)
{
    std::vector<std::string> persons;
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        persons.push_back(PersonNote("p" + n, {{"FirstName", "First" + n}, {"FullName", "Person " + n}}));
    }
    return AddressBook(persons);
}

class ContactRun : public ContactRunFixture {
protected:
    std::vector<std::u16string> GivenNames(const char16_t* pstPath = kPstPath)
    {
        std::vector<std::u16string> names;
        for (const auto& contact : Contacts(pstPath))
            names.push_back(contact.GetString(0x3A06001F));
        return names;
    }

    // The free-space question once it is open.
    HWND WaitForQuestion()
    {
        HWND question = nullptr;
        EXPECT_TRUE(Eventually([&] {
            user::MessageBoxRecord record;
            for (HWND box : user::OpenMessageBoxes()) {
                if (user::MessageBoxRecordOf(box, record) && record.text == kQuestion)
                    question = box;
            }
            return question != nullptr;
        }));
        return question;
    }

    // What the dialog shows while the free-space question is open.
    struct Shown {
        std::u16string counter;
        int current;
        int overall;
        bool operator==(const Shown&) const = default;
    };
    Shown ShownNow()
    {
        return {ProgressText(1034), ProgressOf(GetDlgItem(m_progress, 1019)),
                ProgressOf(GetDlgItem(m_progress, 1020))};
    }
};

using Names = std::vector<std::u16string>;

TEST_F(ContactRun, TheCounterAndBothBarsMoveOnceAContactIsSaved)
{
    UseNsf(Persons(3));
    PinFreeSpace(kThreshold);
    ASSERT_NE(StartRun(), nullptr);
    std::vector<Shown> shown;
    for (int i = 0; i < 3; ++i) {
        WaitForQuestion();
        shown.push_back(ShownNow());
        auto box = Answer(kQuestion, IDYES);
        EXPECT_EQ(box.type, 0x1024u);
    }
    HWND completion = WaitForCompletionDialog();
    shown.push_back(ShownNow());
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Completed Successfully");
    // The question of each contact comes before its counter text.
    EXPECT_EQ(shown, (std::vector<Shown>{{u"", 0, 0}, {u"1/3", 33, 33}, {u"2/3", 66, 66}, {u"3/3", 100, 100}}));
    EXPECT_EQ(GivenNames(), (Names{u"First1", u"First2", u"First3"}));
    EXPECT_EQ(LoggedSummaries(), (std::vector<Lines>{
                                     {"No. of folder selected : 1", "Current Progress : 3", "Overall Progress : 3"}}));
}

TEST_F(ContactRun, NoToTheFreeSpaceQuestionEndsTheRunAbortedWithOneFolderLogged)
{
    UseNsf(Persons(3));
    PinFreeSpace(kThreshold);
    ASSERT_NE(StartRun(), nullptr);
    Answer(kQuestion, IDYES);
    Answer(kQuestion, IDNO);
    HWND completion = WaitForCompletionDialog();
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");
    EXPECT_EQ(GivenNames(), Names{u"First1"});
    EXPECT_EQ(LoggedSummaries(), (std::vector<Lines>{
                                     {"No. of folder selected : 1", "Current Progress : 1", "Overall Progress : 1"}}));
}

TEST_F(ContactRun, TheFourthYesEndsTheRunAborted)
{
    UseNsf(Persons(5));
    PinFreeSpace(kThreshold);
    ASSERT_NE(StartRun(), nullptr);
    for (int i = 0; i < 4; ++i)
        Answer(kQuestion, IDYES);
    HWND completion = WaitForCompletionDialog();
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");
    EXPECT_EQ(GivenNames(), (Names{u"First1", u"First2", u"First3"}));
}

TEST_F(ContactRun, AStopWhileAContactIsFilledLeavesItUnsavedAndKeepsTheOnesBefore)
{
    UseNsf(Persons(3));
    PinFreeSpace(kThreshold);
    ASSERT_NE(StartRun(), nullptr);
    Answer(kQuestion, IDYES);
    // The second contact goes on with the GUI held, so the worker stands at
    // its counter text when the stop comes, as the stop protocol raises it.
    HWND question = WaitForQuestion();
    HoldGuiThread();
    // The box closes only once the GUI thread has its dialog back.
    EXPECT_TRUE(user::automation::AnswerMessageBox(question, IDYES));
    RaiseStopFlags();
    ReleaseGuiThread();
    HWND completion = WaitForCompletionDialog();
    // The first check inside the filler found it: the name was never reached.
    EXPECT_EQ(ProgressText(1034), u"2/3");
    EXPECT_EQ(ProgressText(1035), u"Person 1");
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");
    EXPECT_EQ(GivenNames(), Names{u"First1"});
    EXPECT_TRUE(LoggedSummaries().empty());
}

TEST_F(ContactRun, AStoreThatHasTheFolderAlreadyGetsEveryContactAddedBesideTheOnesThere)
{
    constexpr const char16_t* kExistingPst = u"C:\\Data\\Archive.pst";
    {
        auto made = mapi::CStore::Create(Host(kExistingPst), u"Archive 2024");
        ASSERT_TRUE(made.Ok()) << made.Message();
        auto top = (*made)->GetIpmSubtree();
        ASSERT_TRUE(top.Ok()) << top.Message();
        auto folder = top->CreateSubfolder(kContactsFolder, u"IPF.Contact");
        ASSERT_TRUE(folder.Ok()) << folder.Message();
        mapi::CMessage there = folder->CreateMessage(u"IPM.Contact");
        there.SetString(0x3A06001F, u"First1");
        ASSERT_TRUE(there.Save().Ok());
        (*made)->Close();
    }
    wcscpy_s(g_szPstPath, MAX_PATH, kExistingPst);
    g_bUpdateExistingPst = 1;
    UseNsf(Persons(2));
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    EXPECT_EQ(GivenNames(kExistingPst), (Names{u"First1", u"First1", u"First2"}));
}

TEST_F(ContactRun, AnAddressBookWithoutPersonsIsReportedAndEndsAbortedWithTheFolderMade)
{
    UseNsf(AddressBook({}));
    ASSERT_NE(StartRun(), nullptr);
    auto box = Answer(kWrongSource, IDOK);
    EXPECT_EQ(box.type, 0x1010u);
    EXPECT_EQ(box.caption, kCaption);
    HWND completion = WaitForCompletionDialog();
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");
    EXPECT_TRUE(Contacts().empty());
}

TEST_F(ContactRun, AFileThatIsNoDatabaseIsReportedAndEndsNotCompleted)
{
    WriteHostFile(Host(kNsfPath), "not a database at all");
    g_strNsfPath = kNsfPath;
    ASSERT_NE(StartRun(), nullptr);
    auto box = Answer(kWrongSource, IDOK);
    EXPECT_EQ(box.type, 0x1010u);
    HWND completion = WaitForCompletionDialog();
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion not completed successfully");
    EXPECT_TRUE(Contacts().empty());
    // The run's end block comes before the completion dialog's result, as
    // at every other end of the run: each line after a line break.
    const std::string log = ReadHostFile(Host(m_installDir + u"\\Activity Log.txt"));
    const std::string end = "\r\n\r\n"
                            "\r\nStep 6 :"
                            "\r\n-------"
                            "\r\nNo. of folder selected : 1"
                            "\r\nCurrent Progress : 0"
                            "\r\nOverall Progress : 0"
                            "\r\nConversion not completed successfully";
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(log.substr(log.size() - end.size()), end);
    EXPECT_EQ(g_nFoldersLogged, 1);
}

// An address book that cannot be searched ends the same way.
TEST_F(ContactRun, AnAddressBookThatCannotBeSearchedIsReportedWithTheEndBlock)
{
    UseNsf(Persons(2));
    notes::SetFault("LNDatabase::Search", LNERR_DATABASE_CORRUPT);
    ASSERT_NE(StartRun(), nullptr);
    auto box = Answer(kWrongSource, IDOK);
    EXPECT_EQ(box.type, 0x1010u);
    HWND completion = WaitForCompletionDialog();
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion not completed successfully");
    EXPECT_TRUE(Contacts().empty());
    EXPECT_EQ(LoggedSummaries(), (std::vector<Lines>{
                                     {"No. of folder selected : 1", "Current Progress : 0", "Overall Progress : 0"}}));
    EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
}

TEST_F(ContactRun, AContactsFolderThatCannotBeMadeEndsTheRunNotCompletedAtItsFirstContact)
{
    // The store is found under the whole name, but no folder's name holds a
    // backslash: the contacts folder is never made and no contact can go in.
    g_strPstFolderName = u"Address\\Book";
    UseNsf(Persons(2));
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(LoggedSummaries(), (std::vector<Lines>{
                                     {"No. of folder selected : 1", "Current Progress : 0", "Overall Progress : 0"}}));
}

TEST_F(ContactRun, ADocumentThatCannotBeClosedLosesNothing)
{
    UseNsf(Persons(3));
    notes::SetFault("LNNote::Close", LNERR_WRITE_FAILED, 0, 2);
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    EXPECT_EQ(GivenNames(), (Names{u"First1", u"First2", u"First3"}));
}

TEST_F(ContactRun, ADocumentThatCannotBeOpenedIsLoggedAndTheLoopGoesOnToTheNext)
{
    UseNsf(Persons(4));
    notes::SetFault("LNDocument::Open", LNERR_DATABASE_CORRUPT, 2, 1);
    HWND completion = RunToCompletionDialog();
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion not completed successfully");
    EXPECT_EQ(GivenNames(), (Names{u"First1", u"First2", u"First4"}));
    EXPECT_EQ(LossLines(LogLines()),
              Lines{"Not converted : Note ID " + NoteIdWithText(Host(kNsfPath), "FullName", "Person 3")
                    + " \"\" : the document cannot be read (Database is damaged)"});
    EXPECT_EQ(LoggedSummaries(), (std::vector<Lines>{
                                     {"No. of folder selected : 1", "Current Progress : 4", "Overall Progress : 4"}}));
}

TEST_F(ContactRun, ContactsThatNoLongerFitAFullFileSystemAreLoggedByName)
{
    constexpr int kPersons = 12;
    std::vector<std::string> persons;
    for (int i = 1; i <= kPersons; ++i) {
        const std::string n = std::to_string(i);
        ContactItems items{{"FirstName", "First" + n}, {"FullName", "Person " + n}};
        // Long texts in many fields, so that every contact needs room.
        for (const char* field : {"JobTitle", "LastName", "ShortName", "CompanyName", "Country", "Department",
                                  "MiscPhone1", "OfficePhoneNumber", "InternetAddress", "OfficeFAXPhoneNumber"})
            items.emplace_back(field, std::string(1000, static_cast<char>('a' + i)));
        persons.push_back(PersonNote("p" + n, items));
    }
    UseNsf(AddressBook(persons));
    std::u16string result;
    {
        // Full from the fourth contact on.
        FullDiskAt full(Host(kPstPath), 4);
        result = RunToEnd();
        EXPECT_TRUE(full.Filled());
    }
    EXPECT_EQ(result, u"Conversion not completed successfully");
    const Names saved = GivenNames();
    const Lines losses = LossLines(LogLines());
    EXPECT_GE(saved.size(), 3u);
    EXPECT_FALSE(losses.empty());
    for (int i = 1; i <= kPersons; ++i) {
        const std::string n = std::to_string(i);
        const bool inPst = std::find(saved.begin(), saved.end(), Utf8ToUtf16("First" + n)) != saved.end();
        const std::string head = "Not converted : Note ID " + NoteIdWithText(Host(kNsfPath), "FullName", "Person " + n)
                                 + " \"Person " + n + "\" : the contact could not be saved (";
        const bool logged = std::any_of(losses.begin(), losses.end(),
                                        [&](const std::string& line) { return line.rfind(head, 0) == 0; });
        EXPECT_NE(inPst, logged) << n << "\n" << testing::PrintToString(losses);
    }
}

} // namespace
} // namespace enginetest

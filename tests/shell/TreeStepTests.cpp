// Wizard step 3 driven as a user drives it: the tree that the worker fills
// from a built database while the dialog runs, the ticks, space, Next with
// its list and log block, Back, the exit prompts, the address-book and
// calendar modes, and every way the walk can fail or be stopped.
#include "TreeStepFixture.h"

namespace {

// Views and folders in file order: system folders, hidden views, nested
// folders, and names beyond the tree's path limits.
const std::string kMailDatabase = R"db(
view "($Inbox)"
view "($Sent)"
folder Projects
folder Projects\2005
folder Projects\2006
view "($Calendar)"
view "(Rules)"
folder "Taxes (2005)"
view "($Drafts)"
view "All Documents"
view "($All)"
view "($Trash)"
folder Work\Clients\Acme
folder )db" + std::string(200, 'L') + R"db(
folder Long\)db" + std::string(100, 'C') + R"db(
view "($inbox)"
)db";
constexpr int kMailViewFolders = 16;

const std::vector<std::u16string> kTopFolders = {u"Inbox", u"Sent",  u"Projects", u"Taxes (2005)", u"Drafts",
                                                 u"All Documents", u"All", u"Trash", u"Work"};
// Every item below the top, in tree order.
const std::vector<std::u16string> kEveryFolder = {
    u"Lotus Notes\\Inbox\\",          u"Lotus Notes\\Sent\\",          u"Lotus Notes\\Projects\\",
    u"Lotus Notes\\Projects\\2005\\", u"Lotus Notes\\Projects\\2006\\", u"Lotus Notes\\Taxes (2005)\\",
    u"Lotus Notes\\Drafts\\",         u"Lotus Notes\\All Documents\\", u"Lotus Notes\\All\\",
    u"Lotus Notes\\Trash\\",          u"Lotus Notes\\Work\\",          u"Lotus Notes\\Work\\Clients\\",
    u"Lotus Notes\\Work\\Clients\\Acme\\"};

class TreeStepTest : public TreeStepFixture {
protected:
    void SetUp() override
    {
        TreeStepFixture::SetUp();
        Build(kMailNsf, kMailDatabase);
    }

    HTREEITEM Top() const { return Item({u"Lotus Notes"}); }

    void NextToStep4()
    {
        automation::Click(Control(IDOK));
        m_step4 = WaitForStep4();
        ASSERT_NE(m_step4, nullptr);
    }

    // Step 4's Back: it frees the list, and step 3 shows again.
    void BackFromStep4()
    {
        automation::Click(::GetDlgItem(m_step4, 1017));
        ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(m_step4) && automation::IsVisible(m_step); }));
    }

    HWND m_step4 = nullptr;
};

TEST_F(TreeStepTest, TheWorkerFillsTheTreeAndNextListsTheTickedFoldersInTreeOrder)
{
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    EXPECT_TRUE(BackEnabled());
    EXPECT_FALSE(automation::IsVisible(Control(1032)));
    EXPECT_FALSE(automation::IsVisible(Control(1019)));
    // The bar's last position is i * 100 / n for the last folder.
    EXPECT_EQ(::SendMessageW(Control(1019), PBM_GETPOS, 0, 0), (kMailViewFolders - 1) * 100 / kMailViewFolders);
    EXPECT_EQ(automation::TextOf(m_step), g_szAppTitle);
    EXPECT_NE(::SendMessageW(Control(1007), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

    // System folders under their own names, hidden views and names beyond
    // the path limits left out, a user folder ending in ")" shown.
    EXPECT_EQ(automation::TreeChildTexts(m_tree, TVI_ROOT), std::vector<std::u16string>{u"Lotus Notes"});
    EXPECT_EQ(automation::TreeChildTexts(m_tree, Top()), kTopFolders);
    EXPECT_NE(Item({u"Lotus Notes", u"Work", u"Clients", u"Acme"}), nullptr);
    EXPECT_EQ(::SendMessageW(m_tree, TVM_GETCOUNT, 0, 0), 1 + static_cast<LRESULT>(kEveryFolder.size()));
    // Each folder left out is named in the log, its line cut to 200 bytes.
    const std::string said = "\r\nFolder not listed, its path is too long : ";
    EXPECT_NE(Log().find(said + "Lotus Notes\\" + std::string(146, 'L') + "\r\n"), std::string::npos) << Log();
    EXPECT_NE(Log().find(said + "Lotus Notes\\Long\\" + std::string(100, 'C') + "\\"), std::string::npos);

    Expand(Top());
    ClickBox(Item({u"Lotus Notes", u"Work"}), 'T');
    ClickBox(Item({u"Lotus Notes", u"Inbox"}), 'T');
    Expand(Item({u"Lotus Notes", u"Projects"}));
    ClickBox(Item({u"Lotus Notes", u"Projects", u"2005"}), 'T');
    // Projects is partial: only its ticked child is listed.
    EXPECT_EQ(MarkOf(m_tree, Item({u"Lotus Notes", u"Projects"})), 'P');

    const std::vector<std::u16string> wanted = {u"Lotus Notes\\Inbox\\", u"Lotus Notes\\Projects\\2005\\",
                                                u"Lotus Notes\\Work\\", u"Lotus Notes\\Work\\Clients\\",
                                                u"Lotus Notes\\Work\\Clients\\Acme\\"};
    const std::string block = "\r\n\r\n\r\nStep 3 :\r\n-------\r\nList of Selected NSF Folder(s) : "
                              "\r\nLotus Notes\\Inbox\\\r\nLotus Notes\\Projects\\2005\\"
                              "\r\nLotus Notes\\Work\\\r\nLotus Notes\\Work\\Clients\\"
                              "\r\nLotus Notes\\Work\\Clients\\Acme\\";
    NextToStep4();
    EXPECT_FALSE(automation::IsVisible(m_step));
    EXPECT_EQ(SelectedFolders(), wanted);
    EXPECT_EQ(g_nSelFolderCount, 5);
    EXPECT_TRUE(Log().ends_with(block));

    // Back from step 4 and Next again: the list is built once more, not twice.
    BackFromStep4();
    EXPECT_EQ(g_pSelFolderList, nullptr);
    EXPECT_EQ(MarkOf(m_tree, Item({u"Lotus Notes", u"Work", u"Clients", u"Acme"})), 'T');
    NextToStep4();
    EXPECT_EQ(SelectedFolders(), wanted);
    EXPECT_EQ(g_nSelFolderCount, 5);
    EXPECT_TRUE(Log().ends_with(block + block));
}

TEST_F(TreeStepTest, TheTopTicksEveryItemButItselfAndSpaceInvertsOneBoxAlone)
{
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    ClickBox(Top(), 'T');
    NextToStep4();
    EXPECT_EQ(SelectedFolders(), kEveryFolder);
    EXPECT_EQ(g_nSelFolderCount, static_cast<int>(kEveryFolder.size()));
    BackFromStep4();

    ClickBox(Top(), '.');
    Expand(Top());
    HTREEITEM projects = Item({u"Lotus Notes", u"Projects"});
    HTREEITEM y2005 = Item({u"Lotus Notes", u"Projects", u"2005"});
    Expand(projects); // the caret is Projects now
    automation::PressKey(m_tree, VK_SPACE);
    ASSERT_TRUE(automation::WaitUntil([&] { return MarkOf(m_tree, projects) == 't'; }));
    automation::PressKey(m_tree, VK_SPACE);
    ASSERT_TRUE(automation::WaitUntil([&] { return MarkOf(m_tree, projects) == '.'; }));
    automation::PressKey(m_tree, VK_SPACE);
    ASSERT_TRUE(automation::WaitUntil([&] { return MarkOf(m_tree, projects) == 't'; }));
    EXPECT_EQ(MarkOf(m_tree, y2005), '.');
    EXPECT_EQ(MarkOf(m_tree, Top()), '.');

    NextToStep4();
    EXPECT_EQ(SelectedFolders(), std::vector<std::u16string>{u"Lotus Notes\\Projects\\"});
    EXPECT_EQ(g_nSelFolderCount, 1);
}

TEST_F(TreeStepTest, NextWithNothingTickedAsksAndStays)
{
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    automation::Click(Control(IDOK));
    Answer(ExpectBox(u"Please Select Any Folder", 0x1030, m_step), IDOK);
    EXPECT_TRUE(automation::IsVisible(m_step));
    EXPECT_EQ(automation::WaitForWindowWithControl(1028, std::chrono::milliseconds(0)), nullptr);
    EXPECT_EQ(g_pSelFolderList, nullptr);
    EXPECT_EQ(g_nSelFolderCount, 0);
    EXPECT_EQ(Log().find("Step 3 :"), std::string::npos);
    EndTheProgram();

    // Only hidden views: the tree stays empty, and Next says the same.
    ResetGlobals();
    Build(u"C:\\Notes\\Data\\hidden.nsf", "view \"($Calendar)\"\nview \"(Rules)\"\nfolder \"($Alarms)\"\n");
    ASSERT_NE(Open(1, u"C:\\Notes\\Data\\hidden.nsf"), nullptr);
    ASSERT_TRUE(WaitForFolders());
    EXPECT_EQ(::SendMessageW(m_tree, TVM_GETCOUNT, 0, 0), 0);
    automation::Click(Control(IDOK));
    Answer(ExpectBox(u"Please Select Any Folder", 0x1030, m_step), IDOK);
    EXPECT_EQ(g_nSelFolderCount, 0);
}

TEST_F(TreeStepTest, BackFreesTheListAndTheExitPromptsEndTheProgram)
{
    AppendStringNode(&g_pSelFolderList, u"Lotus Notes\\Stale\\");
    g_bCopyStop = 1;
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    ASSERT_TRUE(WaitForSessionEnd());

    automation::PressKey(m_step, VK_ESCAPE);
    Answer(ExpectBox(u"Are you sure you want to exit?", 0x1024, m_step), IDNO);
    ASSERT_TRUE(automation::ChooseMenuCommand(m_step, 32771));
    Answer(ExpectBox(u"Are you sure you want to exit.", 0x1024, m_step), IDNO);
    automation::Click(Control(1026));
    Answer(ExpectBox(u"Are you sure you want to exit?", 0x1024, m_step), IDNO);
    EXPECT_TRUE(automation::IsVisible(m_step));
    EXPECT_EQ(g_bTreeStop, 0);

    automation::Click(Control(1015));
    EXPECT_EQ(Result(), IDCANCEL);
    EXPECT_EQ(g_pSelFolderList, nullptr);
    EXPECT_EQ(g_bCopyStop, 0);
    EXPECT_EQ(notes::CallCount("LNNotesSession::Term"), 1) << "the walk ran to its end once";

    // Escape's Yes raises the walk's stop flag before the end; the Exit
    // button's does not.
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    automation::PressKey(m_step, VK_ESCAPE);
    automation::AnswerMessageBox(ExpectBox(u"Are you sure you want to exit?", 0x1024, m_step), IDYES);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_EQ(g_bTreeStop, 1);

    g_bTreeStop = 0;
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    EndTheProgram();
    EXPECT_EQ(g_bTreeStop, 0);
}

TEST_F(TreeStepTest, TheToolButtonsHaveTheirOwnIdsHereAndF1OpensTheHelp)
{
    wcscpy_s(g_szLogDir, MAX_PATH, u"C:\\Logs");
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    const struct {
        int id;
        const char16_t* tip;
    } tools[] = {{1024, u"View Log"}, {1025, u"Support"}, {1026, u"Exit"}};
    for (const auto& tool : tools) {
        HWND tip = automation::FindToolTip(Control(tool.id));
        ASSERT_NE(tip, nullptr) << tool.id;
        EXPECT_EQ(automation::ToolTipText(tip, Control(tool.id)), tool.tip);
    }

    automation::Click(Control(1024));
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 1; }));
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(win32::ReadShellJournal()[0].parameters, u"C:\\Logs\\Activity Log.txt");

    automation::Click(Control(1025));
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 2; }));
    EXPECT_EQ(win32::ReadShellJournal()[1].file, u"http://www.example.org/support");

    automation::PressKey(m_tree, VK_F1);
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() > 2; }));
    const auto help = win32::ReadShellJournal()[2];
    EXPECT_TRUE((help.file + help.parameters).find(u".chm") != std::u16string::npos);
    EXPECT_TRUE(user::MessageBoxHistory().empty());
    EXPECT_TRUE(automation::IsVisible(m_step));
}

TEST_F(TreeStepTest, AddressBookAndCalendarShowTheDatabaseItselfWithoutNotes)
{
    const std::u16string names = u"C:\\Notes\\Data\\names.nsf"; // need not exist
    ASSERT_NE(Open(2, names), nullptr);
    ASSERT_TRUE(WaitForFolders());
    EXPECT_FALSE(automation::IsVisible(Control(1032)));
    EXPECT_FALSE(automation::IsVisible(Control(1019)));
    EXPECT_EQ(automation::TreeChildTexts(m_tree, Top()), std::vector<std::u16string>{names});
    EXPECT_EQ(notes::CallCount("LNNotesSession::Initialize"), 0);
    Expand(Top());
    ClickBox(Item({u"Lotus Notes", names}), 'T');
    NextToStep4();
    EXPECT_EQ(SelectedFolders(), std::vector<std::u16string>{u"Lotus Notes\\C:\\Notes\\Data\\names.nsf\\"});
    EXPECT_EQ(g_nSelFolderCount, 1);
    BackFromStep4();
    automation::Click(Control(1015));
    EXPECT_EQ(Result(), IDCANCEL);

    ASSERT_NE(Open(3, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    EXPECT_EQ(automation::TreeChildTexts(m_tree, Top()), std::vector<std::u16string>{kMailNsf});
    EXPECT_NE(::SendMessageW(Control(1007), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(notes::CallCount("LNNotesSession::Initialize"), 0);
}

// A database that cannot be opened or listed is said so, and the user can
// go back to choose another file; nothing can be ticked, so Next stays off.
TEST_F(TreeStepTest, AWalkThatCannotReadTheDatabaseSaysSoAndLetsTheUserGoBack)
{
    const std::string whole = ReadHostFile(Host(kMailNsf));
    ASSERT_GT(whole.size(), 64u);
    WriteHostFile(Host(u"C:\\Notes\\Data\\junk.nsf"), "not a database at all");
    WriteHostFile(Host(u"C:\\Notes\\Data\\empty.nsf"), "");
    WriteHostFile(Host(u"C:\\Notes\\Data\\cut.nsf"), whole.substr(0, whole.size() / 3));
    std::string noise(4096, '\0');
    std::uint32_t seed = 12345;
    for (char& byte : noise) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    WriteHostFile(Host(u"C:\\Notes\\Data\\noise.nsf"), noise);
    MakeFolder(u"C:\\Notes\\Data\\folder.nsf");
    const std::u16string tooLong = u"C:\\" + std::u16string(252, u'd') + u".nsf";
    const struct {
        const char* what;
        std::u16string path;
        const char* faultyCall;
    } cases[] = {
        {"missing file", u"C:\\Notes\\Data\\gone.nsf", nullptr},
        {"not a database", u"C:\\Notes\\Data\\junk.nsf", nullptr},
        {"zero-length file", u"C:\\Notes\\Data\\empty.nsf", nullptr},
        {"truncated database", u"C:\\Notes\\Data\\cut.nsf", nullptr},
        {"random bytes", u"C:\\Notes\\Data\\noise.nsf", nullptr},
        {"folder named .nsf", u"C:\\Notes\\Data\\folder.nsf", nullptr},
        {"views cannot be listed", kMailNsf, "LNDatabase::GetViewFolders"},
        {"path beyond the buffer", tooLong, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        if (c.faultyCall)
            notes::SetFault(c.faultyCall, LNERR_DATABASE_CORRUPT);
        user::ClearMessageBoxHistory();
        ASSERT_NE(Open(1, c.path), nullptr);
        Answer(ExpectBox(u"Please check if you have select the correct source file.", 0x1010, nullptr), IDOK);
        ASSERT_TRUE(automation::WaitUntil([&] { return BackEnabled(); }, std::chrono::seconds(60)));
        EXPECT_FALSE(NextEnabled());
        EXPECT_FALSE(automation::IsVisible(Control(1032)));
        EXPECT_FALSE(automation::IsVisible(Control(1019)));
        EXPECT_EQ(::SendMessageW(m_tree, TVM_GETCOUNT, 0, 0), 0);
        if (c.path == tooLong) {
            EXPECT_EQ(notes::CallCount("LNNotesSession::GetDatabase"), 0) << "a cut path is never opened";
        }
        // Back leaves the step as from any other walk.
        automation::Click(Control(1015));
        EXPECT_EQ(Result(), IDCANCEL);
        EXPECT_TRUE(SelectedFolders().empty());
    }
}

// A walk stopped by the step's own end leaves the step as it stands.
TEST_F(TreeStepTest, AStoppedWalkLeavesTheStepBlockedWithoutABox)
{
    g_bTreeStop = 1;
    user::ClearMessageBoxHistory();
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForSessionEnd());
    ASSERT_TRUE(automation::WaitUntil([] { return g_bTreeStop == 0; })) << "the walk resets the flag";
    EXPECT_FALSE(NextEnabled());
    EXPECT_FALSE(BackEnabled());
    EXPECT_TRUE(ProgressShown());
    EXPECT_EQ(::SendMessageW(m_tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(user::MessageBoxHistory().empty()) << "nothing is shown";
    EndTheProgram();
}

TEST_F(TreeStepTest, AViewFolderThatCannotBeOpenedIsSkipped)
{
    notes::SetFault("LNViewFolder::Open", LNERR_NOT_OPEN, 1, 1);
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    ASSERT_TRUE(WaitForFolders());
    std::vector<std::u16string> withoutSent = kTopFolders;
    withoutSent.erase(withoutSent.begin() + 1);
    EXPECT_EQ(automation::TreeChildTexts(m_tree, Top()), withoutSent);
}

TEST_F(TreeStepTest, NotesWithoutASessionSaysSoFromTheWorkerAndTheProgramCanStillEnd)
{
    notes::SetFault("LNNotesSession::Initialize", LNERR_NO_SESSION);
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    Answer(ExpectBox(u"Your Lotus Notes is not confogured, please call Administrator ", 0x1040, nullptr), IDOK);
    EXPECT_FALSE(NextEnabled());
    EXPECT_FALSE(BackEnabled());
    EXPECT_TRUE(ProgressShown());
    EXPECT_EQ(notes::CallCount("LNNotesSession::GetDatabase"), 0);
    EndTheProgram();

    // With the worker's box still up, Exit ends the program and the worker
    // with it: its box goes too.
    ASSERT_NE(Open(1, kMailNsf), nullptr);
    HWND workerBox = automation::WaitForMessageBox();
    ASSERT_NE(workerBox, nullptr);
    automation::Click(Control(1026));
    ASSERT_TRUE(automation::WaitUntil([] { return user::OpenMessageBoxes().size() == 2; }));
    HWND prompt = automation::WaitForMessageBox();
    ASSERT_NE(prompt, workerBox);
    EXPECT_EQ(automation::MessageBoxText(prompt), u"Are you sure you want to exit?");
    automation::AnswerMessageBox(prompt, IDYES);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(workerBox); }));
}

} // namespace

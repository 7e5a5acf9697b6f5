// The open-file dialog and the folder browser driven as a person drives
// them: typing and picking, filters, cancelling, the result buffers, the
// browser's flags, callback and item lists, and the script commands.
#include "ole/Com.h"
#include "testsupport/MachineFixture.h"
#include "user/CommDlg.h"
#include "user/CommonDialogAutomation.h"
#include "user/ControlAutomation.h"
#include "user/MessageBox.h"
#include "user/Messages.h"
#include "user/Script.h"
#include "user/ShlObj.h"
#include "win32/MachineRoot.h"

#include <future>
#include <mutex>

namespace automation = user::automation;

namespace {

class CommonDialogTest : public testsupport::MachineFixture {
protected:
    void SetUp() override
    {
        MachineFixture::SetUp();
        user::ClearMessageBoxHistory();
        for (auto path : {u"C:\\Data\\Sub", u"C:\\Data\\Old", u"C:\\Empty"})
            std::filesystem::create_directories(Host(path));
        for (auto path : {u"C:\\Data\\Mail.NSF", u"C:\\Data\\names.nsf", u"C:\\Data\\notes.txt"})
            WriteHostFile(Host(path), "x");
    }

    struct FileRun {
        OPENFILENAMEW ofn = {};
        WCHAR file[MAX_PATH] = {};
        BOOL result = FALSE;
        DWORD error = 0;
    };

    // Runs GetOpenFileNameW on a thread of its own, as the program's GUI
    // thread would; the filled record comes back when it ends.
    std::future<FileRun*> OpenFile(FileRun& run, LPCWSTR filter, DWORD flags = 0, DWORD maxFile = MAX_PATH)
    {
        run.ofn.lStructSize = sizeof run.ofn;
        run.ofn.lpstrFilter = filter;
        run.ofn.lpstrFile = run.file;
        run.ofn.nMaxFile = maxFile;
        run.ofn.Flags = flags;
        return std::async(std::launch::async, [&run] {
            run.result = GetOpenFileNameW(&run.ofn);
            run.error = CommDlgExtendedError();
            return &run;
        });
    }

    static std::vector<std::u16string> Children(HWND tree, const std::vector<std::u16string>& path)
    {
        return automation::TreeChildTexts(tree, automation::FindTreeItem(tree, path));
    }
};

constexpr LPCWSTR kNsfFilter = u"NSF (*.NSF)\0*.nsf\0";
constexpr LPCWSTR kTwoFilters = u"NSF (*.NSF)\0*.nsf\0All files\0*.*\0";

TEST_F(CommonDialogTest, ATypedPathIsTheResultWithItsNameAndExtensionOffsets)
{
    FileRun run;
    auto done = OpenFile(run, kNsfFilter);
    HWND dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(automation::TextOf(dialog), u"Open");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    ASSERT_TRUE(automation::TypeFileName(dialog, u"c:\\data\\mail.nsf"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    ASSERT_TRUE(run.result);
    // The full form of the path; its case is the one typed.
    EXPECT_EQ(std::u16string(run.file), u"C:\\data\\mail.nsf");
    EXPECT_EQ(run.ofn.nFileOffset, 8);
    EXPECT_EQ(run.ofn.nFileExtension, 13);
    EXPECT_EQ(run.ofn.nFilterIndex, 1u);
}

TEST_F(CommonDialogTest, TheTreeShowsFoldersThenTheFilesOfTheFilterAndAPickedFileIsTheResult)
{
    FileRun run;
    auto done = OpenFile(run, kTwoFilters);
    HWND dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(automation::PickFile(dialog, u"C:\\Data\\names.nsf"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(std::u16string(run.file), u"C:\\Data\\names.nsf");

    FileRun second;
    second.ofn.lpstrInitialDir = u"C:\\Data";
    auto again = OpenFile(second, kTwoFilters);
    dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    HWND tree = GetDlgItem(dialog, kOpenFileTreeId);
    EXPECT_EQ(Children(tree, {u"Computer"}), std::vector<std::u16string>{u"Local Disk (C:)"});
    EXPECT_EQ(Children(tree, {u"Computer", u"Local Disk (C:)", u"Data"}),
              (std::vector<std::u16string>{u"Old", u"Sub", u"Mail.NSF", u"names.nsf"}));

    // The second filter lets every file through, and is the one reported.
    automation::Click(GetDlgItem(dialog, kOpenFileFirstFilterId + 1));
    ASSERT_TRUE(automation::WaitUntil([&] {
        return Children(tree, {u"Computer", u"Local Disk (C:)", u"Data"}).size() == 5;
    }));
    HTREEITEM text = automation::FindTreeItem(tree, {u"Computer", u"Local Disk (C:)", u"Data", u"notes.txt"});
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(automation::ClickTreeItem(tree, text, TVHT_ONITEMLABEL));
    ASSERT_TRUE(automation::WaitUntil(
        [&] { return automation::TextOf(GetDlgItem(dialog, kOpenFileNameId)) == u"notes.txt"; }));
    automation::Click(GetDlgItem(dialog, IDOK));
    ASSERT_EQ(again.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(std::u16string(second.file), u"C:\\Data\\notes.txt");
    EXPECT_EQ(second.ofn.nFilterIndex, 2u);
    EXPECT_EQ(std::u16string(second.file + second.ofn.nFileOffset), u"notes.txt");
}

TEST_F(CommonDialogTest, AFolderNameOpensTheFolderAndANameIsTakenInTheSelectedFolder)
{
    FileRun run;
    auto done = OpenFile(run, kNsfFilter);
    HWND dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    HWND tree = GetDlgItem(dialog, kOpenFileTreeId);
    ASSERT_TRUE(automation::TypeFileName(dialog, u"C:\\Data\\Sub"));
    HTREEITEM sub = nullptr;
    ASSERT_TRUE(automation::WaitUntil([&] {
        sub = automation::FindTreeItem(tree, {u"Computer", u"Local Disk (C:)", u"Data", u"Sub"});
        return sub && SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) == reinterpret_cast<LRESULT>(sub);
    }));
    EXPECT_EQ(automation::TextOf(GetDlgItem(dialog, kOpenFileNameId)), u"");
    EXPECT_EQ(done.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout) << "the dialog stays";

    // Without OFN_FILEMUSTEXIST a name that is not there is still a choice.
    ASSERT_TRUE(automation::TypeFileName(dialog, u"new.nsf"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(std::u16string(run.file), u"C:\\Data\\Sub\\new.nsf");
}

TEST_F(CommonDialogTest, FileMustExistWarnsAndKeepsTheDialogOpen)
{
    FileRun run;
    auto done = OpenFile(run, kNsfFilter, OFN_FILEMUSTEXIST);
    HWND dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(automation::TypeFileName(dialog, u"C:\\Data\\gone.nsf"));
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(automation::MessageBoxText(box), u"C:\\Data\\gone.nsf\nFile not found.\nCheck the file name and try again.");
    automation::AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(automation::WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(dialog));
    automation::PressKey(dialog, VK_ESCAPE);
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(run.error, 0u) << "a cancel is no error";
    EXPECT_EQ(run.file[0], 0);
}

TEST_F(CommonDialogTest, AResultThatDoesNotFitTheBufferFailsWithTheSizeItNeeds)
{
    FileRun run;
    auto done = OpenFile(run, kNsfFilter, 0, 10);
    HWND dialog = automation::WaitForOpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(automation::TypeFileName(dialog, u"C:\\Data\\Mail.NSF"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(run.error, FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(run.file[0], 17) << "the characters of the path and its terminator";
    EXPECT_EQ(run.file[9], 0) << "nothing written past the buffer";
}

// What the browser told its callback, in order.
struct BrowseLog {
    std::mutex mutex;
    std::vector<std::pair<UINT, std::u16string>> events;
    LPCWSTR selectAtStart = nullptr;
    bool enableOk = false;
    int validateAnswer = 1;
};

int LoggingCallback(HWND browser, UINT message, LPARAM parameter, LPARAM data)
{
    auto* log = reinterpret_cast<BrowseLog*>(data);
    std::u16string text;
    if (message == BFFM_SELCHANGED) {
        WCHAR path[MAX_PATH];
        text = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path) ? path : u"<no path>";
    } else if (message == BFFM_VALIDATEFAILEDW) {
        text = reinterpret_cast<LPCWSTR>(parameter);
    }
    {
        std::lock_guard lock(log->mutex);
        log->events.emplace_back(message, text);
    }
    if (message == BFFM_INITIALIZED && log->selectAtStart)
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(log->selectAtStart));
    if (message == BFFM_SELCHANGED && log->enableOk)
        SendMessageW(browser, BFFM_ENABLEOK, 0, 1);
    if (message == BFFM_SELCHANGED)
        SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return message == BFFM_VALIDATEFAILEDW ? log->validateAnswer : 0;
}

class FolderBrowserTest : public CommonDialogTest {
protected:
    struct BrowseRun {
        BROWSEINFOW info = {};
        WCHAR name[MAX_PATH] = {};
        std::u16string path;
        bool chosen = false;
    };

    std::future<void> Browse(BrowseRun& run, UINT flags, BrowseLog* log = nullptr)
    {
        run.info.pszDisplayName = run.name;
        run.info.lpszTitle = u"Pick one";
        run.info.ulFlags = flags;
        if (log) {
            run.info.lpfn = LoggingCallback;
            run.info.lParam = reinterpret_cast<LPARAM>(log);
        }
        return std::async(std::launch::async, [&run] {
            PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&run.info);
            run.chosen = pidl != nullptr;
            WCHAR path[MAX_PATH] = {};
            if (pidl && SHGetPathFromIDListW(pidl, path))
                run.path = path;
            CoTaskMemFree(pidl);
        });
    }
};

TEST_F(FolderBrowserTest, APickedFolderComesBackAsAnItemListWithItsPathAndName)
{
    BrowseRun run;
    auto done = Browse(run, BIF_RETURNONLYFSDIRS);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(automation::TextOf(GetDlgItem(browser, kBrowseTitleId)), u"Pick one");
    EXPECT_FALSE(automation::IsEnabled(GetDlgItem(browser, IDOK))) << "Computer has no file-system path";
    EXPECT_EQ(GetDlgItem(browser, kBrowseEditId), nullptr);
    ASSERT_TRUE(automation::PickFolder(browser, u"C:\\data\\old"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(run.chosen);
    EXPECT_EQ(run.path, u"C:\\Data\\Old");
    EXPECT_EQ(std::u16string(run.name), u"Old");
}

TEST_F(FolderBrowserTest, CancelGivesNoItem)
{
    BrowseRun run;
    auto done = Browse(run, BIF_RETURNONLYFSDIRS);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    automation::Click(GetDlgItem(browser, IDCANCEL));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(run.chosen);
    EXPECT_EQ(run.name[0], 0);
}

TEST_F(FolderBrowserTest, BrowsingForComputersGraysOkForEveryFolderUnlessTheCallbackEnablesIt)
{
    BrowseRun run;
    auto done = Browse(run, BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_BROWSEFORCOMPUTER);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_FALSE(automation::PickFolder(browser, u"C:\\Data"));
    EXPECT_FALSE(automation::IsEnabled(GetDlgItem(browser, IDOK)));
    automation::PressKey(browser, VK_RETURN);
    automation::PressKey(browser, VK_ESCAPE);
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(run.chosen) << "Enter does not press a grayed OK";

    BrowseLog log;
    log.enableOk = true;
    BrowseRun enabled;
    auto second = Browse(enabled, BIF_BROWSEFORCOMPUTER, &log);
    browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(automation::PickFolder(browser, u"C:\\Data"));
    ASSERT_EQ(second.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(enabled.path, u"C:\\Data");
}

TEST_F(FolderBrowserTest, TheCallbackHearsInitialisedThenEachSelectionAndMaySelectAFolderByPath)
{
    BrowseLog log;
    log.selectAtStart = u"C:\\Data\\Sub";
    BrowseRun run;
    auto done = Browse(run, BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT, &log);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(automation::TextOf(GetDlgItem(browser, kBrowseStatusId)), u"C:\\Data\\Sub");
    ASSERT_TRUE(automation::PickFolder(browser, u"C:\\Empty"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(run.path, u"C:\\Empty");
    std::lock_guard lock(log.mutex);
    ASSERT_GE(log.events.size(), 3u);
    EXPECT_EQ(log.events[0].first, BFFM_INITIALIZED);
    EXPECT_EQ(log.events[1], std::make_pair(BFFM_SELCHANGED, std::u16string(u"C:\\Data\\Sub")))
        << "one change for the selection the callback made, none for the start";
    EXPECT_EQ(log.events.back(), std::make_pair(BFFM_SELCHANGED, std::u16string(u"C:\\Empty")));
}

TEST_F(FolderBrowserTest, TheEditBoxTakesAFolderOfTheSelectionAndValidatesOtherNames)
{
    BrowseLog log;
    log.selectAtStart = u"C:\\Data";
    BrowseRun run;
    auto done = Browse(run, BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE, &log);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(automation::TextOf(GetDlgItem(browser, kBrowseEditId)), u"Data");

    // A name that is no folder: the callback hears it and keeps the browser.
    ASSERT_TRUE(automation::TypeFolderName(browser, u"Nowhere"));
    ASSERT_TRUE(automation::WaitUntil([&] {
        std::lock_guard lock(log.mutex);
        return log.events.back() == std::make_pair(BFFM_VALIDATEFAILEDW, std::u16string(u"Nowhere"));
    }));
    EXPECT_EQ(done.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);

    ASSERT_TRUE(automation::TypeFolderName(browser, u"sub"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(run.path, u"C:\\Data\\Sub") << "the folder's own name, found in the selected folder";

    // A callback that answers 0 lets the browser close on a bad name, with nothing chosen.
    log.validateAnswer = 0;
    BrowseRun dismissed;
    auto second = Browse(dismissed, BIF_EDITBOX | BIF_VALIDATE, &log);
    browser = automation::WaitForFolderBrowser();
    ASSERT_TRUE(automation::TypeFolderName(browser, u"C:\\Nowhere"));
    ASSERT_EQ(second.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(dismissed.chosen);
}

TEST_F(FolderBrowserTest, WithoutValidationABadNameLeavesTheSelection)
{
    BrowseLog log;
    log.selectAtStart = u"C:\\Data\\Old";
    BrowseRun run;
    auto done = Browse(run, BIF_RETURNONLYFSDIRS | BIF_EDITBOX, &log);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(automation::TypeFolderName(browser, u"Nowhere"));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(run.path, u"C:\\Data\\Old");
}

TEST_F(CommonDialogTest, ItemListsNameExistingPathsAndTheComputerHasNoPath)
{
    PIDLIST_ABSOLUTE data = ILCreateFromPathW(u"c:\\DATA\\sub");
    ASSERT_NE(data, nullptr);
    WCHAR path[MAX_PATH] = {u'?'};
    ASSERT_TRUE(SHGetPathFromIDListW(data, path));
    EXPECT_EQ(std::u16string(path), u"C:\\Data\\Sub");
    ILFree(data);

    PIDLIST_ABSOLUTE drive = ILCreateFromPathW(u"C:\\");
    ASSERT_TRUE(SHGetPathFromIDListW(drive, path));
    EXPECT_EQ(std::u16string(path), u"C:\\");
    CoTaskMemFree(drive);

    EXPECT_EQ(ILCreateFromPathW(u"C:\\Missing"), nullptr);
    ITEMIDLIST computer = {};
    EXPECT_FALSE(SHGetPathFromIDListW(&computer, path));
    EXPECT_EQ(path[0], 0);
}

TEST_F(CommonDialogTest, ScriptsChooseFilesByTypingOrPickingAndFoldersByPicking)
{
    FileRun typed, picked;
    auto first = OpenFile(typed, kNsfFilter);
    auto result = automation::RunScript("choose-file \"C:\\\\Data\\\\Mail.NSF\"\n", m_root);
    EXPECT_TRUE(result.ok) << result.message;
    ASSERT_EQ(first.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(std::u16string(typed.file), u"C:\\Data\\Mail.NSF");

    auto second = OpenFile(picked, kNsfFilter);
    result = automation::RunScript("pick-file \"C:\\\\Data\\\\names.nsf\"\n", m_root);
    EXPECT_TRUE(result.ok) << result.message;
    ASSERT_EQ(second.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(std::u16string(picked.file), u"C:\\Data\\names.nsf");

    BROWSEINFOW info = {};
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    auto browse = std::async(std::launch::async, [&info] {
        PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info);
        WCHAR path[MAX_PATH] = {};
        SHGetPathFromIDListW(pidl, path);
        CoTaskMemFree(pidl);
        return std::u16string(path);
    });
    result = automation::RunScript("choose-folder \"C:\\\\Empty\"\n", m_root);
    EXPECT_TRUE(result.ok) << result.message;
    ASSERT_EQ(browse.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(browse.get(), u"C:\\Empty");

    result = automation::RunScript("timeout 200\npick-file \"C:\\\\Data\\\\names.nsf\"\n", m_root);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(result.message, "no open-file dialog came");
}

} // namespace

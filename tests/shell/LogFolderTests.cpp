// The log-folder dialog, opened from step 1's Log / Change Path, and the
// folder browser it runs: what Apply stores and refuses, Browse, Cancel;
// the browser's results, its initial folder and its validation.
#include "CFolderDialog.h"
#include "StepFixture.h"
#include "win32/MachineRoot.h"
#include "user/ShlObj.h"
#include "win32/Shell.h"

#include <future>

namespace {

constexpr UINT kChangePath = 32774;
constexpr int kLogPath = 1012;
constexpr int kBrowse = 1004;

class LogFolderTest : public StepFixture {
protected:
    void SetUp() override
    {
        StepFixture::SetUp();
        MakeFolder(u"C:\\Logs");
        SetSetting(u"LogPath", u"C:\\Logs");
        m_main = Start();
    }

    HWND OpenLogDialog()
    {
        EXPECT_TRUE(automation::ChooseMenuCommand(m_main, kChangePath));
        HWND dialog = WaitForStep(kLogPath);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    static std::u16string Setting()
    {
        WCHAR value[MAX_PATH] = {};
        ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", value);
        return value;
    }

    // Apply: the dialog closes in every case.
    static void Apply(HWND dialog)
    {
        automation::Click(::GetDlgItem(dialog, IDOK));
    }

    void ExpectRefused(HWND dialog)
    {
        HWND box = ExpectBox(u"Path Does't exists", 0x1010, dialog);
        ASSERT_NE(box, nullptr);
        Answer(box, IDOK);
        EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(dialog); })) << "a refused folder closes it too";
        EXPECT_EQ(Setting(), u"C:\\Logs");
        EXPECT_EQ(std::u16string(g_szLogDir), u"C:\\Logs");
    }
};

TEST_F(LogFolderTest, ApplyStoresAnExistingPathAndRefusesTheRest)
{
    ASSERT_NE(m_main, nullptr);
    HWND dialog = OpenLogDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(dialog, kLogPath)), u"C:\\Logs");
    EXPECT_EQ(automation::TextOf(dialog), u"Pellinor for Lotus Notes NSF - MS Outlook PST");
    SetText(dialog, kLogPath, u"");
    Apply(dialog);
    ExpectRefused(dialog);

    dialog = OpenLogDialog();
    SetText(dialog, kLogPath, u"C:\\Missing");
    Apply(dialog);
    ExpectRefused(dialog);

    // A text longer than the log folder's buffer is refused, never cut.
    MakeFolder(u"C:\\" + std::u16string(150, u'a') + u"\\" + std::u16string(120, u'b'));
    dialog = OpenLogDialog();
    SetText(dialog, kLogPath, u"C:\\" + std::u16string(150, u'a') + u"\\" + std::u16string(120, u'b'));
    Apply(dialog);
    ExpectRefused(dialog);

    // A file passes the existence test like a folder, stored as typed.
    PutFile(u"C:\\Logs\\notes.txt", "x");
    dialog = OpenLogDialog();
    SetText(dialog, kLogPath, u"C:\\Logs\\notes.txt");
    Apply(dialog);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_EQ(Setting(), u"C:\\Logs\\notes.txt");
    EXPECT_EQ(std::u16string(g_szLogDir), u"C:\\Logs\\notes.txt");
    EXPECT_EQ(user::MessageBoxHistory().size(), 3u);

    // The next message goes into the new folder; the old log stays.
    MakeFolder(u"C:\\NewLogs");
    dialog = OpenLogDialog();
    SetText(dialog, kLogPath, u"C:\\NewLogs");
    Apply(dialog);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(dialog); }));
    automation::Click(::GetDlgItem(m_main, IDOK));
    HWND step = WaitForStep(kStep2Control);
    ASSERT_NE(step, nullptr);
    EXPECT_NE(ReadHostFile(Host(u"C:\\NewLogs\\Activity Log.txt")).find("Step 1 :"), std::string::npos);
    EXPECT_NE(ReadHostFile(Host(u"C:\\Logs\\Activity Log.txt")).find("Start"), std::string::npos);
}

// A relative folder that exists from the current folder is stored as
// typed; a registry that cannot be written leaves the writer where it was
// while View Log follows the new folder.
TEST_F(LogFolderTest, ARelativeFolderIsStoredAsTypedAndAnUnwritableSettingOnlyMovesViewLog)
{
    ASSERT_NE(m_main, nullptr);
    MakeFolder(u"C:\\Work\\Logs");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\Work"));
    HWND dialog = OpenLogDialog();
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, kLogPath, u"Logs");
    Apply(dialog);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(dialog); }));
    SetCurrentDirectoryW(u"C:\\");
    EXPECT_EQ(Setting(), u"Logs");
    EXPECT_EQ(std::u16string(g_szLogDir), u"Logs");
    EXPECT_TRUE(user::MessageBoxHistory().empty());

    SetSetting(u"LogPath", u"C:\\Logs");
    ::setenv("MARLWICK_REGISTRY_READONLY", "HKEY_CLASSES_ROOT", 1);
    MakeFolder(u"C:\\Other");
    dialog = OpenLogDialog();
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, kLogPath, u"C:\\Other");
    Apply(dialog);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(user::MessageBoxHistory().empty()) << "nothing is reported";
    EXPECT_EQ(Setting(), u"C:\\Logs");
    EXPECT_EQ(std::u16string(g_szLogDir), u"C:\\Other");
    automation::Click(::GetDlgItem(m_main, 1004));
    ASSERT_TRUE(automation::WaitUntil([] { return !win32::ReadShellJournal().empty(); }));
    EXPECT_EQ(win32::ReadShellJournal().back().parameters, u"C:\\Other\\Activity Log.txt");
    automation::Click(::GetDlgItem(m_main, IDOK));
    ASSERT_NE(WaitForStep(kStep2Control), nullptr);
    EXPECT_NE(ReadHostFile(Host(u"C:\\Logs\\Activity Log.txt")).find("Step 1 :"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Other\\Activity Log.txt")));
}

TEST_F(LogFolderTest, BrowseFillsTheBoxAndCancelChangesNothing)
{
    ASSERT_NE(m_main, nullptr);
    MakeFolder(u"C:\\Other\\Logs");
    HWND dialog = OpenLogDialog();
    ASSERT_NE(dialog, nullptr);
    automation::Click(::GetDlgItem(dialog, kBrowse));
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(::GetWindow(browser, GW_OWNER), dialog);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(browser, kBrowseTitleId)), u"Select Folder:");
    automation::PressKey(browser, VK_ESCAPE);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(browser); }));
    Settle(dialog);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(dialog, kLogPath)), u"C:\\Logs") << "a cancelled browser";

    automation::Click(::GetDlgItem(dialog, kBrowse));
    browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(automation::PickFolder(browser, u"C:\\Other\\Logs"));
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(browser); }));
    Settle(dialog);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(dialog, kLogPath)), u"C:\\Other\\Logs");
    EXPECT_EQ(Setting(), u"C:\\Logs") << "nothing is stored before Apply";

    // Escape is Cancel: no message, no change.
    automation::PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(user::MessageBoxHistory().empty());
    EXPECT_EQ(Setting(), u"C:\\Logs");
    EXPECT_EQ(std::u16string(g_szLogDir), u"C:\\Logs");

    // The next run shows the log folder again, not what was left unapplied.
    dialog = OpenLogDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(automation::TextOf(::GetDlgItem(dialog, kLogPath)), u"C:\\Logs");
    automation::PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(automation::WaitUntil([&] { return !::IsWindow(dialog); }));
}

// The folder browser alone, on a GUI thread of its own.
class FolderDialogTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        user::SetMessageBoxAnswerer(nullptr);
        std::filesystem::create_directories(Host(u"C:\\Bak\\Deep"));
    }

    void Run(const char16_t* initial, UINT flags)
    {
        m_run = std::async(std::launch::async, [this, initial, flags] {
            CFolderDialog dialog(u"Select Folder:", initial, nullptr, flags);
            INT_PTR result = dialog.DoModal();
            m_path = dialog.GetFolderPath();
            return result;
        });
    }

    INT_PTR Result() { return m_run.wait_for(std::chrono::seconds(20)) == std::future_status::ready ? m_run.get() : 0; }

    std::future<INT_PTR> m_run;
    std::u16string m_path;
};

TEST_F(FolderDialogTest, CancelGivesCancelAndAnInitialFolderIsSelected)
{
    Run(nullptr, 0x51);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    automation::PressKey(browser, VK_ESCAPE);
    EXPECT_EQ(Result(), IDCANCEL);
    EXPECT_EQ(m_path, u"");

    Run(u"C:\\Bak\\Deep", 0x51);
    browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    automation::Click(::GetDlgItem(browser, IDOK));
    EXPECT_EQ(Result(), IDOK);
    EXPECT_EQ(m_path, u"C:\\Bak\\Deep");
}

TEST_F(FolderDialogTest, AnItemWithoutAFileSystemPathGivesMinusOne)
{
    // Without the file-system flag the machine's top item can be chosen.
    Run(nullptr, 0x40);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    automation::Click(::GetDlgItem(browser, IDOK));
    EXPECT_EQ(Result(), -1);
}

TEST_F(FolderDialogTest, ValidationBeepsAtANameThatIsNoFolderAndKeepsTheBrowserOpen)
{
    Run(u"C:\\Bak", 0x51 | BIF_VALIDATE);
    HWND browser = automation::WaitForFolderBrowser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(automation::TypeFolderName(browser, u"C:\\NoSuchFolder"));
    ASSERT_TRUE(automation::WaitUntil([] { return !user::BeepHistory().empty(); }));
    EXPECT_EQ(user::BeepHistory().back(), static_cast<UINT>(MB_ICONHAND));
    EXPECT_TRUE(::IsWindow(browser)) << "still open";
    ASSERT_TRUE(automation::TypeFolderName(browser, u"C:\\Bak\\Deep"));
    EXPECT_EQ(Result(), IDOK);
    EXPECT_EQ(m_path, u"C:\\Bak\\Deep");
}

} // namespace

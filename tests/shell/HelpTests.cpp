#include "Help.h"
#include "MarlwickApp.h"
#include "afx/Wnd.h"
#include "ShellFixture.h"
#include "win32/Environment.h"
#include "win32/MachineRoot.h"
#include "win32/Shell.h"
#include "user/Help.h"
#include "user/Window.h"

class HelpTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        MakeFolder(u"C:\\Program Files\\Pellinor");
        SetSetting(u"FilePath", u"C:\\Program Files\\Pellinor");
        SetEnvironmentVariableW(u"PATH", u"C:\\Windows\\system32;C:\\Windows");
    }

    std::u16string SearchPath()
    {
        WCHAR buffer[4096];
        DWORD n = GetEnvironmentVariableW(u"PATH", buffer, 4096);
        return n ? std::u16string(buffer) : u"<unset>";
    }
};

TEST_F(HelpTest, WithoutAHelpFileAllThreeAttemptsAreMade)
{
    EXPECT_LE(OpenHelpFile(), 32);
    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[0].file, u"Pellinor for Lotes Notes NSF - MS Outlook PST.chm");
    EXPECT_EQ(journal[1].file, u"C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm");
    EXPECT_EQ(journal[2].file, u"C:\\Windows\\hh.exe");
    EXPECT_EQ(journal[2].parameters, journal[1].file);
    for (const auto& record : journal) {
        EXPECT_EQ(record.verb, u"open");
        EXPECT_EQ(record.show, SW_SHOWNORMAL);
    }
}

TEST_F(HelpTest, TheFileInTheInstallFolderOpensAtTheSecondAttempt)
{
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm"), "<html/>");
    EXPECT_GT(OpenHelpFile(), 32);
    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_LE(journal[0].result, 32);
    EXPECT_GT(journal[1].result, 32);
}

TEST_F(HelpTest, AFileInTheCurrentFolderOpensAtOnce)
{
    MakeFolder(u"C:\\Work");
    WriteHostFile(Host(u"C:\\Work\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm"), "<html/>");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\Work"));
    EXPECT_GT(OpenHelpFile(), 32);
    EXPECT_EQ(win32::ReadShellJournal().size(), 1u);
    SetCurrentDirectoryW(u"C:\\");
}

TEST_F(HelpTest, AnInstallFolderWithATrailingBackslashStillFindsTheFile)
{
    SetSetting(u"FilePath", u"C:\\Program Files\\Pellinor\\");
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm"), "<html/>");
    EXPECT_GT(OpenHelpFile(), 32);
}

// Without an install folder the file is looked for at the root of the
// current drive.
TEST_F(HelpTest, WithoutAnInstallFolderTheRootOfTheDriveIsTried)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, u"FilePath");
    RegCloseKey(key);
    EXPECT_LE(OpenHelpFile(), 32);
    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[1].file, u"\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm");
    EXPECT_EQ(journal[2].parameters, u"\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm");

    WriteHostFile(Host(u"C:\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm"), "<html/>");
    MakeFolder(u"C:\\Work");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\Work"));
    EXPECT_GT(OpenHelpFile(), 32);
    SetCurrentDirectoryW(u"C:\\");
    EXPECT_EQ(win32::ReadShellJournal().size(), 5u) << "the second attempt opens it";
}

TEST_F(HelpTest, EveryRequestAddsTheInstallFolderToTheSearchPathAgain)
{
    OpenHelpFile();
    OpenHelpFile();
    OpenHelpFile();
    EXPECT_EQ(SearchPath(), u"C:\\Windows\\system32;C:\\Windows;C:\\Program Files\\Pellinor;"
                            u";C:\\Program Files\\Pellinor;;C:\\Program Files\\Pellinor;");
}

TEST_F(HelpTest, NoSearchPathIsNotCreated)
{
    SetEnvironmentVariableW(u"PATH", nullptr);
    OpenHelpFile();
    EXPECT_EQ(SearchPath(), u"<unset>");
    EXPECT_EQ(win32::ReadShellJournal().size(), 3u);
}

TEST_F(HelpTest, ASearchPathThatWouldOverflowItsBufferIsLeftAlone)
{
    std::u16string full = u"C:\\" + std::u16string(2020, u'p');
    SetEnvironmentVariableW(u"PATH", full.c_str());
    OpenHelpFile();
    EXPECT_EQ(SearchPath(), full);
    std::u16string tooLong(3000, u'q');
    SetEnvironmentVariableW(u"PATH", tooLong.c_str());
    OpenHelpFile();
    EXPECT_EQ(SearchPath(), tooLong);
}

namespace {

int g_helpAsked = 0;

LRESULT CountHelp(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP) {
        ++g_helpAsked;
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

// The application's map takes the framework's help command, and only it,
// to the framework's handler, which asks the main window for help.
TEST_F(HelpTest, TheApplicationTakesTheHelpCommandToItsMainWindow)
{
    CMarlwickApp app;
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = CountHelp;
    cls.lpszClassName = u"MarlwickHelpProbe";
    ASSERT_TRUE(RegisterClassExW(&cls));
    HWND window = CreateWindowExW(0, u"MarlwickHelpProbe", u"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(window);
    CWnd main;
    main.Attach(window);
    app.m_pMainWnd = &main;
    g_helpAsked = 0;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(g_helpAsked, 1);
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1, CN_COMMAND, nullptr, nullptr));
    app.m_pMainWnd = nullptr;
    main.Detach();
    DestroyWindow(window);
    UnregisterClassW(u"MarlwickHelpProbe", nullptr);
}

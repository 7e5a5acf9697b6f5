#include "testsupport/MachineFixture.h"
#include "win32/Environment.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"
#include "win32/Process.h"
#include "win32/Shell.h"

#include <chrono>
#include <thread>

namespace fs = std::filesystem;

class ShellTest : public testsupport::MachineFixture {
protected:
    int Open(LPCWSTR file, LPCWSTR params = nullptr, LPCWSTR dir = nullptr)
    {
        return static_cast<int>(
            reinterpret_cast<std::intptr_t>(ShellExecuteW(nullptr, u"open", file, params, dir, SW_SHOWNORMAL)));
    }

    // A program of the root that writes the command line it was given.
    void LayRecorder(const fs::path& at, const fs::path& output)
    {
        WriteHostFile(at, "#!/bin/sh\nprintf '%s' \"$MARLWICK_CMDLINE\" > '" + output.string() + ".tmp'\nmv '"
                              + output.string() + ".tmp' '" + output.string() + "'\n");
        fs::permissions(at, fs::perms::owner_all);
    }

    // A loaded machine may take many seconds to start the program.
    static bool WaitFor(const fs::path& file)
    {
        for (int i = 0; i < 3000 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return fs::exists(file);
    }
};

TEST_F(ShellTest, ProgramsOfTheRootRunWithTheirCommandLine)
{
    fs::path out = m_root / "cmdline.txt";
    LayRecorder(Host(u"C:\\Windows\\Notepad.exe"), out);
    EXPECT_GT(Open(u"C:\\Windows\\Notepad.exe", u"C:\\Logs\\Activity Log.txt"), 32);
    ASSERT_TRUE(WaitFor(out));
    EXPECT_EQ(ReadHostFile(out), "\"C:\\Windows\\Notepad.exe\" C:\\Logs\\Activity Log.txt");

    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].verb, u"open");
    EXPECT_EQ(journal[0].file, u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(journal[0].parameters, u"C:\\Logs\\Activity Log.txt");
    EXPECT_EQ(journal[0].show, SW_SHOWNORMAL);
    EXPECT_GT(journal[0].result, 32);
}

TEST_F(ShellTest, BareProgramNamesAreFoundOnTheSearchPathButDocumentsAreNot)
{
    fs::path out = m_root / "ran.txt";
    LayRecorder(Host(u"C:\\Tools\\hh.exe"), out);
    WriteHostFile(Host(u"C:\\Tools\\Guide.chm"), "<html></html>");
    SetEnvironmentVariableW(u"PATH", u"C:\\Windows;C:\\Tools;");
    EXPECT_GT(Open(u"HH.EXE"), 32);
    EXPECT_TRUE(WaitFor(out));
    EXPECT_EQ(Open(u"Guide.chm"), SE_ERR_FNF);
    EXPECT_GT(Open(u"C:\\Tools\\Guide.chm"), 32);
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\Tools"));
    EXPECT_GT(Open(u"guide.CHM"), 32);
    SetCurrentDirectoryW(u"C:\\");
}

TEST_F(ShellTest, FailuresFollowTheResultRule)
{
    EXPECT_EQ(Open(u"C:\\missing.chm"), SE_ERR_FNF);
    EXPECT_EQ(Open(u"C:\\no\\such\\file.txt"), SE_ERR_PNF);
    EXPECT_EQ(Open(nullptr), SE_ERR_FNF);
    WriteHostFile(Host(u"C:\\README"), "x");
    EXPECT_EQ(Open(u"C:\\README"), SE_ERR_NOASSOC);
    WriteHostFile(Host(u"C:\\data.exe"), "not a program");
    EXPECT_EQ(Open(u"C:\\data.exe"), SE_ERR_ACCESSDENIED);
    EXPECT_GT(Open(u"https://example.com/support"), 32);
    EXPECT_EQ(win32::ReadShellJournal().size(), 6u);
}

TEST_F(ShellTest, DocumentsGoToTheHostOpener)
{
    fs::path seen = m_root / "opened.txt";
    fs::path opener = m_root / "opener.sh";
    // Written aside and moved, so that the file is whole once it is there.
    WriteHostFile(opener, "#!/bin/sh\nprintf '%s' \"$1\" > '" + seen.string() + ".tmp'\nmv '" + seen.string()
                              + ".tmp' '" + seen.string() + "'\n");
    fs::permissions(opener, fs::perms::owner_all);
    setenv("MARLWICK_OPENER", opener.c_str(), 1);
    WriteHostFile(Host(u"C:\\Guide.chm"), "<html></html>");
    EXPECT_GT(Open(u"c:\\guide.chm"), 32);
    ASSERT_TRUE(WaitFor(seen));
    EXPECT_EQ(fs::path(ReadHostFile(seen)), Host(u"C:\\Guide.chm"));
}

TEST(Environment, TheWindowsSearchPathIsKeptApartFromTheHostPath)
{
    std::string hostPath = getenv("PATH");
    ASSERT_TRUE(SetEnvironmentVariableW(u"Path", u"C:\\Windows;C:\\Pellinor;"));
    EXPECT_EQ(std::string(getenv("PATH")), hostPath);
    WCHAR buffer[64];
    EXPECT_EQ(GetEnvironmentVariableW(u"PATH", buffer, 64), 23u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\Windows;C:\\Pellinor;");
    // Too small a buffer gives the size needed, terminator included.
    EXPECT_EQ(GetEnvironmentVariableW(u"PATH", buffer, 5), 24u);
    ASSERT_TRUE(SetEnvironmentVariableW(u"PATH", nullptr));
    EXPECT_EQ(GetEnvironmentVariableW(u"PATH", buffer, 64), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST(CommandLine, SplitsAsTheWindowsRuntimeDoes)
{
    using V = std::vector<std::u16string>;
    EXPECT_EQ(win32::SplitCommandLine(u"\"C:\\Windows\\System32\\regsvr32.exe\" /s \"C:\\P F\\Brenmoor.dll\""),
              (V{u"C:\\Windows\\System32\\regsvr32.exe", u"/s", u"C:\\P F\\Brenmoor.dll"}));
    EXPECT_EQ(win32::SplitCommandLine(u"a\\\\\"b c\" d\\e  \"\""), (V{u"a\\b c", u"d\\e", u""}));
    EXPECT_EQ(win32::SplitCommandLine(u"  "), V{});
}

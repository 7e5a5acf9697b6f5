// Scripts that drive a small dialog program from start to end, and what a
// failing script reports.
#include "ScriptModule.h"
#include "user/Automation.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Menu.h"
#include "user/MessageBox.h"
#include "user/Messages.h"
#include "user/Script.h"

#include "gdi/PngFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <unistd.h>

namespace automation = user::automation;

namespace {

const char* kProgram = R"rc(
130 MENU
BEGIN
    POPUP "&Log"
    BEGIN
        MENUITEM "&Clear", 32773
    END
END

900 DIALOGEX 0, 0, 220, 120
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE
CAPTION "Small Program"
MENU 130
FONT 8, "MS Shell Dlg"
BEGIN
    AUTORADIOBUTTON "Mails", 1010, 10, 10, 60, 10, WS_GROUP | WS_TABSTOP
    AUTORADIOBUTTON "Calendar", 1048, 10, 24, 60, 10
    EDITTEXT 1012, 10, 40, 100, 14, ES_AUTOHSCROLL | WS_GROUP
    LTEXT "", 1047, 10, 60, 150, 10
    PUSHBUTTON "Exit", 1006, 10, 100, 50, 14
    DEFPUSHBUTTON "Next", IDOK, 160, 100, 50, 14
END

901 DIALOGEX 0, 0, 120, 60
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Step 2"
FONT 8, "MS Shell Dlg"
BEGIN
    PUSHBUTTON "Back", IDCANCEL, 10, 40, 50, 14
END
)rc";

HINSTANCE Module()
{
    static HINSTANCE module = RegisterScript(kProgram, 0x77AA);
    return module;
}

INT_PTR StepProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
    return msg == WM_INITDIALOG || msg == WM_COMMAND;
}

// The program: Next shows what was chosen and runs step 2 as the wizard
// does; Log / Clear and Exit ask; the system menu's About item answers.
INT_PTR MainProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        HMENU system = GetSystemMenu(dialog, FALSE);
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, 0x10, u"&About Small Program");
        CheckDlgButton(dialog, 1010, BST_CHECKED);
        return TRUE;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == 0x10) {
            SetDlgItemTextW(dialog, 1047, u"About");
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            WCHAR folder[64];
            GetDlgItemTextW(dialog, 1012, folder, 64);
            std::u16string shown = IsDlgButtonChecked(dialog, 1048) ? u"Calendar: " : u"Mails: ";
            SetDlgItemTextW(dialog, 1047, (shown + folder).c_str());
            ShowWindow(dialog, SW_HIDE);
            DialogBoxParamW(Module(), 901, nullptr, StepProc, 0);
            ShowWindow(dialog, SW_SHOWNORMAL);
            return TRUE;
        }
        case 32773:
            if (MessageBoxW(dialog, u"Clear the log?", u"Small Program", MB_YESNO | MB_ICONQUESTION) == IDYES)
                SetDlgItemTextW(dialog, 1047, u"Cleared");
            return TRUE;
        case 1006:
        case IDCANCEL:
            if (MessageBoxW(dialog, u"Are you sure you want to exit?", u"Small Program",
                            MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL)
                == IDYES)
                EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

// The script folders of test processes that ended without their TearDown:
// a death test's child leaves the test from inside it.
void RemoveFoldersOfEndedProcesses()
{
    const std::string prefix = "marlwick-script-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (*end != '\0' || pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        std::filesystem::remove_all(entry.path(), error);
    }
}

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::SetMessageBoxAnswerer(nullptr);
        RemoveFoldersOfEndedProcesses();
        m_folder = std::filesystem::temp_directory_path() / ("marlwick-script-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::future<INT_PTR> StartProgram()
    {
        return std::async(std::launch::async, [] { return DialogBoxParamW(Module(), 900, nullptr, MainProc, 0); });
    }

    std::filesystem::path Write(const std::string& text)
    {
        auto path = m_folder / "run.txt";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::filesystem::path m_folder;
};

TEST_F(ScriptTest, AScriptDrivesTheProgramToItsEnd)
{
    auto program = StartProgram();
    auto result = automation::RunScriptFile(Write(R"(# a whole run of the small program
wait-window "Small Program"
expect-check 1010 1
click 1048
expect-check 1048 1
expect-check 1010 0
click 1012
type "Inbox \"2\""
expect-text 1012 "Inbox \"2\""
menu 32773
expect-box "Clear the log?"
answer NO
expect-text 1047 ""
sysmenu 16
expect-text 1047 "About"
key RETURN
wait-window "Step 2"
expect-enabled 2 1
key ESCAPE
wait-window "Small Program"
expect-text 1047 "Calendar: Inbox \"2\""
expect-visible 1047 1
screenshot "end.png"
click 1006
answer YES
)"));
    EXPECT_TRUE(result.ok) << "line " << result.line << ": " << result.message;
    ASSERT_EQ(program.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(program.get(), 0); // ended through the exit question
    auto shot = gdi::ReadPng(m_folder / "end.png");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->Width(), GetSystemMetrics(SM_CXSCREEN));
}

TEST_F(ScriptTest, AFailureNamesItsLineAndWhatFailed)
{
    auto program = StartProgram();
    auto result = automation::RunScript("wait-window \"Small Program\"\n\ntimeout 50\nexpect-text 1047 \"Done\"\n", m_folder);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 4);
    EXPECT_EQ(result.message, "control 1047 shows \"\", not \"Done\"");

    result = automation::RunScript("timeout 50\nmenu 4242\n", m_folder);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(result.message, "the menus of the active window hold no command 4242");
    result = automation::RunScript("  # fine\njump 3\n", m_folder);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(result.message, "unknown command jump");
    result = automation::RunScript("type \"open\n", m_folder);
    EXPECT_EQ(result.message, "unterminated text");
    result = automation::RunScript("key F99\n", m_folder);
    EXPECT_EQ(result.message, "unknown key F99");
    result = automation::RunScript("timeout 50\nwait-window \"Nobody\"\n", m_folder);
    EXPECT_EQ(result.message, "no window \"Nobody\" came");
    result = automation::RunScript("tick-tree-item 1012\n", m_folder);
    EXPECT_EQ(result.message, "tick-tree-item needs 2 argument(s)");
    result = automation::RunScript("timeout 50\ntick-tree-item 1012 \"Lotus Notes\" \"Inbox\"\n", m_folder);
    EXPECT_EQ(result.message, "the tree 1012 holds no item Inbox");

    EXPECT_TRUE(automation::RunScript("close\nanswer YES\n", m_folder).ok); // the close box asks, Yes ends it
    EXPECT_EQ(program.wait_for(std::chrono::seconds(60)), std::future_status::ready);
}

TEST_F(ScriptTest, AFailingScriptFromTheEnvironmentEndsTheProcessWithItsCode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto path = Write("timeout 20\nwait-window \"Never\"\n");
    EXPECT_EXIT(
        {
            setenv("MARLWICK_SCRIPT", path.c_str(), 1);
            automation::StartScriptFromEnvironment();
            for (;;)
                pause();
        },
        ::testing::ExitedWithCode(automation::kScriptFailureExitCode), "run.txt:2: no window \"Never\" came");
    unsetenv("MARLWICK_SCRIPT");
    EXPECT_FALSE(automation::StartScriptFromEnvironment());
}

} // namespace

namespace {

TEST_F(ScriptTest, ARelativeScriptNameIsTakenFromTheFolderTheProcessStartedIn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto path = Write("timeout 20\nwait-window \"Never\"\n");
    // The whole path: the folder of a re-run death test has its own number.
    const std::string expected =
        path.parent_path().parent_path().string() + "/marlwick-script-[0-9]+/run.txt:2: no window \"Never\" came";
    EXPECT_EXIT(
        {
            if (chdir(path.parent_path().c_str()) != 0)
                _exit(8);
            setenv("MARLWICK_SCRIPT", "run.txt", 1);
            automation::StartScriptFromEnvironment();
            // The programs this one starts are not driven by its script.
            if (getenv("MARLWICK_SCRIPT"))
                _exit(9);
            if (chdir("/") != 0)
                _exit(8);
            for (;;)
                pause();
        },
        ::testing::ExitedWithCode(automation::kScriptFailureExitCode), expected);
}

TEST_F(ScriptTest, AScriptThatEndsWhileTheProgramStillRunsEndsItWithTheFailureCode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto path = Write("timeout 50\n\n# nothing more\n");
    EXPECT_EXIT(
        {
            setenv("MARLWICK_SCRIPT", path.c_str(), 1);
            automation::StartScriptFromEnvironment();
            for (;;)
                pause();
        },
        ::testing::ExitedWithCode(automation::kScriptFailureExitCode),
        "run.txt:3: the script ended while the program still runs");
}

} // namespace

// Running scripts: each command through the automation interface, on the
// program's active window; the first failure ends the run with its line.
#include "ScriptLines.h"

#include "display/Display.h"
#include "user/Automation.h"
#include "user/CommonDialogAutomation.h"
#include "user/ControlAutomation.h"
#include "user/Input.h"
#include "user/MessageBox.h"
#include "user/Messages.h"
#include "user/Script.h"
#include "win32/WideString.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace user::automation {

namespace {

struct Failure {
    std::string message;
};

// Set when the program's run ends: its main loop returned, or it exits.
std::atomic<bool> g_runEnded{false};

// Gives a program whose script has ended the time to end by itself. Touches
// nothing but the flag, since the process may be exiting around it.
bool WaitForTheRunToEnd(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!g_runEnded && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return g_runEnded;
}

class Runner {
public:
    explicit Runner(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    void Run(const detail::ScriptCommand& command)
    {
        m_command = &command;
        const std::string& name = command.name;
        if (name == "wait-window")
            WaitWindow();
        else if (name == "wait-control")
            WaitControl();
        else if (name == "click")
            automation::Click(Control(Number(0)));
        else if (name == "wheel")
            Wheel();
        else if (name == "key")
            Key(Text(0));
        else if (name == "type")
            TypeText(Active(), Utf8ToUtf16(Text(0)));
        else if (name == "menu" || name == "sysmenu")
            Menu(name == "sysmenu");
        else if (name == "answer")
            Answer();
        else if (name == "expect-text")
            ExpectText();
        else if (name == "expect-box")
            ExpectBox();
        else if (name == "expect-check")
            ExpectState("check state", [](HWND control) { return static_cast<int>(CheckStateOf(control)); });
        else if (name == "expect-enabled")
            ExpectState("enabled state", [](HWND control) { return IsEnabled(control) ? 1 : 0; });
        else if (name == "expect-visible")
            ExpectState("visible state", [](HWND control) { return IsVisible(control) ? 1 : 0; });
        else if (name == "screenshot")
            Shot();
        else if (name == "sleep")
            std::this_thread::sleep_for(std::chrono::milliseconds(Number(0)));
        else if (name == "timeout")
            m_timeout = std::chrono::milliseconds(Number(0));
        else if (name == "close")
            CloseWindow(Active());
        else if (name == "choose-file" || name == "pick-file")
            ChooseFile(name == "pick-file");
        else if (name == "choose-folder")
            ChooseFolder();
        else if (name == "tick-tree-item")
            TickTreeItem();
        else
            throw Failure{"unknown command " + name};
    }

    std::chrono::milliseconds Timeout() const { return m_timeout; }

private:
    // wheel ID NOTCHES: the wheel turns over the middle of the control.
    void Wheel()
    {
        HWND control = Control(Number(0));
        RECT client;
        GetClientRect(control, &client);
        TurnWheel(control, {client.right / 2, client.bottom / 2}, static_cast<int>(Number(1)));
    }

    const std::string& Text(std::size_t index) const
    {
        if (index >= m_command->arguments.size())
            throw Failure{m_command->name + " needs " + std::to_string(index + 1) + " argument(s)"};
        return m_command->arguments[index];
    }

    long Number(std::size_t index) const
    {
        const std::string& text = Text(index);
        char* end = nullptr;
        long value = std::strtol(text.c_str(), &end, 0);
        if (text.empty() || *end)
            throw Failure{"not a number: " + text};
        return value;
    }

    HWND Active() const
    {
        HWND window = nullptr;
        WaitUntil([&] { return (window = ActiveWindow()) != nullptr; }, m_timeout);
        if (!window)
            throw Failure{"no window is open"};
        return window;
    }

    // The control of the active window; it may still be on its way.
    HWND Control(long id) const
    {
        HWND control = nullptr;
        WaitUntil(
            [&] {
                HWND window = ActiveWindow();
                control = window ? GetDlgItem(window, static_cast<int>(id)) : nullptr;
                return control != nullptr;
            },
            m_timeout);
        if (!control)
            throw Failure{"the active window has no control " + std::to_string(id)};
        return control;
    }

    template <typename Condition>
    void WaitFor(Condition condition, const std::string& what) const
    {
        if (!WaitUntil(condition, m_timeout))
            throw Failure{what};
    }

    void WaitWindow()
    {
        std::u16string title = Utf8ToUtf16(Text(0));
        auto timeout = m_command->arguments.size() > 1 ? std::chrono::milliseconds(Number(1)) : m_timeout;
        if (!WaitForWindow(title, timeout))
            throw Failure{"no window \"" + Text(0) + "\" came"};
    }

    void WaitControl()
    {
        auto timeout = m_command->arguments.size() > 1 ? std::chrono::milliseconds(Number(1)) : m_timeout;
        if (!WaitForWindowWithControl(static_cast<int>(Number(0)), timeout))
            throw Failure{"no window with control " + Text(0) + " came"};
    }

    void Key(const std::string& keyName)
    {
        static const std::map<std::string, WPARAM> kNames = {
            {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},     {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN},
            {"TAB", VK_TAB},       {"SPACE", VK_SPACE},    {"BACK", VK_BACK},     {"BACKSPACE", VK_BACK},
            {"DELETE", VK_DELETE}, {"UP", VK_UP},          {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT},
            {"RIGHT", VK_RIGHT},   {"HOME", VK_HOME},      {"END", VK_END},       {"PAGEUP", VK_PRIOR},
            {"PAGEDOWN", VK_NEXT}, {"ALT", VK_MENU},       {"F10", VK_F10},
        };
        std::string rest = keyName;
        std::vector<WPARAM> held;
        for (auto [prefix, key] : {std::pair{"shift+", VK_SHIFT}, {"ctrl+", VK_CONTROL}, {"alt+", VK_MENU}}) {
            if (rest.rfind(prefix, 0) == 0) {
                held.push_back(key);
                rest = rest.substr(std::string(prefix).size());
            }
        }
        WPARAM key = 0;
        if (auto it = kNames.find(rest); it != kNames.end())
            key = it->second;
        else if (rest.size() >= 2 && rest[0] == 'F' && std::isdigit(static_cast<unsigned char>(rest[1])))
            key = VK_F1 + static_cast<WPARAM>(std::atoi(rest.c_str() + 1) - 1);
        else if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0])))
            key = static_cast<WPARAM>(std::toupper(static_cast<unsigned char>(rest[0])));
        if (!key || key > VK_F10 + 2)
            throw Failure{"unknown key " + keyName};
        HWND target = input::KeyTarget(Active());
        for (WPARAM modifier : held)
            input::Key(static_cast<UINT>(modifier), true, target);
        input::Key(static_cast<UINT>(key), true, target);
        input::Key(static_cast<UINT>(key), false, target);
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            input::Key(static_cast<UINT>(*it), false, target);
    }

    void Menu(bool system)
    {
        auto id = static_cast<UINT>(Number(0));
        HWND window = Active();
        bool chosen = system ? ChooseSystemMenuCommand(window, id) : ChooseMenuCommand(window, id);
        if (!chosen)
            throw Failure{std::string(system ? "the system menu" : "the menus") + " of the active window hold no command "
                          + Text(0)};
    }

    void Answer()
    {
        static const std::map<std::string, int> kAnswers = {{"YES", IDYES}, {"NO", IDNO}, {"OK", IDOK}, {"CANCEL", IDCANCEL}};
        auto it = kAnswers.find(Text(0));
        if (it == kAnswers.end())
            throw Failure{"unknown answer " + Text(0)};
        HWND box = WaitForMessageBox(m_timeout);
        if (!box)
            throw Failure{"no message box came"};
        if (!AnswerMessageBox(box, it->second))
            throw Failure{"the message box \"" + Utf16ToUtf8(MessageBoxText(box)) + "\" has no button " + Text(0)};
        // The next command finds the box gone.
        WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, "the message box stayed open");
    }

    void ExpectText()
    {
        HWND control = Control(Number(0));
        std::u16string wanted = Utf8ToUtf16(Text(1));
        if (!WaitUntil([&] { return TextOf(control) == wanted; }, m_timeout))
            throw Failure{"control " + Text(0) + " shows \"" + Utf16ToUtf8(TextOf(control)) + "\", not \"" + Text(1)
                          + "\""};
    }

    void ExpectBox()
    {
        std::u16string wanted = Utf8ToUtf16(Text(0));
        std::u16string seen;
        bool found = WaitUntil(
            [&] {
                for (HWND box : OpenMessageBoxes()) {
                    seen = MessageBoxText(box);
                    if (seen == wanted)
                        return true;
                }
                return false;
            },
            m_timeout);
        if (!found)
            throw Failure{seen.empty() ? "no message box \"" + Text(0) + "\" came"
                                       : "the message box says \"" + Utf16ToUtf8(seen) + "\", not \"" + Text(0) + "\""};
    }

    template <typename Read>
    void ExpectState(const char* what, Read read)
    {
        HWND control = Control(Number(0));
        long wanted = Number(1);
        if (!WaitUntil([&] { return read(control) == wanted; }, m_timeout))
            throw Failure{"control " + Text(0) + " has " + what + " " + std::to_string(read(control)) + ", not "
                          + Text(1)};
    }

    void ChooseFile(bool pick)
    {
        HWND dialog = WaitForOpenFileDialog(m_timeout);
        if (!dialog)
            throw Failure{"no open-file dialog came"};
        std::u16string path = Utf8ToUtf16(Text(0));
        if (!(pick ? PickFile(dialog, path) : TypeFileName(dialog, path)))
            throw Failure{"the open-file dialog cannot reach " + Text(0)};
        WaitUntilGone(dialog, "open-file dialog");
    }

    void ChooseFolder()
    {
        HWND browser = WaitForFolderBrowser(m_timeout);
        if (!browser)
            throw Failure{"no folder browser came"};
        if (!PickFolder(browser, Utf8ToUtf16(Text(0))))
            throw Failure{"the folder browser cannot choose " + Text(0)};
        WaitUntilGone(browser, "folder browser");
    }

    // The check box of the item the texts lead to, clicked through the screen:
    // the tree's owner may keep rules of its own on a click there (a parent
    // ticked with its children, say) that the control's space key bypasses.
    // The item may still be on its way; the command ends once the click has
    // changed the check.
    void TickTreeItem()
    {
        HWND tree = Control(Number(0));
        std::vector<std::u16string> path;
        for (std::size_t i = 1; i < m_command->arguments.size(); ++i)
            path.push_back(Utf8ToUtf16(m_command->arguments[i]));
        if (path.empty())
            Text(1); // names the missing argument
        HTREEITEM item = nullptr;
        WaitFor([&] { return (item = FindTreeItem(tree, path)) != nullptr; },
                "the tree " + Text(0) + " holds no item " + Text(m_command->arguments.size() - 1));
        const UINT before = TreeItemStateImage(tree, item);
        if (!ClickTreeItem(tree, item, TVHT_ONITEMSTATEICON))
            throw Failure{"the item " + Text(m_command->arguments.size() - 1) + " has no check box"};
        WaitFor([&] { return TreeItemStateImage(tree, item) != before; },
                "the click left the check of " + Text(m_command->arguments.size() - 1) + " as it was");
    }

    // The next command acts on the window the dialog gives back to, as a
    // person waits for the dialog to close before going on.
    void WaitUntilGone(HWND dialog, const std::string& what) const
    {
        if (!WaitUntil([&] { return !IsWindow(dialog); }, m_timeout))
            throw Failure{"the " + what + " stays open"};
    }

    void Shot()
    {
        std::filesystem::path path = Text(0);
        if (path.is_relative())
            path = m_folder / path;
        if (!Screenshot(nullptr, path))
            throw Failure{"cannot write the screenshot " + path.string()};
    }

    std::filesystem::path m_folder;
    std::chrono::milliseconds m_timeout = kDefaultWait;
    const detail::ScriptCommand* m_command = nullptr;
};

} // namespace

ScriptResult RunScript(const std::string& text, const std::filesystem::path& folder)
{
    Runner runner(folder);
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        detail::ScriptCommand command;
        std::string error;
        if (!detail::ParseScriptLine(line, number, command, error))
            return {false, number, error, runner.Timeout()};
        if (command.name.empty())
            continue;
        try {
            runner.Run(command);
        } catch (const Failure& failure) {
            return {false, number, failure.message, runner.Timeout()};
        }
    }
    return {true, number, {}, runner.Timeout()};
}

ScriptResult RunScriptFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {false, 0, "cannot read the script"};
    std::ostringstream text;
    text << file.rdbuf();
    return RunScript(text.str(), path.parent_path());
}

void ProgramRunEnded()
{
    g_runEnded = true;
}

bool StartScriptFromEnvironment()
{
    const char* name = std::getenv("MARLWICK_SCRIPT");
    if (!name || !*name)
        return false;
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(name, ec);
    if (ec)
        path = name;
    // The display is chosen while the variable still says that a script
    // drives the run; the programs started from here on do not inherit it.
    display::Current();
    ::unsetenv("MARLWICK_SCRIPT");
    g_runEnded = false;
    static const bool registered = std::atexit([] { g_runEnded = true; }) == 0;
    (void)registered;
    std::thread([path] {
        ScriptResult result = RunScriptFile(path);
        if (result.ok && WaitForTheRunToEnd(result.timeout))
            return;
        if (result.ok)
            result.message = "the script ended while the program still runs";
        std::fprintf(stderr, "%s:%d: %s\n", path.string().c_str(), result.line, result.message.c_str());
        std::fflush(stderr);
        // At once: the program's own threads are still at work.
        std::_Exit(kScriptFailureExitCode);
    }).detach();
    return true;
}

} // namespace user::automation

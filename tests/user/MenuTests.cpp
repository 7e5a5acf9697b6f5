// Menus: building them, the system menu, the menu bar in the frame, and
// choosing items through the real menus by mouse and by keys.
#include "ScriptModule.h"
#include "user/Automation.h"
#include "user/Dialog.h"
#include "user/Input.h"
#include "user/Menu.h"
#include "user/Messages.h"

#include "display/Display.h"
#include "gdi/Gdi.h"

#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace automation = user::automation;

namespace {

const char* kScript = R"rc(
130 MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "E&xit", 32771
    END
    POPUP "&Log"
    BEGIN
        MENUITEM "&View", 32772
        MENUITEM SEPARATOR
        MENUITEM "&Clear", 32773
        MENUITEM "Change &Path", 32774
    END
    POPUP "&Help"
    BEGIN
        MENUITEM "&Contents   F1", 32775
        MENUITEM "&About Us", 32776
    END
END

600 DIALOGEX 0, 0, 200, 100
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE
CAPTION "Menus"
MENU 130
FONT 8, "MS Shell Dlg"
BEGIN
    DEFPUSHBUTTON "Next", IDOK, 140, 80, 50, 14
END

601 DIALOGEX 0, 0, 200, 100
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "No menu"
FONT 8, "MS Shell Dlg"
BEGIN
    DEFPUSHBUTTON "Next", IDOK, 140, 80, 50, 14
END
)rc";

HINSTANCE Module()
{
    static HINSTANCE module = RegisterScript(kScript, 0x7788);
    return module;
}

struct Seen {
    std::mutex mutex;
    std::vector<std::pair<UINT, WPARAM>> messages; // menu messages, in order
    std::vector<LPARAM> commandSources;
};
Seen* g_seen = nullptr;

INT_PTR MenuDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        // As the main dialog of the program adds its About item.
        HMENU system = GetSystemMenu(dialog, FALSE);
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, 0x10, u"&About Pellinor for Lotus Notes NSF - MS Outlook PST");
        return TRUE;
    }
    case WM_CONTEXTMENU: {
        // A context menu of the Help items in the client area, its choice
        // returned rather than posted; the caption's is the system menu.
        POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(dialog, &at);
        RECT client;
        GetClientRect(dialog, &client);
        if (!PtInRect(&client, at))
            return FALSE;
        UINT chosen = TrackPopupMenu(GetSubMenu(GetMenu(dialog), 2), TPM_RETURNCMD, GET_X_LPARAM(lParam),
                                     GET_Y_LPARAM(lParam), 0, dialog, nullptr);
        std::lock_guard lock(g_seen->mutex);
        g_seen->messages.emplace_back(WM_APP, chosen);
        return TRUE;
    }
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_SYSCOMMAND:
    case WM_COMMAND: {
        std::lock_guard lock(g_seen->mutex);
        g_seen->messages.emplace_back(msg, msg == WM_INITMENUPOPUP ? lParam : wParam);
        if (msg == WM_COMMAND)
            g_seen->commandSources.push_back(lParam);
        if (msg == WM_COMMAND && (LOWORD(wParam) == 32771 || LOWORD(wParam) == IDCANCEL))
            EndDialog(dialog, LOWORD(wParam));
        return msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == 0x10; // the About item is the dialog's own
    }
    default:
        return FALSE;
    }
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override { g_seen = &m_seen; }
    void TearDown() override
    {
        if (m_run.valid()) {
            if (HWND dialog = automation::WaitForWindow(m_title, std::chrono::milliseconds(0)))
                EndDialog(dialog, IDCANCEL);
            m_run.wait();
        }
        g_seen = nullptr;
    }

    HWND Run(int id, const std::u16string& title)
    {
        m_title = title;
        m_run = std::async(std::launch::async, [id] { return DialogBoxParamW(Module(), id, nullptr, MenuDialogProc, 0); });
        return automation::WaitForWindow(title);
    }

    INT_PTR Result()
    {
        EXPECT_EQ(m_run.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        return m_run.get();
    }

    // Waits for a message of the kind to arrive, and gives its parameter.
    bool WaitFor(UINT message, WPARAM* parameter = nullptr)
    {
        return automation::WaitUntil([&] {
            std::lock_guard lock(m_seen.mutex);
            for (const auto& [msg, value] : m_seen.messages) {
                if (msg == message) {
                    if (parameter)
                        *parameter = value;
                    return true;
                }
            }
            return false;
        });
    }

    std::vector<std::pair<UINT, WPARAM>> Messages()
    {
        std::lock_guard lock(m_seen.mutex);
        return m_seen.messages;
    }

    Seen m_seen;
    std::u16string m_title;
    std::future<INT_PTR> m_run;
};

TEST(Menu, ItemsFromATemplateAndFromCode)
{
    HMENU bar = LoadMenuW(Module(), MAKEINTRESOURCEW(130));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(GetMenuItemID(bar, 0), 0xFFFFFFFFu); // a popup has no command
    HMENU log = GetSubMenu(bar, 1);
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(GetMenuItemCount(log), 4);
    EXPECT_EQ(GetMenuItemID(log, 2), 32773u);
    WCHAR text[32];
    EXPECT_EQ(GetMenuStringW(bar, 32774, text, 32, MF_BYCOMMAND), 12); // found through the popup
    EXPECT_EQ(std::u16string(text), u"Change &Path");
    EXPECT_EQ(GetMenuState(log, 1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);

    EXPECT_EQ(EnableMenuItem(bar, 32773, MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(bar, 32773, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(CheckMenuItem(bar, 32772, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(GetMenuState(bar, 32772, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(EnableMenuItem(bar, 9999, MF_GRAYED), -1);

    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING;
    info.wID = 40000;
    info.dwTypeData = const_cast<LPWSTR>(u"&Inserted");
    ASSERT_TRUE(InsertMenuItemW(log, 0, TRUE, &info));
    EXPECT_EQ(GetMenuItemID(log, 0), 40000u);
    EXPECT_EQ(GetMenuItemID(log, 1), 32772u);

    ASSERT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(log)); // submenus go with their menu
}

TEST_F(MenuTest, TheSystemMenuHoldsTheStandardItemsTheStylesAllowThenTheAddedOnes)
{
    HWND dialog = Run(600, u"Menus");
    ASSERT_NE(dialog, nullptr);
    auto entries = automation::SystemMenuEntries(dialog);
    std::vector<std::u16string> texts;
    for (const auto& entry : entries)
        texts.push_back(entry.separator ? u"-" : entry.text);
    // A minimise box but no maximise box and no sizing frame.
    std::vector<std::u16string> expected = {u"&Restore", u"&Move", u"Mi&nimize", u"-", u"&Close\tAlt+F4", u"-",
                                            u"&About Pellinor for Lotus Notes NSF - MS Outlook PST"};
    EXPECT_EQ(texts, expected);
    EXPECT_FALSE(entries[0].enabled); // Restore: the window is not minimised
    EXPECT_EQ(entries[6].id, 0x10u);
    EXPECT_TRUE(entries[6].enabled);
}

TEST_F(MenuTest, AMenuBarTakesItsHeightFromTheClientArea)
{
    HWND withMenu = Run(600, u"Menus");
    ASSERT_NE(withMenu, nullptr);
    RECT client;
    RECT window;
    GetClientRect(withMenu, &client);
    GetWindowRect(withMenu, &window);
    EXPECT_EQ(client.bottom, 100 * 13 / 8 + 1); // the template's height, rounded
    EXPECT_EQ(window.bottom - window.top, client.bottom + 3 + 18 + 19 + 3);
    RECT adjusted = client;
    AdjustWindowRectEx(&adjusted, static_cast<DWORD>(GetWindowLongPtrW(withMenu, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrW(withMenu, GWL_EXSTYLE)));
    EXPECT_EQ(adjusted.right - adjusted.left, window.right - window.left);
    EXPECT_EQ(adjusted.bottom - adjusted.top, window.bottom - window.top);
    // The frame shows the active caption's colour where it starts and the menu bar below it.
    ASSERT_TRUE(automation::WaitForPaint());
    auto screen = display::ComposeScreen();
    auto colorAt = [&](int x, int y) { return gdi::ColorFromPixel(screen->At(x, y) & 0xFFFFFF); };
    EXPECT_EQ(colorAt(window.left + 3, window.top + 3 + 8), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(colorAt(window.left + 4, window.top + 3 + 18 + 5), GetSysColor(COLOR_MENU));
    auto entries = automation::MenuEntries(withMenu);
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[0].text, u"&File");
    EXPECT_TRUE(entries[0].popup);
    EXPECT_EQ(entries[1].id, 32771u);
    EXPECT_EQ(entries[1].depth, 1);
}

TEST_F(MenuTest, ChoosingAMenuBarItemPostsItsCommand)
{
    HWND dialog = Run(600, u"Menus");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(automation::ChooseMenuCommand(dialog, 32773));
    WPARAM command = 0;
    ASSERT_TRUE(WaitFor(WM_COMMAND, &command));
    EXPECT_EQ(command, MAKEWPARAM(32773, 0)); // high word 0: from a menu
    {
        std::lock_guard lock(m_seen.mutex);
        EXPECT_EQ(m_seen.commandSources, std::vector<LPARAM>{0});
    }
    // WM_INITMENU with the bar first, then WM_INITMENUPOPUP for the Log popup (index 1, not the system menu).
    auto messages = Messages();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages[0].first, static_cast<UINT>(WM_INITMENU));
    EXPECT_EQ(messages[0].second, reinterpret_cast<WPARAM>(GetMenu(dialog)));
    EXPECT_EQ(messages[1].first, static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_EQ(messages[1].second, static_cast<WPARAM>(MAKELPARAM(1, 0)));
    // The menu closed with the choice.
    EXPECT_TRUE(automation::WaitUntil([] {
        for (HWND top : automation::TopLevelWindows()) {
            WCHAR name[16];
            GetClassNameW(top, name, 16);
            if (std::u16string(name) == u"#32768")
                return false;
        }
        return true;
    }));
    EXPECT_FALSE(automation::ChooseMenuCommand(dialog, 12345));
}

TEST_F(MenuTest, ADisabledItemIsNotChosenAndEscapeClosesTheMenu)
{
    HWND dialog = Run(600, u"Menus");
    ASSERT_NE(dialog, nullptr);
    EnableMenuItem(GetMenu(dialog), 32773, MF_GRAYED);
    ASSERT_TRUE(automation::ChooseMenuCommand(dialog, 32773));
    automation::PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(automation::ChooseMenuCommand(dialog, 32772));
    ASSERT_TRUE(WaitFor(WM_COMMAND));
    std::vector<WPARAM> commands;
    for (const auto& [msg, value] : Messages()) {
        if (msg == WM_COMMAND)
            commands.push_back(value);
    }
    EXPECT_EQ(commands, std::vector<WPARAM>{MAKEWPARAM(32772, 0)});
}

TEST_F(MenuTest, SystemMenuItemsPostSystemCommandsAndCloseReachesCancel)
{
    HWND dialog = Run(601, u"No menu");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(automation::ChooseMenuCommand(dialog, 0x10));
    WPARAM command = 0;
    ASSERT_TRUE(WaitFor(WM_SYSCOMMAND, &command));
    EXPECT_EQ(command & 0xFFF0, 0x10u);
    auto messages = Messages();
    EXPECT_EQ(messages[1].first, static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_EQ(HIWORD(messages[1].second), 1); // the system menu
    ASSERT_TRUE(automation::ChooseMenuCommand(dialog, SC_CLOSE));
    EXPECT_EQ(Result(), IDCANCEL); // SC_CLOSE, WM_CLOSE, then the dialog's cancel
}

TEST_F(MenuTest, TheMenuKeysOpenTheMenuBarByItsMnemonics)
{
    HWND dialog = Run(600, u"Menus");
    ASSERT_NE(dialog, nullptr);
    user::input::Key(VK_MENU, true, dialog);
    user::input::Key('F', true, dialog);
    user::input::Key('F', false, dialog);
    user::input::Key(VK_MENU, false, dialog);
    ASSERT_TRUE(WaitFor(WM_INITMENUPOPUP));
    automation::PressKey(dialog, 'X'); // E&xit
    EXPECT_EQ(Result(), 32771);
}

TEST_F(MenuTest, AContextMenuReturnsItsChoiceWithoutACommand)
{
    HWND dialog = Run(600, u"Menus");
    ASSERT_NE(dialog, nullptr);
    RECT rect = automation::PositionOf(dialog);
    user::input::Click({rect.left + 40, rect.top + 80}, user::input::kRightButton);
    ASSERT_TRUE(WaitFor(WM_INITMENUPOPUP));
    automation::PressKey(dialog, VK_DOWN);
    automation::PressKey(dialog, VK_RETURN);
    WPARAM chosen = 0;
    ASSERT_TRUE(WaitFor(WM_APP, &chosen));
    EXPECT_EQ(chosen, 32775u); // the first item, "&Contents"
    for (const auto& [msg, value] : Messages())
        EXPECT_NE(msg, static_cast<UINT>(WM_COMMAND));
}

TEST_F(MenuTest, TheMinimiseBoxLeavesACaptionThatRestoresTheWindow)
{
    HWND dialog = Run(600, u"Menus");
    ASSERT_NE(dialog, nullptr);
    RECT before = automation::PositionOf(dialog);
    // The minimise box lies left of the close box, beside the (disabled) maximise box.
    POINT box = {before.right - 3 - 2 - 16 - 2 - 16 - 8, before.top + 3 + 2 + 7};
    user::input::Click(box);
    ASSERT_TRUE(WaitFor(WM_SYSCOMMAND));
    ASSERT_TRUE(automation::WaitUntil([&] { return IsIconic(dialog) != FALSE; }));
    RECT small = automation::PositionOf(dialog);
    EXPECT_EQ(small.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(small.bottom - small.top, 18 + 2 * 3); // a caption and its frame
    EXPECT_LT(small.right - small.left, before.right - before.left);
    user::input::Click({small.left + 40, small.top + 10});
    ASSERT_TRUE(automation::WaitUntil([&] { return !IsIconic(dialog); }));
    RECT after = automation::PositionOf(dialog);
    EXPECT_TRUE(EqualRect(&before, &after));
}

} // namespace

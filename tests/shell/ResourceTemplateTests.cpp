// The program's own dialog templates, menu and strings, as the program finds
// them under its module handle: this test program builds res/Marlwick.rc in
// the way Marlwick does.
#include "user/Automation.h"
#include "user/CommCtrl.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Messages.h"
#include "user/Resources.h"
#include "win32/Module.h"

#include <gtest/gtest.h>

#include <array>
#include <future>
#include <map>
#include <mutex>

namespace automation = user::automation;

namespace {

enum class Kind { Push, DefPush, AutoRadio, AutoCheck, Group, Text, Bitmap, Edit, Tree, Progress };

const char* Name(Kind kind)
{
    const char* names[] = {"push button", "default push button", "auto radio", "auto check box", "group box",
                           "text",        "bitmap",              "edit",       "tree view",      "progress bar"};
    return names[static_cast<int>(kind)];
}

bool IsKind(const user::DialogControl& c, Kind kind)
{
    const DWORD button = c.style & BS_TYPEMASK, stat = c.style & SS_TYPEMASK;
    const bool isButton = c.className == WC_BUTTON, isStatic = c.className == WC_STATIC;
    switch (kind) {
    case Kind::Push:
        return isButton && button == BS_PUSHBUTTON;
    case Kind::DefPush:
        return isButton && button == BS_DEFPUSHBUTTON;
    case Kind::AutoRadio:
        return isButton && button == BS_AUTORADIOBUTTON;
    case Kind::AutoCheck:
        return isButton && button == BS_AUTOCHECKBOX;
    case Kind::Group:
        return isButton && button == BS_GROUPBOX;
    case Kind::Text:
        return isStatic && (stat == SS_LEFT || stat == SS_CENTER || stat == SS_RIGHT || stat == SS_LEFTNOWORDWRAP);
    case Kind::Bitmap:
        return isStatic && stat == SS_BITMAP;
    case Kind::Edit:
        return c.className == WC_EDIT && (c.style & ES_AUTOHSCROLL) && !(c.style & ES_READONLY);
    case Kind::Tree:
        return c.className == WC_TREEVIEW;
    case Kind::Progress:
        return c.className == PROGRESS_CLASS;
    }
    return false;
}

struct Wanted {
    int id;
    Kind kind;
    const char16_t* text = nullptr; // null: the program sets it, or it has none that matters
};

struct DialogSpec {
    int id;
    short cx, cy;
    int menu;
    bool minimizeBox;
    int defaultButton;
    std::vector<Wanted> controls;
};

HINSTANCE Program()
{
    return GetModuleHandleW(nullptr);
}

const user::DialogControl* Control(const user::DialogTemplate& dialog, int id)
{
    for (const auto& c : dialog.controls) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

// The top of every wizard step: the three tool buttons and the step picture.
std::vector<Wanted> StepFrame(int viewLog, std::vector<Wanted> own)
{
    own.insert(own.begin(), {{viewLog, Kind::Push}, {viewLog + 1, Kind::Push}, {viewLog + 2, Kind::Push},
                             {1007, Kind::Bitmap}});
    return own;
}

const DialogSpec kDialogs[] = {
    {100, 270, 150, 0, false, IDOK,
     {{1004, Kind::Push}, {1005, Kind::Push}, {IDOK, Kind::DefPush, u"OK"}}},
    {102, 475, 300, 130, true, IDOK,
     StepFrame(1004, {{1010, Kind::AutoRadio, u"Mails"},
                      {1011, Kind::AutoRadio, u"Address Book"},
                      {1048, Kind::AutoRadio, u"Calendar"},
                      {IDOK, Kind::DefPush, u"Next"},
                      {IDCANCEL, Kind::Push, u"Cancel"},
                      {1031, Kind::Text, u"Welcome to Pellinor for Lotus Notes NSF - MS Outlook PST"}})},
    {136, 475, 300, 130, true, 3,
     StepFrame(1004, {{1015, Kind::Push, u"Browse..."},
                      {1016, Kind::Push, u"Browse..."},
                      {3, Kind::DefPush, u"Next"},
                      {1017, Kind::Push, u"Back"},
                      {1014, Kind::AutoCheck, u""},
                      {1012, Kind::Edit},
                      {1013, Kind::Edit},
                      {1049, Kind::AutoRadio, u"Normal Recovery (TXT Format)"},
                      {1050, Kind::AutoRadio, u"Advance Recovery (RTF Format)"}})},
    {139, 475, 300, 130, true, IDOK,
     StepFrame(1024, {{1023, Kind::Tree},
                      {IDOK, Kind::DefPush, u"Next"},
                      {1015, Kind::Push, u"Back"},
                      {1019, Kind::Progress},
                      {1032, Kind::Text, u"Enumerating Folders Please Wait..."}})},
    {148, 475, 300, 130, false, IDOK,
     StepFrame(1004, {{1028, Kind::Edit},
                      {1012, Kind::Edit},
                      {1013, Kind::Edit},
                      {1029, Kind::Push, u"Browse..."},
                      {1015, Kind::Push, u"Browse..."},
                      {1016, Kind::Push, u"Browse..."},
                      {1010, Kind::AutoRadio, u"Create New PST file"},
                      {1011, Kind::AutoRadio, u"Update Existing PST file"},
                      {1014, Kind::AutoCheck, u""},
                      {1017, Kind::Push, u"Back"},
                      {IDOK, Kind::DefPush, u"Next"}})},
    {149, 475, 300, 130, true, IDOK,
     StepFrame(1004, {{1014, Kind::AutoCheck, u"Check to edit folder name"},
                      {1013, Kind::Edit},
                      {1043, Kind::Text,
                       u"Note: If a folder exists having same name, mails will be added in the existing folder"},
                      {IDOK, Kind::DefPush, u"Convert"},
                      {1017, Kind::Push, u"Back"}})},
    {150, 475, 300, 130, true, IDOK,
     StepFrame(1004, {{1019, Kind::Progress},
                      {1020, Kind::Progress},
                      {1017, Kind::Push, u"Pause"},
                      {IDOK, Kind::DefPush, u"Stop"},
                      {1033, Kind::Text},
                      {1034, Kind::Text},
                      {1035, Kind::Text},
                      {1036, Kind::Text},
                      {1044, Kind::Text, u"Folder                  :"},
                      {1037, Kind::Text, u"No of Mail (s)       :"},
                      {1038, Kind::Text, u"From                    :"},
                      {1039, Kind::Text, u"Subject                :"},
                      {1045, Kind::Text, u"Current Progress :"},
                      {1046, Kind::Text, u"Overall Progress  :"},
                      {1047, Kind::Text, u"Enumerating mails. Please wait..."}})},
    {153, 239, 110, 0, false, IDOK,
     {{1040, Kind::Text}, {1014, Kind::AutoCheck}, {IDOK, Kind::DefPush, u"OK"}}},
    {137, 314, 94, 0, false, IDOK,
     {{1012, Kind::Edit},
      {1004, Kind::Push, u"Browse..."},
      {IDOK, Kind::DefPush, u"Apply"},
      {IDCANCEL, Kind::Push, u"Cancel"}}},
    {138, 321, 118, 0, false, IDOK,
     {{IDOK, Kind::DefPush, u"Stop"}, {1019, Kind::Progress}, {1022, Kind::Text}}},
};

} // namespace

TEST(ProgramTemplates, EveryDialogHoldsItsControlsWithTheirIdsKindsAndTexts)
{
    for (const DialogSpec& spec : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(spec.id));
        const user::DialogTemplate* dialog = user::FindDialogTemplate(Program(), spec.id);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->cx, spec.cx);
        EXPECT_EQ(dialog->cy, spec.cy);
        EXPECT_EQ(dialog->menuId, spec.menu);
        EXPECT_EQ(dialog->fontFace, u"MS Shell Dlg");
        EXPECT_EQ(dialog->fontSize, 8);
        EXPECT_EQ((dialog->style & (WS_POPUP | WS_CAPTION | WS_SYSMENU)), WS_POPUP | WS_CAPTION | WS_SYSMENU);
        EXPECT_EQ((dialog->style & WS_MINIMIZEBOX) != 0, spec.minimizeBox);

        for (const Wanted& wanted : spec.controls) {
            const user::DialogControl* control = Control(*dialog, wanted.id);
            ASSERT_NE(control, nullptr) << "no control " << wanted.id;
            EXPECT_TRUE(IsKind(*control, wanted.kind)) << wanted.id << " is not a " << Name(wanted.kind);
            if (wanted.text) {
                EXPECT_EQ(control->text, wanted.text) << wanted.id;
            }
        }
        // Exactly one default push button, the one that Enter gives.
        int defaults = 0;
        for (const auto& c : dialog->controls) {
            if (IsKind(c, Kind::DefPush)) {
                ++defaults;
                EXPECT_EQ(c.id, spec.defaultButton);
            }
        }
        EXPECT_EQ(defaults, 1);
        // An id is used once, so GetDlgItem finds the control it means.
        std::map<int, int> uses;
        for (const auto& c : dialog->controls) {
            if (c.id != IDC_STATIC) {
                EXPECT_EQ(++uses[c.id], 1) << "id " << c.id << " twice";
            }
        }
    }
}

TEST(ProgramTemplates, StylesThatTheDialogsRelyOn)
{
    const user::DialogTemplate* main = user::FindDialogTemplate(Program(), 102);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->style & WS_VISIBLE);
    EXPECT_TRUE(main->exStyle & WS_EX_APPWINDOW) << "the main dialog shows on the task bar";
    EXPECT_FALSE(user::FindDialogTemplate(Program(), 136)->style & WS_VISIBLE) << "a step shows when it runs";
    EXPECT_TRUE(user::FindDialogTemplate(Program(), 153)->style & WS_VISIBLE);
    EXPECT_EQ(user::FindDialogTemplate(Program(), 137)->caption, u"Dialog");

    // The layout the main dialog and the log-folder dialog give to the dialog unit.
    const struct {
        int dialog, id;
        short x, y, cx, cy;
    } placed[] = {{102, 1010, 208, 156, 31, 10}, {102, 1011, 208, 178, 59, 10}, {102, 1048, 208, 198, 45, 10},
                  {102, IDOK, 414, 280, 57, 16}, {102, IDCANCEL, 4, 280, 57, 16}, {102, 1004, 2, 2, 24, 20},
                  {102, 1005, 37, 2, 24, 20},    {102, 1006, 72, 2, 24, 20},      {102, 1031, 50, 96, 382, 28},
                  {102, 1007, 0, 26, 15, 13},    {137, 1012, 9, 33, 250, 15},     {137, 1004, 267, 32, 40, 16},
                  {137, IDOK, 97, 74, 57, 16},   {137, IDCANCEL, 160, 74, 57, 16}, {153, 1040, 57, 35, 149, 14}};
    for (const auto& p : placed) {
        const user::DialogControl* c = Control(*user::FindDialogTemplate(Program(), p.dialog), p.id);
        ASSERT_NE(c, nullptr) << p.dialog << "/" << p.id;
        EXPECT_EQ((std::array<short, 4>{c->x, c->y, c->cx, c->cy}), (std::array<short, 4>{p.x, p.y, p.cx, p.cy}))
            << p.dialog << "/" << p.id;
    }

    const user::DialogControl* tree = Control(*user::FindDialogTemplate(Program(), 139), 1023);
    const DWORD treeStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP | TVS_CHECKBOXES
                             | WS_BORDER | WS_TABSTOP;
    EXPECT_EQ(tree->style & treeStyles, treeStyles);
    EXPECT_TRUE(Control(*user::FindDialogTemplate(Program(), 138), 1019)->style & PBS_SMOOTH);
    EXPECT_EQ(Control(*user::FindDialogTemplate(Program(), 149), 1043)->style & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
}

TEST(ProgramTemplates, TheMenuAndTheSystemMenuString)
{
    const user::MenuTemplate* menu = user::FindMenuTemplate(Program(), 130);
    ASSERT_NE(menu, nullptr);
    std::vector<std::pair<std::u16string, std::vector<std::pair<std::u16string, UINT>>>> seen;
    for (const auto& popup : menu->items) {
        std::vector<std::pair<std::u16string, UINT>> items;
        for (const auto& item : popup.popup)
            items.emplace_back(item.text, item.id);
        seen.emplace_back(popup.text, items);
    }
    decltype(seen) wanted = {
        {u"&File", {{u"E&xit", 32771}}},
        {u"&Log", {{u"&View", 32772}, {u"&Clear", 32773}, {u"Change &Path", 32774}}},
        {u"&Help", {{u"&Contents   F1", 32775}, {u"&About Us", 32776}}},
    };
    EXPECT_EQ(seen, wanted);

    WCHAR text[128];
    ASSERT_GT(LoadStringW(Program(), 101, text, 128), 0);
    EXPECT_EQ(std::u16string(text), u"&About Pellinor for Lotus Notes NSF - MS Outlook PST");
}

namespace {

std::mutex g_commandsMutex;
std::vector<int> g_commands;

INT_PTR EndingDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        {
            std::lock_guard lock(g_commandsMutex);
            g_commands.push_back(id);
        }
        if (id == IDOK || id == IDCANCEL || id == 3)
            EndDialog(dialog, id);
        return TRUE;
    }
    return FALSE;
}

// Runs one of the program's dialogs modally on a thread of its own.
std::future<INT_PTR> RunDialog(int id)
{
    {
        std::lock_guard lock(g_commandsMutex);
        g_commands.clear();
    }
    return std::async(std::launch::async,
                      [id] { return DialogBoxParamW(GetModuleHandleW(nullptr), id, nullptr, EndingDialogProc, 0); });
}

HWND WaitForDialog(int controlId)
{
    return automation::WaitForWindowWithControl(controlId);
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

} // namespace

TEST(ProgramTemplates, EnterGivesEachStepsOwnNextAndTheRadioGroupsAreAsTheStepsWant)
{
    // Step 2: Next is id 3, and the two body formats are groups of their own.
    auto step2 = RunDialog(136);
    HWND dialog = WaitForDialog(1049);
    ASSERT_NE(dialog, nullptr);
    automation::Click(GetDlgItem(dialog, 1049));
    ASSERT_TRUE(automation::WaitUntil([&] { return Checked(dialog, 1049); }));
    automation::Click(GetDlgItem(dialog, 1050));
    ASSERT_TRUE(automation::WaitUntil([&] { return Checked(dialog, 1050); }));
    EXPECT_TRUE(Checked(dialog, 1049)) << "the template does not make them clear each other";
    automation::PressKey(GetDlgItem(dialog, 1012), VK_RETURN);
    ASSERT_EQ(step2.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(step2.get(), 3);

    // Step 4: the two PST choices are one group.
    auto step4 = RunDialog(148);
    dialog = WaitForDialog(1028);
    ASSERT_NE(dialog, nullptr);
    automation::Click(GetDlgItem(dialog, 1010));
    ASSERT_TRUE(automation::WaitUntil([&] { return Checked(dialog, 1010); }));
    automation::Click(GetDlgItem(dialog, 1011));
    ASSERT_TRUE(automation::WaitUntil([&] { return Checked(dialog, 1011) && !Checked(dialog, 1010); }));
    automation::PressKey(GetDlgItem(dialog, 1028), VK_RETURN);
    ASSERT_EQ(step4.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(step4.get(), IDOK);

    // Step 1: the three modes are one group; Enter is Next.
    auto step1 = RunDialog(102);
    dialog = WaitForDialog(1048);
    ASSERT_NE(dialog, nullptr);
    automation::Click(GetDlgItem(dialog, 1010));
    ASSERT_TRUE(automation::WaitUntil([&] { return Checked(dialog, 1010); }));
    automation::Click(GetDlgItem(dialog, 1048));
    ASSERT_TRUE(automation::WaitUntil([&] { return Checked(dialog, 1048) && !Checked(dialog, 1010); }));
    automation::PressKey(dialog, VK_RETURN);
    ASSERT_EQ(step1.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(step1.get(), IDOK);
}

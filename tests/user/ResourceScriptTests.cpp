#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Resources.h"

#include <gtest/gtest.h>

namespace {

const char* kScript = R"rc(
// The main dialog of a test program.
#include "resource.h"
102 DIALOGEX 0, 0, 475, 300
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE
EXSTYLE WS_EX_APPWINDOW
CAPTION "Marlwick"
MENU 130
FONT 8, "MS Shell Dlg", 0, 0, 0x1
BEGIN
    CONTROL         "Mails",1010,"Button",BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,208,156,31,10
    DEFPUSHBUTTON   "Next",IDOK,414,280,57,16
    PUSHBUTTON      "Cancel",IDCANCEL,4,280,57,16, NOT WS_TABSTOP
    LTEXT           "Say ""hi""",IDC_STATIC,50,96,382,28
    EDITTEXT        1012,10,20,200,14,ES_AUTOHSCROLL
    ICON            128,1001,5,5
END

130 MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "E&xit", 32771
    END
    POPUP "&Help"
    BEGIN
        MENUITEM "&Contents   F1", 32775
        MENUITEM SEPARATOR
        MENUITEM "&About Us", 32776
    END
END

STRINGTABLE
BEGIN
    101 "&About Pellinor for Lotus Notes NSF - MS Outlook PST"
    102, "second\tline"
END

131 ICON "view.ico"
)rc";

} // namespace

TEST(ResourceScript, ReadsDialogsMenusStringsAndFiles)
{
    user::ResourceSet set;
    user::ScriptError error;
    auto reader = [](const std::string& name) -> std::optional<std::vector<BYTE>> {
        if (name == "view.ico")
            return std::vector<BYTE>{0, 0, 1, 0};
        return std::nullopt;
    };
    ASSERT_TRUE(user::ParseResourceScript(kScript, reader, set, &error)) << error.line << ": " << error.message;

    const auto& dialog = set.dialogs.at(102);
    EXPECT_EQ(dialog.cx, 475);
    EXPECT_EQ(dialog.cy, 300);
    EXPECT_EQ(dialog.caption, u"Marlwick");
    EXPECT_EQ(dialog.menuId, 130);
    EXPECT_EQ(dialog.fontFace, u"MS Shell Dlg");
    EXPECT_EQ(dialog.fontSize, 8);
    EXPECT_EQ(dialog.style & (WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX), WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX);
    EXPECT_EQ(dialog.exStyle, WS_EX_APPWINDOW);
    ASSERT_EQ(dialog.controls.size(), 6u);

    const auto& mails = dialog.controls[0];
    EXPECT_EQ(mails.id, 1010);
    EXPECT_EQ(mails.className, u"Button");
    EXPECT_EQ(mails.style, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP);
    EXPECT_EQ(mails.x, 208);
    EXPECT_EQ(mails.cy, 10);

    EXPECT_EQ(dialog.controls[1].id, IDOK);
    EXPECT_EQ(dialog.controls[1].style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(dialog.controls[2].style & WS_TABSTOP, 0u); // NOT takes a default style away
    EXPECT_EQ(dialog.controls[3].text, u"Say \"hi\"");
    EXPECT_EQ(dialog.controls[3].id, IDC_STATIC);
    EXPECT_EQ(dialog.controls[4].className, u"Edit");
    EXPECT_EQ(dialog.controls[4].style & (ES_AUTOHSCROLL | WS_BORDER), ES_AUTOHSCROLL | WS_BORDER);
    EXPECT_EQ(dialog.controls[5].text, u"#128");
    EXPECT_EQ(dialog.controls[5].style & SS_TYPEMASK, SS_ICON);

    const auto& menu = set.menus.at(130);
    ASSERT_EQ(menu.items.size(), 2u);
    EXPECT_EQ(menu.items[0].text, u"&File");
    EXPECT_EQ(menu.items[0].popup[0].id, 32771u);
    EXPECT_TRUE(menu.items[1].popup[1].separator);
    EXPECT_EQ(menu.items[1].popup[2].text, u"&About Us");

    EXPECT_EQ(set.strings.at(101), u"&About Pellinor for Lotus Notes NSF - MS Outlook PST");
    EXPECT_EQ(set.strings.at(102), u"second\tline");
    EXPECT_EQ(set.icons.at(131).size(), 4u);
}

TEST(ResourceScript, ErrorsNameTheirLine)
{
    user::ResourceSet set;
    user::ScriptError error;
    EXPECT_FALSE(user::ParseResourceScript("1 DIALOGEX 0,0,10,10\nSTYLE WS_BOGUS\nBEGIN\nEND\n", nullptr, set, &error));
    EXPECT_EQ(error.line, 2);
    EXPECT_NE(error.message.find("WS_BOGUS"), std::string::npos);
    EXPECT_FALSE(user::ParseResourceScript("1 ICON \"missing.ico\"\n", nullptr, set, &error));
    EXPECT_FALSE(user::ParseResourceScript("1 DIALOGEX 0,0,10,10\nBEGIN\nLTEXT \"x\",1,0,0,1,1\n", nullptr, set,
                                           &error));
    EXPECT_NE(error.message.find("END"), std::string::npos);
    EXPECT_FALSE(user::ParseResourceScript("STRINGTABLE\nBEGIN\n5 \"open\n", nullptr, set, &error));
}

TEST(ResourceScript, StringsLoadCutToTheirBuffer)
{
    user::ResourceSet set;
    set.strings[101] = u"&About Pellinor";
    auto module = reinterpret_cast<HINSTANCE>(0x5151);
    user::RegisterResources(module, set);
    WCHAR buffer[7];
    EXPECT_EQ(LoadStringW(module, 101, buffer, 7), 6);
    EXPECT_EQ(std::u16string(buffer), u"&About");
    EXPECT_EQ(LoadStringW(module, 999, buffer, 7), 0);
    EXPECT_EQ(buffer[0], 0);
}

TEST(ResourceScript, VersionBlocksKeepTheirNumbersStringTablesAndTranslations)
{
    const char* script = R"rc(
1 VERSIONINFO
 FILEVERSION 1,0,0,1
 PRODUCTVERSION 2,3,4,5
 FILEFLAGSMASK 0x3fL
 FILEOS 0x4L
 FILETYPE 0x1L
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904B0"
        BEGIN
            VALUE "FileVersion", "1, 0, 0, 1"
            VALUE "ProductName", "Tool Application"
        END
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x409, 1200, 0x407, 1252
    END
END
)rc";
    user::ResourceSet set;
    user::ScriptError error;
    ASSERT_TRUE(user::ParseResourceScript(script, nullptr, set, &error)) << error.line << ": " << error.message;
    const user::VersionResource& version = set.versions.at(1);
    EXPECT_EQ(version.fileVersion[0], 1);
    EXPECT_EQ(version.fileVersion[3], 1);
    EXPECT_EQ(version.productVersion[1], 3);
    EXPECT_EQ(version.productVersion[3], 5);
    EXPECT_EQ(version.fileFlagsMask, 0x3Fu);
    EXPECT_EQ(version.fileOS, 4u);
    EXPECT_EQ(version.fileType, 1u);
    EXPECT_EQ(version.fileFlags, 0u);
    const auto& table = version.stringTables.at(u"040904B0");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].first, u"FileVersion");
    EXPECT_EQ(table[0].second, u"1, 0, 0, 1");
    EXPECT_EQ(table[1].second, u"Tool Application");
    ASSERT_EQ(version.translations.size(), 2u);
    EXPECT_EQ(version.translations[0], (std::pair<WORD, WORD>{0x409, 1200}));
    EXPECT_EQ(version.translations[1], (std::pair<WORD, WORD>{0x407, 1252}));

    const HINSTANCE module = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x7E571000));
    user::RegisterResources(module, set);
    ASSERT_NE(user::FindVersionResource(module, 1), nullptr);
    EXPECT_EQ(user::FindVersionResource(module, 1)->productVersion[0], 2);
    EXPECT_EQ(user::FindVersionResource(module, 2), nullptr);
}

TEST(ResourceScript, DamagedVersionBlocksFailAtTheirLine)
{
    struct Case {
        const char* script;
        int line;
        const char* message;
    } cases[] = {
        {"1 VERSIONINFO\n FILEVERSION 1,0,0\nBEGIN\nEND\n", 3, "expected ','"},
        {"1 VERSIONINFO\n FILECOLOUR 1\nBEGIN\nEND\n", 2, "unexpected FILECOLOUR in a version block"},
        {"1 VERSIONINFO\nBEGIN\n BLOCK \"Other\"\nBEGIN\nEND\nEND\n", 4, "unknown version block Other"},
        {"1 VERSIONINFO\nBEGIN\n BLOCK \"VarFileInfo\"\n BEGIN\n  VALUE \"Translation\", 0x409\n END\nEND\n", 6,
         "expected ','"},
        {"1 VERSIONINFO\nBEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n  BLOCK \"040904B0\"\n  BEGIN\n", 7,
         "expected VALUE"},
    };
    for (const Case& c : cases) {
        user::ResourceSet set;
        user::ScriptError error;
        EXPECT_FALSE(user::ParseResourceScript(c.script, nullptr, set, &error)) << c.script;
        EXPECT_EQ(error.line, c.line) << c.script;
        EXPECT_EQ(error.message, c.message) << c.script;
        EXPECT_TRUE(set.versions.empty());
    }
}

TEST(ResourceScript, NumbersTooLargeForTheirFieldFailAtTheirLine)
{
    struct Case {
        const char* script;
        int line;
        const char* message;
    } cases[] = {
        {"\n1 DIALOGEX 0, 0, 99999999999999999999, 10\nBEGIN\nEND\n", 2, "number too large: 99999999999999999999"},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n LTEXT \"x\", 5, 0, 0x10000, 1, 1\nEND\n", 3,
         "number too large for a 16-bit value: 65536"},
        {"1 DIALOGEX 0, 0, 10, 10\nSTYLE 0x100000000\nBEGIN\nEND\n", 2, "number too large for a 32-bit value: 4294967296"},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n CONTROL \"x\", 0xFFFFFFFFFFFFFFFFF, \"Button\", 0, 0, 0, 1, 1\nEND\n", 3,
         "number too large: 0xFFFFFFFFFFFFFFFFF"},
        {"70000 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n", 1, "number too large for a 16-bit value: 70000"},
        {"STRINGTABLE\nBEGIN\n 65536 \"x\"\nEND\n", 3, "number too large for a 16-bit value: 65536"},
        {"1 VERSIONINFO\n FILEVERSION 1, 0, 65536, 0\nBEGIN\nEND\n", 2, "number too large for a 16-bit value: 65536"},
        {"1 MENU\nBEGIN\n MENUITEM \"x\", 5000000000\nEND\n", 3, "number too large for a 32-bit value: 5000000000"},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n ICON 99999999999999999999, 3, 0, 0\nEND\n", 3,
         "number too large: 99999999999999999999"},
    };
    for (const Case& c : cases) {
        user::ResourceSet set;
        user::ScriptError error;
        EXPECT_FALSE(user::ParseResourceScript(c.script, nullptr, set, &error)) << c.script;
        EXPECT_EQ(error.line, c.line) << c.script;
        EXPECT_EQ(error.message, c.message) << c.script;
    }
}

TEST(ResourceScript, NumbersAtTheEdgesOfTheirFieldKeepTheirBits)
{
    user::ResourceSet set;
    user::ScriptError error;
    ASSERT_TRUE(user::ParseResourceScript("65535 DIALOGEX -32768, 32767, 65535, 0\nSTYLE 0xFFFFFFFF\nBEGIN\n"
                                          " LTEXT \"x\", -1, 0, 0, 1, 1\nEND\n",
                                          nullptr, set, &error))
        << error.line << ": " << error.message;
    const auto& dialog = set.dialogs.at(65535);
    EXPECT_EQ(dialog.x, -32768);
    EXPECT_EQ(dialog.y, 32767);
    EXPECT_EQ(dialog.cx, -1);
    EXPECT_EQ(dialog.style, 0xFFFFFFFFu);
    EXPECT_EQ(dialog.controls.at(0).id, -1);
}

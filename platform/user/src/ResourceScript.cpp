// The resource script reader: DIALOG/DIALOGEX, MENU, STRINGTABLE, ICON,
// BITMAP and VERSIONINFO statements, with the control statements of dialogs and their default
// styles.
#include "ResourceLexer.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Resources.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <limits>
#include <type_traits>

namespace user {

namespace {

using script::Kind;
using script::Lexer;
using script::Token;

struct ControlKeyword {
    const char* keyword;
    const char16_t* className;
    DWORD style;
};

// The control statements and their default styles, as the resource compiler
// of Windows gives them (every control also has WS_CHILD | WS_VISIBLE).
const ControlKeyword kControlKeywords[] = {
    {"PUSHBUTTON", u"Button", BS_PUSHBUTTON | WS_TABSTOP},
    {"DEFPUSHBUTTON", u"Button", BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"CHECKBOX", u"Button", BS_CHECKBOX | WS_TABSTOP},
    {"AUTOCHECKBOX", u"Button", BS_AUTOCHECKBOX | WS_TABSTOP},
    {"RADIOBUTTON", u"Button", BS_RADIOBUTTON},
    {"AUTORADIOBUTTON", u"Button", BS_AUTORADIOBUTTON},
    {"GROUPBOX", u"Button", BS_GROUPBOX},
    {"LTEXT", u"Static", SS_LEFT | WS_GROUP},
    {"RTEXT", u"Static", SS_RIGHT | WS_GROUP},
    {"CTEXT", u"Static", SS_CENTER | WS_GROUP},
    {"EDITTEXT", u"Edit", ES_LEFT | WS_BORDER | WS_TABSTOP},
    {"ICON", u"Static", SS_ICON},
};

class Parser {
public:
    Parser(const std::string& text, const ResourceFileReader& reader, ResourceSet& set)
        : m_lexer(text)
        , m_reader(reader)
        , m_set(set)
    {
        Advance();
    }

    bool Run(ScriptError* error)
    {
        while (m_token.kind != Kind::End) {
            if (!Statement())
                break;
        }
        if (m_failed && error)
            *error = {m_errorLine, m_error};
        if (!m_failed && m_token.kind == Kind::End && m_token.text == "unterminated string") {
            if (error)
                *error = {m_token.line, m_token.text};
            return false;
        }
        return !m_failed;
    }

private:
    void Advance() { m_token = m_lexer.Next(); }

    bool Fail(const std::string& message) { return FailAt(m_token.line, message); }

    bool FailAt(int line, const std::string& message)
    {
        if (!m_failed) {
            m_failed = true;
            m_error = message;
            m_errorLine = line;
        }
        return false;
    }

    bool IsWord(const char* word) const { return m_token.kind == Kind::Word && m_token.text == word; }
    bool IsPunct(char c) const { return m_token.kind == Kind::Punct && m_token.text[0] == c; }

    bool Expect(const char* word)
    {
        if (!IsWord(word))
            return Fail(std::string("expected ") + word);
        Advance();
        return true;
    }

    bool Comma()
    {
        if (!IsPunct(','))
            return Fail("expected ','");
        Advance();
        return true;
    }

    bool SkipComma()
    {
        if (IsPunct(',')) {
            Advance();
            return true;
        }
        return false;
    }

    // A number or a symbol, or several joined by | (with NOT to remove one).
    bool Value(long long* out, long long base = 0)
    {
        long long value = base;
        bool first = true;
        for (;;) {
            bool negate = false;
            if (IsWord("NOT")) {
                negate = true;
                Advance();
            }
            long long term;
            if (m_token.kind == Kind::Number) {
                if (m_token.tooLarge)
                    return Fail("number too large: " + m_token.text);
                term = m_token.number;
            } else if (m_token.kind == Kind::Word) {
                auto symbol = ResourceSymbol(m_token.text);
                if (!symbol)
                    return Fail("unknown symbol " + m_token.text);
                term = *symbol;
            } else {
                return Fail("expected a number or a symbol");
            }
            Advance();
            if (negate)
                value &= ~term;
            else if (first && base == 0)
                value = term;
            else
                value |= term;
            first = false;
            if (!IsPunct('|'))
                break;
            Advance();
        }
        *out = value;
        return true;
    }

    // A value stored in a field of type T: it must fit T's bits, read
    // signed or unsigned (so -1 and 0xFFFF both fit a 16-bit field).
    template <class T>
    bool ValueOf(T* out, long long base = 0)
    {
        const int line = m_token.line;
        long long value;
        if (!Value(&value, base))
            return false;
        using Signed = std::make_signed_t<T>;
        using Unsigned = std::make_unsigned_t<T>;
        if (value < static_cast<long long>(std::numeric_limits<Signed>::min())
            || value > static_cast<long long>(std::numeric_limits<Unsigned>::max()))
            return FailAt(line, "number too large for a " + std::to_string(sizeof(T) * 8) + "-bit value: "
                                    + std::to_string(value));
        *out = static_cast<T>(value);
        return true;
    }

    bool Text(std::u16string* out)
    {
        if (m_token.kind != Kind::String)
            return Fail("expected a string");
        *out = Utf8ToUtf16(m_token.text);
        Advance();
        return true;
    }

    bool Statement()
    {
        if (IsWord("STRINGTABLE")) {
            Advance();
            return StringTable();
        }
        WORD resourceId;
        if (!ValueOf(&resourceId))
            return false;
        const int id = resourceId;
        if (IsWord("DIALOG") || IsWord("DIALOGEX")) {
            Advance();
            return Dialog(id);
        }
        if (IsWord("MENU") || IsWord("MENUEX")) {
            Advance();
            MenuTemplate menu;
            menu.id = id;
            if (!MenuItems(menu.items))
                return false;
            m_set.menus[menu.id] = std::move(menu);
            return true;
        }
        if (IsWord("ICON") || IsWord("BITMAP")) {
            bool icon = IsWord("ICON");
            Advance();
            const int line = m_token.line;
            std::u16string file;
            if (!Text(&file))
                return false;
            auto bytes = m_reader ? m_reader(Utf16ToUtf8(file)) : std::nullopt;
            if (!bytes)
                return FailAt(line, "cannot read " + Utf16ToUtf8(file));
            (icon ? m_set.icons : m_set.bitmaps)[id] = std::move(*bytes);
            return true;
        }
        if (IsWord("VERSIONINFO")) {
            Advance();
            return VersionInfo(id);
        }
        return Fail("unknown statement " + m_token.text);
    }

    bool VersionInfo(int id)
    {
        VersionResource version;
        const std::pair<const char*, DWORD*> fixed[] = {
            {"FILEFLAGSMASK", &version.fileFlagsMask}, {"FILEFLAGS", &version.fileFlags},
            {"FILEOS", &version.fileOS},               {"FILETYPE", &version.fileType},
            {"FILESUBTYPE", &version.fileSubtype}};
        while (!IsWord("BEGIN")) {
            if (IsWord("FILEVERSION") || IsWord("PRODUCTVERSION")) {
                WORD* parts = IsWord("FILEVERSION") ? version.fileVersion : version.productVersion;
                Advance();
                for (int i = 0; i < 4; ++i) {
                    if ((i > 0 && !Comma()) || !ValueOf(&parts[i]))
                        return false;
                }
                continue;
            }
            DWORD* field = nullptr;
            for (const auto& [keyword, target] : fixed) {
                if (IsWord(keyword))
                    field = target;
            }
            if (!field)
                return Fail("unexpected " + m_token.text + " in a version block");
            Advance();
            if (!ValueOf(field))
                return false;
        }
        Advance();
        while (!IsWord("END")) {
            std::u16string name;
            if (!Expect("BLOCK") || !Text(&name))
                return false;
            if (name == u"StringFileInfo") {
                if (!StringFileInfo(version))
                    return false;
            } else if (name == u"VarFileInfo") {
                if (!VarFileInfo(version))
                    return false;
            } else {
                return Fail("unknown version block " + Utf16ToUtf8(name));
            }
        }
        Advance();
        m_set.versions[id] = std::move(version);
        return true;
    }

    // BEGIN BLOCK "040904B0" BEGIN VALUE "name", "value" ... END ... END
    bool StringFileInfo(VersionResource& version)
    {
        if (!Expect("BEGIN"))
            return false;
        while (!IsWord("END")) {
            std::u16string key;
            if (!Expect("BLOCK") || !Text(&key) || !Expect("BEGIN"))
                return false;
            auto& table = version.stringTables[key];
            while (!IsWord("END")) {
                std::u16string name, value;
                if (!Expect("VALUE") || !Text(&name) || !Comma() || !Text(&value))
                    return false;
                table.emplace_back(std::move(name), std::move(value));
            }
            Advance();
        }
        Advance();
        return true;
    }

    // BEGIN VALUE "Translation", language, code page [, language, code page]... END
    bool VarFileInfo(VersionResource& version)
    {
        std::u16string name;
        if (!Expect("BEGIN") || !Expect("VALUE") || !Text(&name))
            return false;
        if (name != u"Translation")
            return Fail("unknown version value " + Utf16ToUtf8(name));
        while (SkipComma()) {
            WORD language, codePage;
            if (!ValueOf(&language) || !Comma() || !ValueOf(&codePage))
                return false;
            version.translations.emplace_back(language, codePage);
        }
        return Expect("END");
    }

    bool StringTable()
    {
        if (!Expect("BEGIN"))
            return false;
        while (!IsWord("END")) {
            WORD id;
            if (!ValueOf(&id))
                return false;
            SkipComma();
            std::u16string text;
            if (!Text(&text))
                return false;
            m_set.strings[id] = std::move(text);
        }
        Advance();
        return true;
    }

    bool Dialog(int id)
    {
        DialogTemplate dialog;
        dialog.id = id;
        if (!ValueOf(&dialog.x) || !Comma() || !ValueOf(&dialog.y) || !Comma() || !ValueOf(&dialog.cx) || !Comma()
            || !ValueOf(&dialog.cy))
            return false;
        dialog.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        while (!IsWord("BEGIN")) {
            if (IsWord("STYLE")) {
                Advance();
                if (!ValueOf(&dialog.style))
                    return false;
            } else if (IsWord("EXSTYLE")) {
                Advance();
                if (!ValueOf(&dialog.exStyle))
                    return false;
            } else if (IsWord("CAPTION")) {
                Advance();
                if (!Text(&dialog.caption))
                    return false;
                dialog.style |= WS_CAPTION;
            } else if (IsWord("MENU")) {
                Advance();
                WORD menuId;
                if (!ValueOf(&menuId))
                    return false;
                dialog.menuId = menuId;
            } else if (IsWord("FONT")) {
                Advance();
                WORD fontSize;
                if (!ValueOf(&fontSize) || !Comma() || !Text(&dialog.fontFace))
                    return false;
                dialog.fontSize = fontSize;
                while (SkipComma()) {
                    DWORD ignored; // weight, italic, character set
                    if (!ValueOf(&ignored))
                        return false;
                }
            } else {
                return Fail("unexpected " + m_token.text + " in a dialog");
            }
        }
        Advance();
        while (!IsWord("END")) {
            if (m_token.kind == Kind::End)
                return Fail("missing END of dialog");
            if (!Control(dialog))
                return false;
        }
        Advance();
        m_set.dialogs[id] = std::move(dialog);
        return true;
    }

    bool Control(DialogTemplate& dialog)
    {
        DialogControl control;
        if (IsWord("CONTROL")) {
            // CONTROL text, id, class, style, x, y, cx, cy [, exstyle]
            Advance();
            if (!Text(&control.text) || !Comma() || !ValueOf(&control.id) || !Comma())
                return false;
            if (!Text(&control.className) || !Comma())
                return false;
            if (!ValueOf(&control.style, WS_CHILD | WS_VISIBLE))
                return false;
            if (!Comma() || !Box(control))
                return false;
            if (SkipComma() && !ValueOf(&control.exStyle))
                return false;
            dialog.controls.push_back(std::move(control));
            return true;
        }
        const ControlKeyword* keyword = nullptr;
        for (const auto& k : kControlKeywords) {
            if (IsWord(k.keyword))
                keyword = &k;
        }
        if (!keyword)
            return Fail("unknown control " + m_token.text);
        bool isEdit = IsWord("EDITTEXT");
        bool isIcon = IsWord("ICON");
        Advance();
        control.className = keyword->className;
        if (!isEdit) {
            if (isIcon && m_token.kind == Kind::Number) {
                if (m_token.tooLarge)
                    return Fail("number too large: " + m_token.text);
                control.text = u"#" + Utf8ToUtf16(std::to_string(m_token.number));
                Advance();
            } else if (!Text(&control.text)) {
                return false;
            }
            if (!Comma())
                return false;
        }
        if (!ValueOf(&control.id) || !Comma())
            return false;
        if (isIcon) {
            if (!ValueOf(&control.x) || !Comma() || !ValueOf(&control.y))
                return false;
            if (SkipComma() && (!ValueOf(&control.cx) || !Comma() || !ValueOf(&control.cy)))
                return false;
        } else if (!Box(control)) {
            return false;
        }
        control.style = WS_CHILD | WS_VISIBLE | keyword->style;
        if (SkipComma()) {
            if (!ValueOf(&control.style, control.style))
                return false;
            if (SkipComma() && !ValueOf(&control.exStyle))
                return false;
        }
        dialog.controls.push_back(std::move(control));
        return true;
    }

    bool Box(DialogControl& control)
    {
        return ValueOf(&control.x) && Comma() && ValueOf(&control.y) && Comma() && ValueOf(&control.cx) && Comma()
            && ValueOf(&control.cy);
    }

    bool MenuItems(std::vector<MenuItemTemplate>& items)
    {
        if (!Expect("BEGIN"))
            return false;
        while (!IsWord("END")) {
            if (m_token.kind == Kind::End)
                return Fail("missing END of menu");
            MenuItemTemplate item;
            if (IsWord("POPUP")) {
                Advance();
                if (!Text(&item.text))
                    return false;
                item.isPopup = true;
                if (!MenuItems(item.popup))
                    return false;
            } else if (IsWord("MENUITEM")) {
                Advance();
                if (IsWord("SEPARATOR")) {
                    Advance();
                    item.separator = true;
                } else {
                    if (!Text(&item.text) || !Comma() || !ValueOf(&item.id))
                        return false;
                }
            } else {
                return Fail("unexpected " + m_token.text + " in a menu");
            }
            items.push_back(std::move(item));
        }
        Advance();
        return true;
    }

    Lexer m_lexer;
    const ResourceFileReader& m_reader;
    ResourceSet& m_set;
    Token m_token;
    bool m_failed = false;
    std::string m_error;
    int m_errorLine = 0;
};

} // namespace

bool ParseResourceScript(const std::string& text, const ResourceFileReader& readFile, ResourceSet& set,
                         ScriptError* error)
{
    Parser parser(text, readFile, set);
    return parser.Run(error);
}

} // namespace user

// The resource script reader: DIALOG/DIALOGEX, MENU, STRINGTABLE, ICON and
// BITMAP statements, with the control statements of dialogs and their default
// styles.
#include "user/CommCtrl.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Resources.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cctype>
#include <unordered_map>

namespace user {

namespace {

#define SYMBOL(name) {#name, static_cast<long long>(name)}
const std::unordered_map<std::string, long long> kSymbols = {
    SYMBOL(WS_OVERLAPPED), SYMBOL(WS_POPUP), SYMBOL(WS_CHILD), SYMBOL(WS_MINIMIZE), SYMBOL(WS_VISIBLE),
    SYMBOL(WS_DISABLED), SYMBOL(WS_CLIPSIBLINGS), SYMBOL(WS_CLIPCHILDREN), SYMBOL(WS_MAXIMIZE), SYMBOL(WS_CAPTION),
    SYMBOL(WS_BORDER), SYMBOL(WS_DLGFRAME), SYMBOL(WS_VSCROLL), SYMBOL(WS_HSCROLL), SYMBOL(WS_SYSMENU),
    SYMBOL(WS_THICKFRAME), SYMBOL(WS_GROUP), SYMBOL(WS_TABSTOP), SYMBOL(WS_MINIMIZEBOX), SYMBOL(WS_MAXIMIZEBOX),
    SYMBOL(WS_OVERLAPPEDWINDOW), SYMBOL(WS_POPUPWINDOW), SYMBOL(WS_EX_DLGMODALFRAME), SYMBOL(WS_EX_TOPMOST),
    SYMBOL(WS_EX_TRANSPARENT), SYMBOL(WS_EX_TOOLWINDOW), SYMBOL(WS_EX_WINDOWEDGE), SYMBOL(WS_EX_CLIENTEDGE),
    SYMBOL(WS_EX_CONTROLPARENT), SYMBOL(WS_EX_STATICEDGE), SYMBOL(WS_EX_APPWINDOW), SYMBOL(WS_EX_NOPARENTNOTIFY),
    SYMBOL(DS_ABSALIGN), SYMBOL(DS_SYSMODAL), SYMBOL(DS_SETFONT), SYMBOL(DS_MODALFRAME), SYMBOL(DS_SETFOREGROUND),
    SYMBOL(DS_3DLOOK), SYMBOL(DS_FIXEDSYS), SYMBOL(DS_CONTROL), SYMBOL(DS_CENTER), SYMBOL(DS_SHELLFONT),
    SYMBOL(BS_PUSHBUTTON), SYMBOL(BS_DEFPUSHBUTTON), SYMBOL(BS_CHECKBOX), SYMBOL(BS_AUTOCHECKBOX),
    SYMBOL(BS_RADIOBUTTON), SYMBOL(BS_3STATE), SYMBOL(BS_AUTO3STATE), SYMBOL(BS_GROUPBOX),
    SYMBOL(BS_AUTORADIOBUTTON), SYMBOL(BS_OWNERDRAW), SYMBOL(BS_LEFTTEXT), SYMBOL(BS_ICON), SYMBOL(BS_BITMAP),
    SYMBOL(BS_LEFT), SYMBOL(BS_RIGHT), SYMBOL(BS_CENTER), SYMBOL(BS_TOP), SYMBOL(BS_BOTTOM), SYMBOL(BS_VCENTER),
    SYMBOL(BS_PUSHLIKE), SYMBOL(BS_MULTILINE), SYMBOL(BS_NOTIFY), SYMBOL(BS_FLAT), SYMBOL(SS_LEFT),
    SYMBOL(SS_CENTER), SYMBOL(SS_RIGHT), SYMBOL(SS_ICON), SYMBOL(SS_BLACKRECT), SYMBOL(SS_GRAYRECT),
    SYMBOL(SS_WHITERECT), SYMBOL(SS_BLACKFRAME), SYMBOL(SS_GRAYFRAME), SYMBOL(SS_WHITEFRAME), SYMBOL(SS_SIMPLE),
    SYMBOL(SS_LEFTNOWORDWRAP), SYMBOL(SS_OWNERDRAW), SYMBOL(SS_BITMAP), SYMBOL(SS_ETCHEDHORZ),
    SYMBOL(SS_ETCHEDVERT), SYMBOL(SS_ETCHEDFRAME), SYMBOL(SS_NOPREFIX), SYMBOL(SS_NOTIFY),
    SYMBOL(SS_CENTERIMAGE), SYMBOL(SS_SUNKEN), SYMBOL(ES_LEFT), SYMBOL(ES_CENTER), SYMBOL(ES_RIGHT),
    SYMBOL(ES_MULTILINE), SYMBOL(ES_UPPERCASE), SYMBOL(ES_LOWERCASE), SYMBOL(ES_PASSWORD),
    SYMBOL(ES_AUTOVSCROLL), SYMBOL(ES_AUTOHSCROLL), SYMBOL(ES_NOHIDESEL), SYMBOL(ES_READONLY),
    SYMBOL(ES_WANTRETURN), SYMBOL(ES_NUMBER), SYMBOL(PBS_SMOOTH), SYMBOL(PBS_VERTICAL), SYMBOL(TVS_HASBUTTONS),
    SYMBOL(TVS_HASLINES), SYMBOL(TVS_LINESATROOT), SYMBOL(TVS_EDITLABELS), SYMBOL(TVS_DISABLEDRAGDROP),
    SYMBOL(TVS_SHOWSELALWAYS), SYMBOL(TVS_CHECKBOXES), SYMBOL(TVS_TRACKSELECT), SYMBOL(TVS_FULLROWSELECT),
    SYMBOL(IDOK), SYMBOL(IDCANCEL), SYMBOL(IDABORT), SYMBOL(IDRETRY), SYMBOL(IDIGNORE), SYMBOL(IDYES),
    SYMBOL(IDNO), SYMBOL(IDCLOSE), SYMBOL(IDHELP), SYMBOL(IDC_STATIC),
};
#undef SYMBOL

enum class Kind { End, Word, Number, String, Punct };

struct Token {
    Kind kind = Kind::End;
    std::string text;
    long long number = 0;
    int line = 0;
};

class Lexer {
public:
    explicit Lexer(const std::string& text)
        : m_text(text)
    {
    }

    Token Next()
    {
        SkipSpace();
        Token token;
        token.line = m_line;
        if (m_pos >= m_text.size())
            return token;
        char c = m_text[m_pos];
        if (c == '"') {
            token.kind = Kind::String;
            ++m_pos;
            while (m_pos < m_text.size()) {
                char d = m_text[m_pos++];
                if (d == '"') {
                    if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                        token.text += '"';
                        ++m_pos;
                        continue;
                    }
                    return token;
                }
                if (d == '\\' && m_pos < m_text.size()) {
                    char e = m_text[m_pos++];
                    token.text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                    continue;
                }
                if (d == '\n')
                    ++m_line;
                token.text += d;
            }
            token.kind = Kind::End; // an unterminated string
            token.text = "unterminated string";
            return token;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || (c == '-' && m_pos + 1 < m_text.size()
                                                            && std::isdigit(static_cast<unsigned char>(m_text[m_pos + 1])))) {
            std::size_t used = 0;
            token.kind = Kind::Number;
            token.number = std::stoll(m_text.substr(m_pos), &used, 0);
            m_pos += used;
            while (m_pos < m_text.size() && (m_text[m_pos] == 'L' || m_text[m_pos] == 'l'))
                ++m_pos;
            return token;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            token.kind = Kind::Word;
            while (m_pos < m_text.size()
                   && (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_'))
                token.text += m_text[m_pos++];
            return token;
        }
        token.kind = Kind::Punct;
        token.text = std::string(1, c);
        ++m_pos;
        return token;
    }

private:
    void SkipSpace()
    {
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_pos;
            } else if (m_text.compare(m_pos, 2, "//") == 0 || (c == '#' && AtLineStart())) {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                    ++m_pos;
            } else if (m_text.compare(m_pos, 2, "/*") == 0) {
                std::size_t end = m_text.find("*/", m_pos + 2);
                for (std::size_t i = m_pos; i < std::min(end, m_text.size()); ++i)
                    m_line += m_text[i] == '\n';
                m_pos = end == std::string::npos ? m_text.size() : end + 2;
            } else {
                return;
            }
        }
    }

    bool AtLineStart() const
    {
        std::size_t i = m_pos;
        while (i > 0 && (m_text[i - 1] == ' ' || m_text[i - 1] == '\t'))
            --i;
        return i == 0 || m_text[i - 1] == '\n';
    }

    const std::string& m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
};

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

    bool Fail(const std::string& message)
    {
        if (!m_failed) {
            m_failed = true;
            m_error = message;
            m_errorLine = m_token.line;
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
        long long id;
        if (!Value(&id))
            return false;
        if (IsWord("DIALOG") || IsWord("DIALOGEX")) {
            Advance();
            return Dialog(static_cast<int>(id));
        }
        if (IsWord("MENU") || IsWord("MENUEX")) {
            Advance();
            MenuTemplate menu;
            menu.id = static_cast<int>(id);
            if (!MenuItems(menu.items))
                return false;
            m_set.menus[menu.id] = std::move(menu);
            return true;
        }
        if (IsWord("ICON") || IsWord("BITMAP")) {
            bool icon = IsWord("ICON");
            Advance();
            std::u16string file;
            if (!Text(&file))
                return false;
            auto bytes = m_reader ? m_reader(Utf16ToUtf8(file)) : std::nullopt;
            if (!bytes)
                return Fail("cannot read " + Utf16ToUtf8(file));
            (icon ? m_set.icons : m_set.bitmaps)[static_cast<int>(id)] = std::move(*bytes);
            return true;
        }
        return Fail("unknown statement " + m_token.text);
    }

    bool StringTable()
    {
        if (!Expect("BEGIN"))
            return false;
        while (!IsWord("END")) {
            long long id;
            if (!Value(&id))
                return false;
            SkipComma();
            std::u16string text;
            if (!Text(&text))
                return false;
            m_set.strings[static_cast<int>(id)] = std::move(text);
        }
        Advance();
        return true;
    }

    bool Dialog(int id)
    {
        DialogTemplate dialog;
        dialog.id = id;
        long long x, y, cx, cy;
        if (!Value(&x) || !Comma() || !Value(&y) || !Comma() || !Value(&cx) || !Comma() || !Value(&cy))
            return false;
        dialog.x = static_cast<short>(x);
        dialog.y = static_cast<short>(y);
        dialog.cx = static_cast<short>(cx);
        dialog.cy = static_cast<short>(cy);
        dialog.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        while (!IsWord("BEGIN")) {
            long long value;
            if (IsWord("STYLE")) {
                Advance();
                if (!Value(&value))
                    return false;
                dialog.style = static_cast<DWORD>(value);
            } else if (IsWord("EXSTYLE")) {
                Advance();
                if (!Value(&value))
                    return false;
                dialog.exStyle = static_cast<DWORD>(value);
            } else if (IsWord("CAPTION")) {
                Advance();
                if (!Text(&dialog.caption))
                    return false;
                dialog.style |= WS_CAPTION;
            } else if (IsWord("MENU")) {
                Advance();
                if (!Value(&value))
                    return false;
                dialog.menuId = static_cast<int>(value);
            } else if (IsWord("FONT")) {
                Advance();
                if (!Value(&value) || !Comma() || !Text(&dialog.fontFace))
                    return false;
                dialog.fontSize = static_cast<int>(value);
                while (SkipComma()) {
                    if (!Value(&value))
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
        long long value;
        if (IsWord("CONTROL")) {
            // CONTROL text, id, class, style, x, y, cx, cy [, exstyle]
            Advance();
            if (!Text(&control.text) || !Comma() || !Value(&value) || !Comma())
                return false;
            control.id = static_cast<int>(value);
            if (!Text(&control.className) || !Comma())
                return false;
            if (!Value(&value, WS_CHILD | WS_VISIBLE))
                return false;
            control.style = static_cast<DWORD>(value);
            if (!Comma() || !Box(control))
                return false;
            if (SkipComma()) {
                if (!Value(&value))
                    return false;
                control.exStyle = static_cast<DWORD>(value);
            }
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
                control.text = u"#" + Utf8ToUtf16(std::to_string(m_token.number));
                Advance();
            } else if (!Text(&control.text)) {
                return false;
            }
            if (!Comma())
                return false;
        }
        if (!Value(&value) || !Comma())
            return false;
        control.id = static_cast<int>(value);
        if (isIcon) {
            long long x, y;
            if (!Value(&x) || !Comma() || !Value(&y))
                return false;
            control.x = static_cast<short>(x);
            control.y = static_cast<short>(y);
            if (SkipComma()) {
                long long cx, cy;
                if (!Value(&cx) || !Comma() || !Value(&cy))
                    return false;
                control.cx = static_cast<short>(cx);
                control.cy = static_cast<short>(cy);
            }
        } else if (!Box(control)) {
            return false;
        }
        control.style = WS_CHILD | WS_VISIBLE | keyword->style;
        if (SkipComma()) {
            if (!Value(&value, control.style))
                return false;
            control.style = static_cast<DWORD>(value);
            if (SkipComma()) {
                if (!Value(&value))
                    return false;
                control.exStyle = static_cast<DWORD>(value);
            }
        }
        dialog.controls.push_back(std::move(control));
        return true;
    }

    bool Box(DialogControl& control)
    {
        long long x, y, cx, cy;
        if (!Value(&x) || !Comma() || !Value(&y) || !Comma() || !Value(&cx) || !Comma() || !Value(&cy))
            return false;
        control.x = static_cast<short>(x);
        control.y = static_cast<short>(y);
        control.cx = static_cast<short>(cx);
        control.cy = static_cast<short>(cy);
        return true;
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
                    long long id;
                    if (!Text(&item.text) || !Comma() || !Value(&id))
                        return false;
                    item.id = static_cast<UINT>(id);
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

std::optional<long long> ResourceSymbol(const std::string& name)
{
    auto it = kSymbols.find(name);
    if (it == kSymbols.end())
        return std::nullopt;
    return it->second;
}

bool ParseResourceScript(const std::string& text, const ResourceFileReader& readFile, ResourceSet& set,
                         ScriptError* error)
{
    Parser parser(text, readFile, set);
    return parser.Run(error);
}

} // namespace user

#include "nsfbuild/Description.h"

#include "nsfbuild/NsfWriter.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nsfbuild {

namespace {

using notes::format::RichElement;
using notes::format::RichElementKind;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool DecodeHex(std::string_view hex, std::string& bytes)
{
    if (hex.size() % 2)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

// The character of a Windows-1252 byte, in UTF-8.
std::string Character1252(char byte)
{
    WCHAR wide = 0;
    MultiByteToWideChar(CP_1252, 0, &byte, 1, &wide, 1);
    return Utf16ToUtf8(std::u16string_view(&wide, 1));
}

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string out;
    for (char byte : text)
        out += Character1252(byte);
    return out;
}

bool IsUtf8(std::string_view text)
{
    if (text.empty())
        return true;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                               0) > 0;
}

// Splits a line into words; false for an unterminated quote or a bad escape.
// A \xHH escape is the Windows-1252 character of that byte, or with rawBytes
// the byte itself (for the contents of an attachment).
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& error, bool rawBytes = false)
{
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size())
            return true;
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
            words.push_back(std::move(word));
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            char c = line[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c != '\\') {
                word += c;
                continue;
            }
            if (i >= line.size())
                break;
            char escape = line[i++];
            switch (escape) {
            case 'n': word += '\n'; break;
            case 'r': word += '\r'; break;
            case 't': word += '\t'; break;
            case '"': word += '"'; break;
            case '\\': word += '\\'; break;
            case 'x': {
                std::string byte;
                if (i + 2 > line.size() || !DecodeHex(line.substr(i, 2), byte)) {
                    error = "bad \\x escape";
                    return false;
                }
                word += rawBytes ? byte : Character1252(byte[0]);
                i += 2;
                break;
            }
            default: error = std::string("unknown escape \\") + escape; return false;
            }
        }
        if (!closed) {
            error = "unterminated quoted word";
            return false;
        }
        words.push_back(std::move(word));
    }
}

bool ParseTimeEntry(const std::string& word, DateTimeEntry& entry)
{
    auto range = word.find("..");
    if (range == std::string::npos) {
        auto value = notes::format::ParseDateTime(word);
        if (!value)
            return false;
        entry.start = *value;
        entry.end.reset();
        return true;
    }
    auto start = notes::format::ParseDateTime(std::string_view(word).substr(0, range));
    auto end = notes::format::ParseDateTime(std::string_view(word).substr(range + 2));
    if (!start || !end)
        return false;
    entry.start = *start;
    entry.end = *end;
    return true;
}

bool ParseNumber(const std::string& word, double& number)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    number = std::strtod(word.c_str(), &end);
    return end && *end == '\0';
}

bool ParseUnsigned(const std::string& word, unsigned long& value, int base = 10)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    value = std::strtoul(word.c_str(), &end, base);
    return end && *end == '\0' && word[0] != '-';
}

class DescriptionParser {
public:
    explicit DescriptionParser(DatabaseContent& described) : m_described(described) {}

    // An empty error means the statement was taken.
    std::string Statement(const std::vector<std::string>& w)
    {
        const std::string& verb = w[0];
        std::size_t n = w.size();
        if (verb == "view" || verb == "folder") {
            if (n != 2)
                return verb + " takes one name";
            m_described.viewFolders.push_back(ViewFolderContent{w[1], verb == "folder", {}});
            return {};
        }
        if (verb == "entries") {
            if (m_described.viewFolders.empty())
                return "entries before any view or folder";
            auto& keys = m_described.viewFolders.back().entryKeys;
            keys.insert(keys.end(), w.begin() + 1, w.end());
            return {};
        }
        if (verb == "note") {
            if (n != 2)
                return "note takes one key";
            NoteContent note;
            note.key = w[1];
            note.created = note.modified = note.added = MakeTime(2026, 1, 1);
            m_described.notes.push_back(std::move(note));
            m_richText = nullptr;
            return {};
        }
        if (m_described.notes.empty())
            return "\"" + verb + "\" outside a note";
        NoteContent& note = m_described.notes.back();
        if (verb == "unid") {
            if (n != 2 || w[1].size() != 32)
                return "unid takes 32 hex digits";
            note.unid = w[1];
            return {};
        }
        if (verb == "created" || verb == "modified" || verb == "added") {
            auto value = n == 2 ? notes::format::ParseDateTime(w[1]) : std::nullopt;
            if (!value)
                return verb + " takes one date-time";
            (verb == "created" ? note.created : verb == "modified" ? note.modified : note.added) = *value;
            return {};
        }
        if (verb == "calendar") {
            unsigned long type = 0;
            if (n < 2 || n > 3 || !ParseUnsigned(w[1], type) || (n == 3 && w[2] != "alarm"))
                return "calendar takes a type and an optional alarm";
            note.calendarType = static_cast<LNCALENTRYTYPE>(type);
            note.alarm = n == 3;
            return {};
        }
        if (verb == "text" || verb == "numbers" || verb == "times") {
            if (n < 2)
                return verb + " needs an item name";
            ItemContent item;
            item.name = w[1];
            item.flags = LNITEMFLAGS_SUMMARY;
            for (std::size_t i = 2; i < n; ++i) {
                if (verb == "text") {
                    item.type = LNITEMTYPE_TEXT;
                    item.texts.push_back(w[i]);
                } else if (verb == "numbers") {
                    item.type = LNITEMTYPE_NUMBERS;
                    double number = 0;
                    if (!ParseNumber(w[i], number))
                        return "not a number: " + w[i];
                    item.numbers.push_back(number);
                } else {
                    item.type = LNITEMTYPE_DATETIMES;
                    DateTimeEntry entry;
                    if (!ParseTimeEntry(w[i], entry))
                        return "not a date-time: " + w[i];
                    item.times.push_back(entry);
                }
            }
            item.type = verb == "text" ? LNITEMTYPE_TEXT : verb == "numbers" ? LNITEMTYPE_NUMBERS : LNITEMTYPE_DATETIMES;
            note.items.push_back(std::move(item));
            m_richText = nullptr;
            return {};
        }
        if (verb == "flags") {
            if (note.items.empty())
                return "flags before any item";
            LNITEMFLAGS flags = 0;
            static const std::pair<const char*, LNITEMFLAGS> kFlags[] = {
                {"summary", LNITEMFLAGS_SUMMARY},     {"names", LNITEMFLAGS_NAMES},
                {"readers", LNITEMFLAGS_READERS},     {"authors", LNITEMFLAGS_AUTHORS},
                {"protected", LNITEMFLAGS_PROTECTED}, {"encrypted", LNITEMFLAGS_ENCRYPTED},
            };
            for (std::size_t i = 1; i < n; ++i) {
                bool known = false;
                for (const auto& [word, flag] : kFlags) {
                    if (w[i] == word) {
                        flags |= flag;
                        known = true;
                    }
                }
                if (!known)
                    return "unknown flag " + w[i];
            }
            note.items.back().flags = flags;
            return {};
        }
        if (verb == "richtext") {
            if (n != 2)
                return "richtext takes one item name";
            note.items.push_back(RichTextItem(w[1], {}));
            m_richText = &note.items.back().richText;
            return {};
        }
        if (verb == "attach" || verb == "attachhex") {
            if (n != 3)
                return verb + " takes a name and the contents";
            AttachmentContent attachment{w[1], w[2]};
            if (verb == "attachhex" && !DecodeHex(w[2], attachment.bytes))
                return "bad hex contents";
            note.attachments.push_back(std::move(attachment));
            return {};
        }
        return RichStatement(w);
    }

private:
    std::string RichStatement(const std::vector<std::string>& w)
    {
        const std::string& verb = w[0];
        static const char* const kRichVerbs[] = {"para", "run", "break", "tab", "graphic", "attachref"};
        bool rich = false;
        for (const char* known : kRichVerbs)
            rich = rich || verb == known;
        if (!rich)
            return "unknown statement \"" + verb + "\"";
        if (!m_richText)
            return verb + " outside a richtext item";
        if (verb == "para") {
            if (w.size() != 1)
                return "para takes nothing";
            m_richText->paragraphs.emplace_back();
            return {};
        }
        RichElement element;
        if (verb == "run") {
            if (w.size() < 2)
                return "run needs its text";
            element = notes::format::MakeRun(w.back());
            for (std::size_t i = 1; i + 1 < w.size(); ++i) {
                const std::string& option = w[i];
                unsigned long value = 0;
                if (option == "bold")
                    element.style |= notes::format::RUN_BOLD;
                else if (option == "italic")
                    element.style |= notes::format::RUN_ITALIC;
                else if (option == "underline")
                    element.style |= notes::format::RUN_UNDERLINE;
                else if (option.starts_with("face="))
                    element.face = option.substr(5);
                else if (option.starts_with("size=") && ParseUnsigned(option.substr(5), value) && value > 0 &&
                         value < 1000)
                    element.pointSize = static_cast<std::uint16_t>(value);
                else if (option.starts_with("color=") && option.size() == 12 &&
                         ParseUnsigned(option.substr(6), value, 16))
                    element.color = static_cast<std::uint32_t>(value);
                else
                    return "bad run option " + option;
            }
        } else if (verb == "break" || verb == "tab") {
            if (w.size() != 1)
                return verb + " takes nothing";
            element.kind = verb == "break" ? RichElementKind::LineBreak : RichElementKind::Tab;
        } else if (verb == "graphic") {
            unsigned long width = 0, height = 0;
            if (w.size() != 5 || !ParseUnsigned(w[2], width) || !ParseUnsigned(w[3], height))
                return "graphic takes a format, a width, a height and hex bytes";
            element.kind = RichElementKind::Graphic;
            if (w[1] == "png")
                element.format = notes::format::GraphicFormat::Png;
            else if (w[1] == "jpeg")
                element.format = notes::format::GraphicFormat::Jpeg;
            else if (w[1] == "bmp")
                element.format = notes::format::GraphicFormat::Bmp;
            else
                return "unknown graphic format " + w[1];
            element.width = static_cast<std::uint32_t>(width);
            element.height = static_cast<std::uint32_t>(height);
            if (!DecodeHex(w[4], element.bytes))
                return "bad hex bytes";
        } else {
            if (w.size() != 2)
                return "attachref takes one name";
            element.kind = RichElementKind::AttachmentRef;
            element.text = w[1];
        }
        if (m_richText->paragraphs.empty())
            m_richText->paragraphs.emplace_back();
        m_richText->paragraphs.back().elements.push_back(std::move(element));
        return {};
    }

    DatabaseContent& m_described;
    // Stays valid: items are only added to the note that owns it by
    // statements that also reset it.
    RichTextContent* m_richText = nullptr;
};

} // namespace

Result ParseDescription(std::string_view text, DatabaseContent* described)
{
    DatabaseContent parsed;
    DescriptionParser parser(parsed);
    std::size_t lineNumber = 0;
    std::size_t offset = 0;
    while (offset <= text.size()) {
        std::size_t end = text.find('\n', offset);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(offset, end - offset);
        offset = end + 1;
        ++lineNumber;
        std::vector<std::string> words;
        std::string error;
        if (!SplitWords(line, words, error))
            return Result::Error("line " + std::to_string(lineNumber) + ": " + error);
        if (words.empty() || words[0].starts_with("#"))
            continue;
        // A word that is not UTF-8 is Windows-1252, as the texts of the
        // first descriptions were.
        for (std::string& word : words) {
            if (!IsUtf8(word))
                word = Windows1252ToUtf8(word);
        }
        if (words[0] == "attach" && words.size() == 3) {
            std::vector<std::string> raw;
            SplitWords(line, raw, error, true);
            words[2] = raw[2];
        }
        error = parser.Statement(words);
        if (!error.empty())
            return Result::Error("line " + std::to_string(lineNumber) + ": " + error);
    }
    *described = std::move(parsed);
    return Result::Ok();
}

Result BuildFromDescription(std::string_view text, const std::filesystem::path& database)
{
    DatabaseContent described;
    if (Result result = ParseDescription(text, &described); !result)
        return result;
    return WriteDatabase(described, database);
}

Result BuildFromDescriptionFile(const std::filesystem::path& description, const std::filesystem::path& database)
{
    std::ifstream in(description, std::ios::binary);
    if (!in)
        return Result::Error("cannot read " + description.string());
    std::stringstream text;
    text << in.rdbuf();
    Result result = BuildFromDescription(text.str(), database);
    if (!result)
        result.message = description.string() + ": " + result.message;
    return result;
}

} // namespace nsfbuild

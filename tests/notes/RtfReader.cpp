#include "RtfReader.h"

#include "win32/WideString.h"

#include <cctype>
#include <cstdlib>

namespace notestest {

namespace {

struct State {
    bool bold = false, italic = false, underline = false;
    enum { Text, Skip, FontTable, Picture } destination = Text;
};

int Hex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string RtfDocument::PlainText() const
{
    std::string text;
    for (const auto& segment : segments)
        text += segment.text;
    return text;
}

std::optional<RtfSegment> RtfDocument::SegmentWith(const std::string& text) const
{
    for (const auto& segment : segments) {
        if (segment.text.find(text) != std::string::npos)
            return segment;
    }
    return std::nullopt;
}

std::optional<RtfDocument> ReadRtf(const std::string& rtf)
{
    if (rtf.rfind("{\\rtf1", 0) != 0)
        return std::nullopt;
    RtfDocument document;
    std::vector<State> stack;
    State state;
    std::string fontName, pictureHex;
    bool closed = false;
    char16_t highSurrogate = 0;

    auto emit = [&](const std::string& text) {
        if (state.destination == State::FontTable) {
            fontName += text;
            return;
        }
        if (state.destination == State::Picture) {
            pictureHex += text;
            return;
        }
        if (state.destination != State::Text)
            return;
        if (document.segments.empty() || document.segments.back().bold != state.bold ||
            document.segments.back().italic != state.italic || document.segments.back().underline != state.underline)
            document.segments.push_back(RtfSegment{"", state.bold, state.italic, state.underline});
        document.segments.back().text += text;
    };

    for (std::size_t i = 0; i < rtf.size(); ++i) {
        char c = rtf[i];
        if (closed) {
            if (!std::isspace(static_cast<unsigned char>(c)))
                return std::nullopt; // text after the document
            continue;
        }
        if (c == '{') {
            stack.push_back(state);
            continue;
        }
        if (c == '}') {
            if (stack.empty())
                return std::nullopt;
            if (state.destination == State::Picture && stack.back().destination != State::Picture) {
                std::string bytes;
                std::string hex;
                for (char h : pictureHex) {
                    if (Hex(h) >= 0)
                        hex += h;
                }
                if (hex.size() % 2)
                    return std::nullopt;
                for (std::size_t k = 0; k < hex.size(); k += 2)
                    bytes.push_back(static_cast<char>(Hex(hex[k]) * 16 + Hex(hex[k + 1])));
                document.pictures.push_back(bytes);
                pictureHex.clear();
            }
            state = stack.back();
            stack.pop_back();
            if (stack.empty())
                closed = true;
            continue;
        }
        if (c == '\r' || c == '\n')
            continue;
        if (c != '\\') {
            if (state.destination == State::FontTable && c == ';') {
                document.fonts.push_back(fontName);
                fontName.clear();
                continue;
            }
            emit(std::string(1, c));
            continue;
        }
        if (++i >= rtf.size())
            return std::nullopt;
        c = rtf[i];
        if (c == '\\' || c == '{' || c == '}') {
            emit(std::string(1, c));
            continue;
        }
        if (c == '\'') {
            if (i + 2 >= rtf.size() || Hex(rtf[i + 1]) < 0 || Hex(rtf[i + 2]) < 0)
                return std::nullopt;
            emit(std::string(1, static_cast<char>(Hex(rtf[i + 1]) * 16 + Hex(rtf[i + 2]))));
            i += 2;
            continue;
        }
        if (c == '*') {
            state.destination = State::Skip;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(c)))
            continue; // other control symbols
        std::string word;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i])))
            word += rtf[i++];
        std::string digits;
        if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
            digits += rtf[i++];
            while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i])))
                digits += rtf[i++];
        }
        bool on = digits.empty() || std::atoi(digits.c_str()) != 0;
        if (i < rtf.size() && rtf[i] != ' ')
            --i; // the delimiter belongs to what follows
        if (word == "b")
            state.bold = on;
        else if (word == "i")
            state.italic = on;
        else if (word == "ul")
            state.underline = on;
        else if (word == "ulnone")
            state.underline = false;
        else if (word == "plain")
            state.bold = state.italic = state.underline = false;
        else if (word == "par" || word == "line")
            emit("\n");
        else if (word == "tab")
            emit("\t");
        else if (word == "fonttbl")
            state.destination = State::FontTable;
        else if (word == "pict")
            state.destination = State::Picture;
        else if (word == "colortbl" || word == "stylesheet" || word == "info")
            state.destination = State::Skip;
        else if (state.destination == State::FontTable && word == "f")
            fontName.clear();
        else if (word == "u") {
            // \uN and its one fallback character; a pair of surrogates is one character.
            const auto unit = static_cast<char16_t>(std::atoi(digits.c_str()) & 0xFFFF);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                highSurrogate = unit;
            } else {
                std::u16string wide;
                if (highSurrogate && unit >= 0xDC00 && unit <= 0xDFFF)
                    wide += highSurrogate;
                wide += unit;
                highSurrogate = 0;
                emit(Utf16ToUtf8(wide));
            }
            ++i;
        }
    }
    if (!closed)
        return std::nullopt;
    return document;
}

} // namespace notestest

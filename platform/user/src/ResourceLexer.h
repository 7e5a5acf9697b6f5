// The tokens of resource scripts: words, numbers (with an optional L
// suffix), strings (with "" and backslash escapes), punctuation; comments and
// preprocessor lines are skipped. Every token carries its line.
#pragma once

#include <cctype>
#include <stdexcept>
#include <string>

namespace user::script {

enum class Kind { End, Word, Number, String, Punct };

struct Token {
    Kind kind = Kind::End;
    std::string text;
    long long number = 0;
    bool tooLarge = false; // a number past the range of long long; text holds it
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
            try {
                token.number = std::stoll(m_text.substr(m_pos), &used, 0);
            } catch (const std::out_of_range&) {
                // The parser reports it with its line, as every other error.
                token.tooLarge = true;
                used = 1;
                while (m_pos + used < m_text.size() && std::isalnum(static_cast<unsigned char>(m_text[m_pos + used])))
                    ++used;
                token.text = m_text.substr(m_pos, used);
            }
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

} // namespace user::script

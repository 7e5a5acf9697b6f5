#include "viewer/HtmlText.h"

#include "win32/WideString.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <vector>

namespace viewer {

namespace {

std::string Lower(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The tag's name, lower case, with a leading '/' for a closing tag.
std::string TagName(const std::string& tag)
{
    std::size_t i = 0;
    std::string name;
    if (i < tag.size() && tag[i] == '/')
        name += tag[i++];
    while (i < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[i])) || tag[i] == '!'))
        name += tag[i++];
    return Lower(name);
}

bool IsBlock(const std::string& name)
{
    static const char* const kBlocks[] = {"p",  "div", "h1", "h2", "h3",    "h4",    "h5",  "h6",  "ul",
                                          "ol", "li",  "tr", "table", "pre", "title", "body", "hr", "blockquote"};
    return std::any_of(std::begin(kBlocks), std::end(kBlocks), [&](const char* b) { return name == b; });
}

void AppendCodePoint(std::string& out, unsigned long c)
{
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    AppendUtf8(out, static_cast<char32_t>(c));
}

// Decodes the entity at html[at] ('&'); moves at past it. An unknown one
// stays as it stands.
void AppendEntity(const std::string& html, std::size_t& at, std::string& out)
{
    static const std::map<std::string, unsigned long> kNamed = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}, {"copy", 0xA9}};
    std::size_t semi = html.find(';', at);
    if (semi == std::string::npos || semi - at > 10) {
        out += html[at++];
        return;
    }
    std::string name = html.substr(at + 1, semi - at - 1);
    unsigned long code = 0;
    if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x' || name[1] == 'X';
        char* end = nullptr;
        code = std::strtoul(name.c_str() + (hex ? 2 : 1), &end, hex ? 16 : 10);
        if (*end || end == name.c_str() + (hex ? 2 : 1)) {
            out += html[at++];
            return;
        }
    } else if (auto it = kNamed.find(name); it != kNamed.end()) {
        code = it->second;
    } else {
        out += html[at++];
        return;
    }
    AppendCodePoint(out, code);
    at = semi + 1;
}

// Collects words and breaks: runs of blanks become one blank, a block
// starts a new paragraph (a blank line), <br> a new line.
class TextBuilder {
public:
    void Text(const std::string& piece)
    {
        for (char c : piece) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                m_blank = true;
                continue;
            }
            if (m_blank && !m_line.empty())
                m_line += ' ';
            m_blank = false;
            m_line += c;
        }
    }
    void LineBreak()
    {
        m_lines.push_back(m_line);
        m_line.clear();
        m_blank = false;
    }
    void Paragraph()
    {
        if (!m_line.empty())
            LineBreak();
        if (!m_lines.empty() && !m_lines.back().empty())
            m_lines.emplace_back();
        m_blank = false;
    }
    std::string Finish()
    {
        if (!m_line.empty())
            LineBreak();
        while (!m_lines.empty() && m_lines.back().empty())
            m_lines.pop_back();
        std::string out;
        for (const auto& line : m_lines)
            out += line + "\r\n";
        return out;
    }

private:
    std::vector<std::string> m_lines;
    std::string m_line;
    bool m_blank = false;
};

std::string Collapse(const std::string& text)
{
    TextBuilder builder;
    builder.Text(text);
    std::string out = builder.Finish();
    return out.empty() ? out : out.substr(0, out.size() - 2);
}

} // namespace

HtmlText HtmlToText(const std::string& html)
{
    HtmlText result;
    TextBuilder body;
    std::string title;
    std::string skipUntil; // the closing tag of <style>, <script> or <title>
    bool inTitle = false;
    std::string pending; // text decoded, not yet given to the builder
    std::size_t at = 0;
    while (at < html.size()) {
        char c = html[at];
        if (c == '<') {
            if (html.compare(at, 4, "<!--") == 0) {
                std::size_t end = html.find("-->", at + 4);
                at = end == std::string::npos ? html.size() : end + 3;
                continue;
            }
            std::size_t end = html.find('>', at);
            if (end == std::string::npos)
                end = html.size();
            std::string name = TagName(html.substr(at + 1, end - at - 1));
            at = std::min(html.size(), end + 1);
            if (!skipUntil.empty()) {
                if (name == skipUntil) {
                    if (inTitle)
                        title += pending;
                    pending.clear();
                    skipUntil.clear();
                    inTitle = false;
                }
                continue;
            }
            body.Text(pending);
            pending.clear();
            if (name == "style" || name == "script" || name == "title") {
                skipUntil = "/" + name;
                inTitle = name == "title";
            } else if (name == "br") {
                body.LineBreak();
            } else if (IsBlock(name[0] == '/' ? name.substr(1) : name)) {
                body.Paragraph();
            }
            continue;
        }
        if (c == '&')
            AppendEntity(html, at, pending);
        else
            pending += html[at++];
    }
    if (skipUntil.empty())
        body.Text(pending);
    result.title = Utf8ToUtf16(Collapse(title));
    result.text = Utf8ToUtf16(body.Finish());
    return result;
}

} // namespace viewer

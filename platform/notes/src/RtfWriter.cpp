#include "RtfWriter.h"

#include "win32/CodePage.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace notes::detail {

namespace {

// A character past ASCII as \uN with "?" for readers without Unicode; the
// characters of the supplementary planes as their two surrogates.
void AppendUnicode(std::string& out, std::string_view text, std::size_t& i)
{
    std::size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        ++end;
    for (char16_t unit : AnsiToWide(text.substr(i, end - i)))
        out += "\\u" + std::to_string(static_cast<std::int16_t>(unit)) + "?";
    i = end;
}

void AppendEscaped(std::string& out, std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    const bool utf8 = GetACP() == CP_UTF8;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 && utf8) {
            AppendUnicode(out, text, i);
            continue;
        }
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x80 || c < 0x20) {
            out += "\\'";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
}

class Tables : public RichTextVisitor {
public:
    void Element(const format::RichElement& element) override
    {
        if (element.kind != format::RichElementKind::Run)
            return;
        FontIndex(element.face);
        ColorIndex(element.color);
    }
    void ParagraphEnd() override {}

    std::size_t FontIndex(const std::string& face)
    {
        for (std::size_t i = 0; i < m_fonts.size(); ++i) {
            if (m_fonts[i] == face)
                return i;
        }
        m_fonts.push_back(face);
        return m_fonts.size() - 1;
    }
    // Colour 0 of the table is the "auto" entry; black is entry 1.
    std::size_t ColorIndex(std::uint32_t color)
    {
        for (std::size_t i = 0; i < m_colors.size(); ++i) {
            if (m_colors[i] == color)
                return i + 1;
        }
        m_colors.push_back(color);
        return m_colors.size();
    }

    std::vector<std::string> m_fonts{"Default Sans Serif"};
    std::vector<std::uint32_t> m_colors{0};
};

class Body : public RichTextVisitor {
public:
    Body(Tables& tables, std::string& out) : m_tables(tables), m_out(out) {}

    void Element(const format::RichElement& element) override
    {
        char buffer[96];
        switch (element.kind) {
        case format::RichElementKind::Run: {
            std::snprintf(buffer, sizeof buffer, "{\\f%zu\\fs%u\\cf%zu", m_tables.FontIndex(element.face),
                          static_cast<unsigned>(element.pointSize) * 2, m_tables.ColorIndex(element.color));
            m_out += buffer;
            if (element.style & format::RUN_BOLD)
                m_out += "\\b";
            if (element.style & format::RUN_ITALIC)
                m_out += "\\i";
            if (element.style & format::RUN_UNDERLINE)
                m_out += "\\ul";
            m_out += ' ';
            AppendEscaped(m_out, element.text);
            m_out += '}';
            break;
        }
        case format::RichElementKind::LineBreak: m_out += "\\line "; break;
        case format::RichElementKind::Tab: m_out += "\\tab "; break;
        case format::RichElementKind::Graphic: Picture(element); break;
        case format::RichElementKind::AttachmentRef:
            // The attachment travels as a file; its place shows its name.
            m_out += "{\\i [";
            AppendEscaped(m_out, element.text);
            m_out += "]}";
            break;
        }
    }

    void ParagraphEnd() override { m_out += "\\par\n\\pard "; }

private:
    void Picture(const format::RichElement& element)
    {
        const char* kind = element.format == format::GraphicFormat::Png    ? "\\pngblip"
                           : element.format == format::GraphicFormat::Jpeg ? "\\jpegblip"
                                                                           : "\\dibitmap0";
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "{\\pict%s\\picw%u\\pich%u\n", kind, element.width, element.height);
        m_out += buffer;
        static const char kHex[] = "0123456789abcdef";
        std::string_view bytes = element.bytes;
        // A BMP file's 14-byte file header is not part of a \dibitmap.
        if (element.format == format::GraphicFormat::Bmp && bytes.size() >= 14)
            bytes.remove_prefix(14);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            auto c = static_cast<unsigned char>(bytes[i]);
            m_out += kHex[c >> 4];
            m_out += kHex[c & 0xF];
            if (i % 64 == 63)
                m_out += '\n';
        }
        m_out += "}";
    }

    Tables& m_tables;
    std::string& m_out;
};

} // namespace

std::string WriteRtf(const format::RichTextContent& content, RichTextPlace from, RichTextPlace to)
{
    Tables tables;
    VisitRange(content, from, to, tables);

    std::string body;
    Body writer(tables, body);
    VisitRange(content, from, to, writer);

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\n{\\fonttbl";
    char buffer[64];
    for (std::size_t i = 0; i < tables.m_fonts.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "{\\f%zu\\fnil ", i);
        out += buffer;
        AppendEscaped(out, tables.m_fonts[i]);
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (std::uint32_t color : tables.m_colors) {
        std::snprintf(buffer, sizeof buffer, "\\red%u\\green%u\\blue%u;", (color >> 16) & 0xFF, (color >> 8) & 0xFF,
                      color & 0xFF);
        out += buffer;
    }
    out += "}\n\\pard ";
    out += body;
    out += "}\n";
    return out;
}

} // namespace notes::detail

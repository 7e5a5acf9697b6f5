#include "RichTextRange.h"

#include <algorithm>

namespace notes::detail {

void VisitRange(const format::RichTextContent& content, RichTextPlace from, RichTextPlace to,
                RichTextVisitor& visitor)
{
    const auto& paragraphs = content.paragraphs;
    for (std::size_t p = from.paragraph; p < paragraphs.size() && p <= to.paragraph; ++p) {
        const auto& elements = paragraphs[p].elements;
        std::size_t first = p == from.paragraph ? from.element : 0;
        std::size_t last = p == to.paragraph ? std::min(to.element, elements.size()) : elements.size();
        for (std::size_t e = first; e < last; ++e)
            visitor.Element(elements[e]);
        // The end of paragraph p is inside the range when the range goes on
        // past it.
        if (p < to.paragraph)
            visitor.ParagraphEnd();
    }
}

RichTextPlace EndPlace(const format::RichTextContent& content)
{
    return RichTextPlace{content.paragraphs.size(), 0};
}

namespace {

class PlainTextVisitor : public RichTextVisitor {
public:
    void Element(const format::RichElement& element) override
    {
        m_endsWithParagraph = false;
        switch (element.kind) {
        case format::RichElementKind::Run: m_text += element.text; break;
        case format::RichElementKind::LineBreak: m_text += "\r\n"; break;
        case format::RichElementKind::Tab: m_text += '\t'; break;
        default: break;
        }
    }
    void ParagraphEnd() override
    {
        m_text += "\r\n";
        m_endsWithParagraph = true;
    }
    std::string m_text;
    bool m_endsWithParagraph = false;
};

} // namespace

// Paragraphs are joined by "\r\n", not ended by it: the end of the last
// paragraph gives no text.
std::string PlainText(const format::RichTextContent& content, RichTextPlace from, RichTextPlace to)
{
    PlainTextVisitor visitor;
    VisitRange(content, from, to, visitor);
    if (visitor.m_endsWithParagraph && to.paragraph >= content.paragraphs.size())
        visitor.m_text.resize(visitor.m_text.size() - 2);
    return std::move(visitor.m_text);
}

} // namespace notes::detail

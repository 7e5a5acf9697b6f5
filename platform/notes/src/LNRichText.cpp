#include "notes/LNRichText.h"

#include "RichTextRange.h"
#include "RtfWriter.h"
#include "Status.h"
#include "WriteWindowsFile.h"
#include "notes/format/ItemCodec.h"

using notes::detail::Enter;
using notes::detail::Report;
using notes::detail::RichTextPlace;
using notes::format::RichElementKind;

namespace {

LNRTTYPE TypeOf(const notes::format::RichElement& element)
{
    switch (element.kind) {
    case RichElementKind::Run: return LNRTTYPE_TEXT;
    case RichElementKind::LineBreak: return LNRTTYPE_LINE_BREAK;
    case RichElementKind::Tab: return LNRTTYPE_TAB;
    case RichElementKind::Graphic: return LNRTTYPE_GRAPHIC;
    case RichElementKind::AttachmentRef: return LNRTTYPE_ATTACHMENT;
    }
    return LNRTTYPE_ANY;
}

bool Before(std::size_t p1, std::size_t e1, std::size_t p2, std::size_t e2)
{
    return p1 < p2 || (p1 == p2 && e1 < e2);
}

} // namespace

const notes::format::RichElement* LNRTObject::Element() const
{
    if (!m_content || m_paragraph >= m_content->paragraphs.size())
        return nullptr;
    const auto& elements = m_content->paragraphs[m_paragraph].elements;
    return m_element < elements.size() ? &elements[m_element] : nullptr;
}

LNBOOL LNRTObject::IsType(LNRTTYPE type) const
{
    notes::detail::EnterOrRaise("LNRTObject::IsType");
    return m_content && (type == LNRTTYPE_ANY || type == m_type) ? TRUE : FALSE;
}

LNSTATUS LNGraphic::GetBitmap(std::string* bytes) const
{
    if (LNSTATUS fault = Enter("LNGraphic::GetBitmap"))
        return fault;
    const auto* element = Element();
    if (!bytes)
        return Report(LNERR_BAD_PARAMETER);
    if (!element || element->kind != RichElementKind::Graphic)
        return Report(LNERR_TYPE_MISMATCH);
    *bytes = element->bytes;
    return LNNOERROR;
}

LNINT LNGraphic::GetWidth() const
{
    const auto* element = Element();
    return element && element->kind == RichElementKind::Graphic ? static_cast<LNINT>(element->width) : 0;
}

LNINT LNGraphic::GetHeight() const
{
    const auto* element = Element();
    return element && element->kind == RichElementKind::Graphic ? static_cast<LNINT>(element->height) : 0;
}

LNSTATUS LNRTCursor::GotoNext(LNRTTYPE type, LNRTObject* object)
{
    if (LNSTATUS fault = Enter("LNRTCursor::GotoNext"))
        return fault;
    if (!m_content)
        return LNWARN_NOT_FOUND;
    const auto& paragraphs = m_content->paragraphs;
    std::size_t p = m_paragraph;
    std::size_t e = m_element;
    // Once on an object, the search starts after it.
    bool skipCurrent = m_onObject;
    for (; p < paragraphs.size(); ++p, e = 0) {
        const auto& elements = paragraphs[p].elements;
        for (; e <= elements.size(); ++e) {
            if (skipCurrent) {
                skipCurrent = false;
                continue;
            }
            LNRTTYPE found = e < elements.size() ? TypeOf(elements[e]) : LNRTTYPE_PARAGRAPH_END;
            if (type != LNRTTYPE_ANY && type != found)
                continue;
            m_paragraph = p;
            m_element = e;
            m_onObject = true;
            if (object) {
                object->m_content = m_content;
                object->m_paragraph = p;
                object->m_element = e;
                object->m_type = found;
            }
            return LNNOERROR;
        }
    }
    m_paragraph = paragraphs.size();
    m_element = 0;
    m_onObject = false;
    return LNWARN_NOT_FOUND;
}

LNRichText::LNRichText() : m_content(std::make_shared<notes::format::RichTextContent>()) {}

LNSTATUS LNRichText::Load(const notes::detail::ItemData& data)
{
    auto content = notes::format::DecodeRichText(data.value);
    if (!content)
        return LNERR_DATABASE_CORRUPT;
    m_content = std::make_shared<const notes::format::RichTextContent>(std::move(*content));
    return LNItem::Load(data);
}

LNSTATUS LNRichText::GetText(LNString* text) const
{
    if (LNSTATUS fault = Enter("LNRichText::GetText"))
        return fault;
    if (!text)
        return Report(LNERR_BAD_PARAMETER);
    *text = LNString(notes::detail::PlainText(*m_content, {}, notes::detail::EndPlace(*m_content)));
    return LNNOERROR;
}

LNSTATUS LNRichText::CheckRange(const LNRTCursor& start, const LNRTCursor& end) const
{
    if (start.m_content != m_content || end.m_content != m_content)
        return LNERR_CURSOR_MISMATCH;
    if (Before(end.m_paragraph, end.m_element, start.m_paragraph, start.m_element))
        return LNERR_BAD_PARAMETER;
    return LNNOERROR;
}

LNSTATUS LNRichText::GetText(const LNRTCursor& start, const LNRTCursor& end, LNString* text) const
{
    if (LNSTATUS fault = Enter("LNRichText::GetText"))
        return fault;
    if (!text)
        return Report(LNERR_BAD_PARAMETER);
    if (LNSTATUS status = CheckRange(start, end))
        return Report(status);
    *text = LNString(notes::detail::PlainText(*m_content, RichTextPlace{start.m_paragraph, start.m_element},
                                              RichTextPlace{end.m_paragraph, end.m_element}));
    return LNNOERROR;
}

LNSTATUS LNRichText::GetCursor(LNRTCursor* cursor) const
{
    if (LNSTATUS fault = Enter("LNRichText::GetCursor"))
        return fault;
    if (!cursor)
        return Report(LNERR_BAD_PARAMETER);
    *cursor = LNRTCursor();
    cursor->m_content = m_content;
    return LNNOERROR;
}

LNSTATUS LNRichText::GetEndCursor(LNRTCursor* cursor) const
{
    if (LNSTATUS fault = Enter("LNRichText::GetEndCursor"))
        return fault;
    if (!cursor)
        return Report(LNERR_BAD_PARAMETER);
    *cursor = LNRTCursor();
    cursor->m_content = m_content;
    cursor->m_paragraph = m_content->paragraphs.size();
    return LNNOERROR;
}

LNSTATUS LNRichText::Export(const LNString& fileName, const LNRTCursor& start, const LNRTCursor& end,
                            const LNString& options) const
{
    if (LNSTATUS fault = Enter("LNRichText::Export"))
        return fault;
    if (LNSTATUS status = CheckRange(start, end))
        return Report(status);
    std::string rtf = notes::detail::WriteRtf(*m_content, RichTextPlace{start.m_paragraph, start.m_element},
                                              RichTextPlace{end.m_paragraph, end.m_element});
    return Report(notes::detail::WriteWindowsFile(fileName.Text(), rtf));
}

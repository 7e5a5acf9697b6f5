// Walks the elements of a rich text between two places, paragraph ends
// included, for the plain text and the RTF export.
#pragma once

#include "notes/format/RichTextContent.h"

#include <cstddef>

namespace notes::detail {

struct RichTextPlace {
    std::size_t paragraph = 0;
    std::size_t element = 0; // == the paragraph's element count: its end
};

class RichTextVisitor {
public:
    virtual ~RichTextVisitor() = default;
    virtual void Element(const format::RichElement& element) = 0;
    virtual void ParagraphEnd() = 0;
};

// Visits [from, to): the elements in order, and the end of every paragraph
// that the range passes.
void VisitRange(const format::RichTextContent& content, RichTextPlace from, RichTextPlace to,
                RichTextVisitor& visitor);

// The place just after the last paragraph.
RichTextPlace EndPlace(const format::RichTextContent& content);

std::string PlainText(const format::RichTextContent& content, RichTextPlace from, RichTextPlace to);

} // namespace notes::detail

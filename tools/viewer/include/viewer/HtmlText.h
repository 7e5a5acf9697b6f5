// An HTML page as readable text: tags left out, headings and paragraphs on
// lines of their own with a blank line between them, entities decoded.
#pragma once

#include <string>

namespace viewer {

struct HtmlText {
    std::u16string title; // of <title>, blanks collapsed
    std::u16string text;  // lines ending in "\r\n"
};

// A page in UTF-8.
HtmlText HtmlToText(const std::string& html);

} // namespace viewer

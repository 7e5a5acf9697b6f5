// The content of a rich-text item: paragraphs of elements. Held in memory by
// LNRichText and written by the database builder; ItemCodec turns it into the
// bytes of the item's value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace notes::format {

enum class RichElementKind : std::uint8_t {
    Run = 0,           // a stretch of text in one style
    LineBreak = 1,     // a break inside the paragraph
    Tab = 2,
    Graphic = 3,       // an embedded picture with its bytes
    AttachmentRef = 4, // the place of an attachment of the note, by name
};

enum RunStyle : std::uint8_t {
    RUN_BOLD = 0x01,
    RUN_ITALIC = 0x02,
    RUN_UNDERLINE = 0x04,
};

enum class GraphicFormat : std::uint8_t {
    Png = 0,
    Jpeg = 1,
    Bmp = 2,
};

struct RichElement {
    RichElementKind kind = RichElementKind::Run;
    // Run: text in the ANSI code page and its style.
    std::string text;
    std::uint8_t style = 0;
    std::string face = "Default Sans Serif";
    std::uint16_t pointSize = 10;
    std::uint32_t color = 0; // 0x00RRGGBB
    // Graphic: the picture and its size in pixels.
    GraphicFormat format = GraphicFormat::Png;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::string bytes;
    // AttachmentRef: the attachment's name (in text as well, for readers).
    bool operator==(const RichElement&) const = default;
};

struct RichParagraph {
    std::vector<RichElement> elements;
    bool operator==(const RichParagraph&) const = default;
};

struct RichTextContent {
    std::vector<RichParagraph> paragraphs;
    bool operator==(const RichTextContent&) const = default;
};

RichElement MakeRun(std::string text, std::uint8_t style = 0);
// An element of another kind with default fields.
RichElement MakeElement(RichElementKind kind);

} // namespace notes::format

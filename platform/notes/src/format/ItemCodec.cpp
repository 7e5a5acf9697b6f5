#include "notes/format/ItemCodec.h"

#include "notes/format/ByteIo.h"

namespace notes::format {

namespace {

void WriteTime(ByteWriter& out, const DateTimeValue& value)
{
    out.I64(value.seconds);
    out.U8(static_cast<std::uint8_t>(value.precision));
}

bool ReadTime(ByteReader& in, DateTimeValue& value)
{
    value.seconds = in.I64();
    std::uint8_t precision = in.U8();
    if (precision > static_cast<std::uint8_t>(DatePrecision::TimeOnly))
        return false;
    value.precision = static_cast<DatePrecision>(precision);
    return !in.Failed();
}

void WriteElement(ByteWriter& out, const RichElement& element)
{
    out.U8(static_cast<std::uint8_t>(element.kind));
    switch (element.kind) {
    case RichElementKind::Run:
        out.U8(element.style);
        out.U16(element.pointSize);
        out.U32(element.color);
        out.Bytes32(element.face);
        out.Bytes32(element.text);
        break;
    case RichElementKind::Graphic:
        out.U8(static_cast<std::uint8_t>(element.format));
        out.U32(element.width);
        out.U32(element.height);
        out.Bytes32(element.bytes);
        break;
    case RichElementKind::AttachmentRef:
        out.Bytes32(element.text);
        break;
    case RichElementKind::LineBreak:
    case RichElementKind::Tab:
        break;
    }
}

bool ReadElement(ByteReader& in, RichElement& element)
{
    std::uint8_t kind = in.U8();
    switch (kind) {
    case static_cast<std::uint8_t>(RichElementKind::Run):
        element.kind = RichElementKind::Run;
        element.style = in.U8();
        element.pointSize = in.U16();
        element.color = in.U32();
        // Into the element's own strings: the default face's room usually
        // holds the face read.
        element.face.assign(in.Bytes32View());
        element.text.assign(in.Bytes32View());
        break;
    case static_cast<std::uint8_t>(RichElementKind::Graphic): {
        element.kind = RichElementKind::Graphic;
        std::uint8_t format = in.U8();
        if (format > static_cast<std::uint8_t>(GraphicFormat::Bmp))
            return false;
        element.format = static_cast<GraphicFormat>(format);
        element.width = in.U32();
        element.height = in.U32();
        element.bytes.assign(in.Bytes32View());
        break;
    }
    case static_cast<std::uint8_t>(RichElementKind::AttachmentRef):
        element.kind = RichElementKind::AttachmentRef;
        element.text.assign(in.Bytes32View());
        break;
    case static_cast<std::uint8_t>(RichElementKind::LineBreak):
        element.kind = RichElementKind::LineBreak;
        break;
    case static_cast<std::uint8_t>(RichElementKind::Tab):
        element.kind = RichElementKind::Tab;
        break;
    default:
        return false;
    }
    return !in.Failed();
}

} // namespace

std::string EncodeTextList(const std::vector<std::string>& values)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(values.size()));
    for (const auto& value : values)
        out.Bytes32(value);
    return out.Take();
}

std::optional<std::vector<std::string>> DecodeTextList(std::string_view blob)
{
    ByteReader in(blob);
    std::uint32_t count = in.U32();
    if (!in.CheckCount(count, 4))
        return std::nullopt;
    std::vector<std::string> values;
    values.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        values.push_back(in.Bytes32());
    if (in.Failed() || !in.AtEnd())
        return std::nullopt;
    return values;
}

std::string EncodeNumberList(const std::vector<double>& values)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(values.size()));
    for (double value : values)
        out.F64(value);
    return out.Take();
}

std::optional<std::vector<double>> DecodeNumberList(std::string_view blob)
{
    ByteReader in(blob);
    std::uint32_t count = in.U32();
    if (!in.CheckCount(count, 8))
        return std::nullopt;
    std::vector<double> values(count);
    for (auto& value : values)
        value = in.F64();
    if (in.Failed() || !in.AtEnd())
        return std::nullopt;
    return values;
}

std::string EncodeDateTimeList(const std::vector<DateTimeEntry>& values)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(values.size()));
    for (const auto& entry : values) {
        out.U8(entry.end ? 1 : 0);
        WriteTime(out, entry.start);
        if (entry.end)
            WriteTime(out, *entry.end);
    }
    return out.Take();
}

std::optional<std::vector<DateTimeEntry>> DecodeDateTimeList(std::string_view blob)
{
    ByteReader in(blob);
    std::uint32_t count = in.U32();
    if (!in.CheckCount(count, 10))
        return std::nullopt;
    std::vector<DateTimeEntry> values(count);
    for (auto& entry : values) {
        std::uint8_t kind = in.U8();
        if (kind > 1 || !ReadTime(in, entry.start))
            return std::nullopt;
        if (kind == 1) {
            DateTimeValue end;
            if (!ReadTime(in, end))
                return std::nullopt;
            entry.end = end;
        }
    }
    if (in.Failed() || !in.AtEnd())
        return std::nullopt;
    return values;
}

std::string EncodeRichText(const RichTextContent& content)
{
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(content.paragraphs.size()));
    for (const auto& paragraph : content.paragraphs) {
        out.U32(static_cast<std::uint32_t>(paragraph.elements.size()));
        for (const auto& element : paragraph.elements)
            WriteElement(out, element);
    }
    return out.Take();
}

std::optional<RichTextContent> DecodeRichText(std::string_view blob)
{
    ByteReader in(blob);
    RichTextContent content;
    std::uint32_t paragraphs = in.U32();
    if (!in.CheckCount(paragraphs, 4))
        return std::nullopt;
    content.paragraphs.resize(paragraphs);
    for (auto& paragraph : content.paragraphs) {
        std::uint32_t elements = in.U32();
        if (!in.CheckCount(elements, 1))
            return std::nullopt;
        paragraph.elements.resize(elements);
        for (auto& element : paragraph.elements) {
            if (!ReadElement(in, element))
                return std::nullopt;
        }
    }
    if (in.Failed() || !in.AtEnd())
        return std::nullopt;
    return content;
}

RichElement MakeRun(std::string text, std::uint8_t style)
{
    RichElement run;
    run.kind = RichElementKind::Run;
    run.text = std::move(text);
    run.style = style;
    return run;
}

RichElement MakeElement(RichElementKind kind)
{
    RichElement element;
    element.kind = kind;
    return element;
}

} // namespace notes::format

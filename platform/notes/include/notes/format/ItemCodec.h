// The value blobs of the items table. Every value starts with no header: the
// item's type, kept in its own column, says which layout follows.
//
//   text list       u32 count, then count x (u32 length, bytes)
//   number list     u32 count, then count x f64
//   date-time list  u32 count, then count x entry
//                     entry: u8 kind (0 single, 1 range), time, [time]
//                     time:  i64 seconds, u8 precision
//   rich text       u32 paragraph count, then per paragraph u32 element
//                   count and the elements:
//                     u8 kind, then by kind
//                     0 run:        u8 style, u16 point size, u32 colour,
//                                   face (u32 length, bytes), text (u32 length, bytes)
//                     1 line break, 2 tab: nothing
//                     3 graphic:    u8 format, u32 width, u32 height, bytes (u32 length, bytes)
//                     4 attachment: name (u32 length, bytes)
//
// All integers little-endian. Decoders return nothing for a blob that is
// short, has trailing bytes or holds an unknown kind.
#pragma once

#include "notes/format/DateTimeValue.h"
#include "notes/format/RichTextContent.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace notes::format {

std::string EncodeTextList(const std::vector<std::string>& values);
std::optional<std::vector<std::string>> DecodeTextList(std::string_view blob);

std::string EncodeNumberList(const std::vector<double>& values);
std::optional<std::vector<double>> DecodeNumberList(std::string_view blob);

std::string EncodeDateTimeList(const std::vector<DateTimeEntry>& values);
std::optional<std::vector<DateTimeEntry>> DecodeDateTimeList(std::string_view blob);

std::string EncodeRichText(const RichTextContent& content);
std::optional<RichTextContent> DecodeRichText(std::string_view blob);

} // namespace notes::format

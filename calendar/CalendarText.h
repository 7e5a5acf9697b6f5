// The calendar's fixed text buffers: Notes texts copied narrow into
// 1024-byte buffers and widened into buffers of a stated capacity. Every
// copy is bounded, so a long text is cut, never written past its buffer.
#pragma once

#include "notes/LNString.h"
#include "win32/Types.h"

#include <cstddef>
#include <string>
#include <string_view>

// The narrow buffer of one field.
inline constexpr std::size_t kItemTextBytes = 1024;
// The wide capacity of a subject, a location, a short body and a single date.
inline constexpr std::size_t kShortWideChars = 200;
// The wide capacity of a date list.
inline constexpr std::size_t kDateListWideChars = 1024;

// The narrow copy of one field, as held in its buffer of kItemTextBytes
// with the terminator.
using ItemTextBuffer = std::string;

// Subject and location: a text that does not fit the buffer with its
// terminator is cut to its first 1000 bytes; a shorter one is taken whole.
ItemTextBuffer CopyLimitedText(const LNString& text);
// A text copied with its terminator into a buffer of that many bytes: cut
// to bufferBytes - 1 when longer.
ItemTextBuffer CopyBoundedText(std::string_view text, std::size_t bufferBytes = kItemTextBytes);
// ANSI to wide text in a buffer of capacity characters, terminator
// included: at most capacity - 1 characters are kept.
std::u16string WidenCapped(std::string_view narrow, std::size_t capacity);

// The word put for one element of "Categories", compared whole and
// case-sensitively.
LPCWSTR MapCategoryCode(std::string_view element);
// The same mapping under the name the single appointment's blocks use.
inline LPCWSTR MapCategoryWord(std::string_view element)
{
    return MapCategoryCode(element);
}

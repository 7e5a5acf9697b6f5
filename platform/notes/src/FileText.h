// The text of a database file in the platform's character set. Files of the
// first format version hold Windows-1252; later ones hold UTF-8, so that every
// character of a mailbox is kept. The library gives text in the machine's
// ANSI code page, so what the code page cannot hold reads as "?".
#pragma once

#include "notes/Detail.h"

#include <string>
#include <string_view>

namespace notes::detail {

enum class FileEncoding { Windows1252, Utf8 };

class FileText {
public:
    explicit FileText(FileEncoding encoding) : m_encoding(encoding) {}

    std::string ToAnsi(std::string_view text) const;
    // The item's name and, for text and rich text, its value.
    void ItemToAnsi(ItemData& item) const;

private:
    bool Unchanged() const;
    FileEncoding m_encoding;
};

} // namespace notes::detail

// A text of the class library, held in the platform character set (the
// machine's ANSI code page).
//
// GetBufLength is the size of the buffer the text needs: its bytes PLUS the
// terminating zero. So "Inbox" has a buffer length of 6 and an empty text 1.
// A caller that tests GetPlatformTextPtr()[GetBufLength() - 1] therefore
// sees the terminator, never the last character: a folder named
// "Taxes (2005)" is not taken for a hidden view, whose names begin with "(".
#pragma once

#include "notes/LNGlobal.h"

#include <string>
#include <string_view>

class LNString {
public:
    LNString() = default;
    LNString(const char* text) : m_text(text ? text : "") {}
    LNString(std::string text) : m_text(std::move(text)) {}
    LNString(std::string_view text) : m_text(text) {}

    const char* GetPlatformTextPtr() const { return m_text.c_str(); }
    // Bytes plus the terminator (see above).
    LNINT GetBufLength() const { return static_cast<LNINT>(m_text.size() + 1); }
    // Bytes without the terminator.
    LNINT GetByteLength() const { return static_cast<LNINT>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }

    const std::string& Text() const { return m_text; }

    bool operator==(const LNString& other) const { return m_text == other.m_text; }

private:
    std::string m_text;
};

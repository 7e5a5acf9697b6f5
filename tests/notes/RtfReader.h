// A small RTF reader for the tests: enough of RTF 1.x to check that an
// exported document is well formed and to read back its text with the
// character formatting in force.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace notestest {

struct RtfSegment {
    std::string text; // ANSI bytes, \'hh decoded, \uN as UTF-8; \par and \line as "\n"
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

struct RtfDocument {
    std::vector<RtfSegment> segments;
    std::vector<std::string> fonts;
    std::vector<std::string> pictures; // the decoded bytes of every \pict
    std::string PlainText() const;
    // The formatting of the segment that holds text, or nothing.
    std::optional<RtfSegment> SegmentWith(const std::string& text) const;
};

// Nothing when the text is not one balanced group beginning "{\rtf1".
std::optional<RtfDocument> ReadRtf(const std::string& rtf);

} // namespace notestest

// Text in right-to-left scripts as the screen shows it: Arabic letters take
// their joined forms, and runs of Hebrew and Arabic read right to left inside
// a left-to-right line, as GDI lays out such text for a left-to-right window.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gdi {

struct DisplayText {
    // The text in logical order with each character in the form it shows
    // in (joined Arabic forms, mirrored brackets); as long as the text, a
    // joined ligature's second character becomes U+FEFF, which draws nothing.
    std::u16string shaped;
    // The logical index of each code unit in the order drawn from the left;
    // empty when that order is the logical one.
    std::vector<std::size_t> visualOrder;
};

// Whether the text holds anything that shaping or reordering can change.
bool NeedsBidi(std::u16string_view text);

DisplayText ForDisplay(std::u16string_view text);

} // namespace gdi

// Measuring and drawing runs of text in a DC's font.
#pragma once

#include "Bidi.h"
#include "Canvas.h"
#include "FontEngine.h"

#include <string_view>

namespace gdi {

std::shared_ptr<RealizedFont> FontOfDc(const DcObject& dc);

// The advance of the code unit text[i], with the DC's character extra; the
// second half of a surrogate pair has none.
int CodeUnitAdvance(RealizedFont& font, std::u16string_view text, std::size_t i, int charExtra);

// The advance of each code unit, with the DC's character extra.
std::vector<int> Advances(RealizedFont& font, std::u16string_view text, int charExtra);
int RunWidth(RealizedFont& font, std::u16string_view text, int charExtra);

struct RunStyle {
    Pixel color = 0;
    const RECT* clip = nullptr; // surface coordinates, in addition to the DC's clip
    int underlineIndex = -1;    // a character to underline on its own (the & prefix)
    bool drawGlyphs = true;
    bool plain = false; // the caller knows the text needs no shaping
};

// Draws text with its pen at (x, baseline), surface coordinates; dx gives
// the advances (null: the font's). Returns the width drawn. A caller that
// has already shaped text passes ForDisplay(text) as shaped.
int DrawRun(Canvas& canvas, RealizedFont& font, int x, int baseline, std::u16string_view text, const int* dx,
            int charExtra, const RunStyle& style, const DisplayText* shaped = nullptr);

} // namespace gdi

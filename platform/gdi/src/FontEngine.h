// Fonts realised with FreeType: the Windows face names map onto the DejaVu
// families, sizes follow Windows logical heights (negative: the em height in
// pixels; positive: the cell height, ascent plus descent), and glyphs are
// rendered anti-aliased and cached per realised font. A character that the
// font lacks is drawn from the first linked font that has it (CJK, emoji,
// symbols), at the same em size, as Windows' font linking does.
#pragma once

#include "gdi/GdiTypes.h"
#include "win32/RecursiveLock.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace gdi {

struct Glyph {
    int advance = 0; // pixels
    int left = 0;    // from the pen position to the first column
    int top = 0;     // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    std::vector<BYTE> coverage; // rows x width, 0..255
    // The coverage again with each row widened to a multiple of four
    // columns by zeros, so that a row blends four pixels at a time.
    int stride = 0;
    std::vector<BYTE> padded; // rows x stride
};

class RealizedFont {
public:
    RealizedFont() { m_quickAdvances.fill(-1); }
    virtual ~RealizedFont();
    // How many realised fonts have ended: while it stays, a glyph's address
    // names the same glyph.
    static std::uint64_t EndedCount() { return s_ended.load(); }
    // The advance of a character below kQuickAdvances, kept apart from its
    // glyph so that measuring a line looks up no glyph.
    static constexpr char16_t kQuickAdvances = 0x500;
    int QuickAdvance(char16_t c)
    {
        int& advance = m_quickAdvances[c];
        if (advance < 0)
            advance = GlyphOf(c).advance;
        return advance;
    }
    virtual const TEXTMETRICW& Metrics() const = 0;
    // The glyph of one character (a code point); surrogate halves give an
    // empty glyph. It stays where it is for as long as the font lives.
    virtual const Glyph& GlyphOf(char32_t c) = 0;
    // The glyph at text[i], a UTF-16 text: a surrogate pair gives its
    // character's glyph at its first half and an empty one, which takes no
    // room, at its second; a lone half draws nothing.
    const Glyph& GlyphAt(std::u16string_view text, std::size_t i)
    {
        // Text is mostly of the characters whose advances are kept apart:
        // their glyphs are kept beside them, found without a call.
        const char16_t c = text[i];
        if (c < kQuickAdvances) {
            const Glyph*& glyph = m_quickGlyphs[c];
            if (!glyph)
                glyph = &GlyphOf(c);
            return *glyph;
        }
        return GlyphBeyondQuick(text, i);
    }
    virtual int UnderlinePosition() const = 0;  // pixels below the baseline
    virtual int UnderlineThickness() const = 0;
    virtual int StrikeOutPosition() const = 0;  // pixels above the baseline
    // The escapement in radians, counter-clockwise; glyphs of a rotated font
    // are rendered rotated and placed along the rotated baseline.
    virtual double Angle() const = 0;
    bool Underline() const { return Metrics().tmUnderlined != 0; }
    bool StrikeOut() const { return Metrics().tmStruckOut != 0; }

private:
    const Glyph& GlyphBeyondQuick(std::u16string_view text, std::size_t i);

    static inline std::atomic<std::uint64_t> s_ended{0};

    std::array<int, kQuickAdvances> m_quickAdvances;
    std::array<const Glyph*, kQuickAdvances> m_quickGlyphs{}; // GlyphOf's glyphs stay where they are
};

// The font a LOGFONTW describes; the same description gives the same
// object. The result is used under FontLock().
std::shared_ptr<RealizedFont> RealizeFont(const LOGFONTW& logFont);

// FreeType is not thread-safe; every use of a realised font holds this lock.
std::unique_lock<win32::RecursiveLock> FontLock();

// The DejaVu file a face name, weight and slant map to (for tests and
// diagnostics).
std::string FontFileFor(const LOGFONTW& logFont);

// The linked fonts, in the order they are asked for a missing character:
// those of the machine's fonts that are installed.
const std::vector<std::string>& LinkedFontFiles();

} // namespace gdi

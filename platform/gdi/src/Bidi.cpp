#include "Bidi.h"

#include <fribidi.h>

#include <numeric>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gdi {

namespace {

bool IsRightToLeftOrJoining(char16_t c)
{
    return (c >= 0x0590 && c <= 0x08FF) ||   // Hebrew, Arabic, Syriac, Thaana, NKo ... Arabic Extended
           (c >= 0xFB1D && c <= 0xFDFF) ||   // Hebrew and Arabic presentation forms A
           (c >= 0xFE70 && c <= 0xFEFE) ||   // Arabic presentation forms B
           c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); // marks and embeddings
}

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

bool NeedsBidi(std::u16string_view text)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    // Eight code units at a time while all lie below the first right-to-left
    // block, as the text of most lines does throughout.
    const __m128i below = _mm_set1_epi16(0x058F);
    for (; i + 8 <= text.size(); i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i over = _mm_subs_epu16(units, below); // zero where a unit is below U+0590
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(over, _mm_setzero_si128())) == 0xFFFF)
            continue;
        for (std::size_t k = i; k < i + 8; ++k)
            if (IsRightToLeftOrJoining(text[k]))
                return true;
    }
#endif
    for (; i < text.size(); ++i)
        if (IsRightToLeftOrJoining(text[i]))
            return true;
    return false;
}

DisplayText ForDisplay(std::u16string_view text)
{
    DisplayText out;
    out.shaped.assign(text);
    if (!NeedsBidi(text))
        return out;

    // The algorithm works on characters: a surrogate pair is one, which
    // stands at the first of its two code units.
    std::vector<FriBidiChar> chars;
    std::vector<std::size_t> unitOf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unitOf.push_back(i);
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            chars.push_back(0x10000 + ((static_cast<FriBidiChar>(text[i]) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            chars.push_back(text[i]);
        }
    }
    const auto n = static_cast<FriBidiStrIndex>(chars.size());
    std::vector<FriBidiCharType> types(chars.size());
    std::vector<FriBidiBracketType> brackets(chars.size());
    std::vector<FriBidiLevel> levels(chars.size());
    std::vector<FriBidiArabicProp> joining(chars.size());
    fribidi_get_bidi_types(chars.data(), n, types.data());
    fribidi_get_bracket_types(chars.data(), n, types.data(), brackets.data());
    FriBidiParType base = FRIBIDI_PAR_LTR;
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &base, levels.data()) == 0)
        return out;
    fribidi_get_joining_types(chars.data(), n, joining.data());
    fribidi_join_arabic(types.data(), n, levels.data(), joining.data());
    fribidi_shape(FRIBIDI_FLAGS_DEFAULT | FRIBIDI_FLAGS_ARABIC, levels.data(), n, joining.data(), chars.data());

    // Shaping keeps characters in the basic plane in the basic plane.
    for (std::size_t k = 0; k < chars.size(); ++k)
        if (chars[k] < 0x10000 && !(text[unitOf[k]] >= 0xD800 && text[unitOf[k]] <= 0xDFFF))
            out.shaped[unitOf[k]] = chars[k] == FRIBIDI_CHAR_FILL ? u'\uFEFF' : static_cast<char16_t>(chars[k]);

    std::vector<FriBidiStrIndex> map(chars.size());
    std::iota(map.begin(), map.end(), 0);
    if (fribidi_reorder_line(FRIBIDI_FLAGS_DEFAULT, types.data(), n, 0, base, levels.data(), nullptr, map.data()) == 0)
        return out;
    // A pair's two units stay in their order where its character goes.
    for (FriBidiStrIndex k : map) {
        const std::size_t unit = unitOf[static_cast<std::size_t>(k)];
        out.visualOrder.push_back(unit);
        if (IsHigh(text[unit]) && unit + 1 < text.size() && IsLow(text[unit + 1]))
            out.visualOrder.push_back(unit + 1);
    }
    return out;
}

} // namespace gdi

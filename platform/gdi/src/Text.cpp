// Fonts and the text calls: TextOut, ExtTextOut, extents and metrics.
#include "TextRender.h"

#include "Bidi.h"

#include "gdi/Gdi.h"
#include "win32/WideString.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define MARLWICK_BLEND_AVX2 1
#endif

namespace gdi {

std::shared_ptr<RealizedFont> FontOfDc(const DcObject& dc)
{
    auto lock = FontLock();
    FontObject& font = *dc.state.font;
    if (!font.realized)
        font.realized = RealizeFont(font.logFont);
    return font.realized;
}

int CodeUnitAdvance(RealizedFont& font, std::u16string_view text, std::size_t i, int charExtra)
{
    if (text[i] < RealizedFont::kQuickAdvances)
        return font.QuickAdvance(text[i]) + charExtra;
    // The second half of a surrogate pair takes no room: its character's
    // advance stands at the first half.
    if (i > 0 && text[i] >= 0xDC00 && text[i] <= 0xDFFF && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF)
        return 0;
    return font.GlyphAt(text, i).advance + charExtra;
}

std::vector<int> Advances(RealizedFont& font, std::u16string_view logical, int charExtra)
{
    const std::u16string shaped = NeedsBidi(logical) ? ForDisplay(logical).shaped : std::u16string();
    const std::u16string_view text = shaped.empty() ? logical : std::u16string_view(shaped);
    std::vector<int> advances;
    advances.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        advances.push_back(CodeUnitAdvance(font, text, i, charExtra));
    return advances;
}

int RunWidth(RealizedFont& font, std::u16string_view logical, int charExtra)
{
    const std::u16string shaped = NeedsBidi(logical) ? ForDisplay(logical).shaped : std::u16string();
    const std::u16string_view text = shaped.empty() ? logical : std::u16string_view(shaped);
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        width += CodeUnitAdvance(font, text, i, charExtra);
    return width;
}

namespace {

bool Inside(const Canvas& canvas, const RunStyle& style, int x, int y)
{
    if (style.clip && (x < style.clip->left || x >= style.clip->right || y < style.clip->top || y >= style.clip->bottom))
        return false;
    return canvas.Visible(x, y);
}

// Whether every pixel of box passes Inside.
bool AllInside(const Canvas& canvas, const RunStyle& style, const RECT& box)
{
    if (style.clip && (box.left < style.clip->left || box.right > style.clip->right || box.top < style.clip->top ||
                       box.bottom > style.clip->bottom))
        return false;
    return canvas.clip.ContainsRect(box);
}

// Whether no pixel of box can pass Inside.
bool NoneInside(const RunStyle& style, const RECT& box, const RECT& clipBounds)
{
    const auto disjoint = [](const RECT& a, const RECT& b) {
        return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
    };
    return disjoint(box, clipBounds) || (style.clip && disjoint(box, *style.clip));
}

void Blend(Canvas& canvas, int x, int y, Pixel color, unsigned coverage)
{
    if (canvas.monochrome) {
        if (coverage >= 128)
            canvas.surface->Set(x, y, canvas.Adapt(color));
        return;
    }
    Pixel d = canvas.surface->At(x, y);
    Pixel out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        unsigned dc = (d >> shift) & 0xFF;
        unsigned sc = (color >> shift) & 0xFF;
        out |= ((sc * coverage + dc * (255 - coverage) + 127) / 255) << shift;
    }
    canvas.surface->Set(x, y, out);
}

// A pixel's three channels as 16-bit lanes of one word, so that a blend
// computes all three at once without one lane carrying into the next.
inline std::uint64_t Lanes(Pixel p)
{
    return (static_cast<std::uint64_t>(p & 0xFF0000) << 16) | ((p & 0xFF00) << 8) | (p & 0xFF);
}

inline Pixel FromLanes(std::uint64_t v)
{
    return static_cast<Pixel>(((v >> 16) & 0xFF0000) | ((v >> 8) & 0xFF00) | (v & 0xFF));
}

// One pixel of a row blend (see BlendRow).
inline void BlendPixel(Pixel& pixel, unsigned a, std::uint64_t source, Pixel solid)
{
    constexpr std::uint64_t kLow = 0x00FF00FF00FFull;
    if (a == 0)
        return;
    if (a == 255) {
        pixel = solid;
        return;
    }
    const std::uint64_t y = source * a + Lanes(pixel) * (255 - a) + 0x007F007F007Full;
    pixel = FromLanes(((y + 0x000100010001ull + ((y >> 8) & kLow)) >> 8) & kLow);
}

#if defined(__SSE2__)
// Four pixels of a row blend at once, each channel in a 16-bit lane: the
// same sums as BlendPixel, none of which passes 65,407. A pixel without
// coverage keeps all four of its bytes; the others lose the fourth, as
// BlendPixel's do.
inline void BlendFour(Pixel* pixels, std::uint32_t coverage, __m128i source, __m128i solid)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i dest = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    __m128i spread = _mm_cvtsi32_si128(static_cast<int>(coverage));
    spread = _mm_unpacklo_epi8(spread, spread);
    spread = _mm_unpacklo_epi16(spread, spread); // each pixel's coverage in its four bytes
    const auto mix = [&](__m128i d, __m128i a) {
        const __m128i y = _mm_add_epi16(
            _mm_add_epi16(_mm_mullo_epi16(source, a), _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(255), a))),
            _mm_set1_epi16(127));
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(y, _mm_set1_epi16(1)), _mm_srli_epi16(y, 8)), 8);
    };
    const __m128i low = mix(_mm_unpacklo_epi8(dest, zero), _mm_unpacklo_epi8(spread, zero));
    const __m128i high = mix(_mm_unpackhi_epi8(dest, zero), _mm_unpackhi_epi8(spread, zero));
    const __m128i blended = _mm_and_si128(_mm_packus_epi16(low, high), solid);
    const __m128i bare = _mm_cmpeq_epi32(spread, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels),
                     _mm_or_si128(_mm_and_si128(bare, dest), _mm_andnot_si128(bare, blended)));
}
#endif

// Blend along one row of a glyph that lies wholly inside the clip: the same
// pixels as Blend, without a lookup or a test per pixel. Each lane's
// (v + 127) / 255 is (y + 1 + (y >> 8)) >> 8 with y = v + 127, which is
// exact for every v a blend can give (up to 255 * 255).
#if defined(MARLWICK_BLEND_AVX2)
// Eight pixels of a row blend at once where the processor has AVX2: the
// lanes and sums of BlendFour, twice as many per instruction.
// (s * a + d * (255 - a) + 127) / 255 in every 16-bit lane (at most 65,152).
__attribute__((target("avx2"))) inline __m256i MixEight(__m256i source, __m256i d, __m256i a)
{
    const __m256i y = _mm256_add_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(source, a), _mm256_mullo_epi16(d, _mm256_sub_epi16(_mm256_set1_epi16(255), a))),
        _mm256_set1_epi16(127));
    // y / 255 is (y * 0x8081) >> 23 for every 16-bit y.
    return _mm256_srli_epi16(_mm256_mulhi_epu16(y, _mm256_set1_epi16(static_cast<short>(0x8081))), 7);
}

// Eight pixels, four at lo and four at hi (one row or two), with their
// coverage: the lanes and sums of BlendFour, twice as many per instruction.
__attribute__((target("avx2"))) inline void BlendEight(Pixel* lo, Pixel* hi, std::uint64_t eight, __m256i source,
                                                       __m256i solid8)
{
    if (eight == 0)
        return;
    __m256i dest = _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lo)));
    dest = _mm256_inserti128_si256(dest, _mm_loadu_si128(reinterpret_cast<const __m128i*>(hi)), 1);
    __m256i out;
    if (eight == ~std::uint64_t{0}) {
        out = solid8;
    } else {
        const __m256i zero = _mm256_setzero_si256();
        __m128i bytes = _mm_cvtsi64_si128(static_cast<long long>(eight));
        bytes = _mm_unpacklo_epi8(bytes, bytes);
        // Each pixel's coverage in its four bytes, the lo pixels in the low half.
        const __m256i spread = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi16(bytes, bytes)),
                                                       _mm_unpackhi_epi16(bytes, bytes), 1);
        const __m256i low = MixEight(source, _mm256_unpacklo_epi8(dest, zero), _mm256_unpacklo_epi8(spread, zero));
        const __m256i high = MixEight(source, _mm256_unpackhi_epi8(dest, zero), _mm256_unpackhi_epi8(spread, zero));
        const __m256i blended = _mm256_and_si256(_mm256_packus_epi16(low, high), _mm256_set1_epi32(0x00FFFFFF));
        const __m256i bare = _mm256_cmpeq_epi32(spread, zero);
        out = _mm256_or_si256(_mm256_and_si256(bare, dest), _mm256_andnot_si256(bare, blended));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lo), _mm256_castsi256_si128(out));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(hi), _mm256_extracti128_si256(out, 1));
}

// A glyph's padded rows (stride a multiple of four) at (left, top), eight
// pixels at a time: a row's eights, then its last four paired with the
// next row's.
__attribute__((target("avx2"))) void BlendGlyphEights(Surface& surface, int left, int top, const Glyph& glyph,
                                                      Pixel solid)
{
    const __m256i source = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(solid)), _mm256_setzero_si256());
    const __m256i solid8 = _mm256_set1_epi32(static_cast<int>(solid));
    const int stride = glyph.stride;
    const int eights = stride & ~7;
    const BYTE* coverage = glyph.padded.data();
    // The glyph's rows follow one another a surface row apart, upwards in
    // memory on a bottom-up surface.
    const std::ptrdiff_t step = surface.IsBottomUp() ? -surface.Width() : surface.Width();
    Pixel* pixels = surface.Row(top) + left;
    const BYTE* cov = coverage;
    for (int row = 0; row < glyph.rows; ++row) {
        if (row > 0) {
            pixels += step;
            cov += stride;
        }
        for (int col = 0; col < eights; col += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, cov + col, sizeof eight);
            BlendEight(pixels + col, pixels + col + 4, eight, source, solid8);
        }
    }
    if (eights == stride)
        return;
    for (int row = 0; row < glyph.rows; row += 2) {
        const int next = row + 1 < glyph.rows ? row + 1 : -1;
        std::uint32_t first, second = 0;
        std::memcpy(&first, coverage + static_cast<std::size_t>(row) * stride + eights, sizeof first);
        if (next >= 0)
            std::memcpy(&second, coverage + static_cast<std::size_t>(next) * stride + eights, sizeof second);
        Pixel* lo = surface.Row(top + row) + left + eights;
        if (next < 0) {
            // A last row without a partner goes four pixels at a time.
            if (first != 0)
                BlendFour(lo, first, _mm256_castsi256_si128(source), _mm_set1_epi32(0x00FFFFFF));
            continue;
        }
        Pixel* hi = surface.Row(top + next) + left + eights;
        BlendEight(lo, hi, first | (static_cast<std::uint64_t>(second) << 32), source, solid8);
    }
}

// Asked once, before any thread draws: a test per glyph is a load.
const bool g_hasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

inline bool HasAvx2()
{
    return g_hasAvx2;
}
#endif

void BlendRow(Pixel* row, const BYTE* coverage, int width, Pixel color)
{
    const std::uint64_t source = Lanes(color);
    const Pixel solid = color & 0xFFFFFF;
    int col = 0;
#if defined(__SSE2__)
    const __m128i source16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(solid)), _mm_setzero_si128());
    const __m128i solid4 = _mm_set1_epi32(static_cast<int>(solid));
    const __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
    for (; col + 4 <= width; col += 4) {
        std::uint32_t four;
        std::memcpy(&four, coverage + col, sizeof four);
        if (four == 0)
            continue;
        if (four == 0xFFFFFFFFu)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + col), solid4);
        else
            BlendFour(row + col, four, source16, colourBytes);
    }
#endif
    for (; col < width; ++col)
        BlendPixel(row[col], coverage[col], source, solid);
}

void BlendGlyphAfresh(Surface& surface, int left, int top, const Glyph& glyph, Pixel color);

// The rows of a box of a surface, width a multiple of four, one after the
// other in memory upwards on a bottom-up surface.
struct SurfaceBox {
    Pixel* first;
    std::ptrdiff_t step;
    int width;
    int rows;

    SurfaceBox(Surface& surface, int left, int top, int w, int h)
        : first(surface.Row(top) + left), step(surface.IsBottomUp() ? -surface.Width() : surface.Width()), width(w),
          rows(h)
    {
    }

    // Where the box holds before (rows x width, row by row) to the byte, puts
    // after in its place and answers true; otherwise leaves the box as it
    // was. Each row is compared and replaced in turn: rows already replaced
    // held before, and go back to it when a later row differs. The usual
    // widths of a small font's glyphs are unrolled.
    bool Replace(const Pixel* before, const Pixel* after) const
    {
        switch (width) {
        case 4: return ReplaceRows<4>(before, after);
        case 8: return ReplaceRows<8>(before, after);
        case 12: return ReplaceRows<12>(before, after);
        case 16: return ReplaceRows<16>(before, after);
        default: break;
        }
        Pixel* row = first;
        const std::size_t bytes = static_cast<std::size_t>(width) * sizeof(Pixel);
        for (int y = 0; y < rows; ++y, row += step, before += width, after += width) {
            if (std::memcmp(row, before, bytes) != 0) {
                Restore(y, before - static_cast<std::size_t>(y) * width);
                return false;
            }
            std::memcpy(row, after, bytes);
        }
        return true;
    }

    template <int W>
    bool ReplaceRows(const Pixel* before, const Pixel* after) const
    {
#if defined(MARLWICK_BLEND_AVX2)
        if (HasAvx2())
            return ReplaceRowsAvx2<W>(before, after);
#endif
        Pixel* row = first;
        for (int y = 0; y < rows; ++y, row += step, before += W, after += W) {
            Pixel current[W];
            std::memcpy(current, row, sizeof current);
            if (std::memcmp(current, before, sizeof current) != 0) {
                Restore(y, before - static_cast<std::size_t>(y) * W);
                return false;
            }
            std::memcpy(row, after, sizeof current);
        }
        return true;
    }

#if defined(MARLWICK_BLEND_AVX2)
    // The same, eight pixels to an instruction (and a last four).
    template <int W>
    __attribute__((target("avx2"))) bool ReplaceRowsAvx2(const Pixel* before, const Pixel* after) const
    {
        constexpr int kEights = W / 8;
        constexpr bool kTail = W % 8 != 0;
        Pixel* row = first;
        for (int y = 0; y < rows; ++y, row += step, before += W, after += W) {
            __m256i diff = _mm256_setzero_si256();
            for (int e = 0; e < kEights; ++e)
                diff = _mm256_or_si256(diff,
                                       _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8 * e)),
                                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(before + 8 * e))));
            bool same = _mm256_testz_si256(diff, diff) != 0;
            if constexpr (kTail) {
                const __m128i tail =
                    _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 8 * kEights)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(before + 8 * kEights)));
                same = same && _mm_testz_si128(tail, tail) != 0;
            }
            if (!same) {
                Restore(y, before - static_cast<std::size_t>(y) * W);
                return false;
            }
            for (int e = 0; e < kEights; ++e)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + 8 * e),
                                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(after + 8 * e)));
            if constexpr (kTail)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 8 * kEights),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(after + 8 * kEights)));
        }
        return true;
    }
#endif

    // Puts the first count rows of saved back.
    void Restore(int count, const Pixel* saved) const
    {
        Pixel* row = first;
        for (int y = 0; y < count; ++y, row += step, saved += width)
            std::memcpy(row, saved, static_cast<std::size_t>(width) * sizeof(Pixel));
    }

    void SaveTo(std::vector<Pixel>& saved) const
    {
        saved.resize(static_cast<std::size_t>(width) * rows);
        Pixel* out = saved.data();
        const Pixel* row = first;
        const std::size_t bytes = static_cast<std::size_t>(width) * sizeof(Pixel);
        for (int y = 0; y < rows; ++y, row += step, out += width)
            std::memcpy(out, row, bytes);
    }
};

// The last blends of glyphs on this thread, each with the pixels it was
// made over and the pixels it made. A blend depends on nothing else, so a
// glyph drawn again in the same colour over the same pixels (a text set
// again, or a letter that comes back along a line over a plain or banded
// background, as a progress display's texts do over its skin) takes what it
// made before instead of blending again. A glyph is known by its address,
// which names no other glyph until a realised font ends; the row it starts
// on is part of the key, as a background's bands differ from line to line.
class BlendMemo {
public:
    static BlendMemo& OfThisThread()
    {
        thread_local BlendMemo memo;
        return memo;
    }

    template <typename Blend>
    void Draw(Surface& surface, int left, int top, const Glyph& glyph, Pixel color, Blend&& blend)
    {
        // A large glyph rarely comes back over the same pixels, and its
        // copies would cost more than its blends save.
        if (static_cast<long long>(glyph.stride) * glyph.rows > kLargest) {
            blend();
            return;
        }
        const SurfaceBox box(surface, left, top, glyph.stride, glyph.rows);
        const std::uint64_t ended = RealizedFont::EndedCount();
        if (ended != m_fontsEnded) {
            for (Entry& entry : m_entries)
                entry.glyph = nullptr;
            m_fontsEnded = ended;
        }
        const auto key = reinterpret_cast<std::uintptr_t>(&glyph);
        // The high bits of a multiplicative hash: glyphs of one font lie a
        // few hundred bytes apart, and their low bits repeat.
        const std::uint64_t mixed = (static_cast<std::uint64_t>(key) ^ (static_cast<std::uint64_t>(color) << 40) ^
                                     (static_cast<std::uint64_t>(static_cast<std::uint32_t>(top)) << 20)) *
                                    0x9E3779B97F4A7C15ull;
        const std::size_t slot = static_cast<std::size_t>(mixed >> (64 - kSlotBits));
        Entry& entry = m_entries[slot];
        if (entry.glyph == &glyph && entry.color == color && entry.top == top &&
            box.Replace(entry.before.data(), entry.after.data()))
            return;
        entry.glyph = nullptr; // until both sides are saved
        box.SaveTo(entry.before);
        blend();
        box.SaveTo(entry.after);
        entry.glyph = &glyph;
        entry.color = color;
        entry.top = top;
    }

private:
    static constexpr long long kLargest = 32 * 32;
    static constexpr int kSlotBits = 10;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;

    struct Entry {
        const Glyph* glyph = nullptr;
        Pixel color = 0;
        int top = 0;
        std::vector<Pixel> before;
        std::vector<Pixel> after;
    };
    std::array<Entry, kSlots> m_entries{};
    std::uint64_t m_fontsEnded = RealizedFont::EndedCount();
};

// A glyph's padded rows at (left, top), every pixel of them inside the clip.
void BlendGlyph(BlendMemo& memo, Surface& surface, int left, int top, const Glyph& glyph, Pixel color)
{
    memo.Draw(surface, left, top, glyph, color,
                                   [&] { BlendGlyphAfresh(surface, left, top, glyph, color); });
}

// The same, blended pixel by pixel.
void BlendGlyphAfresh(Surface& surface, int left, int top, const Glyph& glyph, Pixel color)
{
#if defined(MARLWICK_BLEND_AVX2)
    if (HasAvx2()) {
        BlendGlyphEights(surface, left, top, glyph, color & 0xFFFFFF);
        return;
    }
#endif
    for (int row = 0; row < glyph.rows; ++row)
        BlendRow(surface.Row(top + row) + left, glyph.padded.data() + static_cast<std::size_t>(row) * glyph.stride,
                 glyph.stride, color);
}

void Bar(Canvas& canvas, const RunStyle& style, int left, int right, int top, int thickness)
{
    for (int y = top; y < top + thickness; ++y)
        for (int x = left; x < right; ++x)
            if (Inside(canvas, style, x, y))
                canvas.surface->Set(x, y, canvas.Adapt(style.color));
}

} // namespace

int DrawRun(Canvas& canvas, RealizedFont& font, int x, int baseline, std::u16string_view logical, const int* dx,
            int charExtra, const RunStyle& style, const DisplayText* given)
{
    auto lock = FontLock();
    const double angle = font.Angle();
    const double cosA = angle != 0 ? std::cos(angle) : 1.0, sinA = angle != 0 ? std::sin(angle) : 0.0;
    // Right-to-left runs are drawn from their end; each code unit keeps its
    // own advance wherever it stands.
    // Text that shaping leaves alone is drawn as it stands, without a copy.
    DisplayText ownDisplay;
    if (!given && !style.plain && NeedsBidi(logical)) {
        ownDisplay = ForDisplay(logical);
        given = &ownDisplay;
    }
    const DisplayText& display = given ? *given : ownDisplay;
    const std::u16string_view text = given ? std::u16string_view(display.shaped) : logical;
    const RECT clipBounds = canvas.clip.Bounds();
    // Where the DC's clip is one rectangle (as a paint's mostly is), whether
    // a glyph shows whole is four comparisons against it and the run's clip.
    const bool plainClip = canvas.clip.Rects().size() == 1;
    RECT plain = clipBounds;
    if (plainClip && style.clip)
        plain = {std::max(plain.left, style.clip->left), std::max(plain.top, style.clip->top),
                 std::min(plain.right, style.clip->right), std::min(plain.bottom, style.clip->bottom)};
    // For a box of at least one pixel.
    const auto allInside = [&](const RECT& box) {
        if (plainClip)
            return box.left >= plain.left && box.top >= plain.top && box.right <= plain.right && box.bottom <= plain.bottom;
        return AllInside(canvas, style, box);
    };
    BlendMemo& memo = BlendMemo::OfThisThread();
    int pen = x;
    for (std::size_t v = 0; v < text.size(); ++v) {
        const std::size_t i = display.visualOrder.empty() ? v : display.visualOrder[v];
        const Glyph& glyph = font.GlyphAt(text, i);
        int advance = dx ? dx[i] : CodeUnitAdvance(font, text, i, charExtra);
        // Along a rotated baseline the pen moves by the advance turned by
        // the escapement (screen y grows downwards).
        int originX = pen, originY = baseline;
        if (angle != 0) {
            double along = pen - x;
            originX = x + static_cast<int>(std::lround(along * cosA));
            originY = baseline - static_cast<int>(std::lround(along * sinA));
        }
        const RECT box{originX + glyph.left, originY - glyph.top, originX + glyph.left + glyph.width,
                       originY - glyph.top + glyph.rows};
        if (!style.drawGlyphs || glyph.rows <= 0 || glyph.width <= 0 || NoneInside(style, box, clipBounds)) {
            // Nothing of the glyph shows: a line outside the update region costs no pixel tests.
        } else if (const RECT wide{box.left, box.top, box.left + glyph.stride, box.bottom};
                   !canvas.monochrome && allInside(wide)) {
            // The glyph and the few columns right of it that round its rows
            // up to four pixels show: those columns blend with no coverage,
            // which leaves them as they are, and every row goes four pixels
            // at a time.
            BlendGlyph(memo, *canvas.surface, box.left, box.top, glyph, style.color);
        } else if (allInside(box)) {
            // The usual case: the whole glyph shows, so no pixel needs the clip test.
            for (int row = 0; row < glyph.rows; ++row) {
                const int y = originY - glyph.top + row;
                const BYTE* coverage = glyph.coverage.data() + static_cast<std::size_t>(row) * glyph.width;
                if (!canvas.monochrome) {
                    BlendRow(canvas.surface->Row(y) + originX + glyph.left, coverage, glyph.width, style.color);
                    continue;
                }
                for (int col = 0; col < glyph.width; ++col) {
                    if (coverage[col])
                        Blend(canvas, originX + glyph.left + col, y, style.color, coverage[col]);
                }
            }
        } else {
            for (int row = 0; row < glyph.rows; ++row) {
                int y = originY - glyph.top + row;
                for (int col = 0; col < glyph.width; ++col) {
                    unsigned coverage = glyph.coverage[static_cast<std::size_t>(row) * glyph.width + col];
                    int px = originX + glyph.left + col;
                    if (coverage && Inside(canvas, style, px, y))
                        Blend(canvas, px, y, style.color, coverage);
                }
            }
        }
        if (static_cast<int>(i) == style.underlineIndex && angle == 0)
            Bar(canvas, style, pen, pen + advance, baseline + font.UnderlinePosition(), font.UnderlineThickness());
        pen += advance;
    }
    if (angle != 0)
        return pen - x;
    if (style.drawGlyphs && font.Underline())
        Bar(canvas, style, x, pen, baseline + font.UnderlinePosition(), font.UnderlineThickness());
    if (style.drawGlyphs && font.StrikeOut())
        Bar(canvas, style, x, pen, baseline - font.StrikeOutPosition(), font.UnderlineThickness());
    return pen - x;
}

} // namespace gdi

using namespace gdi;

HFONT CreateFontIndirectW(const LOGFONTW* lf)
{
    if (!lf)
        return nullptr;
    auto font = std::make_shared<FontObject>();
    font->logFont = *lf;
    font->logFont.lfFaceName[LF_FACESIZE - 1] = 0; // a face of 32 characters is cut, never read past
    return static_cast<HFONT>(InsertObject(font));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face)
{
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face)
        lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics)
{
    auto object = LookupDc(dc);
    if (!object || !metrics)
        return FALSE;
    auto lock = FontLock();
    *metrics = FontOfDc(*object)->Metrics();
    return TRUE;
}

int GetTextFaceW(HDC dc, int count, LPWSTR face)
{
    auto object = LookupDc(dc);
    if (!object)
        return 0;
    const WCHAR* name = object->state.font->logFont.lfFaceName;
    int length = static_cast<int>(wcslen(name));
    if (!face)
        return length + 1;
    if (count <= 0)
        return 0;
    lstrcpynW(face, name, count);
    return static_cast<int>(wcslen(face)) + 1;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, int* fit, int* dx, LPSIZE size)
{
    auto object = LookupDc(dc);
    if (!object || count < 0 || (count > 0 && !text) || !size)
        return FALSE;
    auto lock = FontLock();
    auto font = FontOfDc(*object);
    const std::u16string shaped = ForDisplay(std::u16string_view(text, count)).shaped;
    int width = 0, fitted = 0;
    for (int i = 0; i < count; ++i) {
        width += CodeUnitAdvance(*font, shaped, i, object->state.charExtra);
        if (dx)
            dx[i] = width;
        if (width <= maxExtent)
            fitted = i + 1;
    }
    if (fit)
        *fit = fitted;
    *size = {width, font->Metrics().tmHeight};
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size)
{
    return GetTextExtentExPointW(dc, text, count, 0, nullptr, nullptr, size);
}

BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths)
{
    auto object = LookupDc(dc);
    if (!object || !widths || last < first || last > 0xFFFF)
        return FALSE;
    auto lock = FontLock();
    auto font = FontOfDc(*object);
    for (UINT c = first; c <= last; ++c)
        widths[c - first] = font->GlyphOf(static_cast<char16_t>(c)).advance;
    return TRUE;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const int* dx)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas || (count > 0 && !text))
        return FALSE;
    DcState& s = canvas->dc->state;
    auto lock = FontLock();
    auto font = FontOfDc(*canvas->dc);
    const TEXTMETRICW& tm = font->Metrics();
    std::u16string_view run(text ? text : u"", count);
    int width = 0;
    if (dx)
        for (UINT i = 0; i < count; ++i)
            width += dx[i];
    else
        width = RunWidth(*font, run, s.charExtra);

    const bool updateCp = s.textAlign & TA_UPDATECP;
    POINT origin = updateCp ? s.position : POINT{x, y};
    int left = origin.x;
    switch (s.textAlign & TA_CENTER) {
    case TA_RIGHT:
        left -= width;
        break;
    case TA_CENTER:
        left -= width / 2;
        break;
    default:
        break;
    }
    int baseline = origin.y;
    switch (s.textAlign & TA_BASELINE) {
    case TA_BASELINE:
        break;
    case TA_BOTTOM:
        baseline -= tm.tmDescent;
        break;
    default:
        baseline += tm.tmAscent;
        break;
    }
    if (updateCp) {
        // The current position moves past the text (or back, for TA_RIGHT).
        if ((s.textAlign & TA_CENTER) == TA_RIGHT)
            s.position.x = left;
        else if ((s.textAlign & TA_CENTER) == TA_LEFT)
            s.position.x = left + width;
    }

    RECT clipRect{};
    const RECT* clip = nullptr;
    if (rect) {
        clipRect = canvas->ToSurface(*rect);
        if (options & ETO_OPAQUE)
            canvas->FillSolid(clipRect, PixelFromColor(s.bkColor));
        if (options & ETO_CLIPPED)
            clip = &clipRect;
    }
    POINT at = canvas->ToSurface(left, baseline);
    if (s.bkMode == OPAQUE && !(rect && (options & ETO_OPAQUE))) {
        RECT cell{at.x, at.y - tm.tmAscent, at.x + width, at.y + tm.tmDescent};
        if (clip)
            cell = {std::max(cell.left, clip->left), std::max(cell.top, clip->top), std::min(cell.right, clip->right),
                    std::min(cell.bottom, clip->bottom)};
        canvas->FillSolid(cell, PixelFromColor(s.bkColor));
    }
    RunStyle style;
    style.color = PixelFromColor(s.textColor);
    style.clip = clip;
    DrawRun(*canvas, *font, at.x, at.y, run, dx, s.charExtra, style);
    return TRUE;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count)
{
    if (count < 0)
        return FALSE;
    return ExtTextOutW(dc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

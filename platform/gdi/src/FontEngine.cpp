#include "FontEngine.h"

#include "win32/WideString.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

namespace gdi {

namespace {

// The narrow Windows faces (Tahoma, MS Sans Serif, Arial, Times New Roman)
// take the condensed DejaVu cuts, so that texts fit the controls laid out
// for them; the wide ones (Verdana, Georgia) take the regular cuts.
enum class Family { Sans, SansCondensed, Serif, SerifCondensed, Mono };

const char* const kFontDir = "/usr/share/fonts/truetype/dejavu/";

// The linked fonts of the machine, asked in this order for a character the
// chosen font lacks: CJK ideographs and kana, hangul, then symbols and emoji
// (drawn in one colour, as GDI draws them).
const char* const kLinkedFonts[] = {
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
    "/usr/share/fonts/truetype/nanum/NanumGothic.ttf",
    "/usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf",
};

struct FaceAlias {
    const char16_t* name;
    Family family;
};

// Windows face names and the family that stands in for each.
const FaceAlias kAliases[] = {
    {u"MS Shell Dlg", Family::SansCondensed},
    {u"MS Shell Dlg 2", Family::SansCondensed},
    {u"MS Sans Serif", Family::SansCondensed},
    {u"Microsoft Sans Serif", Family::SansCondensed},
    {u"Tahoma", Family::SansCondensed},
    {u"Arial", Family::SansCondensed},
    {u"Segoe UI", Family::SansCondensed},
    {u"System", Family::SansCondensed},
    {u"Helvetica", Family::SansCondensed},
    {u"Verdana", Family::Sans},
    {u"Trebuchet MS", Family::Sans},
    {u"Lucida Sans Unicode", Family::Sans},
    {u"Times New Roman", Family::SerifCondensed},
    {u"Times", Family::SerifCondensed},
    {u"MS Serif", Family::SerifCondensed},
    {u"Georgia", Family::Serif},
    {u"Book Antiqua", Family::Serif},
    {u"Garamond", Family::Serif},
    {u"Courier New", Family::Mono},
    {u"Courier", Family::Mono},
    {u"Lucida Console", Family::Mono},
    {u"Consolas", Family::Mono},
    {u"Fixedsys", Family::Mono},
    {u"Terminal", Family::Mono},
    {u"DejaVu Sans", Family::Sans},
    {u"DejaVu Sans Condensed", Family::SansCondensed},
    {u"DejaVu Serif", Family::Serif},
    {u"DejaVu Serif Condensed", Family::SerifCondensed},
    {u"DejaVu Sans Mono", Family::Mono},
};

Family FamilyOf(const LOGFONTW& lf)
{
    std::u16string_view face(lf.lfFaceName, wcslen(lf.lfFaceName) < LF_FACESIZE ? wcslen(lf.lfFaceName) : LF_FACESIZE);
    for (const FaceAlias& alias : kAliases)
        if (EqualsNoCase(face, alias.name))
            return alias.family;
    BYTE family = lf.lfPitchAndFamily & 0xF0;
    if (family == FF_ROMAN)
        return Family::SerifCondensed;
    if (family == FF_MODERN || (lf.lfPitchAndFamily & 0x3) == FIXED_PITCH)
        return Family::Mono;
    return Family::SansCondensed;
}

std::string FileName(Family family, bool bold, bool italic)
{
    const char* base = "DejaVuSans";
    switch (family) {
    case Family::Sans:
        break;
    case Family::SansCondensed:
        base = "DejaVuSansCondensed";
        break;
    case Family::Serif:
        base = "DejaVuSerif";
        break;
    case Family::SerifCondensed:
        base = "DejaVuSerifCondensed";
        break;
    case Family::Mono:
        base = "DejaVuSansMono";
        break;
    }
    const bool serif = family == Family::Serif || family == Family::SerifCondensed;
    const std::string slant = serif ? "Italic" : "Oblique";
    std::string name = base;
    if (bold && italic)
        return name + "-Bold" + slant + ".ttf";
    if (bold)
        return name + "-Bold.ttf";
    if (italic)
        return name + "-" + slant + ".ttf";
    return name + ".ttf";
}

win32::RecursiveLock& TheFontMutex()
{
    static auto* mutex = new win32::RecursiveLock;
    return *mutex;
}

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            lib = nullptr;
        return lib;
    }();
    return library;
}

// The em height in pixels and the rest of the realisation key.
struct FontKey {
    std::string file;
    int height;
    bool underline;
    bool strikeOut;
    LONG weight;
    bool italic;
    BYTE charSet;
    LONG escapement; // tenths of a degree
    LONG width;      // average character width asked for; 0 for the font's own
    bool operator<(const FontKey& o) const
    {
        return std::tie(file, height, underline, strikeOut, weight, italic, charSet, escapement, width) <
               std::tie(o.file, o.height, o.underline, o.strikeOut, o.weight, o.italic, o.charSet, o.escapement,
                        o.width);
    }
};

int Scale(long fontUnits, int ppem, long unitsPerEm)
{
    return static_cast<int>(std::lround(static_cast<double>(fontUnits) * ppem / unitsPerEm));
}

class FreeTypeFont;
std::shared_ptr<FreeTypeFont> RealizeFromFile(const std::string& file, const LOGFONTW& lf);

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

class FreeTypeFont : public RealizedFont {
public:
    FreeTypeFont(FT_Face face, int ppem, const FontKey& key, const LOGFONTW& lf)
        : m_face(face), m_ppem(ppem), m_logFont(lf)
    {
        TEXTMETRICW& tm = m_metrics;
        std::memset(&tm, 0, sizeof tm);
        const long upem = face ? face->units_per_EM : 2048;
        long winAscent = 1901, winDescent = 483, lineGap = 0, avgWidth = 1038, maxAdvance = 2048;
        long ulPos = -130, ulThick = 90, strikePos = 530;
        if (face) {
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
            if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
                winAscent = os2->usWinAscent;
                winDescent = os2->usWinDescent;
                avgWidth = os2->xAvgCharWidth;
                strikePos = os2->yStrikeoutPosition;
            }
            if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA)))
                lineGap = hhea->Line_Gap;
            maxAdvance = face->max_advance_width;
            ulPos = face->underline_position;
            ulThick = face->underline_thickness;
        }
        tm.tmAscent = Scale(winAscent, ppem, upem);
        tm.tmDescent = Scale(winDescent, ppem, upem);
        tm.tmHeight = tm.tmAscent + tm.tmDescent;
        tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - ppem);
        tm.tmExternalLeading = std::max(0, Scale(lineGap, ppem, upem));
        tm.tmAveCharWidth = std::max(1, Scale(avgWidth, ppem, upem));
        if (face && key.width > 0) {
            // A width asked for stretches the glyphs horizontally so that the
            // average character has that width.
            long xppem = std::lround(static_cast<double>(ppem) * key.width * upem / std::max(avgWidth * ppem, 1L));
            FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(std::clamp(xppem, 1L, 4000L)), static_cast<FT_UInt>(ppem));
            tm.tmAveCharWidth = key.width;
            tm.tmMaxCharWidth = std::max(1L, static_cast<long>(tm.tmMaxCharWidth) * xppem / std::max(ppem, 1));
        }
        tm.tmMaxCharWidth = std::max(1, Scale(maxAdvance, ppem, upem));
        tm.tmWeight = key.weight;
        tm.tmDigitizedAspectX = 96;
        tm.tmDigitizedAspectY = 96;
        tm.tmFirstChar = 0x20;
        tm.tmLastChar = 0xFFFC;
        tm.tmDefaultChar = 0x1F;
        tm.tmBreakChar = 0x20;
        tm.tmItalic = key.italic ? 1 : 0;
        tm.tmUnderlined = key.underline ? 1 : 0;
        tm.tmStruckOut = key.strikeOut ? 1 : 0;
        bool mono = key.file.find("Mono") != std::string::npos;
        BYTE family = key.file.find("Serif") != std::string::npos ? FF_ROMAN : mono ? FF_MODERN : FF_SWISS;
        // TMPF_FIXED_PITCH set means a variable-pitch font (the bit is named backwards).
        tm.tmPitchAndFamily = static_cast<BYTE>(family | TMPF_TRUETYPE | TMPF_VECTOR | (mono ? 0 : TMPF_FIXED_PITCH));
        tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : lf.lfCharSet;
        m_underlinePos = std::max(1, -Scale(ulPos, ppem, upem));
        m_underlineThickness = std::max(1, Scale(ulThick, ppem, upem));
        m_strikePos = std::max(1, Scale(strikePos, ppem, upem));
        if (face && key.escapement % 3600 != 0) {
            m_angle = (key.escapement % 3600) / 10.0 * 3.14159265358979323846 / 180.0;
            FT_Matrix matrix;
            matrix.xx = static_cast<FT_Fixed>(std::cos(m_angle) * 0x10000);
            matrix.xy = static_cast<FT_Fixed>(-std::sin(m_angle) * 0x10000);
            matrix.yx = static_cast<FT_Fixed>(std::sin(m_angle) * 0x10000);
            matrix.yy = static_cast<FT_Fixed>(std::cos(m_angle) * 0x10000);
            FT_Set_Transform(face, &matrix, nullptr);
        }
    }

    ~FreeTypeFont() override
    {
        if (m_face)
            FT_Done_Face(m_face);
    }

    const TEXTMETRICW& Metrics() const override { return m_metrics; }
    int UnderlinePosition() const override { return m_underlinePos; }
    int UnderlineThickness() const override { return m_underlineThickness; }
    int StrikeOutPosition() const override { return m_strikePos; }
    double Angle() const override { return m_angle; }
    void SetUpright(std::shared_ptr<RealizedFont> upright) { m_upright = std::move(upright); }

    bool HasCharacter(char32_t c) const { return m_face && FT_Get_Char_Index(m_face, c) != 0; }

    const Glyph& GlyphOf(char32_t c) override
    {
        if (c >= kDirect)
            return Load(c);
        if (!m_direct[c])
            m_direct[c] = &Load(c); // the map's elements stay where they are
        return *m_direct[c];
    }

private:
    const Glyph& Load(char32_t c)
    {
        auto it = m_glyphs.find(c);
        if (it != m_glyphs.end())
            return it->second;
        Glyph& glyph = m_glyphs[c];
        // Control characters, lone surrogate halves and the zero-width
        // no-break space (which also stands for a joined ligature's second
        // character) draw nothing.
        if (!m_face || c < 0x20 || IsSurrogate(c) || c == 0xFEFF)
            return glyph;
        FT_UInt index = FT_Get_Char_Index(m_face, c);
        if (index == 0) {
            if (FreeTypeFont* linked = LinkedFontWith(c)) {
                glyph = linked->GlyphOf(c);
                return glyph;
            }
        }
        if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0)
            return glyph;
        FT_GlyphSlot slot = m_face->glyph;
        // A rotated glyph's advance is the unrotated one, as extents are
        // measured along the baseline.
        glyph.advance = m_upright ? m_upright->GlyphOf(c).advance : static_cast<int>((slot->advance.x + 32) >> 6);
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            return glyph;
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY)
            return glyph;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = static_cast<int>(bm.width);
        glyph.rows = static_cast<int>(bm.rows);
        glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.rows);
        for (int y = 0; y < glyph.rows; ++y)
            std::memcpy(glyph.coverage.data() + static_cast<std::size_t>(y) * glyph.width,
                        bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch, glyph.width);
        glyph.stride = (glyph.width + 3) & ~3;
        glyph.padded.assign(static_cast<std::size_t>(glyph.stride) * glyph.rows, 0);
        for (int y = 0; y < glyph.rows; ++y)
            std::memcpy(glyph.padded.data() + static_cast<std::size_t>(y) * glyph.stride,
                        glyph.coverage.data() + static_cast<std::size_t>(y) * glyph.width, glyph.width);
        return glyph;
    }

    // The first linked font that has the character, realised at this font's
    // em size, weight, slant and escapement; none when no font has it (the
    // font's own missing-character box is drawn then).
    FreeTypeFont* LinkedFontWith(char32_t c)
    {
        const auto& files = LinkedFontFiles();
        if (m_linked.empty())
            m_linked.resize(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!m_linked[i]) {
                LOGFONTW lf = m_logFont;
                lf.lfHeight = -m_ppem;
                m_linked[i] = RealizeFromFile(files[i], lf);
            }
            if (m_linked[i].get() != this && m_linked[i]->HasCharacter(c))
                return m_linked[i].get();
        }
        return nullptr;
    }

    FT_Face m_face;
    int m_ppem;
    LOGFONTW m_logFont;
    std::vector<std::shared_ptr<FreeTypeFont>> m_linked;
    TEXTMETRICW m_metrics;
    int m_underlinePos = 1;
    int m_underlineThickness = 1;
    int m_strikePos = 1;
    double m_angle = 0;
    std::shared_ptr<RealizedFont> m_upright; // the same font unrotated, for advances
    std::unordered_map<char32_t, Glyph> m_glyphs;
    // The glyphs of the alphabetic scripts most text is in, found without
    // hashing: every character of every line drawn or measured looks here.
    static constexpr char32_t kDirect = 0x500;
    std::array<const Glyph*, kDirect> m_direct{};
};

// The em size for a logical height: negative heights are the em height,
// positive ones the cell height (ascent + descent), zero a default size.
long RequestedPixelsPerEm(FT_Face face, LONG height)
{
    if (height < 0)
        return -static_cast<long>(height);
    if (height == 0)
        return 12;
    long cell = 1901 + 483, upem = 2048;
    if (face) {
        upem = face->units_per_EM;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
            cell = os2->usWinAscent + os2->usWinDescent;
    }
    return std::lround(static_cast<double>(height) * upem / std::max(cell, 1L));
}

int PixelsPerEm(FT_Face face, LONG height)
{
    // Past this size glyph bitmaps would take more memory than any use of
    // this program needs; larger requests are drawn at this size.
    constexpr long kMaxPixelsPerEm = 1000;
    return static_cast<int>(std::clamp(RequestedPixelsPerEm(face, height), 1L, kMaxPixelsPerEm));
}

} // namespace

std::unique_lock<win32::RecursiveLock> FontLock()
{
    return std::unique_lock(TheFontMutex());
}

std::string FontFileFor(const LOGFONTW& lf)
{
    auto lock = FontLock();
    // Whether each file exists is asked once per process.
    static auto* present = new std::map<std::string, bool>;
    bool bold = lf.lfWeight >= FW_SEMIBOLD;
    std::string path = std::string(kFontDir) + FileName(FamilyOf(lf), bold, lf.lfItalic != 0);
    auto it = present->find(path);
    if (it == present->end())
        it = present->emplace(path, std::filesystem::exists(path)).first;
    if (it->second)
        return path;
    return std::string(kFontDir) + FileName(FamilyOf(lf), false, false);
}

namespace {

std::shared_ptr<FreeTypeFont> RealizeFromFile(const std::string& file, const LOGFONTW& lf)
{
    auto lock = FontLock();
    static auto* cache = new std::map<FontKey, std::shared_ptr<FreeTypeFont>>;
    FontKey key{file, static_cast<int>(lf.lfHeight), lf.lfUnderline != 0, lf.lfStrikeOut != 0,
                lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight, lf.lfItalic != 0, lf.lfCharSet,
                lf.lfEscapement, std::clamp<LONG>(lf.lfWidth < 0 ? -lf.lfWidth : lf.lfWidth, 0, 1000)};
    auto it = cache->find(key);
    if (it != cache->end())
        return it->second;
    FT_Face face = nullptr;
    if (!Library() || FT_New_Face(Library(), file.c_str(), 0, &face) != 0)
        face = nullptr;
    auto font = std::make_shared<FreeTypeFont>(face, PixelsPerEm(face, lf.lfHeight), key, lf);
    if (font->Angle() != 0) {
        LOGFONTW upright = lf;
        upright.lfEscapement = 0;
        font->SetUpright(RealizeFromFile(file, upright));
    }
    cache->emplace(key, font);
    return font;
}

} // namespace

std::shared_ptr<RealizedFont> RealizeFont(const LOGFONTW& lf)
{
    auto lock = FontLock();
    return RealizeFromFile(FontFileFor(lf), lf);
}

const std::vector<std::string>& LinkedFontFiles()
{
    static const auto* files = [] {
        auto* present = new std::vector<std::string>;
        for (const char* file : kLinkedFonts)
            if (std::filesystem::exists(file))
                present->push_back(file);
        return present;
    }();
    return *files;
}

RealizedFont::~RealizedFont()
{
    s_ended.fetch_add(1);
}

const Glyph& RealizedFont::GlyphBeyondQuick(std::u16string_view text, std::size_t i)
{
    static const Glyph kNothing;
    const char16_t c = text[i];
    const auto high = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
    const auto low = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
    if (high(c) && i + 1 < text.size() && low(text[i + 1]))
        return GlyphOf(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
    if (low(c) && i > 0 && high(text[i - 1]))
        return kNothing;
    return GlyphOf(c);
}

} // namespace gdi

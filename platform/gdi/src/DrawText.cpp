// DrawTextW: prefix characters, line breaks and word wrapping, alignment,
// ellipses, clipping and DT_CALCRECT measuring.
#include "TextRender.h"

#include "Bidi.h"

#include "gdi/Gdi.h"
#include "win32/WideString.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

using namespace gdi;

namespace {

struct Line {
    std::u16string text;
    int underline = -1; // index of the & prefixed character in text
    int width = 0;
};

// A line as it is drawn: its shaped form (when shaping changes anything)
// and the advance of each code unit, tabs expanded.
struct MeasuredLine {
    bool shaped = false;
    DisplayText display;
    std::vector<int> advances;
    int width = 0;
};

struct Layout {
    RealizedFont& font;
    int charExtra;
    int tabWidth; // 0: tabs are not expanded

    int CharWidth(std::u16string_view text, std::size_t i, int x) const
    {
        const char16_t c = text[i];
        if (c == u'\t' && tabWidth > 0)
            return tabWidth - (x % tabWidth);
        // CodeUnitAdvance's own first case, without the call.
        if (c < RealizedFont::kQuickAdvances)
            return font.QuickAdvance(c) + charExtra;
        return CodeUnitAdvance(font, text, i, charExtra);
    }

    // The advances of a line, measured once for both its width and its
    // drawing; plain: the caller knows that shaping leaves it alone.
    MeasuredLine Measure(std::u16string_view logical, bool plain = false) const
    {
        MeasuredLine out;
        if (!plain) {
            if (const MeasuredLine* known = Shaped(logical))
                return *known;
            out.shaped = NeedsBidi(logical);
            if (out.shaped)
                out.display = ForDisplay(logical);
        }
        const std::u16string_view text = out.shaped ? std::u16string_view(out.display.shaped) : logical;
        out.advances.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            out.advances.push_back(CharWidth(text, i, out.width));
            out.width += out.advances.back();
        }
        return out;
    }

    int Width(std::u16string_view logical) const
    {
        // Shaped text is kept as measured, as wrapping measures a line's
        // candidates (the one each line ends with among them, not always
        // the last) and drawing measures the lines again.
        if (NeedsBidi(logical)) {
            if (const MeasuredLine* known = Shaped(logical))
                return known->width;
            MeasuredLine measured = Measure(logical);
            const int width = measured.width;
            auto& slot = shaped[nextShaped];
            nextShaped = (nextShaped + 1) % shaped.size();
            slot.emplace(std::u16string(logical), std::move(measured));
            return width;
        }
        int x = 0;
        for (std::size_t i = 0; i < logical.size(); ++i)
            x += CharWidth(logical, i, x);
        return x;
    }

    const MeasuredLine* Shaped(std::u16string_view logical) const
    {
        for (const auto& entry : shaped)
            if (entry && entry->first == logical)
                return &entry->second;
        return nullptr;
    }

    // The shaped lines measured lately, a halving's worth of candidates.
    mutable std::array<std::optional<std::pair<std::u16string, MeasuredLine>>, 8> shaped{};
    mutable std::size_t nextShaped = 0;
};

// Removes the & prefixes: "&&" is one "&", "&x" underlines x (the last
// such character counts).
std::u16string StripPrefixes(std::u16string_view text, int& underline)
{
    underline = -1;
    if (text.find(u'&') == std::u16string_view::npos)
        return std::u16string(text); // the usual text: nothing to take out
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&')
                underline = static_cast<int>(out.size());
        } else if (text[i] == u'&') {
            continue; // a trailing & shows nothing
        }
        out.push_back(text[i]);
    }
    return out;
}

// Splits text into its lines at CR LF, LF and CR.
std::vector<Line> SplitLines(const std::u16string& text, int underline)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        const bool end = i == text.size();
        if (!end && text[i] != u'\r' && text[i] != u'\n')
            continue;
        // The line [start, i), copied whole.
        Line& line = lines.emplace_back();
        line.text.assign(text, start, i - start);
        if (underline >= static_cast<int>(start) && underline < static_cast<int>(i))
            line.underline = underline - static_cast<int>(start);
        if (end)
            break;
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    return lines;
}

// Breaks one line between words so that each chunk fits in maxWidth; a word
// wider than maxWidth stays whole on a line of its own. The spaces at a
// break are dropped.
std::vector<Line> WrapLine(const Line& line, const Layout& layout, int maxWidth, bool plainKnown)
{
    std::vector<Line> out;
    const std::u16string& t = line.text;
    // Text that shaping leaves alone is measured once, word by word, as the
    // candidate chunk grows: each width is the one Width would give, as a
    // character's advance depends only on it, its predecessor in the chunk
    // and the pen position from the chunk's start. Other text is measured
    // whole for each candidate, as joined forms depend on both neighbours.
    const bool plain = plainKnown || !NeedsBidi(t);
    std::size_t measuredStart = 0, measuredEnd = 0;
    int measuredWidth = 0;
    auto widthOf = [&](std::size_t from, std::size_t to) {
        if (!plain)
            return layout.Width(std::u16string_view(t).substr(from, to - from));
        if (measuredStart != from || measuredEnd > to) {
            measuredStart = measuredEnd = from;
            measuredWidth = 0;
        }
        const std::u16string_view chunk = std::u16string_view(t).substr(from);
        for (; measuredEnd < to; ++measuredEnd)
            measuredWidth += layout.CharWidth(chunk, measuredEnd - from, measuredWidth);
        return measuredWidth;
    };
    std::size_t start = 0;
    while (true) {
        std::size_t end = start; // end of the text kept on this line
        std::size_t pos = start;
        if (!plain) {
            // A rest that fits whole is one line, as word by word it would
            // be (a word's shape does not depend on the words after it), and
            // it is shaped once instead of once for every word in it.
            const std::size_t last = t.find_last_not_of(u' ');
            if (last != std::u16string::npos && last + 1 > start && widthOf(start, last + 1) <= maxWidth) {
                end = last + 1;
                pos = t.size();
            }
        }
        while (pos < t.size()) {
            if (!plain && end > start) {
                // The line's width grows with each word it takes, so the last
                // word that fits is found by halving the rest, each candidate
                // shaped whole, instead of by trying every word in turn.
                std::vector<std::pair<std::size_t, std::size_t>> words; // a word's end, the next word's start
                for (std::size_t from = pos; from < t.size();) {
                    std::size_t wordEnd = from;
                    while (wordEnd < t.size() && t[wordEnd] != u' ')
                        ++wordEnd;
                    std::size_t next = wordEnd;
                    while (next < t.size() && t[next] == u' ')
                        ++next;
                    words.emplace_back(wordEnd, next);
                    from = next;
                }
                std::size_t fit = 0, unknown = words.size(); // the first fit words fit; none past unknown does
                while (fit < unknown) {
                    const std::size_t mid = (fit + unknown + 1) / 2;
                    if (widthOf(start, words[mid - 1].first) <= maxWidth)
                        fit = mid;
                    else
                        unknown = mid - 1;
                }
                if (fit > 0) {
                    end = words[fit - 1].first;
                    pos = words[fit - 1].second;
                }
                break;
            }
            std::size_t wordEnd = pos;
            while (wordEnd < t.size() && t[wordEnd] != u' ')
                ++wordEnd;
            int width = widthOf(start, wordEnd);
            if (end > start && width > maxWidth)
                break; // the word moves to the next line
            end = wordEnd;
            pos = wordEnd;
            while (pos < t.size() && t[pos] == u' ')
                ++pos;
            if (width > maxWidth)
                break; // a word too wide for any line
        }
        Line chunk;
        chunk.text = t.substr(start, end - start);
        if (line.underline >= static_cast<int>(start) && line.underline < static_cast<int>(end))
            chunk.underline = line.underline - static_cast<int>(start);
        out.push_back(std::move(chunk));
        start = pos;
        if (start >= t.size())
            break;
    }
    return out;
}

// A line that shaping leaves alone and that fits whole, as WrapLine would
// give it (without the spaces at its end), with its measure for drawing;
// none when it may not fit. Text whose advances are none negative is
// measured once: its width only grows word by word, so the whole fitting
// means every shorter candidate of WrapLine fits too.
std::optional<std::pair<Line, MeasuredLine>> FitWhole(const Line& line, const Layout& layout, int maxWidth)
{
    const std::size_t last = line.text.find_last_not_of(u' ');
    const std::size_t end = last == std::u16string::npos ? 0 : last + 1;
    const std::u16string_view kept = std::u16string_view(line.text).substr(0, end);
    // Measured as Measure does, up to the first character past the width.
    MeasuredLine measured;
    measured.advances.reserve(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const int advance = layout.CharWidth(kept, i, measured.width);
        measured.width += advance;
        if (advance < 0 || measured.width > maxWidth)
            return std::nullopt;
        measured.advances.push_back(advance);
    }
    if (measured.width > maxWidth)
        return std::nullopt; // an empty line where no width is left
    Line whole;
    whole.text.assign(kept);
    if (line.underline >= 0 && line.underline < static_cast<int>(end))
        whole.underline = line.underline;
    whole.width = measured.width;
    return std::make_pair(std::move(whole), std::move(measured));
}

// Drops the last character, both halves of a surrogate pair at once.
void PopCharacter(std::u16string& text)
{
    const bool pair = text.size() >= 2 && text.back() >= 0xDC00 && text.back() <= 0xDFFF &&
                      text[text.size() - 2] >= 0xD800 && text[text.size() - 2] <= 0xDBFF;
    text.resize(text.size() - (pair ? 2 : 1));
}

// Cuts a line that is wider than maxWidth and ends it with "...".
void EndEllipsis(Line& line, const Layout& layout, int maxWidth)
{
    if (line.width <= maxWidth)
        return;
    const std::u16string dots = u"...";
    while (!line.text.empty() && layout.Width(line.text + dots) > maxWidth)
        PopCharacter(line.text);
    if (line.underline >= static_cast<int>(line.text.size()))
        line.underline = -1;
    line.text += dots;
    line.width = layout.Width(line.text);
}

// Replaces characters before the last backslash with "..." until it fits.
void PathEllipsis(Line& line, const Layout& layout, int maxWidth)
{
    if (line.width <= maxWidth)
        return;
    std::size_t slash = line.text.rfind(u'\\');
    if (slash == std::u16string::npos || slash == 0) {
        EndEllipsis(line, layout, maxWidth);
        return;
    }
    std::u16string head = line.text.substr(0, slash);
    std::u16string tail = line.text.substr(slash);
    while (!head.empty() && layout.Width(head + u"..." + tail) > maxWidth)
        PopCharacter(head);
    line.text = head + u"..." + tail;
    line.underline = -1;
    line.width = layout.Width(line.text);
}

// What DrawTextW lays out before it draws: the lines as shown (prefixes
// taken out, wrapped, ellipses put in), each measured.
struct TextLayout {
    std::vector<Line> lines;
    std::vector<MeasuredLine> measured;
    int widest = 0;
};

TextLayout LayOut(std::u16string_view source, UINT format, const Layout& layout, int rectWidth)
{
    TextLayout out;
    int underline = -1;
    std::u16string plain = (format & DT_NOPREFIX) ? std::u16string(source) : StripPrefixes(source, underline);
    if (format & DT_HIDEPREFIX)
        underline = -1;

    std::vector<Line>& lines = out.lines;
    if (format & DT_SINGLELINE) {
        Line line;
        for (std::size_t i = 0; i < plain.size(); ++i) {
            if (plain[i] == u'\r' || plain[i] == u'\n')
                continue;
            if (static_cast<int>(i) == underline)
                line.underline = static_cast<int>(line.text.size());
            line.text.push_back(plain[i]);
        }
        lines.push_back(std::move(line));
    } else if (plain.find_first_of(u"\r\n") == std::u16string::npos) {
        // One line, the text itself.
        Line& line = lines.emplace_back();
        line.text = std::move(plain);
        line.underline = underline;
    } else {
        lines = SplitLines(plain, underline);
    }
    std::vector<std::optional<MeasuredLine>> known; // lines measured as they were wrapped
    std::vector<bool> plainLines; // lines that shaping leaves alone, as their source line is
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
        std::vector<Line> wrapped;
        for (const Line& line : lines) {
            // Whether shaping changes a line depends on each character
            // alone: the pieces of a plain line are plain too.
            const bool plainLine = !NeedsBidi(line.text);
            if (plainLine) {
                if (auto whole = FitWhole(line, layout, rectWidth)) {
                    wrapped.push_back(std::move(whole->first));
                    known.resize(wrapped.size());
                    known.back() = std::move(whole->second);
                    plainLines.resize(wrapped.size(), true);
                    continue;
                }
            }
            for (Line& chunk : WrapLine(line, layout, rectWidth, plainLine))
                wrapped.push_back(std::move(chunk));
            plainLines.resize(wrapped.size(), plainLine);
        }
        lines = std::move(wrapped);
    }
    out.measured.reserve(lines.size());
    for (std::size_t n = 0; n < lines.size(); ++n) {
        Line& line = lines[n];
        const bool plainLine = n < plainLines.size() && plainLines[n];
        out.measured.push_back(n < known.size() && known[n] ? std::move(*known[n])
                                                            : layout.Measure(line.text, plainLine));
        line.width = out.measured.back().width;
        if (line.width > rectWidth && (format & (DT_PATH_ELLIPSIS | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))) {
            if (format & DT_PATH_ELLIPSIS)
                PathEllipsis(line, layout, rectWidth);
            else
                EndEllipsis(line, layout, rectWidth);
            out.measured.back() = layout.Measure(line.text);
        }
        out.widest = std::max(out.widest, line.width);
    }
    return out;
}

// The layouts this thread drew lately. A progress display sets the same few
// texts over and over, and a layout depends only on the text, the font, the
// character extra, the format and the rectangle's width: colour, clip and
// place are applied when it is drawn.
class LayoutCache {
public:
    const TextLayout& Find(std::u16string_view source, UINT format, const std::shared_ptr<RealizedFont>& font,
                           const Layout& layout, int rectWidth)
    {
        ++m_clock;
        for (Entry& entry : m_entries)
            if (entry.font == font && entry.format == format && entry.charExtra == layout.charExtra &&
                entry.tabWidth == layout.tabWidth && entry.rectWidth == rectWidth && entry.text == source) {
                entry.lastUse = m_clock;
                return entry.layout;
            }
        // The layout used longest ago makes room: a text set once (a count
        // that moves on) goes before those that come back.
        Entry& entry = *std::min_element(m_entries.begin(), m_entries.end(),
                                         [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        entry.lastUse = m_clock;
        entry.font = font;
        entry.format = format;
        entry.charExtra = layout.charExtra;
        entry.tabWidth = layout.tabWidth;
        entry.rectWidth = rectWidth;
        entry.text.assign(source);
        entry.layout = LayOut(source, format, layout, rectWidth);
        return entry.layout;
    }

private:
    struct Entry {
        std::shared_ptr<RealizedFont> font; // held, so that its address names no other font
        UINT format = 0;
        int charExtra = 0;
        int tabWidth = 0;
        int rectWidth = 0;
        std::u16string text;
        TextLayout layout;
        std::uint64_t lastUse = 0;
    };
    std::array<Entry, 8> m_entries;
    std::uint64_t m_clock = 0;
};

} // namespace

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format)
{
    auto canvas = Canvas::Of(dc);
    if (!canvas || !rect || (!text && count != 0))
        return 0;
    std::u16string_view source = text ? std::u16string_view(text, count < 0 ? wcslen(text) : static_cast<std::size_t>(count))
                                      : std::u16string_view();
    // With DT_TABSTOP the second byte holds the tab size, not flags.
    int tabChars = 8;
    if (format & DT_TABSTOP) {
        tabChars = static_cast<int>((format >> 8) & 0xFF);
        format &= ~0xFF00u;
    }
    DcState& s = canvas->dc->state;
    auto lock = FontLock();
    auto fontPtr = FontOfDc(*canvas->dc);
    RealizedFont& font = *fontPtr;
    const TEXTMETRICW& tm = font.Metrics();
    Layout layout{font, s.charExtra, (format & DT_EXPANDTABS) ? std::max(1, tabChars) * tm.tmAveCharWidth : 0, {}};
    // Wide enough for any text, without overflow for extreme rectangles.
    const int rectWidth = static_cast<int>(std::clamp<long long>(static_cast<long long>(rect->right) - rect->left,
                                                                  -(1LL << 29), 1LL << 29));
    thread_local LayoutCache cache;
    const TextLayout& laidOut = cache.Find(source, format, fontPtr, layout, rectWidth);
    const std::vector<Line>& lines = laidOut.lines;
    const std::vector<MeasuredLine>& measured = laidOut.measured;
    const int widest = laidOut.widest;
    const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int height = lineHeight * static_cast<int>(lines.size());

    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }

    long long wideTop = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            wideTop = rect->top + (static_cast<long long>(rect->bottom) - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            wideTop = static_cast<long long>(rect->bottom) - lineHeight;
    }
    // Kept where the arithmetic below cannot overflow.
    const int top = static_cast<int>(std::clamp<long long>(wideTop, -(1LL << 29), 1LL << 29));
    RECT clip = canvas->ToSurface(*rect);
    RunStyle style;
    style.color = PixelFromColor(s.textColor);
    style.clip = (format & DT_NOCLIP) ? nullptr : &clip;
    style.drawGlyphs = !(format & DT_PREFIXONLY);
    int y = top;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const Line& line = lines[n];
        // As a multiline edit control does, leave out a last line that
        // would show only in part.
        if ((format & DT_EDITCONTROL) && static_cast<long long>(y) + lineHeight > rect->bottom && y > rect->top)
            break;
        int x = rect->left;
        if (format & DT_CENTER)
            x = static_cast<int>(std::clamp<long long>(rect->left + (static_cast<long long>(rectWidth) - line.width) / 2,
                                                       INT32_MIN, INT32_MAX));
        else if (format & DT_RIGHT)
            x = static_cast<int>(std::max<long long>(static_cast<long long>(rect->right) - line.width, INT32_MIN));
        POINT at = canvas->ToSurface(x, y);
        if (s.bkMode == OPAQUE && style.drawGlyphs) {
            RECT cell{at.x, at.y, at.x + line.width, at.y + tm.tmHeight};
            if (style.clip)
                cell = {std::max(cell.left, clip.left), std::max(cell.top, clip.top), std::min(cell.right, clip.right),
                        std::min(cell.bottom, clip.bottom)};
            canvas->FillSolid(cell, PixelFromColor(s.bkColor));
        }
        // Tabs are drawn as the space up to the next stop.
        const MeasuredLine& run = measured[n];
        style.underlineIndex = line.underline;
        if (line.text.find(u'\t') == std::u16string::npos) {
            // Nothing to replace: the run is drawn as it was measured and shaped.
            style.plain = !run.shaped; // measured as it stands: no shaping changed it
            DrawRun(*canvas, font, at.x, at.y + tm.tmAscent, line.text, run.advances.data(), s.charExtra, style,
                    run.shaped ? &run.display : nullptr);
            style.plain = false;
        } else {
            std::u16string shown = line.text;
            std::replace(shown.begin(), shown.end(), u'\t', u' ');
            DrawRun(*canvas, font, at.x, at.y + tm.tmAscent, shown, run.advances.data(), s.charExtra, style);
        }
        y += lineHeight;
    }
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)))
        return static_cast<int>(std::clamp<long long>(wideTop - rect->top + height, 0, INT32_MAX));
    return height;
}

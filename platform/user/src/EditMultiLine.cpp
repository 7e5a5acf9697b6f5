#include "EditMultiLine.h"

#include "ControlPaint.h"

#include "user/Controls.h"
#include "user/Messages.h"
#include "user/ScrollBar.h"

#include <algorithm>
#include <cstdlib>

namespace user::detail {

namespace {

constexpr int kMargin = 1;

struct Layout {
    std::u16string text;
    std::vector<std::size_t> starts;
    int lineHeight = 1;
    int visible = 1;
    int width = 0;
};

std::size_t LineEnd(const Layout& layout, std::size_t line)
{
    if (line + 1 >= layout.starts.size())
        return layout.text.size();
    std::size_t end = layout.starts[line + 1] - 1; // the "\n"
    if (end > layout.starts[line] && layout.text[end - 1] == u'\r')
        --end;
    return end;
}

int Extent(HDC dc, const std::u16string& text, std::size_t from, std::size_t to)
{
    SIZE size = {};
    if (to > from)
        GetTextExtentPoint32W(dc, text.c_str() + from, static_cast<int>(to - from), &size);
    return size.cx;
}

// The text and its lines measured in the edit's font on the given DC.
Layout Measure(HWND hwnd, HDC dc)
{
    Layout layout;
    layout.text = WindowText(hwnd);
    layout.starts = LineStarts(layout.text);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    layout.lineHeight = std::max<int>(1, metrics.tmHeight);
    RECT client;
    GetClientRect(hwnd, &client);
    layout.visible = std::max<int>(1, (client.bottom - client.top) / layout.lineHeight);
    layout.width = client.right - client.left;
    return layout;
}

template <typename Use>
auto WithLayout(HWND hwnd, const EditView& view, Use use)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ oldFont = SelectControlFont(dc, view.font);
    Layout layout = Measure(hwnd, dc);
    auto result = use(dc, layout);
    SelectObject(dc, oldFont);
    ReleaseDC(hwnd, dc);
    return result;
}

int LastTopLine(const Layout& layout)
{
    return std::max(0, static_cast<int>(layout.starts.size()) - layout.visible);
}

// The widest line, measured once per text and font.
int Widest(HDC dc, const Layout& layout, EditView& view)
{
    if (view.widest < 0 || view.widestFont != view.font) {
        int widest = 0;
        for (std::size_t line = 0; line < layout.starts.size(); ++line)
            widest = std::max(widest, Extent(dc, layout.text, layout.starts[line], LineEnd(layout, line)));
        view.widest = widest;
        view.widestFont = view.font;
    }
    return view.widest;
}

// How far the text scrolls across: until the widest line's end, with the
// caret after it, stands at the right edge.
int LastScroll(HDC dc, const Layout& layout, EditView& view)
{
    return std::max(0, Widest(dc, layout, view) + 2 * kMargin + 1 - layout.width);
}

void Clamp(HDC dc, const Layout& layout, EditView& view)
{
    view.topLine = std::clamp(view.topLine, 0, LastTopLine(layout));
    view.scroll = std::clamp(view.scroll, 0, LastScroll(dc, layout, view));
}

// The message holds 16 bits of the position: the bar's own track position
// gives all of it when its low bits agree, as while the thumb is dragged.
int FullThumbPosition(HWND hwnd, int bar, WORD position)
{
    SCROLLINFO info = {sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd, bar, &info);
    return static_cast<WORD>(info.nTrackPos) == position ? info.nTrackPos : position;
}

int AverageCharWidth(HDC dc)
{
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    return std::max<int>(1, metrics.tmAveCharWidth);
}

// The position in a line nearest to a client x.
std::size_t NearestInLine(HDC dc, const Layout& layout, std::size_t line, int x)
{
    std::size_t from = layout.starts[line];
    std::size_t to = LineEnd(layout, line);
    std::size_t best = from;
    int bestDistance = std::abs(x);
    for (std::size_t i = from + 1; i <= to; ++i) {
        int distance = std::abs(x - Extent(dc, layout.text, from, i));
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void FollowCaret(HDC dc, const Layout& layout, EditView& view)
{
    int line = static_cast<int>(LineOf(layout.starts, view.caret));
    if (line < view.topLine)
        view.topLine = line;
    if (line >= view.topLine + layout.visible)
        view.topLine = line - layout.visible + 1;
    int caretX = Extent(dc, layout.text, layout.starts[static_cast<std::size_t>(line)], view.caret);
    int room = layout.width - 2 * kMargin - 1;
    if (caretX - view.scroll > room)
        view.scroll = caretX - room + room / 4;
    if (caretX < view.scroll)
        view.scroll = std::max(0, caretX - room / 4);
    Clamp(dc, layout, view);
}

} // namespace

std::vector<std::size_t> LineStarts(const std::u16string& text)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            starts.push_back(i + 1);
    }
    return starts;
}

std::size_t LineOf(const std::vector<std::size_t>& starts, std::size_t position)
{
    auto after = std::upper_bound(starts.begin(), starts.end(), position);
    return static_cast<std::size_t>(after - starts.begin()) - 1;
}

void PaintMultiLineEdit(HWND hwnd, HDC dc, EditView& view)
{
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    bool readOnly = (style & ES_READONLY) != 0;
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = ControlBrush(hwnd, dc, readOnly || !enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    FillRect(dc, &client, brush);
    HGDIOBJ oldFont = SelectControlFont(dc, view.font);
    Layout layout = Measure(hwnd, dc);
    Clamp(dc, layout, view);
    SetBkMode(dc, TRANSPARENT);
    if (!enabled)
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    std::size_t selFrom = std::min(view.anchor, view.caret);
    std::size_t selTo = std::max(view.anchor, view.caret);
    bool showSelection = (view.focused || (style & ES_NOHIDESEL)) && selFrom != selTo;
    const int x = kMargin - view.scroll;
    for (int row = 0; row <= layout.visible; ++row) {
        std::size_t line = static_cast<std::size_t>(view.topLine + row);
        if (line >= layout.starts.size())
            break;
        std::size_t from = layout.starts[line];
        std::size_t to = LineEnd(layout, line);
        int y = row * layout.lineHeight;
        TextOutW(dc, x, y, layout.text.c_str() + from, static_cast<int>(to - from));
        if (showSelection && selFrom <= to && selTo >= from) {
            std::size_t a = std::max(selFrom, from);
            std::size_t b = std::min(selTo, to);
            int left = x + Extent(dc, layout.text, from, a);
            int right = x + Extent(dc, layout.text, from, b) + (selTo > to ? 4 : 0);
            RECT band = {left, y, right, y + layout.lineHeight};
            FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
            COLORREF old = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            TextOutW(dc, left, y, layout.text.c_str() + a, static_cast<int>(b - a));
            SetTextColor(dc, old);
        }
    }
    if (view.focused) {
        int line = static_cast<int>(LineOf(layout.starts, std::min(view.caret, layout.text.size())));
        if (line >= view.topLine && line <= view.topLine + layout.visible) {
            int cx = x + Extent(dc, layout.text, layout.starts[static_cast<std::size_t>(line)], view.caret);
            int cy = (line - view.topLine) * layout.lineHeight;
            RECT caret = {cx, cy, cx + 1, cy + layout.lineHeight};
            FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
        }
    }
    SelectObject(dc, oldFont);
}

std::size_t MultiLinePositionAt(HWND hwnd, const EditView& view, POINT point)
{
    return WithLayout(hwnd, view, [&](HDC dc, const Layout& layout) {
        int row = point.y < 0 ? -1 : point.y / layout.lineHeight;
        long line = std::clamp<long>(view.topLine + row, 0, static_cast<long>(layout.starts.size()) - 1);
        return NearestInLine(dc, layout, static_cast<std::size_t>(line), point.x - kMargin + view.scroll);
    });
}

bool MultiLineKey(HWND hwnd, EditView& view, WPARAM key, bool ctrl)
{
    if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT && key != VK_HOME && key != VK_END)
        return false;
    return WithLayout(hwnd, view, [&](HDC dc, const Layout& layout) {
        std::size_t caret = std::min(view.caret, layout.text.size());
        long line = static_cast<long>(LineOf(layout.starts, caret));
        const long last = static_cast<long>(layout.starts.size()) - 1;
        if (key == VK_HOME || key == VK_END) {
            if (ctrl)
                view.caret = key == VK_HOME ? 0 : layout.text.size();
            else
                view.caret = key == VK_HOME ? layout.starts[static_cast<std::size_t>(line)]
                                            : LineEnd(layout, static_cast<std::size_t>(line));
        } else {
            long step = key == VK_UP ? -1 : key == VK_DOWN ? 1 : key == VK_PRIOR ? -layout.visible : layout.visible;
            long target = std::clamp(line + step, 0L, last);
            // The caret keeps its column as well as the target line allows.
            int column = Extent(dc, layout.text, layout.starts[static_cast<std::size_t>(line)], caret);
            view.caret = NearestInLine(dc, layout, static_cast<std::size_t>(target), column);
            if (key == VK_PRIOR || key == VK_NEXT)
                view.topLine += static_cast<int>(target - line);
        }
        FollowCaret(dc, layout, view);
        return true;
    });
}

void ScrollCaretIntoView(HWND hwnd, EditView& view)
{
    WithLayout(hwnd, view, [&](HDC dc, const Layout& layout) {
        FollowCaret(dc, layout, view);
        return true;
    });
}

void ScrollLines(HWND hwnd, EditView& view, long lines)
{
    WithLayout(hwnd, view, [&](HDC, const Layout& layout) {
        view.topLine = static_cast<int>(std::clamp<long>(view.topLine + lines, 0, LastTopLine(layout)));
        return true;
    });
}

void ScrollBy(HWND hwnd, EditView& view, WORD request, WORD position)
{
    WithLayout(hwnd, view, [&](HDC, const Layout& layout) {
        long top = view.topLine;
        switch (request) {
        case SB_LINEUP: --top; break;
        case SB_LINEDOWN: ++top; break;
        case SB_PAGEUP: top -= layout.visible; break;
        case SB_PAGEDOWN: top += layout.visible; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: top = position; break;
        case SB_TOP: top = 0; break;
        case SB_BOTTOM: top = LastTopLine(layout); break;
        default: break;
        }
        view.topLine = static_cast<int>(std::clamp<long>(top, 0, LastTopLine(layout)));
        return true;
    });
}

void ScrollAcross(HWND hwnd, EditView& view, WORD request, WORD position)
{
    WithLayout(hwnd, view, [&](HDC dc, const Layout& layout) {
        long scroll = view.scroll;
        const int line = AverageCharWidth(dc);
        switch (request) {
        case SB_LINELEFT: scroll -= line; break;
        case SB_LINERIGHT: scroll += line; break;
        case SB_PAGELEFT: scroll -= layout.width; break;
        case SB_PAGERIGHT: scroll += layout.width; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            scroll = FullThumbPosition(hwnd, SB_HORZ, position);
            break;
        }
        case SB_LEFT: scroll = 0; break;
        case SB_RIGHT: scroll = LastScroll(dc, layout, view); break;
        default: break;
        }
        view.scroll = static_cast<int>(std::clamp<long>(scroll, 0, LastScroll(dc, layout, view)));
        return true;
    });
}

void SyncScrollBars(HWND hwnd, EditView& view, DWORD bars)
{
    // A bar that comes or goes changes the room for the other: a second
    // round settles it.
    for (int round = 0; round < 2; ++round) {
        const auto before = GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL);
        WithLayout(hwnd, view, [&](HDC dc, const Layout& layout) {
            Clamp(dc, layout, view);
            SCROLLINFO info = {};
            info.cbSize = sizeof info;
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            if (bars & WS_VSCROLL) {
                info.nMax = static_cast<int>(layout.starts.size()) - 1;
                info.nPage = static_cast<UINT>(std::max(1, layout.visible));
                info.nPos = view.topLine;
                SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
            }
            if (bars & WS_HSCROLL) {
                info.nMax = Widest(dc, layout, view) + 2 * kMargin;
                info.nPage = static_cast<UINT>(std::max(1, layout.width));
                info.nPos = view.scroll;
                SetScrollInfo(hwnd, SB_HORZ, &info, TRUE);
            }
            return true;
        });
        if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) == before)
            break;
    }
}

} // namespace user::detail

#include "EditPaint.h"

#include "ControlPaint.h"

#include "user/Controls.h"

#include <algorithm>

namespace user::detail {

namespace {

constexpr int kMargin = 1;

std::u16string Shown(HWND hwnd)
{
    std::u16string text = WindowText(hwnd);
    if (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_PASSWORD)
        std::fill(text.begin(), text.end(), u'*');
    return text;
}

int Extent(HDC dc, const std::u16string& text, std::size_t count)
{
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(std::min(count, text.size())), &size);
    return size.cx;
}

// Where the text starts in the client area before scrolling: ES_CENTER and
// ES_RIGHT place a text that fits.
int Origin(DWORD style, int width, int textWidth)
{
    if (textWidth >= width - 2 * kMargin)
        return kMargin;
    if (style & ES_CENTER)
        return (width - textWidth) / 2;
    if (style & ES_RIGHT)
        return width - kMargin - textWidth;
    return kMargin;
}

} // namespace

void PaintEdit(HWND hwnd, HDC dc, EditView& view)
{
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    bool readOnly = (style & ES_READONLY) != 0;
    RECT client;
    GetClientRect(hwnd, &client);
    // A read-only or disabled edit takes the colours of a static.
    HBRUSH brush = ControlBrush(hwnd, dc, readOnly || !enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    FillRect(dc, &client, brush);
    HGDIOBJ oldFont = SelectControlFont(dc, view.font);
    std::u16string text = Shown(hwnd);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int width = client.right - client.left;
    int caretX = Extent(dc, text, view.caret);
    int full = Extent(dc, text, text.size());
    // Keep the caret in view, scrolling a quarter of the width at a time.
    int room = width - 2 * kMargin - 1;
    if (caretX - view.scroll > room)
        view.scroll = caretX - room + room / 4;
    if (caretX < view.scroll)
        view.scroll = std::max(0, caretX - room / 4);
    view.scroll = std::max(0, std::min(view.scroll, std::max(0, full - room)));
    int x = Origin(style, width, full) - view.scroll;
    int y = std::max<int>(0, (client.bottom - metrics.tmHeight) / 2);

    SetBkMode(dc, TRANSPARENT);
    if (!enabled)
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    std::size_t from = std::min(view.anchor, view.caret);
    std::size_t to = std::max(view.anchor, view.caret);
    bool showSelection = view.focused || (style & ES_NOHIDESEL);
    if (showSelection && from != to && to <= text.size()) {
        int left = x + Extent(dc, text, from);
        int right = x + Extent(dc, text, to);
        RECT band = {left, y, right, y + metrics.tmHeight};
        FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
        COLORREF old = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        TextOutW(dc, left, y, text.c_str() + from, static_cast<int>(to - from));
        SetTextColor(dc, old);
    }
    if (view.focused) {
        RECT caret = {x + caretX, y, x + caretX + 1, y + metrics.tmHeight};
        FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    SelectObject(dc, oldFont);
}

std::size_t EditPositionAt(HWND hwnd, const EditView& view, int x)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ oldFont = SelectControlFont(dc, view.font);
    std::u16string text = Shown(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    int origin = Origin(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), client.right,
                        Extent(dc, text, text.size()))
        - view.scroll;
    std::size_t best = 0;
    int bestDistance = std::abs(x - origin);
    for (std::size_t i = 1; i <= text.size(); ++i) {
        int distance = std::abs(x - (origin + Extent(dc, text, i)));
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    SelectObject(dc, oldFont);
    ReleaseDC(hwnd, dc);
    return best;
}

} // namespace user::detail

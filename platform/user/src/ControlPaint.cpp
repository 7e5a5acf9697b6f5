#include "ControlPaint.h"
#include "WindowData.h"

#include "user/MessageQueue.h"

#include <algorithm>

namespace user::detail {

HBRUSH ControlBrush(HWND control, HDC dc, UINT message)
{
    HWND parent = (GetWindowLongPtrW(control, GWL_STYLE) & WS_CHILD) ? GetParent(control) : nullptr;
    auto brush = reinterpret_cast<HBRUSH>(
        parent ? SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)) : 0);
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(
            DefWindowProcW(control, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    return brush;
}

HGDIOBJ SelectControlFont(HDC dc, HFONT font)
{
    return SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
}

void DrawDisabledText(HDC dc, const std::u16string& text, RECT rect, UINT format)
{
    SetBkMode(dc, TRANSPARENT);
    COLORREF old = SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    RECT below = rect;
    OffsetRect(&below, 1, 1);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &below, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SetTextColor(dc, old);
}

std::u16string StoredText(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    const WindowData* window = manager.Peek(hwnd);
    return window ? window->text : std::u16string();
}

std::u16string WindowText(HWND hwnd)
{
    int length = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

} // namespace user::detail

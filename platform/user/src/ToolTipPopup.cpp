// The tip itself: when it shows and hides (relayed mouse messages and
// timers on the machine's clock), where it goes and how it looks.
#include "CommonControls.h"
#include "ControlState.h"
#include "ToolTipState.h"

#include "gdi/Gdi.h"

#include <algorithm>

namespace user::detail {

namespace {

// The frame and the space between it and the text.
constexpr int kMarginX = 4;
constexpr int kMarginY = 2;
// The tip hangs this far below the cursor's hot spot, clear of the cursor.
constexpr int kBelowCursor = 20;

UINT TextFormat(const ToolTipState& state)
{
    UINT format = DT_LEFT | DT_NOCLIP;
    if (GetWindowLongPtrW(state.hwnd, GWL_STYLE) & TTS_NOPREFIX)
        format |= DT_NOPREFIX;
    // Without a maximum width the text stays on one line.
    format |= state.maxWidth >= 0 ? DT_WORDBREAK : DT_SINGLELINE;
    return format;
}

const Tool* ShownTool(ToolTipState& state)
{
    return state.current ? FindTool(state, *state.current) : nullptr;
}

SIZE TipSize(ToolTipState& state, const std::u16string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ControlFont(state.font));
    RECT rect = {0, 0, state.maxWidth >= 0 ? std::max(state.maxWidth - 2 * kMarginX, 1) : 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, TextFormat(state) | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {rect.right - rect.left + 2 * kMarginX, rect.bottom - rect.top + 2 * kMarginY};
}

// The tool's area in screen coordinates.
bool ToolScreenRect(const Tool& tool, RECT* rect)
{
    if (tool.flags & TTF_IDISHWND)
        return GetWindowRect(reinterpret_cast<HWND>(tool.key.id), rect) != FALSE;
    if (!IsWindow(tool.key.hwnd))
        return false;
    *rect = tool.rect;
    MapWindowPoints(tool.key.hwnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
    return true;
}

bool CursorOn(ToolTipState& state, const std::optional<ToolKey>& key)
{
    const Tool* tool = key ? FindTool(state, *key) : nullptr;
    RECT rect;
    POINT cursor;
    return tool && ToolScreenRect(*tool, &rect) && GetCursorPos(&cursor) && PtInRect(&rect, cursor);
}

// Without TTS_ALWAYSTIP a tip shows only for the active window.
bool OwnerActive(const ToolTipState& state)
{
    if (GetWindowLongPtrW(state.hwnd, GWL_STYLE) & TTS_ALWAYSTIP)
        return true;
    HWND owner = GetWindow(state.hwnd, GW_OWNER);
    return !owner || GetActiveWindow() == owner;
}

void Place(ToolTipState& state, const Tool& tool)
{
    SIZE size = TipSize(state, tool.text);
    POINT cursor = {};
    GetCursorPos(&cursor);
    int x = cursor.x;
    int y = cursor.y + kBelowCursor;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    x = std::max(0, std::min(x, screenWidth - size.cx));
    if (y + size.cy > screenHeight)
        y = std::max(0, cursor.y - size.cy - 2);
    MoveWindow(state.hwnd, x, y, size.cx, size.cy, TRUE);
}

void Wait(ToolTipState& state, const ToolKey& key, int delay)
{
    state.pending = key;
    SetTimer(state.hwnd, kShowTimer, static_cast<UINT>(std::max(delay, 0)), nullptr);
    SetTimer(state.hwnd, kLeaveTimer, kLeaveCheckInterval, nullptr);
}

void Show(ToolTipState& state)
{
    const ToolKey key = *state.pending;
    state.pending.reset();
    KillTimer(state.hwnd, kShowTimer);
    const Tool* tool = FindTool(state, key);
    if (!tool || tool->text.empty() || !state.active || !OwnerActive(state) || !CursorOn(state, key))
        return;
    state.current = key;
    Place(state, *tool);
    ShowWindow(state.hwnd, SW_SHOWNOACTIVATE);
    InvalidateRect(state.hwnd, nullptr, TRUE);
    SetTimer(state.hwnd, kPopTimer, static_cast<UINT>(std::max(state.autopopDelay, 0)), nullptr);
}

} // namespace

void HideTip(ToolTipState& state)
{
    state.current.reset();
    KillTimer(state.hwnd, kPopTimer);
    if (IsWindowVisible(state.hwnd))
        ShowWindow(state.hwnd, SW_HIDE);
}

void QuietTip(ToolTipState& state)
{
    state.pending.reset();
    KillTimer(state.hwnd, kShowTimer);
    HideTip(state);
}

void ResizeTip(ToolTipState& state)
{
    if (const Tool* tool = ShownTool(state)) {
        RECT now;
        GetWindowRect(state.hwnd, &now);
        SIZE size = TipSize(state, tool->text);
        MoveWindow(state.hwnd, now.left, now.top, size.cx, size.cy, TRUE);
        InvalidateRect(state.hwnd, nullptr, TRUE);
    }
}

void RelayMouse(ToolTipState& state, const MSG& msg)
{
    const POINT point = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    const std::optional<ToolKey> under = ToolAt(state, msg.hwnd, point);
    switch (msg.message) {
    case WM_MOUSEMOVE:
        if (!state.active)
            return;
        if (!under) {
            state.suppressed.reset();
            QuietTip(state);
            return;
        }
        if (state.suppressed == under || state.current == under || state.pending == under)
            return;
        state.suppressed.reset();
        if (state.current) {
            // From one tool straight onto another: the next tip follows quickly.
            HideTip(state);
            Wait(state, *under, state.reshowDelay);
        } else {
            Wait(state, *under, state.initialDelay);
        }
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        QuietTip(state);
        state.suppressed = under;
        if (under)
            SetTimer(state.hwnd, kLeaveTimer, kLeaveCheckInterval, nullptr);
        return;
    default:
        return;
    }
}

void OnToolTipTimer(ToolTipState& state, UINT_PTR timer)
{
    switch (timer) {
    case kShowTimer:
        if (state.pending)
            Show(state);
        else
            KillTimer(state.hwnd, kShowTimer);
        return;
    case kPopTimer:
        // A tip that timed out stays away until the mouse leaves its tool.
        state.suppressed = state.current;
        HideTip(state);
        return;
    case kLeaveTimer:
        if (state.pending && !CursorOn(state, state.pending))
            QuietTip(state);
        if (state.current && !CursorOn(state, state.current))
            HideTip(state);
        if (state.suppressed && !CursorOn(state, state.suppressed))
            state.suppressed.reset();
        if (!state.pending && !state.current && !state.suppressed)
            KillTimer(state.hwnd, kLeaveTimer);
        return;
    default:
        return;
    }
}

void PaintToolTip(HWND hwnd, HDC dc)
{
    auto* state = StateOf<ToolTipState>(hwnd);
    if (!state)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH background = CreateSolidBrush(state->background);
    FillRect(dc, &client, background);
    DeleteObject(background);
    FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    const Tool* tool = ShownTool(*state);
    if (!tool)
        return;
    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, state->textColor);
    SelectObject(dc, ControlFont(state->font));
    RECT text = client;
    InflateRect(&text, -kMarginX, -kMarginY);
    DrawTextW(dc, tool->text.c_str(), static_cast<int>(tool->text.size()), &text, TextFormat(*state));
    RestoreDC(dc, saved);
}

} // namespace user::detail

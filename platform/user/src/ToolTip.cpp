// The tooltip's window procedure: its tools, delays, colours and width.
// Showing and hiding the tip lives in ToolTipPopup.cpp.
#include "CommonControls.h"
#include "ControlState.h"
#include "ToolTipState.h"

#include "user/Resources.h"
#include "win32/WideString.h"

#include <algorithm>

namespace user::detail {

namespace {

constexpr int kDefaultInitialDelay = 500;

bool Acceptable(const TOOLINFOW* info)
{
    return info && info->cbSize >= TTTOOLINFOW_V1_SIZE;
}

ToolKey KeyOf(const TOOLINFOW& info)
{
    return {info.hwnd, info.uId};
}

std::u16string TextOf(const TOOLINFOW& info)
{
    const auto value = reinterpret_cast<UINT_PTR>(info.lpszText);
    if (!info.lpszText || info.lpszText == LPSTR_TEXTCALLBACKW)
        return {};
    if (value < 0x10000) {
        WCHAR buffer[1024];
        int n = LoadStringW(info.hinst, static_cast<UINT>(value), buffer, 1024);
        return std::u16string(buffer, static_cast<std::size_t>(std::max(n, 0)));
    }
    return info.lpszText;
}

LRESULT AddTool(ToolTipState& state, const TOOLINFOW* info)
{
    if (!Acceptable(info))
        return FALSE;
    Tool tool;
    tool.key = KeyOf(*info);
    tool.flags = info->uFlags;
    tool.rect = info->rect;
    tool.text = TextOf(*info);
    if (info->cbSize >= TTTOOLINFOW_V2_SIZE)
        tool.param = info->lParam;
    state.tools.push_back(std::move(tool));
    return TRUE;
}

LRESULT DeleteTool(ToolTipState& state, const TOOLINFOW* info)
{
    if (!Acceptable(info))
        return 0;
    const ToolKey key = KeyOf(*info);
    if (state.current == key || state.pending == key)
        QuietTip(state);
    if (state.suppressed == key)
        state.suppressed.reset();
    std::erase_if(state.tools, [&](const Tool& tool) { return tool.key == key; });
    return 0;
}

LRESULT UpdateText(ToolTipState& state, const TOOLINFOW* info)
{
    Tool* tool = Acceptable(info) ? FindTool(state, KeyOf(*info)) : nullptr;
    if (!tool)
        return 0;
    tool->text = TextOf(*info);
    if (state.current == tool->key)
        ResizeTip(state);
    return 0;
}

LRESULT GetText(ToolTipState& state, WPARAM capacity, TOOLINFOW* info)
{
    Tool* tool = Acceptable(info) ? FindTool(state, KeyOf(*info)) : nullptr;
    if (info && info->lpszText && capacity > 0)
        lstrcpynW(info->lpszText, tool ? tool->text.c_str() : u"", static_cast<int>(std::min<WPARAM>(capacity, 0x7FFFFFFF)));
    return 0;
}

// Describes a tool; the text is not copied, as the caller's buffer has no stated size.
void Describe(const Tool& tool, TOOLINFOW* info)
{
    if (!Acceptable(info))
        return;
    info->uFlags = tool.flags;
    info->hwnd = tool.key.hwnd;
    info->uId = tool.key.id;
    info->rect = tool.rect;
    if (info->cbSize >= TTTOOLINFOW_V2_SIZE)
        info->lParam = tool.param;
}

LRESULT CurrentTool(ToolTipState& state, TOOLINFOW* info)
{
    Tool* tool = state.current ? FindTool(state, *state.current) : nullptr;
    if (!tool)
        return FALSE;
    Describe(*tool, info);
    return TRUE;
}

LRESULT SetDelay(ToolTipState& state, WPARAM which, LPARAM value)
{
    int ms = static_cast<short>(LOWORD(static_cast<UINT_PTR>(value)));
    const bool reset = ms < 0;
    switch (which) {
    case TTDT_AUTOMATIC: {
        int initial = reset ? kDefaultInitialDelay : ms;
        state.initialDelay = initial;
        state.autopopDelay = initial * 10;
        state.reshowDelay = initial / 5;
        break;
    }
    case TTDT_INITIAL: state.initialDelay = reset ? kDefaultInitialDelay : ms; break;
    case TTDT_AUTOPOP: state.autopopDelay = reset ? kDefaultInitialDelay * 10 : ms; break;
    case TTDT_RESHOW: state.reshowDelay = reset ? kDefaultInitialDelay / 5 : ms; break;
    default: break;
    }
    return 0;
}

LRESULT GetDelay(const ToolTipState& state, WPARAM which)
{
    switch (which) {
    case TTDT_INITIAL: return state.initialDelay;
    case TTDT_AUTOPOP: return state.autopopDelay;
    case TTDT_RESHOW: return state.reshowDelay;
    default: return 0;
    }
}

} // namespace

Tool* FindTool(ToolTipState& state, const ToolKey& key)
{
    for (auto& tool : state.tools)
        if (tool.key == key)
            return &tool;
    return nullptr;
}

std::optional<ToolKey> ToolAt(ToolTipState& state, HWND hwnd, POINT point)
{
    for (const auto& tool : state.tools) {
        if (tool.flags & TTF_IDISHWND) {
            if (reinterpret_cast<HWND>(tool.key.id) == hwnd)
                return tool.key;
        } else if (tool.key.hwnd == hwnd && PtInRect(&tool.rect, point)) {
            return tool.key;
        }
    }
    return std::nullopt;
}

LRESULT ToolTipWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = TrackState<ToolTipState>(hwnd, msg);
    if (!state)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        state->hwnd = hwnd;
        state->background = GetSysColor(COLOR_INFOBK);
        state->textColor = GetSysColor(COLOR_INFOTEXT);
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE,
                          GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case TTM_ACTIVATE:
        state->active = wParam != 0;
        if (!state->active)
            QuietTip(*state);
        return 0;
    case TTM_ADDTOOLW:
        return AddTool(*state, reinterpret_cast<const TOOLINFOW*>(lParam));
    case TTM_DELTOOLW:
        return DeleteTool(*state, reinterpret_cast<const TOOLINFOW*>(lParam));
    case TTM_NEWTOOLRECTW: {
        auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
        if (Tool* tool = Acceptable(info) ? FindTool(*state, KeyOf(*info)) : nullptr)
            tool->rect = info->rect;
        return 0;
    }
    case TTM_UPDATETIPTEXTW:
        return UpdateText(*state, reinterpret_cast<const TOOLINFOW*>(lParam));
    case TTM_GETTEXTW:
        return GetText(*state, wParam, reinterpret_cast<TOOLINFOW*>(lParam));
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(state->tools.size());
    case TTM_ENUMTOOLSW:
        if (wParam >= state->tools.size() || !Acceptable(reinterpret_cast<TOOLINFOW*>(lParam)))
            return FALSE;
        Describe(state->tools[wParam], reinterpret_cast<TOOLINFOW*>(lParam));
        return TRUE;
    case TTM_GETCURRENTTOOLW:
        return CurrentTool(*state, reinterpret_cast<TOOLINFOW*>(lParam));
    case TTM_RELAYEVENT:
        if (lParam)
            RelayMouse(*state, *reinterpret_cast<const MSG*>(lParam));
        return 0;
    case TTM_POP:
        QuietTip(*state);
        return 0;
    case TTM_SETDELAYTIME:
        return SetDelay(*state, wParam, lParam);
    case TTM_GETDELAYTIME:
        return GetDelay(*state, wParam);
    case TTM_SETTIPBKCOLOR:
        state->background = static_cast<COLORREF>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TTM_SETTIPTEXTCOLOR:
        state->textColor = static_cast<COLORREF>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TTM_GETTIPBKCOLOR:
        return state->background;
    case TTM_GETTIPTEXTCOLOR:
        return state->textColor;
    case TTM_SETMAXTIPWIDTH: {
        int old = state->maxWidth;
        state->maxWidth = static_cast<int>(lParam);
        ResizeTip(*state);
        return old;
    }
    case TTM_GETMAXTIPWIDTH:
        return state->maxWidth;
    case WM_TIMER:
        OnToolTipTimer(*state, wParam);
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return 3; // MA_NOACTIVATE
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:
        PaintToolTip(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT:
        PaintThroughBeginPaint(hwnd, PaintToolTip);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail

// The standard scroll bars of windows: their values, their place beside the
// client area and their painting in the classic look.
#include "NonClient.h"
#include "PaintCycle.h"
#include "ScrollBars.h"
#include "WindowData.h"

#include "gdi/Gdi.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "user/ScrollBar.h"

#include <algorithm>

using namespace user::detail;

namespace {

DWORD StyleOfBar(int bar)
{
    return bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
}

bool IsWindowBar(int bar)
{
    return bar == SB_VERT || bar == SB_HORZ;
}

// The highest position the values allow: a page shows from there to the end.
int MaxPosition(const ScrollBarState& state)
{
    return std::max(state.min, state.max - std::max<int>(static_cast<int>(state.page) - 1, 0));
}

// Brings page and position back within the range, as SetScrollInfo does.
void Normalise(ScrollBarState& state)
{
    if (state.max < state.min)
        state.max = state.min;
    const long long span = static_cast<long long>(state.max) - state.min + 1;
    if (static_cast<long long>(state.page) > span)
        state.page = static_cast<UINT>(span);
    state.pos = std::clamp(state.pos, state.min, MaxPosition(state));
}

// Nothing to scroll: the whole range fits in a page, or the range is empty.
bool NothingToScroll(const ScrollBarState& state)
{
    if (state.min >= state.max)
        return true;
    return state.page > 0 && static_cast<long long>(state.page) > static_cast<long long>(state.max) - state.min;
}

// Shows or hides the window's bars; true when its style changed. The client
// area changes with it, so the window hears WM_SIZE and paints again.
bool ChangeBars(HWND hwnd, DWORD bars, bool show)
{
    auto& manager = WindowManager::Get();
    auto window = manager.Find(hwnd);
    if (!window)
        return false;
    {
        std::lock_guard lock(manager.mutex);
        DWORD style = show ? (window->style | bars) : (window->style & ~bars);
        if (style == window->style)
            return false;
        window->style = style;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
    return true;
}

template <typename Change>
bool ChangeState(HWND hwnd, int bar, Change change)
{
    if (!IsWindowBar(bar))
        return false;
    auto& manager = WindowManager::Get();
    auto window = manager.Find(hwnd);
    if (!window)
        return false;
    std::lock_guard lock(manager.mutex);
    change(window->scrollBars[bar]);
    return true;
}

bool BarShown(HWND hwnd, int bar)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & StyleOfBar(bar)) != 0;
}

// The classic track: a fine checker of the highlight and the face colour.
HBRUSH TrackBrush()
{
    static const HBRUSH brush = [] {
        DWORD bits[8 * 8];
        const COLORREF light = GetSysColor(COLOR_3DHILIGHT);
        const COLORREF face = GetSysColor(COLOR_3DFACE);
        auto pixel = [](COLORREF c) {
            return static_cast<DWORD>(GetBValue(c)) | (static_cast<DWORD>(GetGValue(c)) << 8)
                | (static_cast<DWORD>(GetRValue(c)) << 16);
        };
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x)
                bits[y * 8 + x] = pixel(((x + y) % 2) ? face : light);
        }
        HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, bits);
        HBRUSH made = CreatePatternBrush(bitmap);
        DeleteObject(bitmap);
        return made;
    }();
    return brush;
}

void PaintBar(HDC dc, const ScrollBarLayout& layout, const ScrollBarState& state, bool vertical, bool enabled)
{
    const bool upOff = !enabled || (state.disabled & ESB_DISABLE_LTUP) || NothingToScroll(state);
    const bool downOff = !enabled || (state.disabled & ESB_DISABLE_RTDN) || NothingToScroll(state);
    auto arrow = [&](RECT rect, UINT glyph, int part, bool off) {
        if (IsRectEmpty(&rect))
            return;
        UINT flags = glyph | (off ? DFCS_INACTIVE : 0) | (state.pressed == part ? DFCS_PUSHED | DFCS_FLAT : 0);
        DrawFrameControl(dc, &rect, DFC_SCROLL, flags);
    };
    arrow(layout.lineUp, vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, kScrollLineUp, upOff);
    arrow(layout.lineDown, vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT, kScrollLineDown, downOff);
    if (IsRectEmpty(&layout.track))
        return;
    RECT before = layout.track;
    RECT after = layout.track;
    if (!IsRectEmpty(&layout.thumb)) {
        if (vertical) {
            before.bottom = layout.thumb.top;
            after.top = layout.thumb.bottom;
        } else {
            before.right = layout.thumb.left;
            after.left = layout.thumb.right;
        }
    } else {
        after = {};
    }
    // A page area held down shows dark.
    HBRUSH pressedBrush = GetSysColorBrush(COLOR_3DDKSHADOW);
    if (!IsRectEmpty(&before))
        FillRect(dc, &before, state.pressed == kScrollPageUp ? pressedBrush : TrackBrush());
    if (!IsRectEmpty(&after))
        FillRect(dc, &after, state.pressed == kScrollPageDown ? pressedBrush : TrackBrush());
    if (!IsRectEmpty(&layout.thumb)) {
        RECT thumb = layout.thumb;
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
}

} // namespace

namespace user::detail {

ScrollBarState ScrollStateOf(HWND hwnd, int bar)
{
    ScrollBarState state;
    if (!IsWindowBar(bar))
        return state;
    auto& manager = WindowManager::Get();
    auto window = manager.Find(hwnd);
    if (!window)
        return state;
    std::lock_guard lock(manager.mutex);
    return window->scrollBars[bar];
}

void SetPressedScrollPart(HWND hwnd, int bar, int part)
{
    bool changed = false;
    ChangeState(hwnd, bar, [&](ScrollBarState& state) {
        changed = state.pressed != part;
        state.pressed = part;
    });
    if (changed)
        RepaintScrollBars(hwnd);
}

void SetScrollTracking(HWND hwnd, int bar, bool tracking, int trackPos)
{
    ChangeState(hwnd, bar, [&](ScrollBarState& state) {
        state.tracking = tracking;
        state.trackPos = trackPos;
    });
    RepaintScrollBars(hwnd);
}

ScrollBarLayout LayoutScrollBar(HWND hwnd, int bar)
{
    ScrollBarLayout layout;
    if (!IsWindowBar(bar) || !BarShown(hwnd, bar))
        return layout;
    FrameLayout frame = LayoutFrame(hwnd);
    const RECT& client = frame.client;
    const bool vertical = bar == SB_VERT;
    if (vertical)
        layout.bar = {client.right, client.top, client.right + kScrollBarSize, client.bottom};
    else
        layout.bar = {client.left, client.bottom, client.right, client.bottom + kScrollBarSize};
    const int start = vertical ? layout.bar.top : layout.bar.left;
    const int length = vertical ? layout.bar.bottom - layout.bar.top : layout.bar.right - layout.bar.left;
    if (length <= 0)
        return layout;
    auto span = [&](int from, int to) {
        return vertical ? RECT{layout.bar.left, start + from, layout.bar.right, start + to}
                        : RECT{start + from, layout.bar.top, start + to, layout.bar.bottom};
    };
    // Too short for full arrows: they share the length and there is no track.
    const int arrow = std::min(kScrollBarSize, length / 2);
    layout.lineUp = span(0, arrow);
    layout.lineDown = span(length - arrow, length);
    const int trackLength = length - 2 * arrow;
    if (trackLength <= 0)
        return layout;
    layout.track = span(arrow, length - arrow);

    const ScrollBarState state = ScrollStateOf(hwnd, bar);
    const bool enabled = IsWindowEnabled(hwnd) && (state.disabled & ESB_DISABLE_BOTH) != ESB_DISABLE_BOTH;
    if (!enabled || NothingToScroll(state))
        return layout;
    const long long range = static_cast<long long>(state.max) - state.min + 1;
    int thumbLength = state.page ? static_cast<int>(trackLength * static_cast<long long>(state.page) / range)
                                 : kScrollBarSize;
    thumbLength = std::max(thumbLength, kMinThumb);
    if (thumbLength > trackLength)
        return layout;
    const int maxPos = MaxPosition(state);
    const int pos = state.tracking ? state.trackPos : state.pos;
    const int free = trackLength - thumbLength;
    const int offset = maxPos > state.min
        ? static_cast<int>(static_cast<long long>(free) * (std::clamp(pos, state.min, maxPos) - state.min)
                           / (maxPos - state.min))
        : 0;
    layout.thumb = span(arrow + offset, arrow + offset + thumbLength);
    return layout;
}

int ScrollPosAtThumb(HWND hwnd, int bar, int thumbStart)
{
    ScrollBarLayout layout = LayoutScrollBar(hwnd, bar);
    ScrollBarState state = ScrollStateOf(hwnd, bar);
    if (IsRectEmpty(&layout.thumb))
        return state.pos;
    const bool vertical = bar == SB_VERT;
    const int trackStart = vertical ? layout.track.top : layout.track.left;
    const int trackLength = vertical ? layout.track.bottom - layout.track.top : layout.track.right - layout.track.left;
    const int thumbLength = vertical ? layout.thumb.bottom - layout.thumb.top : layout.thumb.right - layout.thumb.left;
    const int free = trackLength - thumbLength;
    const int maxPos = MaxPosition(state);
    if (free <= 0)
        return state.min;
    const int offset = std::clamp(thumbStart - trackStart, 0, free);
    // Rounded to the nearest position, so that every position can be reached.
    return state.min
        + static_cast<int>((static_cast<long long>(offset) * (maxPos - state.min) + free / 2) / free);
}

RECT ScrollCorner(HWND hwnd)
{
    if (!BarShown(hwnd, SB_VERT) || !BarShown(hwnd, SB_HORZ))
        return {};
    FrameLayout frame = LayoutFrame(hwnd);
    return {frame.client.right, frame.client.bottom, frame.client.right + kScrollBarSize,
            frame.client.bottom + kScrollBarSize};
}

ScrollPart ScrollPartAt(const ScrollBarLayout& layout, int bar, POINT at)
{
    if (IsRectEmpty(&layout.bar) || !PtInRect(&layout.bar, at))
        return kScrollNone;
    if (PtInRect(&layout.lineUp, at))
        return kScrollLineUp;
    if (PtInRect(&layout.lineDown, at))
        return kScrollLineDown;
    if (IsRectEmpty(&layout.thumb))
        return kScrollNone; // a track without a thumb has nothing to page
    if (PtInRect(&layout.thumb, at))
        return kScrollThumb;
    const bool before = bar == SB_VERT ? at.y < layout.thumb.top : at.x < layout.thumb.left;
    return before ? kScrollPageUp : kScrollPageDown;
}

void PaintScrollBars(HWND hwnd, HDC dc)
{
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    for (int bar : {SB_VERT, SB_HORZ}) {
        ScrollBarLayout layout = LayoutScrollBar(hwnd, bar);
        if (IsRectEmpty(&layout.bar))
            continue;
        ScrollBarState state = ScrollStateOf(hwnd, bar);
        PaintBar(dc, layout, state, bar == SB_VERT, enabled && (state.disabled & ESB_DISABLE_BOTH) != ESB_DISABLE_BOTH);
    }
    RECT corner = ScrollCorner(hwnd);
    if (!IsRectEmpty(&corner))
        FillRect(dc, &corner, GetSysColorBrush(COLOR_3DFACE));
}

void RepaintScrollBars(HWND hwnd)
{
    if (!IsWindowVisible(hwnd))
        return;
    RunOnOwner(hwnd, [hwnd]() -> LRESULT {
        if (!BarShown(hwnd, SB_VERT) && !BarShown(hwnd, SB_HORZ))
            return 0;
        HDC dc = MakeWindowDC(hwnd, true, ClipFlagsOf(hwnd), nullptr);
        FrameLayout frame = LayoutFrame(hwnd);
        ExcludeClipRect(dc, frame.client.left, frame.client.top, frame.client.right, frame.client.bottom);
        PaintScrollBars(hwnd, dc);
        ReleaseDC(hwnd, dc);
        ScreenChanged();
        return 0;
    });
}

} // namespace user::detail

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    if (!info || !IsWindowBar(bar))
        return 0;
    ScrollBarState after;
    if (!ChangeState(hwnd, bar, [&](ScrollBarState& state) {
            if (info->fMask & SIF_RANGE) {
                state.min = info->nMin;
                state.max = info->nMax;
            }
            if (info->fMask & SIF_PAGE)
                state.page = info->nPage;
            if (info->fMask & SIF_POS)
                state.pos = info->nPos;
            Normalise(state);
            after = state;
        }))
        return 0;
    bool reshaped = false;
    if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
        if (NothingToScroll(after) && !(info->fMask & SIF_DISABLENOSCROLL)) {
            reshaped = ChangeBars(hwnd, StyleOfBar(bar), false);
        } else {
            // A bar kept with nothing to scroll shows disabled.
            ChangeState(hwnd, bar, [&](ScrollBarState& state) {
                if (NothingToScroll(state))
                    state.disabled = ESB_DISABLE_BOTH;
                else if (state.disabled == ESB_DISABLE_BOTH)
                    state.disabled = ESB_ENABLE_BOTH;
            });
            reshaped = ChangeBars(hwnd, StyleOfBar(bar), true);
        }
    }
    if (redraw && !reshaped)
        RepaintScrollBars(hwnd);
    return after.pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info)
{
    if (!info || !IsWindowBar(bar) || !IsWindow(hwnd))
        return FALSE;
    ScrollBarState state = ScrollStateOf(hwnd, bar);
    if (info->fMask & SIF_RANGE) {
        info->nMin = state.min;
        info->nMax = state.max;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = state.page;
    if (info->fMask & SIF_POS)
        info->nPos = state.pos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = state.tracking ? state.trackPos : state.pos;
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    int old = ScrollStateOf(hwnd, bar).pos;
    SCROLLINFO info = {sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, bar, &info, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar)
{
    return ScrollStateOf(hwnd, bar).pos;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    if (!IsWindowBar(bar) || !IsWindow(hwnd))
        return FALSE;
    SCROLLINFO info = {sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetScrollInfo(hwnd, bar, &info, redraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos)
{
    if (!minPos || !maxPos || !IsWindowBar(bar) || !IsWindow(hwnd))
        return FALSE;
    ScrollBarState state = ScrollStateOf(hwnd, bar);
    *minPos = state.min;
    *maxPos = state.max;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    if (!IsWindow(hwnd))
        return FALSE;
    DWORD bars = bar == SB_BOTH ? (WS_VSCROLL | WS_HSCROLL) : IsWindowBar(bar) ? StyleOfBar(bar) : 0;
    if (!bars)
        return FALSE;
    ChangeBars(hwnd, bars, show != FALSE);
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bars, UINT arrows)
{
    if (!IsWindow(hwnd))
        return FALSE;
    bool changed = false;
    for (int bar : {SB_HORZ, SB_VERT}) {
        if (static_cast<int>(bars) != bar && bars != SB_BOTH)
            continue;
        ChangeState(hwnd, bar, [&](ScrollBarState& state) {
            changed = changed || state.disabled != (arrows & ESB_DISABLE_BOTH);
            state.disabled = arrows & ESB_DISABLE_BOTH;
        });
    }
    if (changed)
        RepaintScrollBars(hwnd);
    return changed ? TRUE : FALSE;
}

// The progress bar: its range, position and step, and its picture: a thin
// sunken frame around blocks (or, with PBS_SMOOTH, one bar) in the highlight
// colour over the button face.
#include "CommonControls.h"
#include "ControlState.h"

#include "user/ProgressBar.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <unordered_map>

namespace user::detail {

namespace {

struct ProgressState {
    int low = 0;
    int high = 100;
    int position = 0;
    int step = 10;
    // The client size and style the bar was last painted at: a move
    // repaints only the columns it changes while these still hold.
    SIZE paintedSize{-1, -1};
    bool paintedSmooth = false;
};

// The bars of every thread, so that another thread can tell whether a new
// position would change a bar. Only the owner thread changes a bar's range
// and position, under this lock; it reads them without it.
std::mutex g_barsMutex;

std::unordered_map<HWND, const ProgressState*>& LiveBars()
{
    static auto* bars = new std::unordered_map<HWND, const ProgressState*>; // outlives the exit handlers
    return *bars;
}

int Clamp(const ProgressState& state, long long value)
{
    if (state.high < state.low)
        return state.low;
    return static_cast<int>(std::clamp<long long>(value, state.low, state.high));
}

// Where the bar's blocks lie: inside a one-pixel frame and one pixel of face.
struct BarGeometry {
    RECT inner{};
    bool smooth = false;

    int Width() const { return inner.right - inner.left; }
    int Height() const { return inner.bottom - inner.top; }
    // Blocks two thirds as wide as the bar is high, two pixels apart.
    int Block() const { return std::max(1, (Height() * 2 + 2) / 3); }
    int Filled(const ProgressState& state) const
    {
        const long long span = static_cast<long long>(state.high) - state.low;
        if (Width() <= 0 || Height() <= 0 || span <= 0)
            return 0;
        return static_cast<int>((static_cast<long long>(state.position) - state.low) * Width() / span);
    }
    // The columns from inner.left that a position's picture colours: the
    // block that the position reaches into counts whole.
    int Extent(const ProgressState& state) const
    {
        const int filled = Filled(state);
        if (filled <= 0 || smooth)
            return std::max(filled, 0);
        const int pitch = Block() + 2;
        return std::min((filled - 1) / pitch * pitch + Block(), Width());
    }
};

BarGeometry GeometryOf(HWND hwnd, const RECT& client)
{
    BarGeometry geometry;
    geometry.inner = client;
    InflateRect(&geometry.inner, -2, -2);
    geometry.smooth = (GetWindowLongPtrW(hwnd, GWL_STYLE) & PBS_SMOOTH) != 0;
    return geometry;
}

// Moves the position; returns the previous one. Only the columns between
// the old and the new extent of the blocks change, so only they repaint:
// a bar over a long range moves a pixel every many positions.
LRESULT MoveTo(HWND hwnd, ProgressState* state, long long value)
{
    const int old = state->position;
    RECT client;
    GetClientRect(hwnd, &client);
    const BarGeometry geometry = GeometryOf(hwnd, client);
    const int oldExtent = geometry.Extent(*state);
    {
        std::lock_guard lock(g_barsMutex);
        state->position = Clamp(*state, value);
    }
    if (state->position == old)
        return old;
    const bool asPainted = state->paintedSize.cx == client.right && state->paintedSize.cy == client.bottom &&
                           state->paintedSmooth == geometry.smooth;
    if (!asPainted) {
        InvalidateRect(hwnd, nullptr, FALSE);
        return old;
    }
    const int newExtent = geometry.Extent(*state);
    if (newExtent != oldExtent) {
        RECT changed = {geometry.inner.left + std::min(oldExtent, newExtent), geometry.inner.top,
                        geometry.inner.left + std::max(oldExtent, newExtent), geometry.inner.bottom};
        InvalidateRect(hwnd, &changed, FALSE);
    }
    return old;
}

LRESULT SetRange(HWND hwnd, ProgressState* state, int low, int high)
{
    LRESULT old = MAKELPARAM(static_cast<WORD>(state->low), static_cast<WORD>(state->high));
    {
        std::lock_guard lock(g_barsMutex);
        state->low = low;
        state->high = high;
        state->position = Clamp(*state, state->position);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

} // namespace

void PaintProgressBar(HWND hwnd, HDC dc)
{
    auto* state = StateOf<ProgressState>(hwnd);
    if (!state)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    const BarGeometry geometry = GeometryOf(hwnd, client);
    RECT face = client;
    DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    const RECT& inner = geometry.inner;
    const int filled = geometry.Filled(*state);
    if (filled <= 0)
        return;
    HBRUSH bar = GetSysColorBrush(COLOR_HIGHLIGHT);
    if (geometry.smooth) {
        RECT done = {inner.left, inner.top, inner.left + filled, inner.bottom};
        FillRect(dc, &done, bar);
        return;
    }
    // The block that the position reaches into is drawn whole, cut at the
    // end. A move repaints the few columns whose blocks it changed: the
    // blocks wholly outside the DC's clip would draw nothing, and are passed.
    RECT shown{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    if (GetMapMode(dc) != MM_TEXT || GetClipBox(dc, &shown) == ERROR)
        shown = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const int block = geometry.Block();
    for (int x = 0; x < filled; x += block + 2) {
        RECT piece = {inner.left + x, inner.top, std::min(inner.left + x + block, inner.right), inner.bottom};
        if (piece.right <= shown.left || piece.left >= shown.right)
            continue;
        FillRect(dc, &piece, bar);
    }
}

bool AnswerUnchangedProgressPosition(HWND hwnd, WPARAM wParam, LRESULT* result)
{
    std::lock_guard lock(g_barsMutex);
    auto it = LiveBars().find(hwnd);
    if (it == LiveBars().end())
        return false;
    const ProgressState& state = *it->second;
    if (Clamp(state, static_cast<int>(wParam)) != state.position)
        return false;
    *result = state.position;
    return true;
}

LRESULT ProgressBarWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY) {
        std::lock_guard lock(g_barsMutex);
        LiveBars().erase(hwnd);
    }
    auto* state = TrackState<ProgressState>(hwnd, msg);
    if (!state)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCCREATE) {
        std::lock_guard lock(g_barsMutex);
        LiveBars()[hwnd] = state;
    }
    switch (msg) {
    case PBM_SETRANGE:
        return SetRange(hwnd, state, LOWORD(static_cast<UINT_PTR>(lParam)), HIWORD(static_cast<UINT_PTR>(lParam)));
    case PBM_SETRANGE32:
        return SetRange(hwnd, state, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
        if (lParam) {
            auto* range = reinterpret_cast<PBRANGE*>(lParam);
            range->iLow = state->low;
            range->iHigh = state->high;
        }
        return wParam ? state->low : state->high;
    case PBM_SETPOS:
        return MoveTo(hwnd, state, static_cast<int>(wParam));
    case PBM_GETPOS:
        return state->position;
    case PBM_DELTAPOS:
        return MoveTo(hwnd, state, static_cast<long long>(state->position) + static_cast<int>(wParam));
    case PBM_SETSTEP: {
        int old = state->step;
        state->step = static_cast<int>(wParam);
        return old;
    }
    case PBM_STEPIT: {
        long long next = static_cast<long long>(state->position) + state->step;
        // Stepping past the end starts again from the other end.
        if (next > state->high)
            next = state->low + (next - state->high);
        else if (next < state->low)
            next = state->high - (state->low - next);
        return MoveTo(hwnd, state, next);
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:
        PaintProgressBar(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        // A paint of the whole bar is what later moves repaint in part.
        if (EqualRect(&ps.rcPaint, &client)) {
            state->paintedSize = {client.right, client.bottom};
            state->paintedSmooth = GeometryOf(hwnd, client).smooth;
        }
        PaintProgressBar(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail

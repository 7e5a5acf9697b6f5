// The mouse over a window's standard scroll bar: arrows and page areas that
// scroll while held (repeating after a pause), and the thumb dragged along
// the track.
#include "ScrollBars.h"
#include "WindowData.h"

#include "user/Messages.h"
#include "user/ScrollBar.h"

using namespace user::detail;

namespace {

constexpr UINT_PTR kRepeatTimer = 0xFFFE;
constexpr UINT kFirstRepeat = 400; // ms before a held part repeats
constexpr UINT kNextRepeat = 50;

POINT InWindow(HWND hwnd, POINT screen)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return {screen.x - rect.left, screen.y - rect.top};
}

WORD RequestOf(int part)
{
    switch (part) {
    case kScrollLineUp: return SB_LINEUP;
    case kScrollLineDown: return SB_LINEDOWN;
    case kScrollPageUp: return SB_PAGEUP;
    default: return SB_PAGEDOWN;
    }
}

void Send(HWND hwnd, int bar, WORD request, int pos = 0)
{
    // A window's own bars tell the window itself; lParam names no control.
    SendMessageW(hwnd, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(request, static_cast<WORD>(pos)), 0);
}

int Along(int bar, POINT at)
{
    return bar == SB_VERT ? at.y : at.x;
}

int ThumbStart(int bar, const RECT& thumb)
{
    return bar == SB_VERT ? thumb.top : thumb.left;
}

bool IsButtonUp(UINT message)
{
    return message == WM_LBUTTONUP || message == WM_NCLBUTTONUP;
}

bool IsMove(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
}

} // namespace

namespace user::detail {

void TrackScrollBar(HWND hwnd, int bar, POINT screen)
{
    const ScrollBarLayout start = LayoutScrollBar(hwnd, bar);
    const int part = ScrollPartAt(start, bar, InWindow(hwnd, screen));
    if (part == kScrollNone)
        return;
    const ScrollBarState state = ScrollStateOf(hwnd, bar);
    if ((part == kScrollLineUp && (state.disabled & ESB_DISABLE_LTUP))
        || (part == kScrollLineDown && (state.disabled & ESB_DISABLE_RTDN)))
        return;
    const bool thumb = part == kScrollThumb;
    // How far into the thumb it was taken, so that it moves with the mouse.
    const int grip = thumb ? Along(bar, InWindow(hwnd, screen)) - ThumbStart(bar, start.thumb) : 0;
    int trackPos = state.pos;
    SetCapture(hwnd);
    if (thumb) {
        SetScrollTracking(hwnd, bar, true, trackPos);
    } else {
        SetPressedScrollPart(hwnd, bar, part);
        Send(hwnd, bar, RequestOf(part));
        SetTimer(hwnd, kRepeatTimer, kFirstRepeat, nullptr);
    }
    POINT mouse = screen;
    MSG msg;
    while (GetCapture() == hwnd && IsWindow(hwnd)) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsButtonUp(msg.message))
            break;
        if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == kRepeatTimer) {
            // The part repeats while the mouse stays over it: a page area
            // stops once the thumb has come under the mouse.
            if (ScrollPartAt(LayoutScrollBar(hwnd, bar), bar, InWindow(hwnd, mouse)) == part)
                Send(hwnd, bar, RequestOf(part));
            SetTimer(hwnd, kRepeatTimer, kNextRepeat, nullptr);
            continue;
        }
        if (IsMove(msg.message)) {
            mouse = msg.pt;
            if (thumb) {
                int at = Along(bar, InWindow(hwnd, mouse)) - grip;
                int pos = ScrollPosAtThumb(hwnd, bar, at);
                if (pos != trackPos) {
                    trackPos = pos;
                    SetScrollTracking(hwnd, bar, true, trackPos);
                    Send(hwnd, bar, SB_THUMBTRACK, trackPos);
                }
            } else {
                bool over = ScrollPartAt(LayoutScrollBar(hwnd, bar), bar, InWindow(hwnd, mouse)) == part;
                SetPressedScrollPart(hwnd, bar, over ? part : kScrollNone);
            }
            continue;
        }
        if (msg.message == WM_LBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN)
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!thumb)
        KillTimer(hwnd, kRepeatTimer);
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (!IsWindow(hwnd))
        return;
    if (thumb) {
        Send(hwnd, bar, SB_THUMBPOSITION, trackPos);
        SetScrollTracking(hwnd, bar, false, trackPos);
    } else {
        SetPressedScrollPart(hwnd, bar, kScrollNone);
    }
    Send(hwnd, bar, SB_ENDSCROLL);
}

} // namespace user::detail

// The standard scroll bars of windows inside the window layer: where their
// parts lie, how they are painted, and the mouse over them.
#pragma once

#include "ScrollBarState.h"

#include "gdi/GdiTypes.h"

namespace user::detail {

enum ScrollPart : int {
    kScrollNone = 0,
    kScrollLineUp,   // the top or left arrow
    kScrollPageUp,   // the track before the thumb
    kScrollThumb,
    kScrollPageDown, // the track after the thumb
    kScrollLineDown, // the bottom or right arrow
};

// The scroll bar's width (vertical) or height (horizontal), its arrows'
// length, and the shortest thumb.
constexpr int kScrollBarSize = 16;
constexpr int kMinThumb = 8;

// Where the parts of one bar lie, along the bar, in window coordinates.
struct ScrollBarLayout {
    RECT bar = {};       // the whole bar; empty when the window does not show it
    RECT lineUp = {};
    RECT lineDown = {};
    RECT track = {};     // between the arrows
    RECT thumb = {};     // empty when the bar has no thumb
};

// bar is SB_VERT or SB_HORZ.
ScrollBarLayout LayoutScrollBar(HWND hwnd, int bar);
// The corner between two shown bars, empty when there is none.
RECT ScrollCorner(HWND hwnd);
ScrollPart ScrollPartAt(const ScrollBarLayout& layout, int bar, POINT inWindow);

// Paints the shown bars into a DC of the whole window.
void PaintScrollBars(HWND hwnd, HDC windowDC);
// Repaints the bars at once, without the rest of the frame.
void RepaintScrollBars(HWND hwnd);

// Copies of a bar's state, and changes to it under the window lock.
ScrollBarState ScrollStateOf(HWND hwnd, int bar);
void SetPressedScrollPart(HWND hwnd, int bar, int part);
void SetScrollTracking(HWND hwnd, int bar, bool tracking, int trackPos);

// The position the thumb's start at a point along the track stands for.
int ScrollPosAtThumb(HWND hwnd, int bar, int thumbStart);

// DefWindowProc's WM_NCLBUTTONDOWN over a bar (HTVSCROLL / HTHSCROLL):
// follows the mouse until the button comes up, sending the scroll messages.
void TrackScrollBar(HWND hwnd, int bar, POINT screen);

} // namespace user::detail

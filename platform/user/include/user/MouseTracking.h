// Tracking the mouse for a window: WM_MOUSELEAVE when the cursor leaves its
// client area, WM_MOUSEHOVER when it rests there for the hover time. One
// request per thread; each notification ends its part of the request.
#pragma once

#include "win32/Types.h"

struct TRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};
using LPTRACKMOUSEEVENT = TRACKMOUSEEVENT*;

constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_QUERY = 0x40000000;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT eventTrack);
// The common controls' name for the same request.
BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT eventTrack);

// The progress bar (PROGRESS_CLASS): a position within a range, drawn as a
// row of blocks, or as one continuous bar with PBS_SMOOTH. Any thread may
// move it; the message runs on the thread that owns the bar.
#pragma once

#include "win32/Types.h"

constexpr const WCHAR* PROGRESS_CLASS = u"msctls_progress32";

constexpr DWORD PBS_SMOOTH = 0x01;
// Accepted (resource scripts may name it); the bar still fills left to right.
constexpr DWORD PBS_VERTICAL = 0x04;

// The range starts as 0 to 100, the position at 0 and the step at 10.
// PBM_SETRANGE: lParam = MAKELPARAM(low, high) as 16-bit values; returns the
// previous range the same way. PBM_SETRANGE32: wParam low, lParam high.
// PBM_SETPOS: wParam, clamped into the range; returns the previous position.
// PBM_DELTAPOS: adds wParam; PBM_STEPIT adds the step, wrapping to the low
// end when it passes the high one; both return the previous position.
// PBM_SETSTEP returns the previous step. PBM_GETRANGE: wParam TRUE for the
// low limit, FALSE for the high one, lParam an optional PBRANGE to fill.
constexpr UINT PBM_SETRANGE = 0x0400 + 1;
constexpr UINT PBM_SETPOS = 0x0400 + 2;
constexpr UINT PBM_DELTAPOS = 0x0400 + 3;
constexpr UINT PBM_SETSTEP = 0x0400 + 4;
constexpr UINT PBM_STEPIT = 0x0400 + 5;
constexpr UINT PBM_SETRANGE32 = 0x0400 + 6;
constexpr UINT PBM_GETRANGE = 0x0400 + 7;
constexpr UINT PBM_GETPOS = 0x0400 + 8;

struct PBRANGE {
    int iLow;
    int iHigh;
};
using PPBRANGE = PBRANGE*;

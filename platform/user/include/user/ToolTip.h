// Tooltips (TOOLTIPS_CLASS): a small top-most popup that shows the text of a
// tool (a window, or a rectangle of a window) once the mouse has rested on it
// for the initial delay.
//
// The tooltip learns of the mouse only through TTM_RELAYEVENT: the owner of a
// tool passes it the mouse messages of the tool's window. A move onto a tool
// starts the initial delay (500 ms on the machine's clock); when it ends with
// the cursor still on the tool, the tip shows below the cursor. It hides when
// the cursor has left the tool, on a relayed button press or release (and
// stays hidden until the mouse leaves that tool), after the automatic pop
// delay (5000 ms), on TTM_POP and on TTM_ACTIVATE FALSE. Without TTS_ALWAYSTIP
// it shows only while its owner window is the active window.
#pragma once

#include "gdi/GdiTypes.h"
#include "user/Notify.h"
#include "win32/Types.h"

#include <cstddef>

constexpr const WCHAR* TOOLTIPS_CLASS = u"tooltips_class32";

// Styles
constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;

// Tool flags
constexpr UINT TTF_IDISHWND = 0x0001; // uId is the tool's window; rect is unused

struct TOOLINFOW {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;     // the window that holds the tool (with TTF_IDISHWND, usually the tool's parent)
    UINT_PTR uId;  // the tool's id, or its window with TTF_IDISHWND
    RECT rect;     // the tool's area in hwnd's client coordinates
    HINSTANCE hinst; // with lpszText a string resource id
    LPWSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};
using LPTOOLINFOW = TOOLINFOW*;
using TOOLINFO = TOOLINFOW;
// Structures of at least the first size are accepted (older callers end
// after lpszText or after lParam). lpszText may be a string resource id of
// hinst; the text callback (LPSTR_TEXTCALLBACKW) is not offered and shows nothing.
constexpr UINT TTTOOLINFOW_V1_SIZE = static_cast<UINT>(offsetof(TOOLINFOW, lParam));
constexpr UINT TTTOOLINFOW_V2_SIZE = static_cast<UINT>(offsetof(TOOLINFOW, lpReserved));
inline const LPWSTR LPSTR_TEXTCALLBACKW = reinterpret_cast<LPWSTR>(static_cast<INT_PTR>(-1));

// TTM_SETDELAYTIME / TTM_GETDELAYTIME
constexpr WPARAM TTDT_AUTOMATIC = 0; // sets all three from the initial delay
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;

// Messages. A tool is named by a TOOLINFOW whose hwnd and uId match.
constexpr UINT TTM_ACTIVATE = 0x0400 + 1;         // wParam TRUE or FALSE
constexpr UINT TTM_SETDELAYTIME = 0x0400 + 3;     // wParam TTDT_*, lParam the time in ms (-1: default)
constexpr UINT TTM_RELAYEVENT = 0x0400 + 7;       // lParam MSG* of a mouse message
constexpr UINT TTM_GETTOOLCOUNT = 0x0400 + 13;
constexpr UINT TTM_SETTIPBKCOLOR = 0x0400 + 19;   // wParam COLORREF
constexpr UINT TTM_SETTIPTEXTCOLOR = 0x0400 + 20; // wParam COLORREF
constexpr UINT TTM_GETDELAYTIME = 0x0400 + 21;    // wParam TTDT_RESHOW, _AUTOPOP or _INITIAL
constexpr UINT TTM_GETTIPBKCOLOR = 0x0400 + 22;
constexpr UINT TTM_GETTIPTEXTCOLOR = 0x0400 + 23;
constexpr UINT TTM_SETMAXTIPWIDTH = 0x0400 + 24;  // lParam the width in pixels (-1: none); the previous one
constexpr UINT TTM_GETMAXTIPWIDTH = 0x0400 + 25;
constexpr UINT TTM_POP = 0x0400 + 28;
constexpr UINT TTM_ADDTOOLW = 0x0400 + 50;        // lParam TOOLINFOW*; TRUE when added
constexpr UINT TTM_DELTOOLW = 0x0400 + 51;        // lParam TOOLINFOW*
constexpr UINT TTM_NEWTOOLRECTW = 0x0400 + 52;    // lParam TOOLINFOW* with the new rect
constexpr UINT TTM_GETTEXTW = 0x0400 + 56;        // wParam the buffer's size in characters, lParam TOOLINFOW*
constexpr UINT TTM_UPDATETIPTEXTW = 0x0400 + 57;  // lParam TOOLINFOW* with the new text
constexpr UINT TTM_ENUMTOOLSW = 0x0400 + 58;      // wParam index, lParam TOOLINFOW*; FALSE past the last
constexpr UINT TTM_GETCURRENTTOOLW = 0x0400 + 59; // lParam TOOLINFOW* or null; TRUE while a tip shows
constexpr UINT TTM_ADDTOOL = TTM_ADDTOOLW;
constexpr UINT TTM_DELTOOL = TTM_DELTOOLW;
constexpr UINT TTM_NEWTOOLRECT = TTM_NEWTOOLRECTW;
constexpr UINT TTM_GETTEXT = TTM_GETTEXTW;
constexpr UINT TTM_UPDATETIPTEXT = TTM_UPDATETIPTEXTW;
constexpr UINT TTM_ENUMTOOLS = TTM_ENUMTOOLSW;
constexpr UINT TTM_GETCURRENTTOOL = TTM_GETCURRENTTOOLW;

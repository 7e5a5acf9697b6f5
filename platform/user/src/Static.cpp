// The Static class: texts, frames, lines, icons and bitmaps; mouse clicks
// reach the parent only with SS_NOTIFY.
#include "ControlState.h"

#include "user/Controls.h"
#include "user/Dialog.h"

namespace user::detail {

namespace {

struct StaticState {
    HANDLE image = nullptr;
    WPARAM imageType = IMAGE_BITMAP;
};

} // namespace

LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = TrackState<StaticState>(hwnd, msg);
    if (!state)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETIMAGE:
    case STM_SETICON: {
        HANDLE old = state->image;
        state->image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : lParam);
        state->imageType = msg == STM_SETICON ? IMAGE_ICON : wParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
        return wParam == state->imageType ? reinterpret_cast<LRESULT>(state->image) : 0;
    case STM_GETICON:
        return state->imageType == IMAGE_ICON ? reinterpret_cast<LRESULT>(state->image) : 0;
    case WM_NCHITTEST:
        return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
        if (style & SS_NOTIFY)
            NotifyParent(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (style & SS_NOTIFY)
            NotifyParent(hwnd, STN_DBLCLK);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail

// The state of a control lives in an object that its first extra slot points
// to, made at WM_NCCREATE and freed at WM_NCDESTROY.
#pragma once

#include "user/MessageQueue.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "user/Window.h"

namespace user::detail {

template <typename State>
State* StateOf(HWND hwnd)
{
    return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, 0));
}

// Creates or frees the state as the window's life begins and ends; returns
// the state for every other message.
template <typename State>
State* TrackState(HWND hwnd, UINT msg)
{
    if (msg == WM_NCCREATE) {
        auto* state = new State;
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(state));
        return state;
    }
    State* state = StateOf<State>(hwnd);
    if (msg == WM_NCDESTROY && state) {
        SetWindowLongPtrW(hwnd, 0, 0);
        delete state;
        return nullptr;
    }
    return state;
}

// Sends WM_COMMAND with a notification code to the control's parent.
inline void NotifyParent(HWND control, WORD code)
{
    HWND parent = GetParent(control);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
                     reinterpret_cast<LPARAM>(control));
}

} // namespace user::detail

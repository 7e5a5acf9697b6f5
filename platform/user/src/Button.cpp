// The Button class: push buttons, check boxes, radio buttons and group boxes,
// with their check and push states and BN_CLICKED.
#include "ButtonPaint.h"
#include "ControlPaint.h"
#include "ControlState.h"
#include "WindowData.h"

#include "user/Controls.h"
#include "user/Dialog.h"

namespace user::detail {

namespace {

struct ButtonState {
    WPARAM check = BST_UNCHECKED;
    bool pushed = false;
    bool focused = false;
    bool tracking = false;
    HANDLE image = nullptr;
    WPARAM imageType = IMAGE_BITMAP;
    HFONT font = nullptr;
};

DWORD Type(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
}

bool IsCheckType(DWORD type)
{
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

bool IsRadioType(DWORD type)
{
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// An automatic radio button clears the other automatic radio buttons of its
// group (from the sibling with WS_GROUP up to the next one) when it is checked.
void ClearGroup(HWND button)
{
    HWND first = button;
    while (!(GetWindowLongPtrW(first, GWL_STYLE) & WS_GROUP)) {
        HWND prev = GetWindow(first, GW_HWNDPREV);
        if (!prev)
            break;
        first = prev;
    }
    for (HWND other = first; other; other = GetWindow(other, GW_HWNDNEXT)) {
        if (other != first && (GetWindowLongPtrW(other, GWL_STYLE) & WS_GROUP))
            break;
        if (other != button && Type(other) == BS_AUTORADIOBUTTON)
            SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void Click(HWND hwnd, ButtonState* state)
{
    DWORD type = Type(hwnd);
    if (type == BS_AUTOCHECKBOX) {
        SendMessageW(hwnd, BM_SETCHECK, state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    } else if (type == BS_AUTO3STATE) {
        SendMessageW(hwnd, BM_SETCHECK, (state->check + 1) % 3, 0);
    } else if (type == BS_AUTORADIOBUTTON) {
        SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
        ClearGroup(hwnd);
    }
    NotifyParent(hwnd, BN_CLICKED);
}

ButtonLook LookOf(const ButtonState& state)
{
    return {state.check, state.pushed, state.focused, state.image, state.imageType, state.font};
}

// An owner-drawn button is drawn at once when its pushed or focus state
// changes, with the action that says what changed; others repaint.
void StateChanged(HWND hwnd, const ButtonState& state, UINT action)
{
    DWORD type = Type(hwnd);
    if (type != BS_OWNERDRAW) {
        // A check box or radio paints on its parent's brush, which may be
        // hollow over a picture: what it showed (the focus rectangle) goes
        // only when the parent paints again under it.
        HWND parent = GetParent(hwnd);
        bool box = type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON
            && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_PUSHLIKE);
        if (box && parent && IsWindowVisible(hwnd)) {
            RECT rect;
            GetWindowRect(hwnd, &rect);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
            RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        } else {
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return;
    }
    if (!IsWindowVisible(hwnd))
        return;
    HDC dc = GetDC(hwnd);
    DrawOwnerButton(hwnd, dc, LookOf(state), action);
    ReleaseDC(hwnd, dc);
}

void SetPushed(HWND hwnd, ButtonState* state, bool pushed)
{
    if (state->pushed != pushed) {
        state->pushed = pushed;
        StateChanged(hwnd, *state, ODA_SELECT);
    }
}

bool Inside(HWND hwnd, LPARAM lParam)
{
    RECT client;
    GetClientRect(hwnd, &client);
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, point);
}

} // namespace

LRESULT ButtonWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = TrackState<ButtonState>(hwnd, msg);
    if (!state)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT common;
    auto paint = [&](HDC dc) { PaintButton(hwnd, dc, LookOf(*state)); };
    if (CommonControlMessage(hwnd, msg, wParam, lParam, state->font, paint, &common))
        return common;
    DWORD type = Type(hwnd);
    switch (msg) {
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        // An owner-drawn button is no push button to the dialog manager:
        // Enter with it focused gives the dialog's default button.
        if (type == BS_PUSHBUTTON)
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (IsRadioType(type))
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON;
    case BM_GETCHECK:
        return IsCheckType(type) || IsRadioType(type) ? static_cast<LRESULT>(state->check) : 0;
    case BM_SETCHECK:
        if (IsCheckType(type) || IsRadioType(type)) {
            WPARAM check = wParam;
            if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE)
                check = BST_CHECKED;
            if (state->check != check) {
                state->check = check;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
        }
        return 0;
    case BM_GETSTATE:
        return static_cast<LRESULT>(state->check) | (state->pushed ? BST_PUSHED : 0)
            | (state->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        SetPushed(hwnd, state, wParam != 0);
        return 0;
    case BM_SETSTYLE: {
        LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(0xFFFF)) | (wParam & 0xFFFF));
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(hwnd) && type != BS_GROUPBOX)
            Click(hwnd, state);
        return 0;
    case BM_SETIMAGE: {
        HANDLE old = state->image;
        state->image = reinterpret_cast<HANDLE>(lParam);
        state->imageType = wParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE:
        return wParam == state->imageType ? reinterpret_cast<LRESULT>(state->image) : 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (type == BS_GROUPBOX)
            return 0;
        SetCapture(hwnd);
        state->tracking = true;
        SetFocus(hwnd);
        SetPushed(hwnd, state, true);
        return 0;
    case WM_MOUSEMOVE:
        if (state->tracking)
            SetPushed(hwnd, state, Inside(hwnd, lParam));
        return 0;
    case WM_LBUTTONUP:
        if (!state->tracking)
            return 0;
        state->tracking = false;
        ReleaseCapture();
        if (state->pushed) {
            SetPushed(hwnd, state, false);
            if (Inside(hwnd, lParam))
                Click(hwnd, state);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (state->tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            state->tracking = false;
            SetPushed(hwnd, state, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && type != BS_GROUPBOX) {
            SetPushed(hwnd, state, true);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_KEYUP:
        if (wParam == VK_SPACE && state->pushed) {
            SetPushed(hwnd, state, false);
            Click(hwnd, state);
        }
        return 0;
    case WM_SETFOCUS:
        state->focused = true;
        StateChanged(hwnd, *state, ODA_FOCUS);
        if (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_NOTIFY)
            NotifyParent(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        state->focused = false;
        StateChanged(hwnd, *state, ODA_FOCUS);
        SetPushed(hwnd, state, false);
        if (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_NOTIFY)
            NotifyParent(hwnd, BN_KILLFOCUS);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_NCHITTEST:
        return type == BS_GROUPBOX ? HTTRANSPARENT : HTCLIENT;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail

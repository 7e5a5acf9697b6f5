// The Edit class: text, caret, selection, typing, limits and EN_CHANGE; the
// lines of a multi-line edit are in EditMultiLine.cpp.
#include "ControlPaint.h"
#include "ControlState.h"
#include "EditMultiLine.h"
#include "EditPaint.h"
#include "WindowData.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "win32/WideString.h"

#include <algorithm>

namespace user::detail {

namespace {

constexpr std::size_t kDefaultLimit = 30000;

struct EditState {
    std::size_t anchor = 0; // where the selection started
    std::size_t caret = 0;  // where it ends; the caret stands here
    std::size_t limit = kDefaultLimit;
    int scroll = 0;
    int topLine = 0;
    HFONT font = nullptr;
    bool focused = false;
    bool selecting = false; // the mouse drags a selection
    int wheelRest = 0;      // a multi-line edit's turn of the wheel short of a notch
    int widest = -1;        // a multi-line edit's widest line, -1 until measured
    HFONT widestFont = nullptr;
    // The scroll bars the edit was made with: they come and go with the
    // text, so the style alone does not remember them.
    DWORD bars = 0;
    bool barsKnown = false;
};

EditView ViewOf(const EditState& state)
{
    return {state.anchor,  state.caret,  state.scroll, state.topLine,
            state.font,    state.focused, state.widest, state.widestFont};
}

bool IsMultiLine(HWND hwnd);

// Takes the view's caret and scroll positions; a multi-line edit's scroll
// bars follow its first visible line and its scroll across.
void Keep(HWND hwnd, EditState* state, EditView view)
{
    if (IsMultiLine(hwnd))
        SyncScrollBars(hwnd, view, state->bars);
    state->caret = view.caret;
    state->scroll = view.scroll;
    state->topLine = view.topLine;
    state->widest = view.widest;
    state->widestFont = view.widestFont;
}

bool IsMultiLine(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_MULTILINE) != 0;
}

std::size_t PositionAt(HWND hwnd, const EditState& state, LPARAM lParam)
{
    if (IsMultiLine(hwnd))
        return MultiLinePositionAt(hwnd, ViewOf(state), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return EditPositionAt(hwnd, ViewOf(state), GET_X_LPARAM(lParam));
}

std::u16string Text(HWND hwnd)
{
    return WindowText(hwnd);
}

void StoreText(HWND hwnd, const std::u16string& text)
{
    DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Replaces the selection with what was typed or pasted, within the limit.
bool ReplaceSelection(HWND hwnd, EditState* state, std::u16string insert)
{
    std::u16string text = Text(hwnd);
    std::size_t from = std::min(std::min(state->anchor, state->caret), text.size());
    std::size_t to = std::min(std::max(state->anchor, state->caret), text.size());
    std::size_t room = state->limit > text.size() - (to - from) ? state->limit - (text.size() - (to - from)) : 0;
    bool cut = insert.size() > room;
    if (cut)
        insert.resize(room);
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    for (auto& c : insert) {
        if (style & ES_UPPERCASE)
            c = CharUpperChar(c);
        else if (style & ES_LOWERCASE)
            c = CharLowerChar(c);
    }
    text.replace(from, to - from, insert);
    state->anchor = state->caret = from + insert.size();
    state->widest = -1; // measured again
    StoreText(hwnd, text);
    // A multi-line edit follows the caret as it types, and its bars the text.
    if (IsMultiLine(hwnd)) {
        EditView view = ViewOf(*state);
        ScrollCaretIntoView(hwnd, view);
        Keep(hwnd, state, view);
    }
    NotifyParent(hwnd, EN_CHANGE);
    if (cut)
        NotifyParent(hwnd, EN_MAXTEXT);
    return !cut;
}

void MoveCaret(HWND hwnd, EditState* state, std::size_t to, bool extend)
{
    state->caret = std::min(to, Text(hwnd).size());
    if (!extend)
        state->anchor = state->caret;
    if (IsMultiLine(hwnd)) {
        EditView view = ViewOf(*state);
        ScrollCaretIntoView(hwnd, view);
        Keep(hwnd, state, view);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

} // namespace

LRESULT EditWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = TrackState<EditState>(hwnd, msg);
    if (!state)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (!state->barsKnown) {
        state->bars = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & (WS_VSCROLL | WS_HSCROLL);
        state->barsKnown = true;
    }
    LRESULT common;
    auto paint = [&](HDC dc) {
        EditView view = ViewOf(*state);
        if (IsMultiLine(hwnd)) {
            PaintMultiLineEdit(hwnd, dc, view);
            state->topLine = view.topLine;
            state->widest = view.widest;
            state->widestFont = view.widestFont;
        } else {
            PaintEdit(hwnd, dc, view);
        }
        state->scroll = view.scroll;
    };
    if (CommonControlMessage(hwnd, msg, wParam, lParam, state->font, paint, &common)) {
        // Another font measures the lines anew.
        if (msg == WM_SETFONT && IsMultiLine(hwnd))
            Keep(hwnd, state, ViewOf(*state));
        return common;
    }
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    bool readOnly = (style & ES_READONLY) != 0;
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        state->anchor = state->caret = 0;
        state->scroll = 0;
        state->topLine = 0;
        state->widest = -1;
        if (IsMultiLine(hwnd))
            Keep(hwnd, state, ViewOf(*state));
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, EN_CHANGE);
        return result;
    }
    case EM_GETSEL: {
        auto from = static_cast<DWORD>(std::min(state->anchor, state->caret));
        auto to = static_cast<DWORD>(std::max(state->anchor, state->caret));
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = from;
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = to;
        return MAKELPARAM(static_cast<WORD>(from), static_cast<WORD>(to));
    }
    case EM_SETSEL: {
        std::size_t length = Text(hwnd).size();
        auto at = [length](LPARAM v) {
            return v < 0 ? length : std::min(static_cast<std::size_t>(v), length);
        };
        if (static_cast<LONG_PTR>(wParam) == -1) {
            state->anchor = state->caret; // no selection
        } else {
            state->anchor = at(static_cast<LPARAM>(wParam));
            state->caret = at(lParam);
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case EM_REPLACESEL:
        ReplaceSelection(hwnd, state, reinterpret_cast<LPCWSTR>(lParam));
        return 0;
    case EM_LIMITTEXT:
        state->limit = wParam ? static_cast<std::size_t>(wParam) : 0x7FFFFFFE;
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(state->limit);
    case EM_GETLINECOUNT:
        return static_cast<LRESULT>(IsMultiLine(hwnd) ? LineStarts(Text(hwnd)).size() : 1);
    case EM_GETFIRSTVISIBLELINE:
        return IsMultiLine(hwnd) ? state->topLine : 0;
    case EM_LINESCROLL:
    case WM_VSCROLL: {
        if (!IsMultiLine(hwnd))
            return FALSE;
        EditView view = ViewOf(*state);
        if (msg == EM_LINESCROLL)
            ScrollLines(hwnd, view, static_cast<long>(lParam));
        else
            ScrollBy(hwnd, view, LOWORD(wParam), HIWORD(wParam));
        Keep(hwnd, state, view);
        InvalidateRect(hwnd, nullptr, FALSE);
        return msg == EM_LINESCROLL ? TRUE : 0;
    }
    case WM_HSCROLL: {
        if (!IsMultiLine(hwnd))
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        EditView view = ViewOf(*state);
        ScrollAcross(hwnd, view, LOWORD(wParam), HIWORD(wParam));
        Keep(hwnd, state, view);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_SIZE:
        // The bars' pages follow the client area.
        if (IsMultiLine(hwnd))
            Keep(hwnd, state, ViewOf(*state));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_MOUSEWHEEL: {
        if (!IsMultiLine(hwnd))
            return DefWindowProcW(hwnd, msg, wParam, lParam); // on up to the parent
        // The lines the system asks for a notch; turns of less than a notch
        // add up until they make one.
        UINT lines = 3;
        SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        state->wheelRest += static_cast<short>(HIWORD(wParam));
        const int notches = state->wheelRest / WHEEL_DELTA;
        state->wheelRest -= notches * WHEEL_DELTA;
        if (notches) {
            EditView view = ViewOf(*state);
            ScrollLines(hwnd, view, -static_cast<long>(notches) * static_cast<long>(lines));
            Keep(hwnd, state, view);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case EM_SETREADONLY: {
        LONG_PTR s = GetWindowLongPtrW(hwnd, GWL_STYLE);
        SetWindowLongPtrW(hwnd, GWL_STYLE, wParam ? (s | ES_READONLY) : (s & ~static_cast<LONG_PTR>(ES_READONLY)));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case WM_CHAR: {
        if (readOnly)
            return 0;
        WCHAR c = static_cast<WCHAR>(wParam);
        if (c == u'\b') {
            if (state->anchor == state->caret && state->caret > 0)
                state->anchor = state->caret - 1;
            if (state->anchor != state->caret)
                ReplaceSelection(hwnd, state, u"");
            return 0;
        }
        if (c < 0x20)
            return 0;
        if ((style & ES_NUMBER) && (c < u'0' || c > u'9'))
            return 0;
        ReplaceSelection(hwnd, state, std::u16string(1, c));
        return 0;
    }
    case WM_KEYDOWN: {
        bool shift = GetKeyState(static_cast<int>(VK_SHIFT)) < 0;
        std::size_t length = Text(hwnd).size();
        if (IsMultiLine(hwnd)) {
            EditView view = ViewOf(*state);
            if (MultiLineKey(hwnd, view, wParam, GetKeyState(static_cast<int>(VK_CONTROL)) < 0)) {
                Keep(hwnd, state, view);
                if (!shift)
                    state->anchor = state->caret;
                InvalidateRect(hwnd, nullptr, FALSE);
                return 0;
            }
        }
        switch (wParam) {
        case VK_LEFT:
            MoveCaret(hwnd, state, state->caret ? state->caret - 1 : 0, shift);
            return 0;
        case VK_RIGHT:
            MoveCaret(hwnd, state, state->caret + 1, shift);
            return 0;
        case VK_HOME:
            MoveCaret(hwnd, state, 0, shift);
            return 0;
        case VK_END:
            MoveCaret(hwnd, state, length, shift);
            return 0;
        case VK_DELETE:
            if (readOnly)
                return 0;
            if (state->anchor == state->caret && state->caret < length)
                state->anchor = state->caret + 1;
            if (state->anchor != state->caret)
                ReplaceSelection(hwnd, state, u"");
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
    }
    case WM_LBUTTONDOWN: {
        // The caret goes where the click is; a drag selects.
        SetFocus(hwnd);
        std::size_t at = PositionAt(hwnd, *state, lParam);
        MoveCaret(hwnd, state, at, GetKeyState(static_cast<int>(VK_SHIFT)) < 0);
        state->selecting = true;
        SetCapture(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (state->selecting)
            MoveCaret(hwnd, state, PositionAt(hwnd, *state, lParam), true);
        return 0;
    case WM_LBUTTONUP:
        if (state->selecting) {
            state->selecting = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        state->selecting = false;
        return 0;
    case WM_SETFOCUS:
        state->focused = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        NotifyParent(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        state->focused = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        NotifyParent(hwnd, EN_KILLFOCUS);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail

// The dialog manager's mnemonics, as the dialog keyboard interface has them:
// a push button is clicked; a check box or radio button takes the focus and
// is clicked; a static text or group box gives the focus to the next control
// in tab order. When several controls share the letter, each press moves
// the focus on to the next of them and clicks nothing.
#include "DialogMnemonics.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Messages.h"
#include "user/Window.h"
#include "win32/WideString.h"

#include <vector>

namespace user::detail {

namespace {

std::vector<HWND> Controls(HWND dialog)
{
    std::vector<HWND> out;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        out.push_back(child);
    return out;
}

LRESULT DialogCode(HWND hwnd)
{
    return SendMessageW(hwnd, WM_GETDLGCODE, 0, 0);
}

bool Usable(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) && IsWindowEnabled(hwnd);
}

std::u16string TextOf(HWND hwnd)
{
    int length = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

// The letter the control answers to: statics with SS_NOPREFIX show their
// ampersands and have none; picture statics have no text to underline.
WCHAR ControlMnemonic(HWND hwnd, LRESULT code)
{
    WCHAR className[32] = {};
    GetClassNameW(hwnd, className, 32);
    if ((code & DLGC_STATIC) && EqualsNoCase(className, WC_STATIC)) {
        DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
        DWORD type = style & SS_TYPEMASK;
        if ((style & SS_NOPREFIX) || type == SS_ICON || type == SS_BITMAP)
            return 0;
    }
    return MnemonicOf(TextOf(hwnd));
}

void Focus(HWND control)
{
    if (DialogCode(control) & DLGC_HASSETSEL)
        SendMessageW(control, EM_SETSEL, 0, -1);
    SetFocus(control);
}

} // namespace

WCHAR MnemonicOf(const std::u16string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return CharUpperChar(text[i + 1]);
        ++i; // "&&" is an ampersand
    }
    return 0;
}

bool HandleDialogMnemonic(HWND dialog, const MSG& msg)
{
    const WCHAR letter = CharUpperChar(static_cast<WCHAR>(msg.wParam));
    if (letter <= u' ')
        return false;
    if (msg.message == WM_CHAR) {
        // The focused control may take the letter as text.
        LRESULT focusCode = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
        if (focusCode & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))
            return false;
    }
    // The search starts after the focused control and goes round once.
    auto controls = Controls(dialog);
    HWND focus = GetFocus();
    std::size_t start = 0;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] == focus || IsChild(controls[i], focus))
            start = i + 1;
    }
    std::vector<std::pair<HWND, LRESULT>> matches;
    for (std::size_t step = 0; step < controls.size(); ++step) {
        HWND control = controls[(start + step) % controls.size()];
        LRESULT code = DialogCode(control);
        if (!(GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE))
            continue;
        // A disabled static still names the control after it; other disabled controls take nothing.
        if (!(code & DLGC_STATIC) && !IsWindowEnabled(control))
            continue;
        if (ControlMnemonic(control, code) == letter)
            matches.emplace_back(control, code);
    }
    if (matches.empty())
        return false;
    auto [control, code] = matches.front();
    if (code & DLGC_STATIC) {
        HWND next = GetNextDlgTabItem(dialog, control, FALSE);
        if (next && next != control && Usable(next))
            Focus(next);
        return true;
    }
    if (matches.size() > 1) {
        Focus(control);
        return true;
    }
    if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
        SendMessageW(control, BM_CLICK, 0, 0);
        return true;
    }
    Focus(control);
    if (code & DLGC_BUTTON)
        SendMessageW(control, BM_CLICK, 0, 0);
    return true;
}

} // namespace user::detail

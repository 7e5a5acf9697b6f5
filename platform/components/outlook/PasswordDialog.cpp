#include "PasswordDialog.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Messages.h"

namespace outlook {

namespace {

constexpr int kPromptId = 1002;
constexpr int kMaxPasswordChars = 15; // what Outlook lets a PST password hold

struct Question {
    std::u16string prompt;
    std::u16string password;
};

user::DialogControl Control(const char16_t* className, const char16_t* text, int id, DWORD style, short x, short y,
                            short cx, short cy)
{
    user::DialogControl control;
    control.className = className;
    control.text = text;
    control.id = id;
    control.style = WS_CHILD | WS_VISIBLE | style;
    control.x = x;
    control.y = y;
    control.cx = cx;
    control.cy = cy;
    return control;
}

user::DialogTemplate PasswordTemplate()
{
    user::DialogTemplate dialog;
    dialog.caption = kPasswordDialogCaption;
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
    dialog.cx = 220;
    dialog.cy = 74;
    dialog.controls = {
        Control(u"Static", u"", kPromptId, SS_LEFT, 7, 7, 206, 18),
        Control(u"Static", u"Password:", -1, SS_LEFT, 7, 31, 40, 8),
        Control(u"Edit", u"", kPasswordEditId, ES_LEFT | ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 50, 29,
                163, 12),
        Control(u"Button", u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 53, 50, 14),
        Control(u"Button", u"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 163, 53, 50, 14),
    };
    return dialog;
}

INT_PTR PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* question = reinterpret_cast<Question*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        question = reinterpret_cast<Question*>(lParam);
        SetDlgItemTextW(dialog, kPromptId, question->prompt.c_str());
        SendDlgItemMessageW(dialog, kPasswordEditId, EM_LIMITTEXT, kMaxPasswordChars, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            WCHAR text[kMaxPasswordChars + 1] = {};
            GetDlgItemTextW(dialog, kPasswordEditId, text, kMaxPasswordChars + 1);
            question->password = text;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

std::optional<std::u16string> AskStorePassword(std::u16string_view windowsPath)
{
    Question question;
    question.prompt = u"Type the password for the Outlook data file " + std::u16string(windowsPath) + u".";
    const user::DialogTemplate dialog = PasswordTemplate();
    // No owner: the caller's windows may be disabled by a modal loop of their
    // own, which the end of this dialog must not enable again.
    const INT_PTR answer =
        DialogBoxIndirectParamW(nullptr, dialog, nullptr, PasswordProc, reinterpret_cast<LPARAM>(&question));
    if (answer != IDOK)
        return std::nullopt;
    return question.password;
}

} // namespace outlook

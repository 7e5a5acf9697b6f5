// Dialog boxes: creation from templates, the dialog window's default
// handling, the modal loop and the dialog manager's keyboard.
#include "DialogMnemonics.h"
#include "WindowData.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Hooks.h"
#include "user/Menu.h"
#include "user/Messages.h"
#include "win32/WideString.h"

#include <unordered_map>

using namespace user::detail;

namespace {

struct DialogInfo {
    INT_PTR result = 0;
    bool ended = false;
    int defaultId = 0;
    HFONT font = nullptr; // made from the template, owned by the dialog
    HWND savedFocus = nullptr; // the control that had the focus when the dialog was deactivated
};

std::mutex g_dialogMutex;
std::unordered_map<HWND, DialogInfo> g_dialogs;

DialogInfo* InfoOf(HWND dialog)
{
    auto it = g_dialogs.find(dialog);
    return it == g_dialogs.end() ? nullptr : &it->second;
}

int MulDivRound(int value, int numerator, int denominator)
{
    long long product = static_cast<long long>(value) * numerator;
    return static_cast<int>(product >= 0 ? (product + denominator / 2) / denominator
                                         : (product - denominator / 2) / denominator);
}

// The font the template names, at 96 dots per inch.
HFONT TemplateFont(const user::DialogTemplate& tmpl)
{
    LOGFONTW font = {};
    font.lfHeight = -MulDiv(tmpl.fontSize, 96, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, tmpl.fontFace.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

DLGPROC ProcOf(HWND dialog)
{
    return reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC));
}

// A control's own visible style counts, not its dialog's: focus is settled
// before a dialog is shown.
bool IsUsable(HWND hwnd)
{
    return hwnd && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) && IsWindowEnabled(hwnd);
}

LRESULT DialogCode(HWND hwnd, const MSG* msg)
{
    return SendMessageW(hwnd, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg));
}

bool IsPushButton(HWND hwnd)
{
    return (DialogCode(hwnd, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// Focus moves to a control; an edit control then has all its text selected.
void FocusControl(HWND control)
{
    if (!control)
        return;
    if (DialogCode(control, nullptr) & DLGC_HASSETSEL)
        SendMessageW(control, EM_SETSEL, 0, -1);
    SetFocus(control);
}

int DefaultId(HWND dialog)
{
    LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(static_cast<UINT_PTR>(def)) == DC_HASDEFID ? LOWORD(static_cast<UINT_PTR>(def)) : IDOK;
}

// Enter presses the focused push button, else the dialog's default one.
void PressEnter(HWND dialog)
{
    HWND focus = GetFocus();
    int id = focus && IsChild(dialog, focus) && IsPushButton(focus) ? GetDlgCtrlID(focus) : DefaultId(dialog);
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button))
        return;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PressEscape(HWND dialog)
{
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (cancel && !IsWindowEnabled(cancel))
        return;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
}

} // namespace

namespace user::detail {

LRESULT DialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY) {
        if (DLGPROC proc = ProcOf(hwnd))
            proc(hwnd, msg, wParam, lParam);
        HFONT font = nullptr;
        {
            std::lock_guard lock(g_dialogMutex);
            if (DialogInfo* info = InfoOf(hwnd))
                font = info->font;
            g_dialogs.erase(hwnd);
        }
        if (font)
            DeleteObject(font);
        return 0;
    }
    if (DLGPROC proc = ProcOf(hwnd)) {
        INT_PTR handled = proc(hwnd, msg, wParam, lParam);
        if (handled) {
            // These messages return the procedure's own result; the others
            // the one it left in DWLP_MSGRESULT.
            if (msg == WM_INITDIALOG || msg == WM_QUERYDRAGICON || IsControlColorMessage(msg))
                return handled;
            return GetWindowLongPtrW(hwnd, DWLP_MSGRESULT);
        }
    }
    return DefDlgProcW(hwnd, msg, wParam, lParam);
}

} // namespace user::detail

LRESULT DefDlgProcW(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        PressEscape(dialog);
        return 0;
    case DM_GETDEFID: {
        std::lock_guard lock(g_dialogMutex);
        DialogInfo* info = InfoOf(dialog);
        if (!info || !info->defaultId)
            return 0;
        return MAKELPARAM(static_cast<WORD>(info->defaultId), DC_HASDEFID);
    }
    case DM_SETDEFID: {
        std::lock_guard lock(g_dialogMutex);
        if (DialogInfo* info = InfoOf(dialog))
            info->defaultId = static_cast<int>(wParam);
        return TRUE;
    }
    case WM_NEXTDLGCTL: {
        HWND target = lParam ? reinterpret_cast<HWND>(wParam)
                             : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
        FocusControl(target);
        return 0;
    }
    case WM_SETFOCUS: {
        HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        if (first)
            FocusControl(first);
        return 0;
    }
    case WM_ACTIVATE: {
        // The focus leaves with the activation and comes back to where it was.
        std::unique_lock lock(g_dialogMutex);
        DialogInfo* info = InfoOf(dialog);
        if (!info)
            return 0;
        // A dialog made while this one was active may have taken the focus
        // already: then the control that had it last is the one to keep.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            info->savedFocus = focus && IsChild(dialog, focus) ? focus : LastFocusOf(dialog);
            return 0;
        }
        HWND saved = info->savedFocus;
        lock.unlock();
        HWND focus = GetFocus();
        if (!saved || !IsWindow(saved) || !IsChild(dialog, saved))
            saved = LastFocusOf(dialog);
        if (saved && saved != dialog && IsChild(dialog, saved) && focus != saved)
            SetFocus(saved);
        else if (!focus || (focus != dialog && !IsChild(dialog, focus)))
            FocusControl(GetNextDlgTabItem(dialog, nullptr, FALSE));
        return 0;
    }
    case WM_ERASEBKGND: {
        // The dialog's background is the brush its WM_CTLCOLORDLG gives.
        HDC dc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
        if (!brush)
            brush = GetSysColorBrush(COLOR_3DFACE);
        RECT client;
        GetClientRect(dialog, &client);
        FillRect(dc, &client, brush);
        return 1;
    }
    case WM_GETFONT: {
        std::lock_guard lock(g_dialogMutex);
        DialogInfo* info = InfoOf(dialog);
        return info ? reinterpret_cast<LRESULT>(info->font) : 0;
    }
    case WM_GETDLGCODE:
        return 0;
    default:
        return DefWindowProcW(dialog, msg, wParam, lParam);
    }
}

BOOL MapDialogRect(HWND, LPRECT rect)
{
    if (!rect)
        return FALSE;
    rect->left = MulDivRound(rect->left, kDialogBaseUnitX, 4);
    rect->right = MulDivRound(rect->right, kDialogBaseUnitX, 4);
    rect->top = MulDivRound(rect->top, kDialogBaseUnitY, 8);
    rect->bottom = MulDivRound(rect->bottom, kDialogBaseUnitY, 8);
    return TRUE;
}

HWND CreateDialogIndirectParamW(HINSTANCE instance, const user::DialogTemplate& tmpl, HWND owner, DLGPROC proc,
                                LPARAM param)
{
    EnsureSystemClasses();
    RECT client = {tmpl.x, tmpl.y, tmpl.x + tmpl.cx, tmpl.y + tmpl.cy};
    MapDialogRect(nullptr, &client);
    DWORD style = tmpl.style & ~WS_VISIBLE;
    DWORD exStyle = tmpl.exStyle | ((tmpl.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    // The menu bar belongs to the window from the start, so its height is part of the frame.
    HMENU menu = tmpl.menuId && !(tmpl.style & WS_CHILD) ? LoadMenuW(instance, MAKEINTRESOURCEW(tmpl.menuId)) : nullptr;
    RECT inset = NonClientInsets(style, exStyle, menu != nullptr);
    int width = client.right - client.left + inset.left + inset.right;
    int height = client.bottom - client.top + inset.top + inset.bottom;
    POINT origin = {client.left, client.top};
    if (tmpl.style & DS_CENTER) {
        origin = {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
    } else if (owner && !(tmpl.style & WS_CHILD)) {
        ClientToScreen(owner, &origin); // a dialog's place is taken in its owner's client area
    }
    HWND dialog = CreateWindowExW(exStyle, WC_DIALOG, tmpl.caption.c_str(), style, origin.x, origin.y, width, height,
                                  owner, menu, instance, nullptr);
    if (!dialog) {
        if (menu)
            DestroyMenu(menu);
        return nullptr;
    }
    HFONT font = TemplateFont(tmpl);
    {
        std::lock_guard lock(g_dialogMutex);
        g_dialogs[dialog] = {};
        g_dialogs[dialog].font = font;
    }
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));

    for (const auto& control : tmpl.controls) {
        RECT rect = {control.x, control.y, control.x + control.cx, control.y + control.cy};
        MapDialogRect(dialog, &rect);
        // Dialogs have the three-dimensional look: a control's border is a sunken client edge.
        DWORD controlStyle = control.style | WS_CHILD;
        DWORD controlExStyle = control.exStyle | WS_EX_NOPARENTNOTIFY;
        if (controlStyle & WS_BORDER) {
            controlStyle &= ~WS_BORDER;
            controlExStyle |= WS_EX_CLIENTEDGE;
        }
        HWND child = CreateWindowExW(controlExStyle, control.className.c_str(),
                                     control.text.c_str(), controlStyle, rect.left, rect.top,
                                     rect.right - rect.left, rect.bottom - rect.top, dialog,
                                     reinterpret_cast<HMENU>(static_cast<std::intptr_t>(control.id)), instance,
                                     nullptr);
        if (!child) {
            // A template whose control cannot be made makes no dialog.
            DestroyWindow(dialog);
            return nullptr;
        }
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if ((control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && EqualsNoCase(control.className, WC_BUTTON)) {
            std::lock_guard lock(g_dialogMutex);
            if (DialogInfo* info = InfoOf(dialog); info && !info->defaultId)
                info->defaultId = control.id;
        }
    }

    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(dialog))
        FocusControl(GetNextDlgTabItem(dialog, nullptr, FALSE));
    if (!IsWindow(dialog))
        return nullptr;
    if (tmpl.style & WS_VISIBLE)
        ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

HWND CreateDialogParamW(HINSTANCE instance, int templateId, HWND owner, DLGPROC proc, LPARAM param)
{
    const user::DialogTemplate* tmpl = user::FindDialogTemplate(instance, templateId);
    if (!tmpl) {
        SetLastError(1814); // ERROR_RESOURCE_NAME_NOT_FOUND
        return nullptr;
    }
    return CreateDialogIndirectParamW(instance, *tmpl, owner, proc, param);
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const user::DialogTemplate& tmpl, HWND owner, DLGPROC proc,
                                LPARAM param)
{
    if (owner)
        owner = GetAncestor(owner, GA_ROOT);
    user::DialogTemplate hidden = tmpl;
    hidden.style &= ~WS_VISIBLE;
    HWND dialog = CreateDialogIndirectParamW(instance, hidden, owner, proc, param);
    if (!dialog)
        return -1;
    // The owner comes back and the dialog goes also when a terminated thread
    // unwinds out of the loop; nothing in here may throw again.
    struct Cleanup {
        HWND dialog;
        HWND owner;
        bool enableOwner;
        ~Cleanup()
        {
            win32::DeferSafePoints cleaningUp;
            if (enableOwner)
                EnableWindow(owner, TRUE);
            DestroyWindow(dialog);
        }
    } cleanup{dialog, owner, owner && IsWindowEnabled(owner)};
    if (cleanup.enableOwner)
        EnableWindow(owner, FALSE);
    INT_PTR result = 0;
    if (!user::DialogEnded(dialog, &result)) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        MSG msg;
        while (!user::DialogEnded(dialog, &result)) {
            if (!GetMessageW(&msg, nullptr, 0, 0)) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // the loops further out end too
                break;
            }
            if (CallMsgFilterW(&msg, MSGF_DIALOGBOX))
                continue;
            if (!IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    user::DialogEnded(dialog, &result);
    return result;
}

INT_PTR DialogBoxParamW(HINSTANCE instance, int templateId, HWND owner, DLGPROC proc, LPARAM param)
{
    const user::DialogTemplate* tmpl = user::FindDialogTemplate(instance, templateId);
    if (!tmpl) {
        SetLastError(1814);
        return -1;
    }
    return DialogBoxIndirectParamW(instance, *tmpl, owner, proc, param);
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    {
        std::lock_guard lock(g_dialogMutex);
        DialogInfo* info = InfoOf(dialog);
        if (!info)
            return FALSE;
        info->ended = true;
        info->result = result;
    }
    PostMessageW(dialog, WM_NULL, 0, 0); // wakes the modal loop
    return TRUE;
}

namespace user {

bool DialogEnded(HWND dialog, INT_PTR* result)
{
    std::lock_guard lock(g_dialogMutex);
    DialogInfo* info = InfoOf(dialog);
    if (!info)
        return true; // a destroyed dialog has ended
    if (info->ended && result)
        *result = info->result;
    return info->ended;
}

} // namespace user

BOOL IsDialogMessageW(HWND dialog, LPMSG msg)
{
    if (!msg || !msg->hwnd || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)))
        return FALSE;
    if (msg->message == WM_KEYDOWN) {
        LRESULT code = DialogCode(msg->hwnd, msg);
        if (!(code & DLGC_WANTALLKEYS)) {
            bool shift = GetKeyState(static_cast<int>(VK_SHIFT)) < 0;
            switch (msg->wParam) {
            case VK_TAB:
                if (code & DLGC_WANTTAB)
                    break;
                FocusControl(GetNextDlgTabItem(dialog, GetFocus(), shift));
                return TRUE;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN: {
                if (code & DLGC_WANTARROWS)
                    break;
                bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
                HWND next = GetNextDlgGroupItem(dialog, GetFocus(), back);
                if (next && next != GetFocus()) {
                    FocusControl(next);
                    if (DialogCode(next, nullptr) & DLGC_RADIOBUTTON)
                        SendMessageW(next, BM_CLICK, 0, 0);
                }
                return TRUE;
            }
            case VK_RETURN:
                PressEnter(dialog);
                return TRUE;
            case VK_ESCAPE:
                PressEscape(dialog);
                return TRUE;
            default:
                break;
            }
        }
    }
    if ((msg->message == WM_CHAR || msg->message == WM_SYSCHAR) && HandleDialogMnemonic(dialog, *msg))
        return TRUE;
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}

namespace {

std::vector<HWND> Controls(HWND dialog)
{
    std::vector<HWND> out;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        out.push_back(child);
    return out;
}

} // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    auto controls = Controls(dialog);
    if (controls.empty())
        return nullptr;
    auto n = static_cast<long>(controls.size());
    long start = -1;
    for (long i = 0; i < n; ++i) {
        if (controls[static_cast<std::size_t>(i)] == control)
            start = i;
    }
    if (start < 0)
        start = previous ? 0 : n - 1;
    for (long step = 1; step <= n; ++step) {
        long i = ((start + (previous ? -step : step)) % n + n) % n;
        HWND candidate = controls[static_cast<std::size_t>(i)];
        if (IsUsable(candidate) && (GetWindowLongPtrW(candidate, GWL_STYLE) & WS_TABSTOP))
            return candidate;
    }
    return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous)
{
    auto controls = Controls(dialog);
    auto it = std::find(controls.begin(), controls.end(), control);
    if (it == controls.end())
        return GetNextDlgTabItem(dialog, nullptr, FALSE);
    // The group runs from the control with WS_GROUP at or before this one up
    // to the next control with WS_GROUP.
    auto first = it;
    while (first != controls.begin() && !(GetWindowLongPtrW(*first, GWL_STYLE) & WS_GROUP))
        --first;
    auto last = it + 1;
    while (last != controls.end() && !(GetWindowLongPtrW(*last, GWL_STYLE) & WS_GROUP))
        ++last;
    std::vector<HWND> group(first, last);
    auto n = static_cast<long>(group.size());
    long at = static_cast<long>(std::find(group.begin(), group.end(), control) - group.begin());
    for (long step = 1; step < n; ++step) {
        long i = ((at + (previous ? -step : step)) % n + n) % n;
        if (IsUsable(group[static_cast<std::size_t>(i)]))
            return group[static_cast<std::size_t>(i)];
    }
    return control;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextW(control, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxChars)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        if (text && maxChars > 0)
            text[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(control, text, maxChars));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned)
{
    WCHAR text[16];
    if (isSigned)
        StringCchPrintfW(text, 16, u"%d", static_cast<int>(value));
    else
        StringCchPrintfW(text, 16, u"%u", value);
    return SetDlgItemTextW(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned)
{
    WCHAR text[32];
    GetDlgItemTextW(dialog, id, text, 32);
    std::u16string s = text;
    std::size_t i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    bool negative = isSigned && i < s.size() && s[i] == u'-';
    if (negative)
        ++i;
    long long value = 0;
    bool digits = false;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        value = value * 10 + (s[i] - u'0');
        digits = true;
        if (value > 0xFFFFFFFFLL)
            break;
    }
    bool ok = digits && i == s.size() && value <= (isSigned ? 0x7FFFFFFFLL + (negative ? 1 : 0) : 0xFFFFFFFFLL);
    if (translated)
        *translated = ok ? TRUE : FALSE;
    if (!ok)
        return 0;
    return static_cast<UINT>(negative ? -value : value);
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageW(control, msg, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return FALSE;
    SendMessageW(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id) {
        if (HWND control = GetDlgItem(dialog, id))
            SendMessageW(control, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

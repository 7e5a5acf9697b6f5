// Dialog boxes: templates, creation, the modal loop and the dialog manager's
// keyboard (Tab, Enter, Escape, arrows in radio groups).
#pragma once

#include "user/CommandIds.h"
#include "user/MessageQueue.h"
#include "user/Resources.h"
#include "user/Window.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Dialog styles
constexpr DWORD DS_ABSALIGN = 0x01;
constexpr DWORD DS_SYSMODAL = 0x02;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_SETFOREGROUND = 0x200;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;


constexpr UINT DM_GETDEFID = 0x0400;
constexpr UINT DM_SETDEFID = 0x0401;
constexpr UINT WM_NEXTDLGCTL = 0x0028;
constexpr WORD DC_HASDEFID = 0x534B;

// Base units of the dialog font "MS Shell Dlg" 8 at 96 dots per inch: a
// horizontal dialog unit is a quarter of the first, a vertical one an eighth
// of the second.
constexpr int kDialogBaseUnitX = 6;
constexpr int kDialogBaseUnitY = 13;
BOOL MapDialogRect(HWND dialog, LPRECT rect);

HWND CreateDialogIndirectParamW(HINSTANCE instance, const user::DialogTemplate& tmpl, HWND owner, DLGPROC proc,
                                LPARAM param);
HWND CreateDialogParamW(HINSTANCE instance, int templateId, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const user::DialogTemplate& tmpl, HWND owner, DLGPROC proc,
                                LPARAM param);
INT_PTR DialogBoxParamW(HINSTANCE instance, int templateId, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProcW(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxChars);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);

namespace user {
// Whether a modal dialog's run has been ended with EndDialog, and its result.
bool DialogEnded(HWND dialog, INT_PTR* result);
} // namespace user

// The common dialog for opening a file (GetOpenFileNameW), built from the
// standard controls: a tree of the machine's drives and folders with the
// files that the chosen filter lets through, a "File name:" box, one radio
// button per filter pair, Open and Cancel.
//
// Picking a file in the tree puts its name into the box; Open (or a double
// click on a file) takes the box's text: a folder's name opens that folder in
// the tree, any other text is the chosen file, relative to the folder
// selected in the tree unless it is a full path. Only OFN_PATHMUSTEXIST and
// OFN_FILEMUSTEXIST make Open check that something exists.
#pragma once

#include "user/Window.h"

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;        // pairs of texts, name then patterns ("*.a;*.b"), ended by an empty text
    LPWSTR lpstrCustomFilter;   // not kept
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;         // 1-based; the filter chosen when the dialog ends
    LPWSTR lpstrFile;           // in: a path to start from (or empty); out: the full path chosen
    DWORD nMaxFile;             // characters of lpstrFile
    LPWSTR lpstrFileTitle;      // out: the file's name and extension, when given
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;    // the folder the tree opens at
    LPCWSTR lpstrTitle;         // the caption; "Open" when null
    DWORD Flags;
    WORD nFileOffset;           // out: where the name starts in lpstrFile
    WORD nFileExtension;        // out: where the extension starts (the end when none)
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// CommDlgExtendedError codes.
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_NOTEMPLATE = 0x0003;
constexpr DWORD CDERR_NOHOOK = 0x000B;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// The controls of the dialog, for the automation interface; the radio
// button of filter n (from 0) has the id kOpenFileFirstFilterId + n.
constexpr int kOpenFileTreeId = 0x460;
constexpr int kOpenFileNameId = 0x480;
constexpr int kOpenFileFirstFilterId = 0x420;

// Runs the dialog modally, owned by hwndOwner. TRUE when the user chose a
// file. FALSE when the user cancelled (CommDlgExtendedError 0) or the result
// did not fit lpstrFile (FNERR_BUFFERTOOSMALL, the characters needed in
// lpstrFile's first WORD); a hook or a template of the caller is refused.
BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
DWORD CommDlgExtendedError();

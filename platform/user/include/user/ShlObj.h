// The shell's folder browser (SHBrowseForFolderW) and the item identifier
// lists that name what it returns.
//
// The namespace shown is this machine: "Computer" at the top, its drives
// below it, then folders (and files with BIF_BROWSEINCLUDEFILES). An item
// identifier list (PIDL) is a block from the task allocator, freed with
// CoTaskMemFree or ILFree; its contents are the shell's own: one identifier
// per path component (the drive "C:" first), the computer being the empty
// list.
//
// The dialog is built from the standard controls: the title, a status line
// (BIF_STATUSTEXT), the tree, a "Folder:" edit box (BIF_EDITBOX or
// BIF_USENEWUI), OK and Cancel. OK is grayed while the selection cannot be
// returned under the flags; no item of this namespace is a network computer
// or a printer, so BIF_BROWSEFORCOMPUTER and BIF_BROWSEFORPRINTER leave OK
// grayed unless the callback enables it.
#pragma once

#include "user/Messages.h"
#include "user/Window.h"

struct SHITEMID {
    WORD cb; // bytes of this identifier, cb included; 0 ends the list
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

using BFFCALLBACK = int (*)(HWND browser, UINT message, LPARAM parameter, LPARAM data);

struct BROWSEINFOW {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot; // the top of the tree; null for the computer
    LPWSTR pszDisplayName;      // MAX_PATH characters: the chosen item's name
    LPCWSTR lpszTitle;          // shown above the tree
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;              // handed to the callback
    int iImage;
};
using LPBROWSEINFOW = BROWSEINFOW*;

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
constexpr UINT BIF_STATUSTEXT = 0x0004;
constexpr UINT BIF_RETURNFSANCESTORS = 0x0008;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_VALIDATE = 0x0020;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;
constexpr UINT BIF_USENEWUI = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
constexpr UINT BIF_NONEWFOLDERBUTTON = 0x0200;
constexpr UINT BIF_BROWSEFORCOMPUTER = 0x1000;
constexpr UINT BIF_BROWSEFORPRINTER = 0x2000;
constexpr UINT BIF_BROWSEINCLUDEFILES = 0x4000;

// Messages to the callback.
constexpr UINT BFFM_INITIALIZED = 1;     // the dialog is ready, not yet shown
constexpr UINT BFFM_SELCHANGED = 2;      // parameter: the new selection's PIDL (the dialog's)
constexpr UINT BFFM_VALIDATEFAILEDA = 3; // never sent: the dialog is Unicode
constexpr UINT BFFM_VALIDATEFAILEDW = 4; // parameter: the text typed; nonzero keeps the dialog open
constexpr UINT BFFM_IUNKNOWN = 5;        // never sent: the dialog hosts no objects

// Messages to the dialog.
constexpr UINT BFFM_ENABLEOK = WM_USER + 101;       // lParam nonzero enables OK
constexpr UINT BFFM_SETSELECTIONW = WM_USER + 103;  // wParam TRUE: lParam a path, FALSE: a PIDL
constexpr UINT BFFM_SETSTATUSTEXTW = WM_USER + 104; // lParam the text
constexpr UINT BFFM_SETSELECTION = BFFM_SETSELECTIONW;
constexpr UINT BFFM_SETSTATUSTEXT = BFFM_SETSTATUSTEXTW;

// The controls of the browser, for the automation interface.
constexpr int kBrowseTitleId = 0x3742;
constexpr int kBrowseStatusId = 0x3743;
constexpr int kBrowseTreeId = 0x3741;
constexpr int kBrowseEditId = 0x3744;

// Runs the browser modally, owned by hwndOwner; the chosen item's PIDL (the
// caller frees it), or null when the user cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info);
// The file-system path of an item into a buffer of MAX_PATH characters;
// FALSE (and an empty buffer) for the computer or a path that does not fit.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path);
// A PIDL for a path of the machine; null for a malformed path.
PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path);
void ILFree(PIDLIST_ABSOLUTE pidl);

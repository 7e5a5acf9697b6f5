// The app-wide settings and the registry access through which all of them are
// read and written. The buffers hold MAX_PATH wide characters each.
#pragma once

#include "afx/String.h"
#include "win32/Registry.h"

extern WCHAR g_szAppTitle[MAX_PATH];
extern WCHAR g_szMsgCaption[MAX_PATH];
extern WCHAR g_szRegKey[MAX_PATH];
extern WCHAR g_szLogDir[MAX_PATH];
extern WCHAR g_szInstallDir[MAX_PATH];

extern CString g_strPstFolderName;
extern CString g_strPstDir;
extern CString g_strNsfPath;

// Title, settings key and caption, then the log folder from the registry.
void InitAppSettings();

// Reads a string value of root\subKey into out (MAX_PATH characters). out is
// empty when the key or value is missing, or when the value does not fit with
// its terminator. Returns the error of opening the key or of closing it;
// read, when given, tells whether a value was read, which an empty out
// cannot tell.
LONG ReadRegString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, WCHAR* out, bool* read = nullptr);

// Stores value as REG_SZ with its terminator under root\subKey, creating the
// key; failures are not reported.
void WriteRegString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPCWSTR value);

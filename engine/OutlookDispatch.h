// The calls of the Outlook object model that the run makes, by DISPID. A
// failing call throws the dispatch driver's exception; a driver that holds
// no object makes no call. Objects come back as references that the caller
// attaches to a driver of its own.
#pragma once

#include "afx/OleDispatchDriver.h"

#include <string>

// Application.GetNamespace (0x110).
LPDISPATCH OutlookApplication_GetNamespace(COleDispatchDriver& application, LPCWSTR type);
// Application.Quit (0x113).
void OutlookApplication_Quit(COleDispatchDriver& application);
// NameSpace.Logon (0x2105) with profile, password, dialog and new-session
// flag all left empty.
void OutlookNameSpace_Logon(COleDispatchDriver& nameSpace);
// NameSpace.AddStore (0x2119).
void OutlookNameSpace_AddStore(COleDispatchDriver& nameSpace, LPCWSTR pstPath);
// NameSpace.Folders (0x2103): the top-level folders, one per open store.
LPDISPATCH OutlookNameSpace_GetFolders(COleDispatchDriver& nameSpace);
// Folders.GetLast (0x58).
LPDISPATCH OutlookFolders_GetLast(COleDispatchDriver& folders);
// MAPIFolder.Name (0x3001).
std::u16string OutlookFolder_GetName(COleDispatchDriver& folder);

// The RDO library's calls that the contact and calendar conversions make, by
// DISPID. A failing call throws the dispatch driver's exception; a driver
// without an object makes no call and yields null. Objects come back as
// references that the caller attaches to a driver of its own.
#pragma once

#include "afx/OleDispatchDriver.h"

// Folders.Add kinds and Items.Add kinds.
constexpr LONG kRdoFolderCalendar = 9;
constexpr LONG kRdoFolderContacts = 10;
constexpr LONG kRdoItemAppointment = 1;
constexpr LONG kRdoItemContact = 2;

// Session.Logon (4) with its six arguments empty: the default profile.
void RdoSession_Logon(COleDispatchDriver& session);
// Session.GetFolderFromPath (0x60020016): "\\" and the store's root name
// give the root, each further "\" and name a subfolder.
LPDISPATCH RdoSession_GetFolderFromPath(COleDispatchDriver& session, LPCWSTR path);
// Folder property 0x12: the subfolder collection.
LPDISPATCH RdoObject_Get12(COleDispatchDriver& folder);
// Folders.Add (4): makes a subfolder of the kind; the new folder is let go.
void RdoFolders_Add(COleDispatchDriver& folders, LPCWSTR name, LONG kind);
// Folder.Items (0x11).
LPDISPATCH RdoFolder_GetItems(COleDispatchDriver& folder);
// Items.Add (4): a new, unsaved item of the kind.
LPDISPATCH RdoItems_Add(COleDispatchDriver& items, LONG kind);
// Item.Attachments (0x49).
LPDISPATCH RdoItem_GetAttachments(COleDispatchDriver& item);
// Attachments.Add (0x65) of a file, its three optional arguments left out.
void RdoAttachments_Add(COleDispatchDriver& attachments, LPCWSTR filePath);
// Item method 6: saves the item into its folder.
void RdoItem_Call6(COleDispatchDriver& item);
// Item property 0x41, put before or after a save.
void RdoItem_Put41(COleDispatchDriver& item, BOOL value);
// Folder method 6, called after an item's save.
void RdoObject_Method6(COleDispatchDriver& folder);

// The contact conversion's names for the same item calls.
inline void RdoMessage_Call6(COleDispatchDriver& item)
{
    RdoItem_Call6(item);
}
inline void RdoMessage_Put41(COleDispatchDriver& item, BOOL value)
{
    RdoItem_Put41(item, value);
}

// The Brenmoor component's methods, called by DISPID on the object that
// CProDlg::m_dispBrenmoor holds. Every result is discarded; a failing call
// throws the dispatch driver's exception; a driver without an object makes
// no call. Strings go by reference, as the component's methods take them.
#pragma once

#include "afx/OleDispatchDriver.h"

// 0x6003002A, first after creation: its failure means Outlook is not usable.
void Brenmoor_Call6003002A(COleDispatchDriver& brenmoor);
// 0x6003002B: opens the PST at the path in the default mail profile as a
// store whose root folder bears the folder name.
void Brenmoor_Call6003002B(COleDispatchDriver& brenmoor, BSTR* pstPath, BSTR* targetFolder);
// 0x6003002C: makes the folder at a store-rooted path.
void Brenmoor_Call6003002C(COleDispatchDriver& brenmoor, BSTR* folderPath);
// 0x6003002E: first call for each message, with its PST folder path.
void Brenmoor_Call6003002E(COleDispatchDriver& brenmoor, BSTR* folderPath);

// The ten parts of one mail message as 0x6003002D takes them, all by
// reference: strings but for the body kind.
struct BrenmoorMessageArgs {
    BSTR* folderPath;
    BSTR* subject;
    BSTR* to;
    BSTR* emlPath;
    BSTR* date;
    BSTR* attachments;
    BSTR* body;
    SHORT* bodyKind;
    BSTR* cc;
    BSTR* spare;
};
// 0x6003002D: writes the message into the folder of its first part.
void Brenmoor_Call6003002D(COleDispatchDriver& brenmoor, const BrenmoorMessageArgs& parts);
// 0x6003002F: third call for each message.
void Brenmoor_Call6003002F(COleDispatchDriver& brenmoor);

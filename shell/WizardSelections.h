// The choices of the wizard steps, each defined by the step that makes it:
// the body format and the backup lists by step 2 (CSourceDld.cpp), the
// target by step 4 (CTrgDlg.cpp), the ticked folders by step 3. The mode of
// step 1 lives with the main dialog; the PST folder name and the NSF path
// are string globals of the settings.
#pragma once

#include "StringList.h"
#include "win32/Types.h"

// The file of each backup copy and its destination, at the same places;
// filled by a step's Next just before the copier runs, empty otherwise.
extern StringNode* g_pBackupSrcList;
extern StringNode* g_pBackupDstList;

// The target PST, a new one or, with g_bUpdateExistingPst at 1, an existing one.
extern WCHAR g_szPstPath[MAX_PATH];
extern int g_bUpdateExistingPst;

// The ticked Notes folders, each "Lotus Notes\" and its path with a closing
// backslash, and their number.
extern StringNode* g_pSelFolderList;
extern int g_nSelFolderCount;
// The node of g_pSelFolderList that a walk on the GUI thread stands on.
extern const StringNode* g_pSelFolderCursor;

// How mail bodies are converted: 1 plain text ("Normal Recovery (TXT
// Format)"), 0 rich text exported as RTF ("Advance Recovery (RTF Format)").
extern int g_nMailBodyFormat;

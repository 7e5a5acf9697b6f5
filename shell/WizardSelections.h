// The choices of the wizard steps that the conversion run reads: the mail
// body format of step 2, the target of step 4 and the folders ticked in
// step 3. The mode of step 1 lives with
// the main dialog; the PST folder name and the NSF path are string globals
// of the settings.
#pragma once

#include "StringList.h"
#include "win32/Types.h"

// The target PST, a new one or, with g_bUpdateExistingPst at 1, an existing one.
extern WCHAR g_szPstPath[MAX_PATH];
extern int g_bUpdateExistingPst;

// The ticked Notes folders, each "Lotus Notes\" and its path with a closing
// backslash, and their number.
extern StringNode* g_pSelFolderList;
extern int g_nSelFolderCount;

// How mail bodies are converted: 1 plain text ("Normal Recovery (TXT
// Format)"), 0 rich text exported as RTF ("Advance Recovery (RTF Format)").
extern int g_nMailBodyFormat;

#include "WizardSelections.h"

WCHAR g_szPstPath[MAX_PATH];
int g_bUpdateExistingPst;
StringNode* g_pSelFolderList;
int g_nSelFolderCount;
int g_nMailBodyFormat;

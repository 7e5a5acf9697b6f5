#include "WizardSelections.h"

int g_nConvMode;
WCHAR g_szPstPath[MAX_PATH];
int g_bUpdateExistingPst;
StringNode* g_pSelFolderList;
int g_nSelFolderCount;

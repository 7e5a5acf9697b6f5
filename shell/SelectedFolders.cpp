#include "SelectedFolders.h"

StringNode* g_pSelFolderList = nullptr;
int g_nSelFolderCount = 0;

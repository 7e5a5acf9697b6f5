// Step 3's selections, until its own dialog defines them.
#include "WizardSelections.h"

StringNode* g_pSelFolderList;
int g_nSelFolderCount;

// The folders ticked in step 3, filled by its Next and read by the run.
#include "WizardSelections.h"

StringNode* g_pSelFolderList;
int g_nSelFolderCount;
const StringNode* g_pSelFolderCursor;

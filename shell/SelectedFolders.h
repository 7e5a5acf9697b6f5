// The Notes folders ticked in wizard step 3, as the mail conversion reads
// them: one node per ticked tree item, in tree order, each "Lotus Notes\"
// followed by the folder's name and a backslash ("Lotus Notes\Inbox\",
// "Lotus Notes\Projects\2005\"), at most 199 characters. Step 3's Next builds
// the list and its count; Back of step 3 and of step 4 free it.
#pragma once

#include "StringList.h"

extern StringNode* g_pSelFolderList;
extern int g_nSelFolderCount;

// Folder clean-up of the mail conversion.
#pragma once

#include "win32/Types.h"

// Deletes every file (not the subfolders) of the folder, whose path ends
// with a backslash; failures are ignored.
void DeleteFilesInFolder(const WCHAR* folder);

// What steps 2 and 4 share for a backup: the browser of the backup folder,
// and the copy of one file into it through the backup copier.
#pragma once

#include "afx/AfxWin.h"

// The shell's folder browser, without an owner, over every folder of the
// machine; false when the user cancelled or chose nothing with a path.
bool BrowseForBackupFolder(CString& folder);

// Copies the file to the destination with the copier's progress dialog,
// through the backup lists, which are empty again when it returns. The
// copier reports its own failures.
void RunBackupCopy(LPCWSTR source, LPCWSTR destination);

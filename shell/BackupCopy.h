// What steps 2 and 4 share for a backup: the browser of the backup folder,
// and the copy of one file into it through the backup copier.
#pragma once

#include "afx/AfxWin.h"

// The shell's folder browser, without an owner, over every folder of the
// machine; false when the user cancelled or chose nothing with a path.
bool BrowseForBackupFolder(CString& folder);

// Copies the file to the destination with the copier's progress dialog,
// through the backup lists, which are empty again when it returns. The
// copier reports its own failures. It is owned by the step that asks for
// it, so that the step waits for it as for any modal dialog: a Back or Next
// pressed meanwhile would run inside the Next that is still copying.
void RunBackupCopy(CWnd& step, LPCWSTR source, LPCWSTR destination);

// The worker threads of the conversion run: one thread procedure per
// conversion mode, each with the progress dialog as its argument.
#pragma once

#include "win32/Types.h"

// Mode 1, 2 and 3: run the mode's converter; when it returns (it does only
// when the run ends early), write the run's summary, clear g_pConvThread and
// have the dialog repaint, which hands over to the completion dialog.
UINT MailThreadProc(LPVOID pParam);
UINT ContactsThreadProc(LPVOID pParam);
UINT CalendarThreadProc(LPVOID pParam);

// The "Step 6 :" block of the activity log with the number of folders given
// and the two progress counters.
void WriteRunSummary(int foldersSelected);

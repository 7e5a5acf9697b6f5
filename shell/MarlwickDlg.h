// The main dialog, wizard step 1. Until the window system exists, it runs the
// start-up work of its opening (the pause of the splash window, the start of
// the activity log, the attachment folder) and ends at once.
#pragma once

#include "win32/Types.h"

class CMarlwickDlg {
public:
    int DoModal();

private:
    BOOL OnInitDialog();
};

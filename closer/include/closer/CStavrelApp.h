// CStavrelApp: the application object of Stavrel, the companion program that
// ends a running Outlook when a conversion run is over. It shows nothing,
// reads no command line, file or setting, and always exits with code 0.
#pragma once

#include "afx/WinApp.h"

class CStavrelApp : public CWinApp {
public:
    CStavrelApp() = default;

    // Terminates the first running "OUTLOOK.EXE" and ends the process with
    // code 0 through the runtime's exit, whatever the search found; it never
    // returns, so no message loop and no window ever come to be.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

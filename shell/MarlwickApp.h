// The application object: start-up of the wizard.
#pragma once

#include "afx/WinApp.h"

class CMarlwickApp : public CWinApp {
public:
    CMarlwickApp();

    // Settles the settings, runs the main dialog modally, and returns FALSE
    // so that the program ends when the main dialog does.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

#include "closer/CStavrelApp.h"

#include "afx/Ctl3d.h"
#include "closer/CProcessTerminator.h"
#include "win32/Process.h"

BOOL CStavrelApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();

    // The results are not looked at: a search that could not run and one
    // that found nothing end the same way. The terminator is left for the end
    // of the process to clean up.
    CProcessTerminator terminator;
    terminator.LoadHelperLibraries();
    terminator.TerminateProcessByName("OUTLOOK.EXE");

    win32::RuntimeExit(0);
}

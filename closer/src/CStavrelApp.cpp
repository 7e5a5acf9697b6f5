#include "closer/CStavrelApp.h"

#include "afx/Ctl3d.h"
#include "closer/CProcessTerminator.h"
#include "win32/Process.h"

// The help command of the framework's application; with no window it is
// never reached.
BEGIN_MESSAGE_MAP(CStavrelApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

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

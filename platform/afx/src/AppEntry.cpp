// The host's main of every program built on this library.
#include "afx/WinApp.h"
#include "win32/Process.h"

int main()
{
    // Returning from WinMain ends the process as ExitProcess does.
    win32::RuntimeExit(AfxWinMain());
}

// CProcessTerminator: finds a running process by the file name of its
// executable and terminates it. How it lists the processes is fixed when it
// is built, by the version of Windows: the PSAPI functions on Windows NT 4.0
// and older, the ToolHelp snapshot everywhere else. All names are narrow
// strings in the ANSI code page.
//
// Calling order: construct, LoadHelperLibraries, TerminateProcessByName,
// destroy. One search runs at a time in a process: the handles of a search
// are kept at file scope.
#pragma once

#include "win32/Types.h"

#include <string>

class CProcessTerminator {
public:
    CProcessTerminator();
    virtual ~CProcessTerminator();
    CProcessTerminator(const CProcessTerminator&) = delete;
    CProcessTerminator& operator=(const CProcessTerminator&) = delete;

    // Points for a derived class; nothing calls this one.
    virtual BOOL OnHookOneArg(DWORD value);
    // Called for every process entry a walk reports: on the ToolHelp path with
    // the executable's base name (each process once per walk, so twice), on
    // the PSAPI path with its full path. FALSE ends the search at once:
    // nothing further is compared or terminated.
    virtual BOOL OnProcessFound(LPCSTR processName, DWORD processId);
    // Points for a derived class; nothing calls this one.
    virtual BOOL OnHookThreeArgs(DWORD first, DWORD second, DWORD third);

    // Loads PSAPI.DLL and VDMDBG.DLL when the PSAPI path is used (both are
    // tried); FALSE when either is missing. Does nothing on the ToolHelp path.
    BOOL LoadHelperLibraries();

    // Terminates, with exit code 1, the first running process whose
    // executable is named `wantedName`, ignoring case, and does not wait for
    // it to end. FALSE when the chosen path cannot run (a library or a
    // function missing, no process list); TRUE when the search ran, whether
    // or not a process matched and whether or not it could be ended.
    BOOL TerminateProcessByName(std::string wantedName);

protected:
    BYTE m_bUsePsapi = 0;
    HMODULE m_hPsapi = nullptr;
    HMODULE m_hVdmDbg = nullptr;

private:
    BOOL TerminateByToolHelp(const std::string& wantedName);
    BOOL TerminateByPsapi(const std::string& wantedName);
};

#include "closer/CProcessTerminator.h"

#include "win32/AnsiCase.h"
#include "win32/FileApi.h"
#include "win32/Module.h"
#include "win32/ProcessControl.h"
#include "win32/Psapi.h"
#include "win32/ToolHelp.h"
#include "win32/Version.h"

#include <vector>

namespace {

// The rights of PROCESS_ALL_ACCESS as Windows NT 4.0 to XP define it; the
// larger mask of later headers is refused by those systems.
constexpr DWORD kFullAccess = 0x1F0FFF;
constexpr UINT kTerminatedExitCode = 1;
constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kMaxModules = 1024;

using CreateSnapshotFn = HANDLE (*)(DWORD, DWORD);
using ProcessWalkFn = BOOL (*)(HANDLE, LPPROCESSENTRY32);
using EnumProcessesFn = BOOL (*)(DWORD*, DWORD, LPDWORD);
using EnumProcessModulesFn = BOOL (*)(HANDLE, HMODULE*, DWORD, LPDWORD);
using ModuleNameFn = DWORD (*)(HANDLE, HMODULE, LPSTR, DWORD);

// The process being ended and, on the PSAPI path, the one being examined.
// Each holds at most one open handle.
HANDLE g_hTargetProcess = nullptr;
HANDLE g_hQueryProcess = nullptr;

void CloseSlot(HANDLE& slot)
{
    if (slot) {
        CloseHandle(slot);
        slot = nullptr;
    }
}

void ReplaceSlot(HANDLE& slot, HANDLE handle)
{
    CloseSlot(slot);
    slot = handle;
}

bool SameNameIgnoringCase(std::string a, std::string b)
{
    CharUpperBuffA(a.data(), static_cast<DWORD>(a.size()));
    CharUpperBuffA(b.data(), static_cast<DWORD>(b.size()));
    return a == b;
}

std::string AfterLastBackslash(const std::string& name)
{
    std::size_t slash = name.rfind('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

void TerminateById(DWORD processId)
{
    ReplaceSlot(g_hTargetProcess, OpenProcess(kFullAccess, FALSE, processId));
    if (g_hTargetProcess)
        TerminateProcess(g_hTargetProcess, kTerminatedExitCode);
}

template <typename Fn>
Fn Lookup(HMODULE module, LPCSTR name)
{
    return module ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
}

} // namespace

CProcessTerminator::CProcessTerminator()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (GetVersionExA(&version))
        m_bUsePsapi = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion <= 4 ? 1 : 0;
}

CProcessTerminator::~CProcessTerminator()
{
    if (m_bUsePsapi) {
        if (m_hVdmDbg)
            FreeLibrary(m_hVdmDbg);
        if (m_hPsapi)
            FreeLibrary(m_hPsapi);
    }
}

BOOL CProcessTerminator::OnHookOneArg(DWORD)
{
    return TRUE;
}

BOOL CProcessTerminator::OnProcessFound(LPCSTR, DWORD)
{
    return TRUE;
}

BOOL CProcessTerminator::OnHookThreeArgs(DWORD, DWORD, DWORD)
{
    return TRUE;
}

BOOL CProcessTerminator::LoadHelperLibraries()
{
    if (!m_bUsePsapi)
        return TRUE;
    m_hPsapi = LoadLibraryA("PSAPI.DLL");
    m_hVdmDbg = LoadLibraryA("VDMDBG.DLL");
    return m_hPsapi && m_hVdmDbg ? TRUE : FALSE;
}

BOOL CProcessTerminator::TerminateProcessByName(std::string wantedName)
{
    return m_bUsePsapi ? TerminateByPsapi(wantedName) : TerminateByToolHelp(wantedName);
}

BOOL CProcessTerminator::TerminateByToolHelp(const std::string& wantedName)
{
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    auto createSnapshot = Lookup<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    auto first = Lookup<ProcessWalkFn>(kernel, "Process32First");
    auto next = Lookup<ProcessWalkFn>(kernel, "Process32Next");
    if (!createSnapshot || !first || !next)
        return FALSE;

    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(PROCESSENTRY32);

    // The first walk only reports.
    HANDLE snapshot = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
            if (!OnProcessFound(entry.szExeFile, entry.th32ProcessID)) {
                CloseHandle(snapshot);
                return TRUE;
            }
        }
        CloseHandle(snapshot);
    }

    // The second walk reports and compares, but never its first entry.
    bool matched = false;
    DWORD matchedId = 0;
    snapshot = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        bool stopped = false;
        if (first(snapshot, &entry)) {
            stopped = !OnProcessFound(entry.szExeFile, entry.th32ProcessID);
            while (!stopped && next(snapshot, &entry)) {
                if (!OnProcessFound(entry.szExeFile, entry.th32ProcessID)) {
                    stopped = true;
                } else if (SameNameIgnoringCase(entry.szExeFile, wantedName)) {
                    matched = true;
                    matchedId = entry.th32ProcessID;
                    break;
                }
            }
        }
        CloseHandle(snapshot);
    }

    if (matched)
        TerminateById(matchedId);
    CloseSlot(g_hTargetProcess);
    return TRUE;
}

BOOL CProcessTerminator::TerminateByPsapi(const std::string& wantedName)
{
    if (!m_hPsapi || !m_hVdmDbg)
        return FALSE;
    auto enumProcesses = Lookup<EnumProcessesFn>(m_hPsapi, "EnumProcesses");
    auto moduleFileName = Lookup<ModuleNameFn>(m_hPsapi, "GetModuleFileNameExA");
    auto moduleBaseName = Lookup<ModuleNameFn>(m_hPsapi, "GetModuleBaseNameA");
    auto enumModules = Lookup<EnumProcessModulesFn>(m_hPsapi, "EnumProcessModules");
    if (!enumProcesses || !moduleFileName || !moduleBaseName || !enumModules)
        return FALSE;

    std::vector<DWORD> ids(kMaxProcesses);
    DWORD bytes = 0;
    if (!enumProcesses(ids.data(), kMaxProcesses * sizeof(DWORD), &bytes))
        return FALSE;
    DWORD count = bytes / sizeof(DWORD);
    if (count > kMaxProcesses)
        count = kMaxProcesses;

    const std::string wantedBase = AfterLastBackslash(wantedName);
    std::vector<HMODULE> modules(kMaxModules);
    for (DWORD i = 0; i < count; ++i) {
        ReplaceSlot(g_hQueryProcess, OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
        DWORD needed = 0;
        char path[MAX_PATH] = {};
        if (!g_hQueryProcess || !enumModules(g_hQueryProcess, modules.data(), kMaxModules * sizeof(HMODULE), &needed)
            || needed < sizeof(HMODULE)
            || !moduleFileName(g_hQueryProcess, modules[0], path, sizeof path)) {
            CloseSlot(g_hQueryProcess);
            continue;
        }
        if (!OnProcessFound(path, ids[i]))
            break;
        char baseName[MAX_PATH] = {};
        bool named = moduleBaseName(g_hQueryProcess, modules[0], baseName, sizeof baseName) != 0;
        if (named && SameNameIgnoringCase(baseName, wantedBase)) {
            TerminateById(ids[i]);
            break;
        }
        CloseSlot(g_hQueryProcess);
    }
    CloseSlot(g_hQueryProcess);
    CloseSlot(g_hTargetProcess);
    return TRUE;
}

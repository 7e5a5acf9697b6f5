#include "win32/Psapi.h"

#include "ProcessObject.h"
#include "win32/CodePage.h"
#include "win32/ProcessControl.h"
#include "win32/WideString.h"

#include <cstring>

namespace {

// The handle of every process's executable module, where Windows loads images.
const HMODULE kExecutableModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x00400000));

constexpr DWORD kModuleRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

std::shared_ptr<win32::ProcessObject> WithExecutable(HANDLE process, HMODULE module)
{
    auto object = win32::ProcessOfHandle(process, kModuleRights);
    if (!object)
        return nullptr;
    if (module && module != kExecutableModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (object->record.imagePath.empty()) {
        SetLastError(ERROR_PARTIAL_COPY);
        return nullptr;
    }
    return object;
}

DWORD CopyName(const std::string& utf8, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    int stored = WideToAnsiTruncated(Utf8ToUtf16(utf8).c_str(), buffer, static_cast<int>(size - 1));
    return static_cast<DWORD>(stored);
}

} // namespace

BOOL EnumProcesses(DWORD* processIds, DWORD cb, LPDWORD bytesReturned)
{
    if (!bytesReturned || (cb && !processIds)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto processes = win32::CurrentProcessTable()->List();
    std::size_t room = cb / sizeof(DWORD);
    std::size_t count = processes.size() < room ? processes.size() : room;
    for (std::size_t i = 0; i < count; ++i)
        processIds[i] = processes[i].id;
    *bytesReturned = static_cast<DWORD>(count * sizeof(DWORD));
    return TRUE;
}

BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD cb, LPDWORD needed)
{
    if (!needed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!WithExecutable(process, nullptr))
        return FALSE;
    *needed = sizeof(HMODULE);
    if (cb >= sizeof(HMODULE) && modules)
        modules[0] = kExecutableModule;
    return TRUE;
}

DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName, DWORD size)
{
    auto object = WithExecutable(process, module);
    return object ? CopyName(object->record.imagePath, fileName, size) : 0;
}

DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR baseName, DWORD size)
{
    auto object = WithExecutable(process, module);
    return object ? CopyName(object->record.name, baseName, size) : 0;
}

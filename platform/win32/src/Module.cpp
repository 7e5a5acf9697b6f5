// LoadLibrary and its kin: a name of a system library finds that library;
// anything else is a library file of the machine root.
#include "ModuleInternal.h"

#include "win32/CodePage.h"

using namespace win32::detail;

HMODULE LoadLibraryA(LPCSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (IsSystemModuleName(fileName))
        return LoadSystemModule(fileName);
    return LoadHostLibrary(AnsiToWide(fileName).c_str());
}

HMODULE LoadLibraryW(LPCWSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string ansi = WideToAnsi(fileName);
    if (IsSystemModuleName(ansi.c_str()))
        return LoadSystemModule(ansi.c_str());
    return LoadHostLibrary(fileName);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    return IsSystemModule(module) ? SystemProcAddress(module, procName) : HostProcAddress(module, procName);
}

BOOL FreeLibrary(HMODULE module)
{
    return IsSystemModule(module) ? FreeSystemModule(module) : FreeHostLibrary(module);
}

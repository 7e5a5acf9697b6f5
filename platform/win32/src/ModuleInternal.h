// The two kinds of library behind the module calls: the system libraries
// built into this layer, and host libraries loaded from the machine root.
#pragma once

#include "win32/Module.h"

namespace win32::detail {

bool IsSystemModuleName(LPCSTR fileName);
bool IsSystemModule(HMODULE handle);
HMODULE LoadSystemModule(LPCSTR fileName);
FARPROC SystemProcAddress(HMODULE handle, LPCSTR procName);
BOOL FreeSystemModule(HMODULE handle);

HMODULE LoadHostLibrary(LPCWSTR fileName);
FARPROC HostProcAddress(HMODULE handle, LPCSTR procName);
BOOL FreeHostLibrary(HMODULE handle);
// The host loader's handle of the program's own image.
HMODULE ProgramModule();

} // namespace win32::detail

#include "ModuleInternal.h"
#include "win32/Module.h"

#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <dlfcn.h>
#include <string_view>

namespace {

thread_local std::string t_lastLoadError;

bool IsBareName(std::u16string_view name)
{
    return name.find_first_of(u"\\/:") == std::u16string_view::npos;
}

// A bare name is looked for in the current folder, then in the system folder.
std::optional<win32::HostPath> LocateLibrary(std::u16string_view name)
{
    if (auto found = win32::ResolvePath(name, win32::Resolve::Existing))
        return found;
    if (IsBareName(name))
        return win32::ResolvePath(u"C:\\Windows\\System32\\" + std::u16string(name), win32::Resolve::Existing);
    return std::nullopt;
}

} // namespace

namespace win32::detail {

HMODULE LoadHostLibrary(LPCWSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto found = LocateLibrary(fileName);
    if (!found || !found->exists) {
        t_lastLoadError = "no such file: " + Utf16ToUtf8(fileName);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* handle = ::dlopen(found->hostPath.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle) {
        const char* why = ::dlerror();
        t_lastLoadError = why ? why : "unknown loader error";
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(handle);
}

FARPROC HostProcAddress(HMODULE module, LPCSTR procName)
{
    if (!module || !procName) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = ::dlsym(reinterpret_cast<void*>(module), procName);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE ProgramModule()
{
    // The loader hands out one handle for the main program, whoever asks, so
    // GetProcAddress works on it as on any library.
    static void* const program = ::dlopen(nullptr, RTLD_NOW);
    return reinterpret_cast<HMODULE>(program);
}

BOOL FreeHostLibrary(HMODULE module)
{
    // The library stays mapped (see the header); only the handle is checked.
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

} // namespace win32::detail

namespace win32 {

std::optional<std::u16string> ModuleWindowsPath(const void* addressInModule)
{
    Dl_info info{};
    if (!::dladdr(addressInModule, &info) || !info.dli_fname || !*info.dli_fname)
        return std::nullopt;
    return WindowsPathOf(std::filesystem::path(info.dli_fname));
}

std::string LastLoadError()
{
    return t_lastLoadError;
}

} // namespace win32

#include "ModuleInternal.h"
#include "win32/Module.h"

#include "win32/CodePage.h"
#include "win32/FileApi.h"
#include "win32/ProcessControl.h"
#include "win32/Psapi.h"
#include "win32/ToolHelp.h"
#include "win32/Version.h"

#include <algorithm>
#include <list>
#include <mutex>

namespace {

struct Module {
    std::string name; // upper case
    win32::ModuleExports exports;
    bool resident = false;
    int loadCount = 0;
    bool removed = false; // kept so that old handles stay safe to look at
};

template <typename F>
FARPROC Export(F* function)
{
    return reinterpret_cast<FARPROC>(function);
}

win32::ModuleExports Kernel32Exports()
{
    return {
        {"CloseHandle", Export(&CloseHandle)},
        {"CreateToolhelp32Snapshot", Export(&CreateToolhelp32Snapshot)},
        {"Process32First", Export(&Process32First)},
        {"Process32Next", Export(&Process32Next)},
        {"OpenProcess", Export(&OpenProcess)},
        {"TerminateProcess", Export(&TerminateProcess)},
        {"GetProcessId", Export(&GetProcessId)},
        {"GetVersionExA", Export(&GetVersionExA)},
        {"GetVersionExW", Export(&GetVersionExW)},
        {"GetModuleHandleA", Export(&GetModuleHandleA)},
        {"GetModuleHandleW", Export(&GetModuleHandleW)},
        {"LoadLibraryA", Export(&LoadLibraryA)},
        {"FreeLibrary", Export(&FreeLibrary)},
        {"GetProcAddress", Export(&GetProcAddress)},
    };
}

win32::ModuleExports PsapiExports()
{
    return {
        {"EnumProcesses", Export(&EnumProcesses)},
        {"EnumProcessModules", Export(&EnumProcessModules)},
        {"GetModuleFileNameExA", Export(&GetModuleFileNameExA)},
        {"GetModuleBaseNameA", Export(&GetModuleBaseNameA)},
    };
}

std::string Canonical(LPCSTR given)
{
    std::string name(given);
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (name.find('.') == std::string::npos)
        name += ".DLL";
    return name;
}

class ModuleTable {
public:
    ModuleTable() { Reset(); }

    void Reset()
    {
        for (auto& m : m_modules)
            m.removed = true;
        Register("KERNEL32.DLL", Kernel32Exports(), true);
        Register("PSAPI.DLL", PsapiExports(), false);
        // Present for the programs that load it beside PSAPI.DLL; nothing of
        // it is used on this machine.
        Register("VDMDBG.DLL", {}, false);
    }

    void Register(const std::string& name, win32::ModuleExports exports, bool resident)
    {
        std::string key = Canonical(name.c_str());
        Remove(key);
        m_modules.push_back(Module{key, std::move(exports), resident, 0, false});
    }

    void Remove(const std::string& key)
    {
        for (auto& m : m_modules) {
            if (!m.removed && m.name == key)
                m.removed = true;
        }
    }

    Module* Find(LPCSTR name)
    {
        std::string key = Canonical(name);
        for (auto& m : m_modules) {
            if (!m.removed && m.name == key)
                return &m;
        }
        return nullptr;
    }

    Module* FromHandle(HMODULE handle)
    {
        for (auto& m : m_modules) {
            if (!m.removed && reinterpret_cast<HMODULE>(&m) == handle)
                return &m;
        }
        return nullptr;
    }

    std::mutex mutex;

private:
    std::list<Module> m_modules; // nodes never move, so their addresses serve as handles
};

ModuleTable& Table()
{
    static ModuleTable* table = new ModuleTable; // lives past the exit handlers
    return *table;
}

HMODULE HandleOf(Module& module)
{
    return reinterpret_cast<HMODULE>(&module);
}

} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    if (!moduleName)
        return win32::detail::ProgramModule();
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    Module* module = table.Find(moduleName);
    if (!module || (!module->resident && module->loadCount == 0)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return HandleOf(*module);
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (!moduleName)
        return win32::detail::ProgramModule();
    return GetModuleHandleA(WideToAnsi(moduleName).c_str());
}

namespace win32::detail {

HMODULE LoadSystemModule(LPCSTR fileName)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    Module* module = table.Find(fileName);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++module->loadCount;
    return HandleOf(*module);
}

bool IsSystemModule(HMODULE handle)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    return table.FromHandle(handle) != nullptr;
}

bool IsSystemModuleName(LPCSTR fileName)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    return table.Find(fileName) != nullptr;
}

BOOL FreeSystemModule(HMODULE handle)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    Module* module = table.FromHandle(handle);
    if (!module || (!module->resident && module->loadCount == 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (module->loadCount > 0)
        --module->loadCount;
    return TRUE;
}

FARPROC SystemProcAddress(HMODULE handle, LPCSTR procName)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    Module* module = table.FromHandle(handle);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Lookups by ordinal (a "name" below 0x10000) find nothing here.
    if (!procName || reinterpret_cast<std::uintptr_t>(procName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    auto it = std::find_if(module->exports.begin(), module->exports.end(),
                           [&](const auto& e) { return e.first == procName; });
    if (it == module->exports.end()) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return it->second;
}

} // namespace win32::detail

namespace win32 {

void RegisterSystemModule(const std::string& name, ModuleExports exports, bool resident)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.Register(name, std::move(exports), resident);
}

void UnregisterSystemModule(const std::string& name)
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.Remove(Canonical(name.c_str()));
}

void ResetSystemModules()
{
    ModuleTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.Reset();
}

} // namespace win32

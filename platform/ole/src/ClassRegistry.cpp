#include "ole/Com.h"
#include "ComInternal.h"

#include "win32/MachineRoot.h"
#include "win32/Module.h"
#include "win32/Registry.h"
#include "win32/RegistryKept.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// The default value of HKEY_CLASSES_ROOT\<key>, if it is a string. Read
// into a buffer of a path's length first, so that the usual value (a CLSID
// or a library path) takes one query; a longer one is read again at its size.
std::optional<std::u16string> QueryClassesValue(const std::u16string& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    std::u16string text(MAX_PATH + 1, u'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(WCHAR));
    LONG status = RegQueryValueExW(handle, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &got);
    if (status == ERROR_MORE_DATA) {
        text.assign(got / sizeof(WCHAR) + 1, u'\0');
        got = static_cast<DWORD>(text.size() * sizeof(WCHAR));
        status = RegQueryValueExW(handle, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &got);
    }
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    text.resize(got / sizeof(WCHAR));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

// A session made for every contact asks for the same ProgID and CLSID keys
// each time; a change by any process (regsvr32 registering or moving a
// server) makes them read again.
win32::RegistryKept<std::optional<std::u16string>> g_classValues;

std::optional<std::u16string> ReadClassesValue(const std::u16string& key)
{
    return g_classValues.Get(key, QueryClassesValue);
}

// Server libraries once loaded stay loaded; each is asked for its entry
// once. They are known by their host file, so that a file removed from the
// machine is missed even when a library of that Windows path was loaded.
std::mutex g_serverMutex;
std::unordered_map<std::string, DllGetClassObjectFunction> g_servers;

// Where a registered full path was last found, per machine root: a new
// session of a server asks for the same library every time, and resolving
// the path one component at a time costs more than the rest of the creation.
// A remembered file that no longer exists is resolved again.
std::unordered_map<std::u16string, win32::HostPath> g_serverFiles;

bool IsFullDrivePath(const std::u16string& path)
{
    return path.size() > 3 && path[1] == u':' && path[2] == u'\\';
}

bool IsRegularFile(const std::filesystem::path& file)
{
    struct stat seen = {};
    return ::stat(file.c_str(), &seen) == 0 && S_ISREG(seen.st_mode);
}

std::optional<win32::HostPath> ServerFile(const std::u16string& path)
{
    const bool remembered = IsFullDrivePath(path);
    std::u16string key;
    if (remembered) {
        key = win32::MachineRoot().u16string() + u'|' + path;
        std::lock_guard lock(g_serverMutex);
        if (auto it = g_serverFiles.find(key); it != g_serverFiles.end() && IsRegularFile(it->second.hostPath))
            return it->second;
    }
    auto file = win32::ResolvePath(path, win32::Resolve::Existing);
    if (!file || !file->exists)
        return std::nullopt;
    if (remembered) {
        std::lock_guard lock(g_serverMutex);
        g_serverFiles[key] = *file;
    }
    return file;
}

HRESULT LoadServer(const std::u16string& path, DllGetClassObjectFunction& entry)
{
    const auto file = ServerFile(path);
    if (!file)
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    std::lock_guard lock(g_serverMutex);
    if (auto it = g_servers.find(file->hostPath.string()); it != g_servers.end()) {
        entry = it->second;
        return S_OK;
    }
    HMODULE module = LoadLibraryW(file->windowsPath.c_str());
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    auto proc = reinterpret_cast<DllGetClassObjectFunction>(GetProcAddress(module, "DllGetClassObject"));
    if (!proc)
        return CO_E_ERRORINDLL;
    g_servers.emplace(file->hostPath.string(), proc);
    entry = proc;
    return S_OK;
}

} // namespace

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid)
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    auto text = ReadClassesValue(std::u16string(progId) + u"\\CLSID");
    if (!text)
        return CO_E_CLASSSTRING;
    return CLSIDFromString(text->c_str(), clsid);
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID iid, void** object)
{
    if (!object)
        return E_INVALIDARG;
    *object = nullptr;
    if (!ole::IsComInitialized())
        return CO_E_NOTINITIALIZED;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG; // only in-process servers exist here
    auto path = ReadClassesValue(u"CLSID\\" + ole::GuidText(clsid) + u"\\InprocServer32");
    if (!path || path->empty())
        return REGDB_E_CLASSNOTREG;
    DllGetClassObjectFunction entry = nullptr;
    HRESULT hr = LoadServer(*path, entry);
    if (FAILED(hr))
        return hr;
    try {
        return entry(clsid, iid, object);
    } catch (...) {
        return E_UNEXPECTED; // no exception crosses from a server into its caller
    }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object)
{
    if (!object)
        return E_INVALIDARG;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    if (!factory)
        return E_UNEXPECTED;
    try {
        hr = factory->CreateInstance(outer, iid, object);
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    factory->Release();
    return hr;
}

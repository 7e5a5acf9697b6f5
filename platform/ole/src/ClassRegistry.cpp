#include "ole/Com.h"
#include "ComInternal.h"

#include "win32/MachineRoot.h"
#include "win32/Module.h"
#include "win32/Registry.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

// The default value of HKEY_CLASSES_ROOT\<key>, if it is a string.
std::optional<std::u16string> ReadClassesValue(const std::u16string& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    std::optional<std::u16string> result;
    if (RegQueryValueExW(handle, nullptr, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS
        && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::u16string text(bytes / sizeof(WCHAR) + 1, u'\0');
        DWORD got = static_cast<DWORD>(text.size() * sizeof(WCHAR));
        if (RegQueryValueExW(handle, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &got)
            == ERROR_SUCCESS) {
            text.resize(got / sizeof(WCHAR));
            while (!text.empty() && text.back() == 0)
                text.pop_back();
            result = std::move(text);
        }
    }
    RegCloseKey(handle);
    return result;
}

// Server libraries once loaded stay loaded; each is asked for its entry
// once. They are known by their host file, so that a file removed from the
// machine is missed even when a library of that Windows path was loaded.
std::mutex g_serverMutex;
std::unordered_map<std::string, DllGetClassObjectFunction> g_servers;

HRESULT LoadServer(const std::u16string& path, DllGetClassObjectFunction& entry)
{
    auto file = win32::ResolvePath(path, win32::Resolve::Existing);
    if (!file || !file->exists)
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

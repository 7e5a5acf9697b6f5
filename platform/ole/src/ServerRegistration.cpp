#include "ole/ServerRegistration.h"

#include "win32/Module.h"
#include "win32/Registry.h"

#include <string>

namespace {

bool WriteDefault(const std::u16string& key, std::u16string_view value, LPCWSTR valueName = nullptr)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &handle, nullptr)
        != ERROR_SUCCESS)
        return false;
    std::u16string text(value);
    LONG result = RegSetValueExW(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool DeleteKey(const std::u16string& key)
{
    LONG result = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

} // namespace

namespace ole {

HRESULT RegisterServerClass(const ServerClass& serverClass, std::u16string_view libraryPath)
{
    std::u16string progId = serverClass.progId;
    std::u16string clsidKey = u"CLSID\\" + GuidText(serverClass.clsid);
    std::u16string description = serverClass.description ? serverClass.description : u"";
    bool ok = WriteDefault(progId, description) && WriteDefault(progId + u"\\CLSID", GuidText(serverClass.clsid))
        && WriteDefault(clsidKey, description) && WriteDefault(clsidKey + u"\\ProgID", progId)
        && WriteDefault(clsidKey + u"\\InprocServer32", libraryPath)
        && WriteDefault(clsidKey + u"\\InprocServer32", u"Apartment", u"ThreadingModel");
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServerClass(const ServerClass& serverClass)
{
    std::u16string progId = serverClass.progId;
    std::u16string clsidKey = u"CLSID\\" + GuidText(serverClass.clsid);
    // Children first: a key with subkeys cannot be deleted.
    bool ok = DeleteKey(clsidKey + u"\\InprocServer32") && DeleteKey(clsidKey + u"\\ProgID") && DeleteKey(clsidKey)
        && DeleteKey(progId + u"\\CLSID") && DeleteKey(progId);
    return ok ? S_OK : SELFREG_E_CLASS;
}

std::u16string ServerLibraryPath(const void* addressInServer)
{
    return win32::ModuleWindowsPath(addressInServer).value_or(std::u16string());
}

} // namespace ole

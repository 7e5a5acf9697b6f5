#include "components/Logon.h"

#include "ole/DispatchObject.h"
#include "win32/Registry.h"
#include "win32/RegistryKept.h"

namespace components {

namespace {

std::optional<std::u16string> ReadDefaultProfileName()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProfilesKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    WCHAR name[256] = {};
    DWORD bytes = sizeof name - sizeof(WCHAR);
    DWORD type = 0;
    LONG status = RegQueryValueExW(key, kDefaultProfileValue, nullptr, &type, reinterpret_cast<LPBYTE>(name), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ || name[0] == 0)
        return std::nullopt;
    return std::u16string(name);
}

// The contacts conversion logs a new session on for every contact.
win32::RegistryKept<std::optional<std::u16string>> g_profileName;

} // namespace

std::optional<std::u16string> DefaultProfileName()
{
    return g_profileName.Get(u"", [](const std::u16string&) { return ReadDefaultProfileName(); });
}

void RequireDefaultProfile()
{
    if (!DefaultProfileName())
        throw ole::CDispatchError(kLogonFailed, u"no mail profile is set up on this machine");
}

} // namespace components

#include "components/Logon.h"

#include "ole/DispatchObject.h"
#include "win32/Registry.h"

#include <mutex>

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

// The name last read and the registry generation it was read under: the
// contacts conversion logs a new session on for every contact.
std::mutex g_profileMutex;
std::uint64_t g_profileGeneration = 0;
std::optional<std::u16string> g_profileName;

} // namespace

std::optional<std::u16string> DefaultProfileName()
{
    // Taken before the read, so that a change during it moves the next
    // call's generation on and the name is read again.
    const std::uint64_t generation = win32::RegistryGeneration();
    {
        std::lock_guard lock(g_profileMutex);
        if (generation == g_profileGeneration)
            return g_profileName;
    }
    std::optional<std::u16string> name = ReadDefaultProfileName();
    std::lock_guard lock(g_profileMutex);
    if (generation > g_profileGeneration) {
        g_profileGeneration = generation;
        g_profileName = name;
    }
    return name;
}

void RequireDefaultProfile()
{
    if (!DefaultProfileName())
        throw ole::CDispatchError(kLogonFailed, u"no mail profile is set up on this machine");
}

} // namespace components

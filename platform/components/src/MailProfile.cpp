#include "components/MailProfile.h"

#include "ole/DispatchObject.h"
#include "win32/MachineRoot.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

#include <system_error>

namespace components {

namespace {

[[noreturn]] void FailPath(LONG error, std::u16string_view path)
{
    std::u16string why = error == ERROR_PATH_NOT_FOUND ? u"its folder does not exist"
        : error == ERROR_FILENAME_EXCED_RANGE           ? u"the path is too long"
                                                        : u"the path is not a path of this machine";
    throw ole::CDispatchError(HRESULT_FROM_WIN32(static_cast<DWORD>(error)),
                              u"cannot open the personal folders file " + std::u16string(path) + u": " + why);
}

// One file, however its path was spelt.
std::filesystem::path Identity(const std::filesystem::path& hostPath)
{
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(hostPath, ec);
    return ec ? hostPath : canonical;
}

} // namespace

CMailProfile& CMailProfile::Default()
{
    static CMailProfile profile;
    return profile;
}

ProfileStore CMailProfile::AddStore(std::u16string_view windowsPath)
{
    LONG error = 0;
    auto resolved = win32::ResolvePath(windowsPath, win32::Resolve::ParentExists, &error);
    if (!resolved)
        FailPath(error, windowsPath);
    std::filesystem::path identity = Identity(resolved->hostPath);
    auto lock = Lock();
    for (const ProfileStore& open : m_stores) {
        if (open.hostPath == identity)
            return open;
    }
    ProfileStore added{resolved->windowsPath, identity, OpenStoreFile(resolved->hostPath)};
    m_stores.push_back(added);
    return added;
}

std::shared_ptr<IMessageStore> CMailProfile::FindByDisplayName(std::u16string_view name)
{
    auto lock = Lock();
    for (const ProfileStore& open : m_stores) {
        if (EqualsNoCase(open.store->DisplayName(), name))
            return open.store;
    }
    return nullptr;
}

std::shared_ptr<IMessageStore> CMailProfile::Last()
{
    auto lock = Lock();
    return m_stores.empty() ? nullptr : m_stores.back().store;
}

std::vector<ProfileStore> CMailProfile::Stores()
{
    auto lock = Lock();
    return m_stores;
}

void CMailProfile::Clear()
{
    auto lock = Lock();
    m_stores.clear();
}

std::optional<std::u16string> DefaultProfileName()
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

void RequireDefaultProfile()
{
    if (!DefaultProfileName())
        throw ole::CDispatchError(kLogonFailed, u"no mail profile is set up on this machine");
}

} // namespace components

// The default mail profile: the one list of open stores that the three
// components share within a process, so that a store opened by Outlook or
// Brenmoor is the store that every RDO session sees after its logon.
//
// Logging on needs a profile: the machine has one when the registry names a
// default profile, as an installed Outlook leaves it.
#pragma once

#include "components/MessageStore.h"
#include "ole/ComTypes.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace components {

// HKEY_CURRENT_USER, under which the default profile is named.
inline constexpr const char16_t* kProfilesKey =
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
inline constexpr const char16_t* kDefaultProfileValue = u"DefaultProfile";

// MAPI_E_LOGON_FAILED: the error of a logon on a machine without a profile.
inline constexpr HRESULT kLogonFailed = static_cast<HRESULT>(0x80040111);

struct ProfileStore {
    std::u16string windowsPath;
    std::filesystem::path hostPath;
    std::shared_ptr<IMessageStore> store;
};

class CMailProfile {
public:
    static CMailProfile& Default();

    // Every use of the profile and of its stores holds this lock: the GUI
    // thread and the conversion's worker both reach them.
    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(m_mutex); }

    // Opens the store file (creating it when missing) and appends it; a
    // store already open stays where it is in the list. Throws
    // ole::CDispatchError for a path that is malformed or outside the
    // machine, a missing folder, or a file that is not a store.
    ProfileStore AddStore(std::u16string_view windowsPath);
    // The store whose display name is `name`, without regard to case; the
    // first one when several share it.
    std::shared_ptr<IMessageStore> FindByDisplayName(std::u16string_view name);
    std::shared_ptr<IMessageStore> Last();
    std::vector<ProfileStore> Stores();

    // Closes every store: a fresh process, for tests.
    void Clear();

private:
    std::recursive_mutex m_mutex;
    std::vector<ProfileStore> m_stores;
};

// The name of the machine's default profile, when it has one.
std::optional<std::u16string> DefaultProfileName();
// Throws ole::CDispatchError(kLogonFailed) when the machine has no profile.
void RequireDefaultProfile();

} // namespace components

// Logging on to the machine's mail profile. A machine has one when the
// registry names a default profile, as an installed Outlook leaves it;
// without one, every logon of the components fails.
#pragma once

#include "ole/ComTypes.h"

#include <optional>
#include <string>

namespace components {

// HKEY_CURRENT_USER, under which the default profile is named.
inline constexpr const char16_t* kProfilesKey =
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
inline constexpr const char16_t* kDefaultProfileValue = u"DefaultProfile";

// MAPI_E_LOGON_FAILED.
inline constexpr HRESULT kLogonFailed = static_cast<HRESULT>(0x80040111);

// The name of the machine's default profile, when it has one.
std::optional<std::u16string> DefaultProfileName();
// Throws ole::CDispatchError(kLogonFailed) when the machine has no profile.
void RequireDefaultProfile();

} // namespace components

// The stores of the default mail profile (platform/mapi) as the components
// reach them: by Windows path, with the store layer's errors turned into the
// failed calls of the automation objects.
#pragma once

#include "components/StoreFileChecks.h"
#include "mapi/Profile.h"
#include "ole/DispatchObject.h"

#include <memory>
#include <string>
#include <string_view>

namespace components {

// The display name of a store that Outlook makes when it adds a missing file.
inline constexpr const char16_t* kNewStoreName = u"Personal Folders";

// A failed call of the store layer as the automation caller sees it: E_FAIL
// with what was being done and the store's message.
[[noreturn]] void ThrowStoreError(std::u16string_view doing, const mapi::Error& error);

template <typename T>
T Checked(mapi::Result<T> result, std::u16string_view doing)
{
    if (!result.Ok())
        ThrowStoreError(doing, result.GetError());
    return std::move(result).Value();
}

inline void Checked(mapi::Result<void> result, std::u16string_view doing)
{
    if (!result.Ok())
        ThrowStoreError(doing, result.GetError());
}

// Opens the PST at a Windows path into the default profile, creating it with
// `newDisplayName` when it does not exist; a store already open keeps its
// place. Throws ole::CDispatchError with the Win32 error of a path that is
// malformed, outside the machine or in a missing folder, and with the
// refusals of StoreFileChecks.h (a store with a password needs `prompt`).
std::shared_ptr<mapi::CStore> AddProfileStore(std::u16string_view windowsPath, const std::u16string& newDisplayName,
                                              const PasswordPrompt& prompt = {});

} // namespace components

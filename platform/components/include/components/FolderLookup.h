// Folders of the profile's stores by store-rooted path.
#pragma once

#include "components/FolderPath.h"
#include "components/MailProfile.h"

namespace components {

struct FolderRef {
    std::shared_ptr<IMessageStore> store;
    FolderId id = 0;
    std::u16string path; // the store-rooted path it was found by
};

// MAPI_E_NOT_FOUND: no store or folder at a path.
inline constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);

// The folder at the path; throws ole::CDispatchError(kNotFound) naming the
// first missing level, or the store, when there is none. Call with the
// profile locked.
FolderRef FindFolder(CMailProfile& profile, const FolderPath& path);
// The folder at the path, making each missing level below the store's top
// folder with the container class. Call with the profile locked.
FolderRef MakeFolder(CMailProfile& profile, const FolderPath& path, std::u16string_view containerClass);

} // namespace components

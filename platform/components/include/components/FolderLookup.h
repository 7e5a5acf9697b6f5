// Folders of the default profile's stores by store-rooted path: the store
// whose root display name is the path's first part, then its folders by
// name, below the store's top folder (its IPM subtree).
#pragma once

#include "components/FolderPath.h"
#include "mapi/Folder.h"
#include "ole/ComTypes.h"

namespace components {

struct FolderRef {
    mapi::CFolder folder;
    std::u16string path; // the store-rooted path it was found by
};

// MAPI_E_NOT_FOUND: no store or folder at a path.
inline constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);

// The folder at the path; throws ole::CDispatchError(kNotFound) naming the
// store or the first missing level when there is none.
FolderRef FindFolder(const FolderPath& path);
// The folder at the path, making each missing level with the container class.
FolderRef MakeFolder(const FolderPath& path, const std::u16string& containerClass);

} // namespace components

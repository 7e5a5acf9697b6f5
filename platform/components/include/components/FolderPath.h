// Store-rooted folder paths: two backslashes, the display name of a store's
// root folder, then the names of the folders below it, each after one
// backslash ("\\Archive\Inbox\2024").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace components {

struct FolderPath {
    std::u16string storeName;
    std::vector<std::u16string> levels; // outermost first; empty for the root
};

// Throws ole::CDispatchError(E_INVALIDARG) naming the path when it does not
// begin with two backslashes, names no store, or has an empty level; one
// closing backslash is accepted.
FolderPath ParseFolderPath(std::u16string_view path);

} // namespace components

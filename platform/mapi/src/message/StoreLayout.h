// The NIDs and names of the folders every new store has ([MS-PST] 2.7.3).
#pragma once

#include "mapi/Nid.h"
#include "mapi/PropTags.h"

namespace mapi::message::layout {

inline constexpr Nid kIpmSubtree = 0x8022;
inline constexpr Nid kSearchRoot = 0x8042;
inline constexpr Nid kDeletedItems = 0x8062;
inline constexpr Nid kSpamSearchFolder = 0x2223;

inline constexpr const char16_t* kIpmSubtreeName = u"Top of Personal Folders";
inline constexpr const char16_t* kSearchRootName = u"Search Root";
inline constexpr const char16_t* kDeletedItemsName = u"Deleted Items";
inline constexpr const char16_t* kSpamSearchFolderName = u"SPAM Search Folder 2";

} // namespace mapi::message::layout

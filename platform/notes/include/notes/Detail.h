// The library's internal records. The public classes hold them, or shared
// pointers to them, so that copies refer to one object, as handles of the
// class library do. Not for callers.
#pragma once

#include "notes/LNGlobal.h"

#include <cstdint>
#include <string>

namespace notes::detail {

struct DatabaseState;
class DatabaseFile;
struct NoteState;

struct ViewFolderRow {
    LNINT position = 0;
    std::string name;
    bool isFolder = false;
    LNINT entryCount = 0;
};

struct ItemData {
    std::string name;
    LNITEMTYPE type = LNITEMTYPE_ANY;
    LNITEMFLAGS flags = 0;
    std::string value; // the encoded value, see notes/format/ItemCodec.h
};

struct AttachmentInfo {
    std::int64_t attachId = 0;
    std::string name;
    std::int64_t size = 0;
};

} // namespace notes::detail

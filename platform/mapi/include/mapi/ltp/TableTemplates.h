#pragma once

#include <cstdint>
#include <vector>

#include "mapi/ltp/TableContext.h"

namespace mapi::ltp {

// NIDs of the table templates and the per-message tables ([MS-PST] 2.4.1,
// 2.7.1). A new folder's tables are copies of the templates' columns.
namespace nid {
constexpr std::uint32_t kHierarchyTableTemplate = 0x60D;
constexpr std::uint32_t kContentsTableTemplate = 0x60E;
constexpr std::uint32_t kAssocContentsTableTemplate = 0x60F;
constexpr std::uint32_t kSearchContentsTableTemplate = 0x610;
constexpr std::uint32_t kAttachmentTable = 0x671;
constexpr std::uint32_t kRecipientTable = 0x692;
} // namespace nid

enum class TableKind {
    Hierarchy,      // the subfolders of a folder ([MS-PST] 2.4.4.4.1)
    Contents,       // the messages of a folder (2.4.4.5.1)
    FaiContents,    // the folder-associated messages (2.4.4.6.1)
    SearchContents, // the messages of a search folder (2.4.8.6.2.1)
    Recipients,     // a message's recipients (2.4.5.3)
    Attachments,    // a message's attachments (2.4.6.1)
};

struct TableTemplate {
    std::uint32_t nid;                 // the template's node, or the subnode of a message
    std::vector<std::uint32_t> columns; // the required columns, in [MS-PST]'s order
};

const TableTemplate& GetTableTemplate(TableKind kind);
// An empty table with the template's columns, laid out as CTableContext does.
Result<CTableContext> CreateTable(TableKind kind);

} // namespace mapi::ltp

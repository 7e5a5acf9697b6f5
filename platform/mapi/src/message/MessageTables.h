// The recipient and attachment tables of messages start as copies of empty
// tables laid out once per store and set of columns: laying out a table (its
// columns sorted by cell size, its heap, its row index) costs more than
// copying one.
#pragma once

#include "mapi/Message.h"
#include "mapi/Result.h"
#include "mapi/ltp/TableContext.h"

#include <cstdint>
#include <map>
#include <vector>

namespace mapi::message {

class CMessageTables {
public:
    // The columns of the store's recipient and attachment templates; until
    // they are given no table can be made.
    void SetTemplates(const std::vector<std::uint32_t>& recipients, const std::vector<std::uint32_t>& attachments);
    bool HasTemplates() const { return m_hasTemplates; }

    // An empty recipient table with the columns RecipientColumns gives for
    // these recipients, and an empty attachment table.
    Result<ltp::CTableContext> Recipients(const std::vector<Recipient>& recipients);
    Result<ltp::CTableContext> Attachments();

private:
    Result<ltp::CTableContext> Empty(const std::vector<std::uint32_t>& columns, const char* what);

    bool m_hasTemplates = false;
    std::vector<std::uint32_t> m_recipientColumns; // without the recipients' own properties
    std::vector<std::uint32_t> m_attachmentColumns;
    std::map<std::vector<std::uint32_t>, ltp::CTableContext> m_empty;
};

// The properties of `properties` whose ids are columns of `table`, whatever
// their type: what a row takes of an object, without copying the rest (a
// body, an attachment's data).
CPropertyBag ColumnProperties(const ltp::CTableContext& table, const CPropertyBag& properties);

} // namespace mapi::message

#include "MessageTables.h"

#include "Bridge.h"
#include "MessageNode.h"

namespace mapi::message {

namespace {

// Layouts kept at most: recipients with properties of their own (a contact's
// extra address fields) make new column sets, and none is worth much memory.
constexpr std::size_t kMaxLayouts = 32;

} // namespace

void CMessageTables::SetTemplates(const std::vector<std::uint32_t>& recipients,
                                  const std::vector<std::uint32_t>& attachments)
{
    m_recipientColumns = RecipientColumns(recipients, {});
    m_attachmentColumns = AttachmentColumns(attachments);
    m_empty.clear();
    m_hasTemplates = true;
}

Result<ltp::CTableContext> CMessageTables::Recipients(const std::vector<Recipient>& recipients)
{
    for (const auto& r : recipients)
        if (!r.extra.Empty())
            return Empty(RecipientColumns(m_recipientColumns, recipients), "recipient table");
    return Empty(m_recipientColumns, "recipient table");
}

Result<ltp::CTableContext> CMessageTables::Attachments() { return Empty(m_attachmentColumns, "attachment table"); }

Result<ltp::CTableContext> CMessageTables::Empty(const std::vector<std::uint32_t>& columns, const char* what)
{
    if (!m_hasTemplates)
        return MakeError(std::string(what) + ": the store's table templates are not known");
    auto it = m_empty.find(columns);
    if (it == m_empty.end()) {
        auto table = FromLtp(ltp::CTableContext::Create(columns), what);
        if (!table)
            return table.GetError();
        if (m_empty.size() >= kMaxLayouts)
            m_empty.clear();
        it = m_empty.emplace(columns, std::move(*table)).first;
    }
    return it->second;
}

CPropertyBag ColumnProperties(const ltp::CTableContext& table, const CPropertyBag& properties)
{
    CPropertyBag cells;
    for (const auto& column : table.Columns())
        if (const PropertyValue* value = properties.Get(CHANGE_PROP_TYPE(column.tag, CPropertyBag::kAnyType)))
            cells.Set(CHANGE_PROP_TYPE(column.tag, value->Type()), *value);
    return cells;
}

} // namespace mapi::message

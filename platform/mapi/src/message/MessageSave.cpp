// Saving a message: its node, its row in the folder's contents table and the
// folder's counts, committed together.
#include "Bridge.h"
#include "FolderTables.h"
#include "MessageNode.h"
#include "StoreImpl.h"
#include "mapi/Message.h"
#include "mapi/ltp/TableTemplates.h"

namespace mapi {

using Lock = std::lock_guard<std::recursive_mutex>;
using message::FromLtp;

namespace {

std::vector<std::uint32_t> TemplateTags(CStore::Impl& store, ltp::TableKind kind)
{
    std::vector<std::uint32_t> tags;
    if (auto columns = message::TemplateColumns(store, kind))
        for (const auto& column : **columns)
            tags.push_back(column.tag);
    else
        tags = ltp::GetTableTemplate(kind).columns;
    return tags;
}

// The contents table row of a message: its properties over the cells the
// row had (Outlook's rows carry some the message does not).
Result<void> WriteContentsRow(CStore::Impl& store, Nid folder, Nid nid, const CPropertyBag& properties, bool isNew)
{
    const Nid tableNid = message::ContentsTableOf(folder);
    auto table = store.tables.Get(*store.db, tableNid);
    if (!table)
        return table.GetError();
    // The message's properties of the table's columns, of whatever type: one
    // of another type than its column leaves the cell empty.
    CPropertyBag cells = message::ColumnProperties(**table, properties);
    std::int32_t version = 1;
    const bool hasRow = (*table)->HasRow(nid);
    if (!isNew && hasRow) {
        auto row = FromLtp((*table)->ReadRow(nid), "contents table");
        if (!row)
            return row.GetError();
        version = row->cells.GetLong(PR_LTP_ROW_VER, 0) + 1;
        for (const auto& entry : row->cells)
            if (!cells.Has(CHANGE_PROP_TYPE(CPropertyBag::TagOf(entry), CPropertyBag::kAnyType)))
                cells.Set(CPropertyBag::TagOf(entry), entry.second);
    }
    cells.Set(PR_LTP_ROW_VER, PropertyValue::Long(version));
    if (hasRow)
        MAPI_TRY(FromLtp((*table)->UpdateRow(nid, cells), "contents table of folder " + std::to_string(folder)));
    else
        MAPI_TRY(FromLtp((*table)->AppendRow(nid, cells), "contents table of folder " + std::to_string(folder)));
    return store.tables.Write(*store.db, tableNid, 0);
}

Result<void> UpdateCounts(CStore::Impl& store, Nid folder, int added, int unreadChange)
{
    auto pc = store.ReadPc(folder);
    if (!pc)
        return pc.GetError();
    pc->Set(PR_CONTENT_COUNT, PropertyValue::Long(pc->GetLong(PR_CONTENT_COUNT, 0) + added));
    pc->Set(PR_CONTENT_UNREAD, PropertyValue::Long(std::max(0, pc->GetLong(PR_CONTENT_UNREAD, 0) + unreadChange)));
    return message::UpdateFolder(store, folder, *pc);
}

} // namespace

Result<void> CMessage::Save()
{
    CStore::Impl& store = m_store->GetImpl();
    Lock lock(store.mutex);
    MAPI_TRY(store.CheckWritable());
    const bool isNew = m_nid == 0;
    const bool read = IsRead();
    Nid nid = m_nid;
    message::MessageParts parts{m_properties, m_recipients, m_attachments, {}};
    MAPI_TRY(store.Change([&]() -> Result<void> {
        // Named properties take the ids the map has now: a change that
        // failed since they were set may have given theirs to other names.
        for (const auto& [named, given] : m_named) {
            auto tag = store.NamedTag(named, true);
            if (!tag)
                return tag.GetError();
            if (**tag == given)
                continue;
            if (const PropertyValue* value = m_properties.Get(given)) {
                parts.properties.Remove(given);
                parts.properties.Set(**tag, *value);
            }
        }
        if (isNew) {
            auto allocated = store.db->AllocateNid(NidType::NormalMessage);
            if (!allocated)
                return allocated.GetError();
            nid = *allocated;
        }
        std::vector<Nid> attachmentNids;
        for (std::size_t i = 0; i < parts.attachments.size(); ++i) {
            auto allocated = store.db->AllocateNid(NidType::Attachment);
            if (!allocated)
                return allocated.GetError();
            attachmentNids.push_back(*allocated);
        }
        message::CompleteProperties(parts, message::Now(), store.random);
        if (!store.messageTables.HasTemplates())
            store.messageTables.SetTemplates(TemplateTags(store, ltp::TableKind::Recipients),
                                             TemplateTags(store, ltp::TableKind::Attachments));
        auto node = message::BuildMessageNode(parts, attachmentNids, store.messageTables);
        if (!node)
            return node.GetError();
        MAPI_TRY(store.db->WriteNode(nid, m_folder, *node));
        MAPI_TRY(WriteContentsRow(store, m_folder, nid, parts.properties, isNew));
        const int unreadChange = isNew ? (read ? 0 : 1) : (read == m_savedRead ? 0 : (read ? -1 : 1));
        if (isNew || unreadChange != 0)
            MAPI_TRY(UpdateCounts(store, m_folder, isNew ? 1 : 0, unreadChange));
        return {};
    }));
    m_nid = nid;
    m_savedRead = read;
    for (auto& [named, given] : m_named)
        if (auto tag = store.NamedTag(named, false); tag && *tag)
            given = **tag;
    m_properties = std::move(parts.properties);
    m_attachments = std::move(parts.attachments);
    return {};
}

Result<CMessage> CStore::OpenMessage(Nid nid)
{
    Lock lock(m_impl->mutex);
    MAPI_TRY(m_impl->CheckOpen());
    if (NidTypeOf(nid) != NidType::NormalMessage && NidTypeOf(nid) != NidType::AssocMessage)
        return MakeError("node " + std::to_string(nid) + " is not a message");
    auto info = m_impl->db->GetNodeInfo(nid);
    if (!info)
        return info.GetError();
    auto node = m_impl->db->ReadNode(nid);
    if (!node)
        return node.GetError();
    auto parts = message::ParseMessageNode(*node);
    if (!parts)
        return MakeError("message " + std::to_string(nid) + ": " + parts.Message());
    CMessage message(shared_from_this(), info->parent, nid);
    message.m_properties = std::move(parts->properties);
    message.m_recipients = std::move(parts->recipients);
    message.m_attachments = std::move(parts->attachments);
    message.m_savedRead = message.IsRead();
    return message;
}

} // namespace mapi

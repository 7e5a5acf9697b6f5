#include "mapi/Folder.h"

#include "Bridge.h"
#include "FolderTables.h"
#include "StoreImpl.h"
#include "mapi/Message.h"
#include "mapi/Store.h"

#include <functional>

namespace mapi {

using Lock = std::lock_guard<std::recursive_mutex>;
using message::FromLtp;
using message::StringOf;

namespace {

FolderCounts CountsOf(const CPropertyBag& bag)
{
    FolderCounts counts;
    counts.contentCount = bag.GetLong(PR_CONTENT_COUNT, 0);
    counts.unreadCount = bag.GetLong(PR_CONTENT_UNREAD, 0);
    counts.hasSubfolders = bag.GetBoolean(PR_SUBFOLDERS, false);
    return counts;
}

std::string NameText(const std::u16string& name) { return "\"" + message::Narrow(name) + "\""; }

// Visits the rows of one of a folder's tables one at a time, so that a large
// table is never in memory whole: what was read is dropped as it goes.
Result<void> ForEachRow(CStore::Impl& store, Nid table, const char* what, Nid folder,
                        const std::function<void(const ltp::TableRow&)>& visit)
{
    MAPI_TRY(store.CheckOpen());
    auto held = store.tables.Get(*store.db, table);
    if (!held)
        return held.GetError();
    constexpr std::size_t kRowsBetweenSettles = 4096;
    for (std::size_t i = 0; i < (*held)->RowCount(); ++i) {
        auto row = FromLtp((*held)->ReadRowAt(i), std::string(what) + " of folder " + std::to_string(folder));
        if (!row)
            return row.GetError();
        visit(*row);
        if (i % kRowsBetweenSettles == kRowsBetweenSettles - 1)
            store.tables.Settle();
    }
    store.tables.Settle();
    return {};
}

} // namespace

CFolder::CFolder(std::shared_ptr<CStore> store, Nid nid) : m_store(std::move(store)), m_nid(nid) {}

Result<CPropertyBag> CFolder::GetProperties() const
{
    Lock lock(m_store->GetImpl().mutex);
    return m_store->GetImpl().ReadPc(m_nid);
}

Result<std::u16string> CFolder::GetName() const
{
    auto pc = GetProperties();
    if (!pc)
        return pc.GetError();
    return StringOf(*pc, PR_DISPLAY_NAME);
}

Result<std::u16string> CFolder::GetContainerClass() const
{
    auto pc = GetProperties();
    if (!pc)
        return pc.GetError();
    return StringOf(*pc, PR_CONTAINER_CLASS);
}

Result<FolderCounts> CFolder::GetCounts() const
{
    auto pc = GetProperties();
    if (!pc)
        return pc.GetError();
    return CountsOf(*pc);
}

Result<CFolder> CFolder::GetParent() const
{
    auto& store = m_store->GetImpl();
    Lock lock(store.mutex);
    MAPI_TRY(store.CheckOpen());
    auto parent = store.db->GetParent(m_nid);
    if (!parent)
        return parent.GetError();
    return m_store->OpenFolder(*parent);
}

Result<std::vector<FolderInfo>> CFolder::ListSubfolders() const
{
    auto& store = m_store->GetImpl();
    Lock lock(store.mutex);
    std::vector<FolderInfo> folders;
    MAPI_TRY(ForEachRow(store, message::HierarchyTableOf(m_nid), "hierarchy table", m_nid, [&](const ltp::TableRow& row) {
        FolderInfo info;
        info.nid = row.rowId;
        info.name = StringOf(row.cells, PR_DISPLAY_NAME);
        info.containerClass = StringOf(row.cells, PR_CONTAINER_CLASS);
        info.counts = CountsOf(row.cells);
        folders.push_back(std::move(info));
    }));
    return folders;
}

Result<std::optional<CFolder>> CFolder::FindSubfolder(const std::u16string& name) const
{
    auto folders = ListSubfolders();
    if (!folders)
        return folders.GetError();
    for (const auto& info : *folders)
        if (message::SameName(info.name, name))
            return std::optional<CFolder>(CFolder(m_store, info.nid));
    return std::optional<CFolder>{};
}

Result<CFolder> CFolder::CreateSubfolder(const std::u16string& name, const std::u16string& containerClass)
{
    auto& store = m_store->GetImpl();
    Lock lock(store.mutex);
    MAPI_TRY(store.CheckWritable());
    if (name.empty())
        return MakeError("a folder needs a name");
    auto existing = FindSubfolder(name);
    if (!existing)
        return existing.GetError();
    if (*existing)
        return MakeError("a folder named " + NameText(name) + " exists already");
    Nid created = 0;
    ++store.hierarchyChanges;
    MAPI_TRY(store.Change([&]() -> Result<void> {
        auto nid = store.db->AllocateNid(NidType::NormalFolder);
        if (!nid)
            return nid.GetError();
        created = *nid;
        return message::WriteNewFolder(store, created, m_nid, message::NewFolderPc(name, containerClass));
    }));
    return CFolder(m_store, created);
}

Result<void> CFolder::SetName(const std::u16string& name)
{
    auto& store = m_store->GetImpl();
    Lock lock(store.mutex);
    if (name.empty())
        return MakeError("a folder needs a name");
    ++store.hierarchyChanges;
    return store.Change([&]() -> Result<void> {
        auto pc = store.ReadPc(m_nid);
        if (!pc)
            return pc.GetError();
        pc->Set(PR_DISPLAY_NAME, PropertyValue::Unicode(name));
        return message::UpdateFolder(store, m_nid, *pc);
    });
}

Result<std::vector<MessageInfo>> CFolder::ListMessages() const
{
    auto& store = m_store->GetImpl();
    Lock lock(store.mutex);
    std::vector<MessageInfo> messages;
    MAPI_TRY(ForEachRow(store, message::ContentsTableOf(m_nid), "contents table", m_nid, [&](const ltp::TableRow& row) {
        MessageInfo info;
        info.nid = row.rowId;
        info.subject = StringOf(row.cells, PR_SUBJECT);
        info.messageClass = StringOf(row.cells, PR_MESSAGE_CLASS);
        info.flags = row.cells.GetLong(PR_MESSAGE_FLAGS, 0);
        if (const auto* time = row.cells.Get(PR_MESSAGE_DELIVERY_TIME))
            info.deliveryTime = *time->Get<std::uint64_t>();
        messages.push_back(std::move(info));
    }));
    return messages;
}

CMessage CFolder::CreateMessage(const std::u16string& messageClass) const
{
    CMessage message(m_store, m_nid, 0);
    message.SetMessageClass(messageClass);
    return message;
}

Result<CMessage> CFolder::OpenMessage(Nid nid) const
{
    auto message = m_store->OpenMessage(nid);
    if (message && message->GetFolderNid() != m_nid)
        return MakeError("message " + std::to_string(nid) + " is not in folder " + std::to_string(m_nid));
    return message;
}

} // namespace mapi

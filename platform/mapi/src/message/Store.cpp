#include "mapi/Store.h"

#include "Bridge.h"
#include "StoreImpl.h"
#include "mapi/Folder.h"

namespace mapi {

namespace message {
Result<void> PopulateNewStore(CStore::Impl& store, const std::u16string& displayName);
}

using Lock = std::lock_guard<std::recursive_mutex>;

CStore::CStore(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CStore::~CStore() { (void)Close(); }

Result<std::shared_ptr<CStore>> CStore::Create(const std::filesystem::path& path, const std::u16string& displayName)
{
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    Impl* building = impl.get();
    auto db = CNodeDatabase::Create(path, ndb::CryptMethod::Permute, [&](CNodeDatabase& nodes) -> Result<void> {
        building->db = &nodes;
        return message::PopulateNewStore(*building, displayName);
    });
    if (!db)
        return db.GetError();
    impl->ownedDb = std::move(*db);
    impl->db = impl->ownedDb.get();
    return std::shared_ptr<CStore>(new CStore(std::move(impl)));
}

Result<std::shared_ptr<CStore>> CStore::Open(const std::filesystem::path& path, bool readOnly)
{
    auto db = CNodeDatabase::Open(path, readOnly);
    if (!db)
        return db.GetError();
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->ownedDb = std::move(*db);
    impl->db = impl->ownedDb.get();
    auto pc = impl->ReadPc(SpecialNid::MessageStore);
    if (!pc)
        return MakeError(path.string() + ": message store: " + pc.Message());
    impl->recordKey = pc->GetBinary(CHANGE_PROP_TYPE(PR_RECORD_KEY, CPropertyBag::kAnyType));
    if (impl->recordKey.size() != 16)
        return MakeError(path.string() + ": the message store has no record key");
    return std::shared_ptr<CStore>(new CStore(std::move(impl)));
}

Result<void> CStore::Close()
{
    Lock lock(m_impl->mutex);
    if (!m_impl->db)
        return {};
    ++m_impl->hierarchyChanges;
    Result<void> closed = m_impl->db->Close();
    m_impl->tables.Clear();
    m_impl->folderPcs.clear();
    m_impl->ownedDb.reset();
    m_impl->db = nullptr;
    return closed;
}

const std::filesystem::path& CStore::GetPath() const { return m_impl->path; }

std::uint64_t CStore::GetHierarchyChangeCount() const { return m_impl->hierarchyChanges.load(); }

bool CStore::IsUnicode() const { return !m_impl->db || m_impl->db->GetFormat() == ndb::Format::Unicode; }

bool CStore::IsReadOnly() const
{
    Lock lock(m_impl->mutex);
    return !m_impl->CheckWritable().Ok();
}

Result<std::u16string> CStore::GetDisplayName()
{
    Lock lock(m_impl->mutex);
    auto pc = m_impl->ReadPc(SpecialNid::MessageStore);
    if (!pc)
        return pc.GetError();
    return message::StringOf(*pc, PR_DISPLAY_NAME);
}

Result<void> CStore::SetDisplayName(const std::u16string& name)
{
    Lock lock(m_impl->mutex);
    return m_impl->Change([&]() -> Result<void> {
        auto pc = m_impl->ReadPc(SpecialNid::MessageStore);
        if (!pc)
            return pc.GetError();
        pc->Set(PR_DISPLAY_NAME, PropertyValue::Unicode(name));
        return m_impl->WritePc(SpecialNid::MessageStore, 0, *pc);
    });
}

Result<Bytes> CStore::GetRecordKey()
{
    Lock lock(m_impl->mutex);
    MAPI_TRY(m_impl->CheckOpen());
    return m_impl->recordKey;
}

Result<CPropertyBag> CStore::GetProperties()
{
    Lock lock(m_impl->mutex);
    return m_impl->ReadPc(SpecialNid::MessageStore);
}

Result<CFolder> CStore::GetRootFolder() { return OpenFolder(SpecialNid::RootFolder); }

Result<CFolder> CStore::GetIpmSubtree()
{
    Lock lock(m_impl->mutex);
    auto pc = m_impl->ReadPc(SpecialNid::MessageStore);
    if (!pc)
        return pc.GetError();
    auto nid = NidFromEntryId(pc->GetBinary(PR_IPM_SUBTREE_ENTRYID));
    if (!nid)
        return MakeError("the store's IPM subtree: " + nid.Message());
    return OpenFolder(*nid);
}

Result<CFolder> CStore::OpenFolder(Nid nid)
{
    Lock lock(m_impl->mutex);
    MAPI_TRY(m_impl->CheckOpen());
    if (NidTypeOf(nid) != NidType::NormalFolder && NidTypeOf(nid) != NidType::SearchFolder)
        return MakeError("node " + std::to_string(nid) + " is not a folder");
    auto exists = m_impl->db->NodeExists(nid);
    if (!exists)
        return exists.GetError();
    if (!*exists)
        return MakeError("folder " + std::to_string(nid) + " does not exist");
    return CFolder(shared_from_this(), nid);
}

Result<Bytes> CStore::GetEntryId(Nid nid)
{
    Lock lock(m_impl->mutex);
    MAPI_TRY(m_impl->CheckOpen());
    return m_impl->EntryId(nid);
}

Result<Nid> CStore::NidFromEntryId(const Bytes& entryId)
{
    Lock lock(m_impl->mutex);
    MAPI_TRY(m_impl->CheckOpen());
    const Bytes& key = m_impl->recordKey;
    if (entryId.size() != 4 + key.size() + 4)
        return MakeError("an entry id of " + std::to_string(entryId.size()) + " bytes is not one of this store");
    if (!std::equal(key.begin(), key.end(), entryId.begin() + 4))
        return MakeError("the entry id belongs to another store");
    Nid nid = 0;
    for (int i = 0; i < 4; ++i)
        nid |= static_cast<Nid>(entryId[4 + key.size() + i]) << (8 * i);
    return nid;
}

Result<std::optional<std::uint32_t>> CStore::GetNamedTag(const NamedTag& tag, bool create)
{
    Lock lock(m_impl->mutex);
    MAPI_TRY(m_impl->CheckOpen());
    return m_impl->NamedTag(tag, create);
}

Result<std::optional<NamedProperty>> CStore::GetNameOf(std::uint16_t propId)
{
    Lock lock(m_impl->mutex);
    MAPI_TRY(m_impl->CheckOpen());
    auto map = m_impl->Names();
    if (!map)
        return map.GetError();
    const NamedProperty* name = (*map)->Lookup(propId);
    return name ? std::optional<NamedProperty>(*name) : std::nullopt;
}

} // namespace mapi

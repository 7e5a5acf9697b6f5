#include "mapi/Profile.h"

#include "Bridge.h"
#include "win32/Process.h"

namespace mapi {

namespace {

std::filesystem::path Normal(const std::filesystem::path& path)
{
    std::error_code ec;
    auto normal = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    return ec ? std::filesystem::absolute(path) : normal;
}

} // namespace

CMailProfile& CMailProfile::Default()
{
    // What is still open is closed (and synced) when the process ends, after
    // the save a worker may be in the middle of: the store's lock waits for it.
    static CMailProfile profile;
    static const bool closedAtEnd = [] {
        win32::AtProcessEnd([] { (void)profile.CloseAll(); });
        return true;
    }();
    (void)closedAtEnd;
    return profile;
}

CMailProfile::~CMailProfile() { (void)CloseAll(); }

Result<std::shared_ptr<CStore>> CMailProfile::AddStore(const std::filesystem::path& path,
                                                       const std::u16string& newDisplayName)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto key = Normal(path);
    for (const auto& entry : m_stores)
        if (entry.path == key)
            return entry.store;
    std::error_code ec;
    auto store = std::filesystem::exists(key, ec) ? CStore::Open(key) : CStore::Create(key, newDisplayName);
    if (!store)
        return store.GetError();
    auto name = (*store)->GetDisplayName();
    if (!name)
        return name.GetError();
    m_stores.push_back({key, *store, *name});
    ++m_changes;
    return *store;
}

std::vector<ProfileStore> CMailProfile::GetStores() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stores;
}

std::shared_ptr<CStore> CMailProfile::FindStore(const std::filesystem::path& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto key = Normal(path);
    for (const auto& entry : m_stores)
        if (entry.path == key)
            return entry.store;
    return nullptr;
}

std::shared_ptr<CStore> CMailProfile::FindStoreByRootName(const std::u16string& name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& entry : m_stores)
        if (message::SameName(entry.rootName, name))
            return entry.store;
    return nullptr;
}

Result<void> CMailProfile::SetRootName(const std::shared_ptr<CStore>& store, const std::u16string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& entry : m_stores) {
        if (entry.store != store)
            continue;
        ++m_changes;
        MAPI_TRY(store->SetDisplayName(name));
        entry.rootName = name;
        return {};
    }
    return MakeError("the store is not in the profile");
}

Result<void> CMailProfile::RemoveStore(const std::filesystem::path& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto key = Normal(path);
    for (auto it = m_stores.begin(); it != m_stores.end(); ++it) {
        if (it->path != key)
            continue;
        auto store = it->store;
        m_stores.erase(it);
        ++m_changes;
        return store->Close();
    }
    return MakeError(path.string() + " is not in the profile");
}

Result<void> CMailProfile::CloseAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Result<void> first;
    ++m_changes;
    for (auto& entry : m_stores) {
        auto closed = entry.store->Close();
        if (first && !closed)
            first = closed;
    }
    m_stores.clear();
    return first;
}

} // namespace mapi

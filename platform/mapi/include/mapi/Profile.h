// The default mail profile: the one process-wide list of open stores that the
// automation servers share, so that a store one of them opened is the store
// the others see. Each entry is a PST path, its open store and the display
// name of its root (the store's display name). The servers share it as they
// share the other platform layers they link (platform/ole loads them so that
// one copy of each serves the process), whichever server touches it first.
#pragma once

#include "mapi/Result.h"
#include "mapi/Store.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mapi {

struct ProfileStore {
    std::filesystem::path path; // as given to AddStore, made absolute
    std::shared_ptr<CStore> store;
    std::u16string rootName;
};

class CMailProfile {
public:
    static CMailProfile& Default();

    CMailProfile() = default;
    ~CMailProfile();
    CMailProfile(const CMailProfile&) = delete;
    CMailProfile& operator=(const CMailProfile&) = delete;

    // The store at `path`, added to the end of the list: opened when the
    // file exists, else created with `newDisplayName`. A store already in
    // the list (the same file, by path) is returned and keeps its place.
    Result<std::shared_ptr<CStore>> AddStore(const std::filesystem::path& path, const std::u16string& newDisplayName);
    // The entries in the order they were added.
    std::vector<ProfileStore> GetStores() const;
    std::shared_ptr<CStore> FindStore(const std::filesystem::path& path) const;
    // The first store whose root display name matches, without regard to case.
    std::shared_ptr<CStore> FindStoreByRootName(const std::u16string& name) const;
    // Gives the store a new display name, in the file and in the list.
    Result<void> SetRootName(const std::shared_ptr<CStore>& store, const std::u16string& name);
    // Closes the store of `path` and takes it off the list.
    Result<void> RemoveStore(const std::filesystem::path& path);
    // Closes every store (each is synced) and empties the list; the first
    // error is returned after all were closed.
    Result<void> CloseAll();
    // Counts the changes of the list: stores added, renamed, removed or
    // closed. A caller that keeps a store found by name checks it against
    // this.
    std::uint64_t GetChangeCount() const { return m_changes.load(); }

private:
    mutable std::mutex m_mutex;
    std::vector<ProfileStore> m_stores;
    std::atomic<std::uint64_t> m_changes{0};
};

} // namespace mapi

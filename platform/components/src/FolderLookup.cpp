#include "components/FolderLookup.h"

#include "components/ProfileStores.h"

#include <cstdint>
#include <optional>

namespace components {

namespace {

// A store's name may itself hold backslashes (a target folder named from a
// text that holds one): the store is the longest leading run of the path's
// parts that names an open store, and the parts after it are its folders.
std::shared_ptr<mapi::CStore> FindStoreOf(const FolderPath& path, std::size_t& storeLevels)
{
    const auto& profile = mapi::CMailProfile::Default();
    for (std::size_t taken = path.levels.size() + 1; taken > 0; --taken) {
        std::u16string name = path.storeName;
        for (std::size_t i = 0; i + 1 < taken; ++i)
            name += u"\\" + path.levels[i];
        if (auto store = profile.FindStoreByRootName(name)) {
            storeLevels = taken - 1;
            return store;
        }
    }
    throw ole::CDispatchError(kNotFound, u"no open store is named \"" + path.storeName + u"\"");
}

// The folder that a thread found last, and the change counts it was found
// at: the mail walk looks up one path for every message of a folder, and
// the path names the same folder until a store is added, renamed or closed
// or a folder of the store is made or renamed.
struct KeptFolder {
    FolderPath path;
    std::weak_ptr<mapi::CStore> store;
    std::uint64_t profileChanges = 0;
    std::uint64_t storeChanges = 0;
    mapi::Nid nid = 0;
    std::u16string walked;
};

thread_local std::optional<KeptFolder> t_kept;

bool SamePath(const FolderPath& a, const FolderPath& b)
{
    return a.storeName == b.storeName && a.levels == b.levels;
}

std::optional<FolderRef> KeptFolderAt(const FolderPath& path, std::uint64_t profileChanges)
{
    if (!t_kept || t_kept->profileChanges != profileChanges || !SamePath(t_kept->path, path))
        return std::nullopt;
    auto store = t_kept->store.lock();
    if (!store || store->GetHierarchyChangeCount() != t_kept->storeChanges)
        return std::nullopt;
    return FolderRef{mapi::CFolder(store, t_kept->nid), t_kept->walked};
}

FolderRef WalkFolders(const FolderPath& path, const std::u16string* containerClass)
{
    // The counts are read before the walk, so that a change made while it
    // runs makes the next call walk again.
    const std::uint64_t profileChanges = mapi::CMailProfile::Default().GetChangeCount();
    if (auto kept = KeptFolderAt(path, profileChanges))
        return *kept;
    std::size_t storeLevels = 0;
    auto store = FindStoreOf(path, storeLevels);
    const std::uint64_t storeChanges = store->GetHierarchyChangeCount();
    std::u16string walked = u"\\\\" + path.storeName;
    for (std::size_t i = 0; i < storeLevels; ++i)
        walked += u"\\" + path.levels[i];
    mapi::CFolder folder = Checked(store->GetIpmSubtree(), u"cannot open the top folder of " + walked);
    for (std::size_t i = storeLevels; i < path.levels.size(); ++i) {
        const std::u16string& level = path.levels[i];
        auto next = Checked(folder.FindSubfolder(level), u"cannot read the folders of " + walked);
        if (!next && !containerClass)
            throw ole::CDispatchError(kNotFound, u"there is no folder \"" + level + u"\" in " + walked);
        walked += u"\\" + level;
        folder = next ? *next : Checked(folder.CreateSubfolder(level, *containerClass), u"cannot make " + walked);
    }
    t_kept = KeptFolder{path, store, profileChanges, storeChanges, folder.GetNid(), walked};
    return {folder, walked};
}

} // namespace

FolderRef FindFolder(const FolderPath& path)
{
    return WalkFolders(path, nullptr);
}

FolderRef MakeFolder(const FolderPath& path, const std::u16string& containerClass)
{
    return WalkFolders(path, &containerClass);
}

} // namespace components

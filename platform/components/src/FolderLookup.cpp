#include "components/FolderLookup.h"

#include "components/ProfileStores.h"

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

FolderRef WalkFolders(const FolderPath& path, const std::u16string* containerClass)
{
    std::size_t storeLevels = 0;
    auto store = FindStoreOf(path, storeLevels);
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

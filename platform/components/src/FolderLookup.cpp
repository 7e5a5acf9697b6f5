#include "components/FolderLookup.h"

#include "components/ProfileStores.h"

namespace components {

namespace {

FolderRef WalkFolders(const FolderPath& path, const std::u16string* containerClass)
{
    auto store = mapi::CMailProfile::Default().FindStoreByRootName(path.storeName);
    if (!store)
        throw ole::CDispatchError(kNotFound, u"no open store is named \"" + path.storeName + u"\"");
    std::u16string walked = u"\\\\" + path.storeName;
    mapi::CFolder folder = Checked(store->GetIpmSubtree(), u"cannot open the top folder of " + walked);
    for (const std::u16string& level : path.levels) {
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

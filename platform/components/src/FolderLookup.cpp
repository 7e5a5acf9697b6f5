#include "components/FolderLookup.h"

#include "ole/DispatchObject.h"

namespace components {

namespace {

FolderRef WalkFolders(CMailProfile& profile, const FolderPath& path, const std::u16string_view* containerClass)
{
    FolderRef folder;
    folder.store = profile.FindByDisplayName(path.storeName);
    if (!folder.store)
        throw ole::CDispatchError(kNotFound, u"no open store is named \"" + path.storeName + u"\"");
    folder.id = folder.store->TopFolder();
    folder.path = u"\\\\" + path.storeName;
    for (const std::u16string& level : path.levels) {
        auto next = folder.store->FindSubfolder(folder.id, level);
        if (!next && !containerClass)
            throw ole::CDispatchError(kNotFound, u"there is no folder \"" + level + u"\" in " + folder.path);
        folder.id = next ? *next : folder.store->CreateSubfolder(folder.id, level, *containerClass);
        folder.path += u"\\" + level;
    }
    return folder;
}

} // namespace

FolderRef FindFolder(CMailProfile& profile, const FolderPath& path)
{
    return WalkFolders(profile, path, nullptr);
}

FolderRef MakeFolder(CMailProfile& profile, const FolderPath& path, std::u16string_view containerClass)
{
    return WalkFolders(profile, path, &containerClass);
}

} // namespace components

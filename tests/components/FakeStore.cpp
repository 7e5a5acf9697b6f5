#include "FakeStore.h"

#include "win32/WideString.h"

#include <fstream>

namespace componenttest {

namespace {

std::map<std::filesystem::path, std::shared_ptr<CFakeStore>>& Stores()
{
    static std::map<std::filesystem::path, std::shared_ptr<CFakeStore>> stores;
    return stores;
}

} // namespace

std::optional<components::FolderId> CFakeStore::FindSubfolder(components::FolderId parent, std::u16string_view name)
{
    for (const auto& [id, folder] : m_folders) {
        if (folder.parent == parent && EqualsNoCase(folder.name, name))
            return id;
    }
    return std::nullopt;
}

components::FolderId CFakeStore::CreateSubfolder(components::FolderId parent, std::u16string_view name,
                                                 std::u16string_view containerClass)
{
    components::FolderId id = m_folders.rbegin()->first + 1;
    m_folders[id] = {std::u16string(name), std::u16string(containerClass), parent, {}};
    return id;
}

components::ItemId CFakeStore::SaveItem(components::FolderId folder, const components::ItemDraft& item,
                                        std::optional<components::ItemId> replacing)
{
    components::ItemId id = replacing.value_or(m_nextItem++);
    m_folders.at(folder).items[id] = item;
    return id;
}

void UseFakeStores()
{
    Stores().clear();
    components::SetStoreFileOpener([](const std::filesystem::path& hostPath) {
        auto& store = Stores()[std::filesystem::weakly_canonical(hostPath)];
        if (!store) {
            std::ofstream(hostPath, std::ios::app).flush();
            store = std::make_shared<CFakeStore>();
        }
        return store;
    });
}

std::shared_ptr<CFakeStore> FakeStoreAt(const std::filesystem::path& hostPath)
{
    auto it = Stores().find(std::filesystem::weakly_canonical(hostPath));
    return it == Stores().end() ? nullptr : it->second;
}

} // namespace componenttest

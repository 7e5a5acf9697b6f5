// An in-memory stand-in for store files, for as long as the PST layer is not
// linked in: each host path keeps its store for the whole test process.
#pragma once

#include "components/MessageStore.h"

#include <map>
#include <vector>

namespace componenttest {

struct FakeFolder {
    std::u16string name;
    std::u16string containerClass;
    components::FolderId parent = 0;
    std::map<components::ItemId, components::ItemDraft> items;
};

class CFakeStore final : public components::IMessageStore {
public:
    std::u16string DisplayName() override { return m_displayName; }
    void SetDisplayName(std::u16string_view name) override { m_displayName = name; }
    components::FolderId TopFolder() override { return 1; }
    std::optional<components::FolderId> FindSubfolder(components::FolderId parent, std::u16string_view name) override;
    components::FolderId CreateSubfolder(components::FolderId parent, std::u16string_view name,
                                         std::u16string_view containerClass) override;
    components::ItemId SaveItem(components::FolderId folder, const components::ItemDraft& item,
                                std::optional<components::ItemId> replacing) override;

    std::u16string m_displayName = u"Personal Folders";
    std::map<components::FolderId, FakeFolder> m_folders{{1, {u"Top of Personal Folders", u"", 0, {}}}};
    components::ItemId m_nextItem = 1;
};

// Puts the fake stores in place of the store layer, all of them empty.
void UseFakeStores();
// The store of a host path, once opened.
std::shared_ptr<CFakeStore> FakeStoreAt(const std::filesystem::path& hostPath);

} // namespace componenttest

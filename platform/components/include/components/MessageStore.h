// What the components need of a message store: its display name (the name
// of its top folder as Outlook lists it), the folders below its top folder,
// and durable saving of whole items.
#pragma once

#include "components/ItemDraft.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace components {

using FolderId = std::uint32_t;
using ItemId = std::uint32_t;

class IMessageStore {
public:
    virtual ~IMessageStore() = default;

    virtual std::u16string DisplayName() = 0;
    virtual void SetDisplayName(std::u16string_view name) = 0;

    // The top folder of the store's folder tree, under which every folder
    // of a folder path lies.
    virtual FolderId TopFolder() = 0;
    // A subfolder by display name, compared without regard to case.
    virtual std::optional<FolderId> FindSubfolder(FolderId parent, std::u16string_view name) = 0;
    virtual FolderId CreateSubfolder(FolderId parent, std::u16string_view name,
                                     std::u16string_view containerClass) = 0;
    // Writes the item into the folder, in place of the item `replacing` when
    // one is given (an item saved again); it is in the file when this returns.
    virtual ItemId SaveItem(FolderId folder, const ItemDraft& item, std::optional<ItemId> replacing) = 0;
};

// Opens the store file at a host path, creating it when it does not exist.
// Throws ole::CDispatchError naming the file when it cannot.
std::shared_ptr<IMessageStore> OpenStoreFile(const std::filesystem::path& hostPath);

// How store files are opened while the PST layer is not linked in.
using StoreFileOpener = std::function<std::shared_ptr<IMessageStore>(const std::filesystem::path&)>;
void SetStoreFileOpener(StoreFileOpener opener);

} // namespace components

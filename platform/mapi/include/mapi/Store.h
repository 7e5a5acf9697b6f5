// A message store: one PST file with its folders and messages.
//
// A store is shared: folders and messages keep it alive, and every call takes
// its lock, so the objects of one store may be used from several threads one
// call at a time. Every change that a call makes is durable when the call
// returns (the file is synced, header last), so a process that ends at any
// moment after it leaves a file that readers open with the change in it.
#pragma once

#include "mapi/Nid.h"
#include "mapi/NodeContent.h"
#include "mapi/Properties.h"
#include "mapi/Result.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace mapi {

class CFolder;
class CMessage;

class CStore : public std::enable_shared_from_this<CStore> {
public:
    struct Impl;

    ~CStore();
    CStore(const CStore&) = delete;
    CStore& operator=(const CStore&) = delete;

    // A new Unicode PST at `path`, which must not exist: the message store,
    // the name-to-id map, the table templates, the search objects and the
    // folders every store has (the root folder, "Top of Personal Folders"
    // (the IPM subtree), "Search Root", "SPAM Search Folder 2" and "Deleted
    // Items"). `displayName` is the store's display name: the name Outlook
    // shows for the store's top folder.
    static Result<std::shared_ptr<CStore>> Create(const std::filesystem::path& path, const std::u16string& displayName);
    // An existing PST. Unicode files open read-write unless readOnly; ANSI
    // (32-bit) files open read-only, and every write to them fails with an
    // error that says so.
    static Result<std::shared_ptr<CStore>> Open(const std::filesystem::path& path, bool readOnly = false);

    // Writes what is pending, syncs and closes the file. Objects of the store
    // fail afterwards. The destructor closes too, ignoring errors.
    Result<void> Close();

    const std::filesystem::path& GetPath() const;
    bool IsUnicode() const;
    // True for a store opened read-only and for every ANSI store.
    bool IsReadOnly() const;
    // Counts the changes that can move a folder's name or place: folders
    // made or renamed, the store closed. A caller that keeps a folder it
    // found by name knows by it whether the names it went by still stand.
    std::uint64_t GetHierarchyChangeCount() const;

    // The store's PR_DISPLAY_NAME. The root folder's own name stays empty,
    // as Outlook leaves it; Outlook and the readers show this one for it.
    Result<std::u16string> GetDisplayName();
    Result<void> SetDisplayName(const std::u16string& name);
    // The store's PR_RECORD_KEY: the 16 bytes that its entry ids carry.
    Result<Bytes> GetRecordKey();
    Result<CPropertyBag> GetProperties();

    // The root folder of the hierarchy (NID_ROOT_FOLDER).
    Result<CFolder> GetRootFolder();
    // The IPM subtree ("Top of Personal Folders", PR_IPM_SUBTREE_ENTRYID):
    // the folders a user sees under the store's name are its subfolders.
    Result<CFolder> GetIpmSubtree();
    Result<CFolder> OpenFolder(Nid nid);
    Result<CMessage> OpenMessage(Nid nid);

    // Entry ids of the objects of this store ([MS-PST] 2.4.3.2): four flag
    // bytes, the record key and the NID; and back.
    Result<Bytes> GetEntryId(Nid nid);
    Result<Nid> NidFromEntryId(const Bytes& entryId);

    // The tag a named property has in this store, of the NamedTag's type.
    // With create, a name the store does not know yet gets the next free id
    // (it is written with the next change); without, an unknown name gives
    // nullopt.
    Result<std::optional<std::uint32_t>> GetNamedTag(const NamedTag& tag, bool create);
    // The name behind a property id of 0x8000 or more, when the map has one.
    Result<std::optional<NamedProperty>> GetNameOf(std::uint16_t propId);

private:
    friend class CFolder;
    friend class CMessage;
    Impl& GetImpl() { return *m_impl; }

    explicit CStore(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace mapi

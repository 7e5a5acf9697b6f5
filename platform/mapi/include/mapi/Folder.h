// A folder of a store: a property context with its hierarchy, contents and
// folder-associated contents tables ([MS-PST] 2.4.4). A CFolder is a handle:
// it names the folder by NID and reads the store on every call.
#pragma once

#include "mapi/Nid.h"
#include "mapi/Properties.h"
#include "mapi/Result.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mapi {

class CStore;
class CMessage;

// Container classes of the folders the system makes.
inline constexpr const char16_t* kClassNoteFolder = u"IPF.Note";
inline constexpr const char16_t* kClassContactFolder = u"IPF.Contact";
inline constexpr const char16_t* kClassAppointmentFolder = u"IPF.Appointment";

struct FolderCounts {
    std::int32_t contentCount = 0; // PR_CONTENT_COUNT: messages in the folder
    std::int32_t unreadCount = 0;  // PR_CONTENT_UNREAD: those without MSGFLAG_READ
    bool hasSubfolders = false;    // PR_SUBFOLDERS
};

// One row of a hierarchy table: a subfolder as its parent lists it.
struct FolderInfo {
    Nid nid = 0;
    std::u16string name;
    std::u16string containerClass;
    FolderCounts counts;
};

// One row of a contents table: a message as its folder lists it.
struct MessageInfo {
    Nid nid = 0;
    std::u16string subject;
    std::u16string messageClass;
    std::int32_t flags = 0;          // PR_MESSAGE_FLAGS
    std::uint64_t deliveryTime = 0;  // PR_MESSAGE_DELIVERY_TIME (FILETIME), 0 when unset
};

class CFolder {
public:
    CFolder(std::shared_ptr<CStore> store, Nid nid);

    Nid GetNid() const { return m_nid; }
    const std::shared_ptr<CStore>& GetStore() const { return m_store; }

    Result<std::u16string> GetName() const;
    Result<std::u16string> GetContainerClass() const;
    Result<FolderCounts> GetCounts() const;
    Result<CPropertyBag> GetProperties() const;
    // The parent folder; the root folder is its own parent.
    Result<CFolder> GetParent() const;

    // The subfolders in the order of the hierarchy table.
    Result<std::vector<FolderInfo>> ListSubfolders() const;
    // The subfolder of that name, compared without regard to case as Outlook
    // compares folder names; nullopt when there is none.
    Result<std::optional<CFolder>> FindSubfolder(const std::u16string& name) const;
    // A new subfolder with its three tables, listed in this folder's
    // hierarchy table. Fails when the name is empty or a subfolder of that
    // name exists; callers that accept an existing folder look it up first.
    Result<CFolder> CreateSubfolder(const std::u16string& name, const std::u16string& containerClass = kClassNoteFolder);
    // Renames the folder (its PC and its row in the parent's table).
    Result<void> SetName(const std::u16string& name);

    // The messages in the order of the contents table.
    Result<std::vector<MessageInfo>> ListMessages() const;
    // A new message of this folder, not saved yet: it leaves nothing in the
    // file until CMessage::Save.
    CMessage CreateMessage(const std::u16string& messageClass = u"IPM.Note") const;
    Result<CMessage> OpenMessage(Nid nid) const;

private:
    std::shared_ptr<CStore> m_store;
    Nid m_nid;
};

} // namespace mapi

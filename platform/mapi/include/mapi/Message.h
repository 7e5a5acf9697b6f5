// A message of a folder ([MS-PST] 2.4.5, [MS-OXCMSG]): its properties, its
// recipients and its attachments, held in memory and written by Save().
// Mail, contacts and appointments are all messages; their message class
// (IPM.Note, IPM.Contact, IPM.Appointment) and properties tell them apart.
// A CMessage is a value that one thread uses at a time; its store is shared.
#pragma once

#include "mapi/Attachment.h"
#include "mapi/Nid.h"
#include "mapi/Properties.h"
#include "mapi/Result.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mapi {

class CFolder;
class CStore;

struct Recipient {
    std::int32_t type = MAPI_TO; // PR_RECIPIENT_TYPE: MAPI_TO, MAPI_CC or MAPI_BCC
    std::u16string displayName;  // PR_DISPLAY_NAME
    std::u16string address;      // PR_EMAIL_ADDRESS
    std::u16string addressType = u"SMTP"; // PR_ADDRTYPE
    // Further properties of the recipient's row.
    CPropertyBag extra;
};

class CMessage {
public:
    // NID 0 until the first Save.
    Nid GetNid() const { return m_nid; }
    bool IsSaved() const { return m_nid != 0; }
    Nid GetFolderNid() const { return m_folder; }
    const std::shared_ptr<CStore>& GetStore() const { return m_store; }

    // Properties by tag. A tag names its property id and the type of the
    // value; setting a value of another type for the same id replaces it.
    const CPropertyBag& Properties() const { return m_properties; }
    void SetProperty(std::uint32_t tag, PropertyValue value);
    const PropertyValue* GetProperty(std::uint32_t tag) const;
    bool RemoveProperty(std::uint32_t tag);

    // Typed access. SetString writes PT_UNICODE whatever the tag's string
    // type; GetString reads PT_UNICODE, or PT_STRING8 in the ANSI code page
    // (Windows-1252, as ANSI stores hold them); empty when it is missing.
    void SetString(std::uint32_t tag, const std::u16string& value);
    std::u16string GetString(std::uint32_t tag) const;
    void SetLong(std::uint32_t tag, std::int32_t value);
    std::optional<std::int32_t> GetLong(std::uint32_t tag) const;
    void SetBoolean(std::uint32_t tag, bool value);
    std::optional<bool> GetBoolean(std::uint32_t tag) const;
    void SetTime(std::uint32_t tag, FileTime value);
    std::optional<FileTime> GetTime(std::uint32_t tag) const;

    // Named properties, through the store's name-to-id map.
    Result<void> SetNamedProperty(const NamedTag& tag, PropertyValue value);
    // nullopt when the message lacks it (or the store never named it). A
    // string of an ANSI store (PT_STRING8) reads as PT_UNICODE.
    Result<std::optional<PropertyValue>> GetNamedProperty(const NamedTag& tag) const;

    std::u16string GetMessageClass() const;
    void SetMessageClass(const std::u16string& messageClass);
    std::u16string GetSubject() const;
    void SetSubject(const std::u16string& subject);
    // The sender (PR_SENDER_*) and the one it was sent for
    // (PR_SENT_REPRESENTING_*): names, address, address type, entry ids and
    // search keys of one person.
    void SetSender(const std::u16string& name, const std::u16string& address,
                   const std::u16string& addressType = u"SMTP");
    // MSGFLAG_READ of PR_MESSAGE_FLAGS; a message counts as unread in its
    // folder without it.
    bool IsRead() const;
    void SetRead(bool read);
    // MSGFLAG_UNSENT: a draft.
    bool IsUnsent() const;
    void SetUnsent(bool unsent);

    // The bodies. Plain text is PR_BODY. HTML is PR_HTML, stored as UTF-8
    // with PR_INTERNET_CPID 65001 and read back in the code page it names.
    // RTF is PR_RTF_COMPRESSED, LZFu-compressed ([MS-OXRTFCP]), with
    // PR_RTF_IN_SYNC set.
    std::u16string GetBody() const;
    void SetBody(const std::u16string& text);
    std::u16string GetHtmlBody() const;
    void SetHtmlBody(const std::u16string& html);
    // The RTF text; an error when the compressed RTF is damaged, empty when
    // there is none.
    Result<std::string> GetRtfBody() const;
    void SetRtfBody(const std::string& rtf);

    const std::vector<Recipient>& GetRecipients() const { return m_recipients; }
    void AddRecipient(Recipient recipient);
    void ClearRecipients();

    const std::vector<CAttachment>& GetAttachments() const { return m_attachments; }
    void AddAttachment(CAttachment attachment);
    void RemoveAttachment(std::size_t index);

    // Writes the message: its property context with the recipient and
    // attachment tables and the attachments as subnodes, its row in the
    // folder's contents table, and the folder's counts (in its property
    // context and in its row of the parent's hierarchy table). The first
    // save gives the message its NID; later saves replace it. Durable when
    // it returns.
    Result<void> Save();

private:
    friend class CFolder;
    friend class CStore;
    CMessage(std::shared_ptr<CStore> store, Nid folder, Nid nid);

    std::shared_ptr<CStore> m_store;
    Nid m_folder = 0;
    Nid m_nid = 0;
    CPropertyBag m_properties;
    std::vector<Recipient> m_recipients;
    std::vector<CAttachment> m_attachments;
    // Named properties set on this object, with the tags they were given:
    // Save gives them their ids again, in case the store's map changed.
    std::vector<std::pair<NamedTag, std::uint32_t>> m_named;
    // As last saved or read: the folder's unread count follows the change.
    bool m_savedRead = false;
};

} // namespace mapi

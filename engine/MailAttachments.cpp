// The attachment step: every attachment of the document detached into the
// attachment folder, "$MIM" parts decoded from base64, and the list of the
// files for Brenmoor.
#include "MailMessage.h"

#include "LostDocuments.h"
#include "notes/Notes.h"
#include "win32/CodePage.h"
#include "win32/FileApi.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::u16string_view kMimePartPrefix = u"$MIM";
constexpr std::u16string_view kDecodeFileName = u"Decode.bmp";

// A part that could not be decoded is left out of the list, which must name
// only files that exist.
struct DecodeFailed : std::runtime_error {
    DecodeFailed()
        : std::runtime_error("its base64 text cannot be decoded")
    {
    }
};

// The characters a file name may have in the folder: a path holds fewer
// than MAX_PATH.
std::size_t RoomForName(const CString& folder)
{
    const auto used = static_cast<std::size_t>(folder.GetLength());
    return used < MAX_PATH - 1 ? MAX_PATH - 1 - used : 0;
}

} // namespace

void CMailMessageBuilder::CollectAttachments(const LNDocument& document, MailMessageParts& parts)
{
    if (!document.HasAttachments())
        return;
    LNAttachmentArray attachments;
    document.GetAttachments(&attachments);
    const LNINT count = attachments.GetCount();
    const CString folder = AttachmentFolder();
    CAttachmentNames names;
    CString list;
    // Each attachment has a guard of its own: one that fails costs only
    // itself, not those detached before it, and is reported as lost.
    for (LNINT a = 0; a < count; ++a) {
        std::u16string name;
        std::u16string why;
        const bool detached = RunGuardedTelling(
            [&] {
                const LNAttachment attachment = attachments[a];
                name = AnsiToWide(attachment.GetAttachmentName().Text());
                CString entry = DetachAttachment(attachment, folder, names);
                list += entry + u";";
            },
            why);
        if (!detached)
            ReportLostDocument(parts.noteId, parts.subject.Str(),
                               u"attachment \"" + name + u"\" cannot be detached (" + why + u")");
    }
    if (!list.IsEmpty())
        parts.attachments = list;
}

CString CMailMessageBuilder::DetachAttachment(const LNAttachment& attachment, const CString& folder,
                                              CAttachmentNames& names)
{
    const std::u16string name = AnsiToWide(attachment.GetAttachmentName().Text());
    const CString path = folder + CString(names.Take(name, RoomForName(folder)));
    attachment.Detach(LNString(WideToAnsi(path.Str())));
    if (name.compare(0, kMimePartPrefix.size(), kMimePartPrefix) != 0)
        return path;
    // Every part decodes into a file of its own; the first one keeps the
    // name "\Decode.bmp" after the folder's own backslash.
    const CString decoded = folder + u"\\" + CString(names.Take(kDecodeFileName, std::max<std::size_t>(RoomForName(folder), 1) - 1));
    if (m_codec.Base64DecodeFile(path, decoded) != 0 || _waccess(decoded, 0) != 0)
        throw DecodeFailed{};
    return decoded;
}

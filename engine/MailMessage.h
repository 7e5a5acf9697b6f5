// One Notes mail document made into the ten parts that Brenmoor writes a
// message from, and handed over. Every part is gathered by a step of its
// own, so a failing item costs only its part; the run's stop check follows
// every step.
#pragma once

#include "AttachmentNames.h"
#include "Base64Codec.h"
#include "afx/String.h"
#include "ole/OleAuto.h"

#include <cstdint>
#include <functional>

class CProDlg;
class LNDocument;
class LNNotesSession;
class LNAttachment;
class LNRichText;

// The kind of part 8.
enum MailBodyKind : SHORT {
    kMailBodyText = 0,
    kMailBodyHtml = 1,
    kMailBodyRtf = 2,
};

// The parts in the order of Brenmoor's 0x6003002D; an empty text goes as a
// null string.
struct MailMessageParts {
    CString folderPath;  // 1: the store-rooted PST folder, kept for the whole folder
    CString subject;     // 2
    CString to;          // 3: "SendTo", else "EnterSendTo", abbreviated, joined by ", "
    CString emlPath;     // 4: the file that holds the From line
    CString date;        // 5: "PostedDate", else the last change, as text
    CString attachments; // 6: the path of each detached file, each followed by ";"
    CString body;        // 7: the plain text of "Body"
    SHORT bodyKind = kMailBodyText; // 8
    CString cc;          // 9: "CopyTo", else "EnterCopyTo"
    CString spare;       // 10: always empty
    // The note id of the document the parts come from, which names it in
    // the log when its message is lost.
    std::int64_t noteId = 0;

    // Empties parts 2 to 10.
    void ReleaseMessage();
};

// The temporary files of the mail conversion.
inline constexpr LPCWSTR kEmlPath = u"C:\\tol.eml";
// The RTF body file: "C:\tol", this number and ".rtf"; it never changes.
extern int g_nRtfFileNumber;
CString RtfBodyFilePath();
// The install folder's "\Attachment\", where attachments are detached.
CString AttachmentFolder();

class CMailMessageBuilder {
public:
    // stopCheck is the run's stop check; it does not return when the run
    // ends there.
    CMailMessageBuilder(CProDlg& dialog, LNNotesSession& session, std::function<void()> stopCheck);

    // Gathers the parts of the open document into parts 2 to 10 and hands
    // the message over; parts 2 to 10 are empty again afterwards.
    void ConvertMailDocument(const LNDocument& document, MailMessageParts& parts);

private:
    void WriteSenderEml(const LNDocument& document);
    // The names of the item, or nothing when askFirst finds no such item.
    CString RecipientNames(const LNDocument& document, const char* itemName, bool askFirst);
    CString JoinAbbreviatedNames(const LNDocument& document, const char* itemName);
    void ReadPostedDate(const LNDocument& document, MailMessageParts& parts);
    void ReadSubject(const LNDocument& document, MailMessageParts& parts);
    void CollectAttachments(const LNDocument& document, MailMessageParts& parts);
    CString DetachAttachment(const LNAttachment& attachment, const CString& folder, CAttachmentNames& names);
    void ReadMailBody(const LNDocument& document, MailMessageParts& parts);
    void ExportRtfBody(const LNRichText& body);
    void HandOffToBrenmoor(MailMessageParts& parts);

    CProDlg& m_dialog;
    LNNotesSession& m_session;
    std::function<void()> m_stopCheck;
    Base64Codec m_codec;
};

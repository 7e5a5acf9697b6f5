// The mail message that Brenmoor writes from the ten parts its caller hands
// over: the folder path, subject, to, EML path, date text, ";"-terminated
// attachment list, body, body kind, cc and a spare part.
#pragma once

#include "mapi/Message.h"
#include "ole/OleAuto.h"

#include <string>
#include <vector>

namespace components {

enum class BodyKind : SHORT {
    Text = 0,
    Html = 1,
    Rtf = 2,
};

struct MailParts {
    std::u16string folderPath;
    std::u16string subject;
    std::u16string to;
    std::u16string emlPath;
    std::u16string dateText;
    std::u16string attachmentList;
    std::u16string body;
    SHORT bodyKind = 0;
    std::u16string cc;
    std::u16string spare;
};

// Fills a new message with the parts, every file read now: the sender from the "From:" line of
// the EML file (none when the file holds no such line), the date as delivery
// and submit time when the text parses as a date, the body as plain text,
// as HTML (kind 1), or as RTF from rtfBodyPath (kind 2, with the body text as
// its plain form; a missing RTF file leaves the plain text alone), each
// attachment's name and bytes; marked read and not a draft.
// Throws ole::CDispatchError naming the file for a missing or unreadable EML
// file or attachment, and for a body kind other than 0, 1 and 2.
void AssembleMail(mapi::CMessage& message, const MailParts& parts, std::u16string_view rtfBodyPath);

} // namespace components

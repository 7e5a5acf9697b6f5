// The names under which one document's attachments are detached into the
// attachment folder. A name from the database is not trusted as a path:
// only its last component is used, so that no name reaches outside the
// folder, and ";" (which ends an entry of the mail's attachment list)
// becomes "_".
// Two attachments of one document never share a file: a name already taken
// gets a number, "report(2).doc", the second "$MIM" part's decode file too.
// A name too long for the folder's paths loses the end of its stem, never
// its extension, rather than the attachment.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

// The last component of a name, after any "\", "/" or ":", with the
// characters that a Windows file name cannot hold (* ? " < > | and the
// control characters) made "_"; "Attachment" for a name that leaves nothing
// usable ("", ".", "..", "C:\").
std::u16string AttachmentBaseName(std::u16string_view name);

class CAttachmentNames {
public:
    // A file name for the attachment name, not yet taken in this document;
    // names are compared without regard to case, as the folder does. The
    // result holds at most maxLength characters.
    std::u16string Take(std::u16string_view name, std::size_t maxLength = std::u16string::npos);

private:
    std::set<std::u16string> m_taken;
};

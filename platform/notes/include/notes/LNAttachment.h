// Files attached to a note.
#pragma once

#include "notes/Detail.h"
#include "notes/LNString.h"

#include <memory>
#include <vector>

class LNAttachment {
public:
    LNString GetAttachmentName() const;
    std::int64_t GetSize() const { return m_info.size; }
    // Writes the attachment's bytes to an ANSI Windows path, replacing the
    // file; LNERR_CANNOT_CREATE_FILE when it cannot be created.
    LNSTATUS Detach(const LNString& path) const;

private:
    friend class LNAttachmentArray;
    std::shared_ptr<notes::detail::DatabaseFile> m_file;
    notes::detail::AttachmentInfo m_info;
};

class LNAttachmentArray {
public:
    LNINT GetCount() const;
    // Throws LNERR_INDEX_OUT_OF_RANGE for a bad index.
    LNAttachment operator[](LNINT index) const;

private:
    friend class LNNote;
    std::shared_ptr<notes::detail::DatabaseFile> m_file;
    std::vector<notes::detail::AttachmentInfo> m_attachments;
};

#include "notes/LNAttachment.h"

#include "DatabaseFile.h"
#include "Status.h"

#include "WriteWindowsFile.h"

using notes::detail::Enter;
using notes::detail::Report;

LNString LNAttachment::GetAttachmentName() const
{
    notes::detail::EnterOrRaise("LNAttachment::GetAttachmentName");
    if (!m_file)
        notes::detail::Raise(LNERR_NULL_OBJECT);
    return LNString(m_info.name);
}

LNSTATUS LNAttachment::Detach(const LNString& path) const
{
    if (LNSTATUS fault = Enter("LNAttachment::Detach"))
        return fault;
    if (!m_file)
        return Report(LNERR_NULL_OBJECT);
    std::string data;
    if (LNSTATUS status = m_file->ReadAttachmentData(m_info.attachId, &data))
        return Report(status);
    return Report(notes::detail::WriteWindowsFile(path.Text(), data));
}

LNINT LNAttachmentArray::GetCount() const
{
    notes::detail::EnterOrRaise("LNAttachmentArray::GetCount");
    return static_cast<LNINT>(m_attachments.size());
}

LNAttachment LNAttachmentArray::operator[](LNINT index) const
{
    notes::detail::EnterOrRaise("LNAttachmentArray::operator[]");
    if (index < 0 || static_cast<std::size_t>(index) >= m_attachments.size())
        notes::detail::Raise(LNERR_INDEX_OUT_OF_RANGE);
    LNAttachment attachment;
    attachment.m_file = m_file;
    attachment.m_info = m_attachments[static_cast<std::size_t>(index)];
    return attachment;
}

#include "notes/LNNote.h"

#include "DatabaseFile.h"
#include "Status.h"
#include "notes/LNAttachment.h"
#include "notes/LNDatetime.h"
#include "notes/LNItem.h"


using notes::detail::Enter;
using notes::detail::EnterOrRaise;
using notes::detail::Raise;
using notes::detail::Report;

namespace {

// Item names compare without case, ASCII's alone (the library runs in the C
// locale, where that is all tolower folds).
bool SameItemName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z'))
            return false;
    }
    return true;
}

const notes::detail::ItemData* FindItem(const notes::detail::NoteData& data, std::string_view name)
{
    for (const auto& item : data.items) {
        if (SameItemName(item.name, name))
            return &item;
    }
    return nullptr;
}

} // namespace

LNNote::LNNote() = default;
LNNote::~LNNote() = default;

LNSTATUS LNNote::Open(LNINT flags)
{
    if (LNSTATUS fault = Enter("LNDocument::Open"))
        return fault;
    if (!m_state || !m_state->database)
        return Report(LNERR_NULL_OBJECT);
    auto file = m_state->database->file;
    if (!file)
        return Report(LNERR_NOT_OPEN);
    auto data = std::make_shared<notes::detail::NoteData>();
    if (LNSTATUS status = file->ReadNote(m_state->noteId, data.get()))
        return Report(status);
    m_state->data = std::move(data);
    m_state->file = std::move(file);
    return LNNOERROR;
}

LNSTATUS LNNote::Close()
{
    if (LNSTATUS fault = Enter("LNNote::Close"))
        return fault;
    if (m_state) {
        m_state->data.reset();
        m_state->file.reset();
    }
    return LNNOERROR;
}

bool LNNote::IsOpen() const
{
    return m_state && m_state->data;
}

LNBOOL LNNote::HasItem(const LNString& name) const
{
    EnterOrRaise("LNNote::HasItem");
    return IsOpen() && FindItem(*m_state->data, name.Text()) ? TRUE : FALSE;
}

LNSTATUS LNNote::GetItem(const LNString& name, LNItem* item) const
{
    if (LNSTATUS fault = Enter("LNNote::GetItem"))
        return fault;
    if (!item)
        return Report(LNERR_BAD_PARAMETER);
    if (!IsOpen())
        return Report(LNERR_NOT_OPEN);
    const notes::detail::ItemData* data = FindItem(*m_state->data, name.Text());
    if (!data)
        return Report(LNERR_ITEM_NOT_FOUND);
    if (item->AcceptedType() != LNITEMTYPE_ANY && item->AcceptedType() != data->type)
        return Report(LNERR_TYPE_MISMATCH);
    return Report(item->Load(*data));
}

LNSTATUS LNNote::GetItemAt(LNINT index, LNItem* item) const
{
    if (LNSTATUS fault = Enter("LNNote::GetItem"))
        return fault;
    if (!item)
        return Report(LNERR_BAD_PARAMETER);
    if (!IsOpen())
        return Report(LNERR_NOT_OPEN);
    const auto& items = m_state->data->items;
    if (index < 0 || static_cast<std::size_t>(index) >= items.size())
        return Report(LNERR_INDEX_OUT_OF_RANGE);
    const auto& data = items[static_cast<std::size_t>(index)];
    if (item->AcceptedType() != LNITEMTYPE_ANY && item->AcceptedType() != data.type)
        return Report(LNERR_TYPE_MISMATCH);
    return Report(item->Load(data));
}

LNINT LNNote::GetItemCount() const
{
    EnterOrRaise("LNNote::GetItemCount");
    if (!IsOpen())
        Raise(LNERR_NOT_OPEN);
    return static_cast<LNINT>(m_state->data->items.size());
}

LNBOOL LNNote::HasAttachments() const
{
    EnterOrRaise("LNNote::HasAttachments");
    return IsOpen() && !m_state->data->attachments.empty() ? TRUE : FALSE;
}

LNSTATUS LNNote::GetAttachments(LNAttachmentArray* attachments) const
{
    if (LNSTATUS fault = Enter("LNNote::GetAttachments"))
        return fault;
    if (!attachments)
        return Report(LNERR_BAD_PARAMETER);
    if (!IsOpen())
        return Report(LNERR_NOT_OPEN);
    attachments->m_file = m_state->file;
    attachments->m_attachments = m_state->data->attachments;
    return LNNOERROR;
}

LNDatetime LNNote::GetCreated() const
{
    EnterOrRaise("LNNote::GetCreated");
    if (!IsOpen())
        Raise(LNERR_NOT_OPEN);
    return LNDatetime(m_state->data->created);
}

LNDatetime LNNote::GetLastModified() const
{
    EnterOrRaise("LNNote::GetLastModified");
    if (!IsOpen())
        Raise(LNERR_NOT_OPEN);
    return LNDatetime(m_state->data->modified);
}

LNDatetime LNNote::GetAddedToFile() const
{
    EnterOrRaise("LNNote::GetAddedToFile");
    if (!IsOpen())
        Raise(LNERR_NOT_OPEN);
    return LNDatetime(m_state->data->added);
}

LNString LNNote::GetUniversalID() const
{
    EnterOrRaise("LNNote::GetUniversalID");
    if (!IsOpen())
        Raise(LNERR_NOT_OPEN);
    return LNString(m_state->data->unid);
}

std::int64_t LNNote::GetNoteID() const
{
    if (!m_state)
        Raise(LNERR_NULL_OBJECT);
    return m_state->noteId;
}

#include "notes/LNViewFolder.h"

#include "DatabaseFile.h"
#include "Status.h"
#include "notes/LNNote.h"

using notes::detail::Enter;
using notes::detail::EnterOrRaise;
using notes::detail::Raise;
using notes::detail::Report;

LNViewFolder::LNViewFolder() = default;
LNViewFolder::~LNViewFolder() = default;

LNSTATUS LNViewFolder::Open(LNINT flags)
{
    if (LNSTATUS fault = Enter("LNViewFolder::Open"))
        return fault;
    if (!m_database)
        return Report(LNERR_NULL_OBJECT);
    if (!m_database->file)
        return Report(LNERR_NOT_OPEN);
    m_open = true;
    return LNNOERROR;
}

LNSTATUS LNViewFolder::Close()
{
    if (LNSTATUS fault = Enter("LNViewFolder::Close"))
        return fault;
    m_open = false;
    return LNNOERROR;
}

LNString LNViewFolder::GetName() const
{
    EnterOrRaise("LNViewFolder::GetName");
    if (!m_database)
        Raise(LNERR_NULL_OBJECT);
    return LNString(m_row.name);
}

bool LNViewFolder::IsFolder() const
{
    return m_row.isFolder;
}

LNINT LNViewFolder::GetEntryCount() const
{
    EnterOrRaise("LNViewFolder::GetEntryCount");
    if (!m_open)
        Raise(LNERR_NOT_OPEN);
    return m_row.entryCount;
}

LNVFEntry LNViewFolder::operator[](LNINT index) const
{
    EnterOrRaise("LNViewFolder::operator[]");
    if (!m_open || !m_database->file)
        Raise(LNERR_NOT_OPEN);
    if (index < 0 || index >= m_row.entryCount)
        Raise(LNERR_INDEX_OUT_OF_RANGE);
    LNVFEntry entry;
    if (LNSTATUS status = m_database->file->ReadEntryNoteId(m_row.position, index, &entry.m_noteId))
        Raise(status);
    entry.m_database = m_database;
    return entry;
}

LNSTATUS LNVFEntry::GetDocument(LNDocument* document) const
{
    if (LNSTATUS fault = Enter("LNVFEntry::GetDocument"))
        return fault;
    if (!document)
        return Report(LNERR_BAD_PARAMETER);
    if (!m_database)
        return Report(LNERR_NULL_OBJECT);
    auto state = std::make_shared<notes::detail::NoteState>();
    state->database = m_database;
    state->noteId = m_noteId;
    document->m_state = std::move(state);
    return LNNOERROR;
}

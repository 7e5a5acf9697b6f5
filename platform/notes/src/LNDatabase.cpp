#include "notes/LNDatabase.h"

#include "DatabaseFile.h"
#include "Formula.h"
#include "Session.h"
#include "Status.h"
#include "notes/LNNote.h"
#include "notes/LNViewFolder.h"

using notes::detail::DatabaseFile;
using notes::detail::Enter;
using notes::detail::Report;

LNDatabase::LNDatabase() = default;
LNDatabase::~LNDatabase() = default;

LNSTATUS LNDatabase::Open(LNINT options)
{
    if (LNSTATUS fault = Enter("LNDatabase::Open"))
        return fault;
    if (!m_state)
        return Report(LNERR_NULL_OBJECT);
    if (!notes::detail::SessionActive())
        return Report(LNERR_NO_SESSION);
    if (m_state->file)
        return LNNOERROR;
    std::unique_ptr<DatabaseFile> file;
    if (LNSTATUS status = DatabaseFile::Open(m_state->hostPath, &file))
        return Report(status);
    m_state->file = std::move(file);
    return LNNOERROR;
}

LNSTATUS LNDatabase::Close()
{
    if (LNSTATUS fault = Enter("LNDatabase::Close"))
        return fault;
    if (m_state)
        m_state->file.reset();
    return LNNOERROR;
}

bool LNDatabase::IsOpen() const
{
    return m_state && m_state->file;
}

LNString LNDatabase::GetFilePath() const
{
    return m_state ? LNString(m_state->ansiPath) : LNString();
}

LNSTATUS LNDatabase::GetViewFolders(LNViewFolderArray* viewFolders, LNBOOL foldersOnly) const
{
    if (LNSTATUS fault = Enter("LNDatabase::GetViewFolders"))
        return fault;
    if (!viewFolders)
        return Report(LNERR_BAD_PARAMETER);
    if (!IsOpen())
        return Report(LNERR_NOT_OPEN);
    std::vector<notes::detail::ViewFolderRow> rows;
    if (LNSTATUS status = m_state->file->ReadViewFolders(&rows))
        return Report(status);
    if (foldersOnly)
        std::erase_if(rows, [](const auto& row) { return !row.isFolder; });
    viewFolders->m_database = m_state;
    viewFolders->m_rows = std::move(rows);
    viewFolders->m_count = viewFolders->m_rows.size();
    return LNNOERROR;
}

LNSTATUS LNDatabase::Search(const LNFormula& formula, LNDocumentArray* documents, void* options) const
{
    if (LNSTATUS fault = Enter("LNDatabase::Search"))
        return fault;
    if (!documents)
        return Report(LNERR_BAD_PARAMETER);
    if (!IsOpen())
        return Report(LNERR_NOT_OPEN);
    auto compiled = notes::detail::Formula::Compile(formula.GetText().Text());
    if (!compiled)
        return Report(LNERR_FORMULA_SYNTAX);
    std::vector<std::int64_t> found;
    LNSTATUS status = m_state->file->ForEachNote([&](const notes::detail::NoteData& note) {
        if (compiled->Selects(note))
            found.push_back(note.noteId);
        return true;
    });
    if (status)
        return Report(status);
    documents->m_database = m_state;
    documents->m_noteIds = std::move(found);
    documents->m_count = documents->m_noteIds.size();
    return LNNOERROR;
}

LNINT LNNoteArray::GetCount() const
{
    notes::detail::EnterOrRaise("LNNoteArray::GetCount");
    return static_cast<LNINT>(m_count);
}

LNViewFolderArray::LNViewFolderArray() = default;
LNViewFolderArray::~LNViewFolderArray() = default;

LNViewFolder LNViewFolderArray::operator[](LNINT index) const
{
    notes::detail::EnterOrRaise("LNViewFolderArray::operator[]");
    if (index < 0 || static_cast<std::size_t>(index) >= m_rows.size())
        notes::detail::Raise(LNERR_INDEX_OUT_OF_RANGE);
    LNViewFolder viewFolder;
    viewFolder.m_database = m_database;
    viewFolder.m_row = m_rows[static_cast<std::size_t>(index)];
    return viewFolder;
}

LNDocument LNDocumentArray::operator[](LNINT index) const
{
    notes::detail::EnterOrRaise("LNDocumentArray::operator[]");
    if (index < 0 || static_cast<std::size_t>(index) >= m_noteIds.size())
        notes::detail::Raise(LNERR_INDEX_OUT_OF_RANGE);
    LNDocument document;
    document.m_state = std::make_shared<notes::detail::NoteState>();
    document.m_state->database = m_database;
    document.m_state->noteId = m_noteIds[static_cast<std::size_t>(index)];
    return document;
}

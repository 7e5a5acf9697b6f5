#include "DatabaseFile.h"

#include "notes/format/Schema.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <sqlite3.h>

namespace notes::detail {

namespace {

// A small page cache: walking a large file must not make memory grow with it.
constexpr const char* kConnectionSettings = "PRAGMA cache_size = -4096; PRAGMA query_only = 1;";

// The entries read at once when a view is walked in order.
constexpr LNINT kEntriesAhead = 256;

LNSTATUS StatusOf(int sqliteResult)
{
    switch (sqliteResult & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return LNNOERROR;
    case SQLITE_NOTADB:
        return LNERR_NOT_A_DATABASE;
    case SQLITE_NOMEM:
        return LNERR_OUT_OF_MEMORY;
    case SQLITE_CANTOPEN:
        return LNERR_FILE_NOT_FOUND;
    default:
        return LNERR_DATABASE_CORRUPT;
    }
}

// A column's bytes as SQLite holds them, valid until the statement moves on.
std::string_view ColumnView(sqlite3_stmt* statement, int column)
{
    const void* data = sqlite3_column_blob(statement, column);
    int length = sqlite3_column_bytes(statement, column);
    if (!data || length <= 0)
        return {};
    return {static_cast<const char*>(data), static_cast<std::size_t>(length)};
}

std::string ColumnBytes(sqlite3_stmt* statement, int column)
{
    return std::string(ColumnView(statement, column));
}

// Room for the items of most notes at once, rather than grown item by item.
constexpr std::size_t kItemsAhead = 16;

format::DateTimeValue TimeColumn(sqlite3_stmt* statement, int column)
{
    return format::DateTimeValue{sqlite3_column_int64(statement, column), format::DatePrecision::DateAndTime};
}

// Resets a statement when the scope that ran it ends, whatever the outcome.
class StatementScope {
public:
    explicit StatementScope(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementScope()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }

private:
    sqlite3_stmt* m_statement;
};

// The file as an immutable SQLite database: the library never writes it and
// the builder replaces a file by rename, never in place, so SQLite may skip
// the file locks and change checks that would otherwise cost system calls on
// every statement.
std::string ImmutableUri(const std::filesystem::path& hostPath)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : hostPath.string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xF];
        }
    }
    return uri + "?immutable=1";
}

bool IsValidItemType(std::int64_t type)
{
    return type >= LNITEMTYPE_TEXT && type <= LNITEMTYPE_RICHTEXT;
}

} // namespace

DatabaseFile::~DatabaseFile()
{
    for (sqlite3_stmt* statement :
         {m_viewFolders, m_entry, m_note, m_items, m_attachments, m_attachmentData, m_allNotes})
        sqlite3_finalize(statement);
    if (m_db)
        sqlite3_close(m_db);
}

LNSTATUS DatabaseFile::Open(const std::filesystem::path& hostPath, std::unique_ptr<DatabaseFile>* file)
{
    std::unique_ptr<DatabaseFile> opened(new DatabaseFile);
    int result = sqlite3_open_v2(ImmutableUri(hostPath).c_str(), &opened->m_db,
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
    if (result != SQLITE_OK)
        return result == SQLITE_CANTOPEN ? LNERR_FILE_NOT_FOUND : StatusOf(result);
    sqlite3_extended_result_codes(opened->m_db, 1);
    if (sqlite3_exec(opened->m_db, kConnectionSettings, nullptr, nullptr, nullptr) != SQLITE_OK)
        return LNERR_NOT_A_DATABASE;

    // The format marker first: a file of another kind fails here, before any
    // statement of ours is prepared against it.
    sqlite3_stmt* marker = nullptr;
    result = sqlite3_prepare_v2(opened->m_db, "SELECT key, value FROM nsf_meta", -1, &marker, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_finalize(marker);
        LNSTATUS status = StatusOf(result);
        return status == LNERR_DATABASE_CORRUPT ? LNERR_NOT_A_DATABASE : status;
    }
    bool formatOk = false;
    bool versionOk = false;
    std::string version;
    while ((result = sqlite3_step(marker)) == SQLITE_ROW) {
        std::string key = ColumnBytes(marker, 0);
        std::string value = ColumnBytes(marker, 1);
        if (key == "format")
            formatOk = value == format::kFormatName;
        else if (key == "version")
            version = value;
    }
    sqlite3_finalize(marker);
    if (result != SQLITE_DONE)
        return StatusOf(result);
    // Version 1 held its text in Windows-1252.
    if (version == "1") {
        versionOk = true;
        opened->m_text = FileText(FileEncoding::Windows1252);
    } else {
        versionOk = version == std::to_string(format::kFormatVersion);
    }
    if (!formatOk || !versionOk)
        return LNERR_NOT_A_DATABASE;
    if (LNSTATUS status = opened->Prepare())
        return status;
    // One read transaction for as long as the file is open, rather than one
    // begun and ended by every statement: the file never changes under it,
    // and the library never writes.
    if (sqlite3_exec(opened->m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return LNERR_NOT_A_DATABASE;
    *file = std::move(opened);
    return LNNOERROR;
}

LNSTATUS DatabaseFile::Prepare()
{
    struct Statement {
        sqlite3_stmt** target;
        const char* sql;
    };
    const Statement statements[] = {
        {&m_viewFolders, "SELECT position, name, is_folder, entry_count FROM view_folders ORDER BY position"},
        {&m_entry, "SELECT position, note_id FROM vf_entries WHERE vf_position = ?1 AND position >= ?2 "
                   "ORDER BY position LIMIT ?3"},
        {&m_note, "SELECT unid, created, modified, added, cal_type, cal_alarm FROM notes WHERE note_id = ?1"},
        {&m_items, "SELECT name, type, flags, value FROM items WHERE note_id = ?1 ORDER BY position"},
        {&m_attachments,
         "SELECT attach_id, name, length(data) FROM attachments WHERE note_id = ?1 ORDER BY position"},
        {&m_attachmentData, "SELECT data FROM attachments WHERE attach_id = ?1"},
        {&m_allNotes, "SELECT note_id, unid, created, modified, added, cal_type, cal_alarm FROM notes "
                      "ORDER BY note_id"},
    };
    for (const auto& statement : statements) {
        if (sqlite3_prepare_v3(m_db, statement.sql, -1, SQLITE_PREPARE_PERSISTENT, statement.target, nullptr) !=
            SQLITE_OK)
            return LNERR_NOT_A_DATABASE;
    }
    return LNNOERROR;
}

LNSTATUS DatabaseFile::ReadViewFolders(std::vector<ViewFolderRow>* rows)
{
    std::lock_guard lock(m_mutex);
    StatementScope scope(m_viewFolders);
    rows->clear();
    int result;
    while ((result = sqlite3_step(m_viewFolders)) == SQLITE_ROW) {
        ViewFolderRow row;
        row.position = static_cast<LNINT>(sqlite3_column_int64(m_viewFolders, 0));
        row.name = m_text.ToAnsi(ColumnBytes(m_viewFolders, 1));
        row.isFolder = sqlite3_column_int(m_viewFolders, 2) != 0;
        std::int64_t count = sqlite3_column_int64(m_viewFolders, 3);
        if (count < 0 || count > INT32_MAX)
            return LNERR_DATABASE_CORRUPT;
        row.entryCount = static_cast<LNINT>(count);
        rows->push_back(std::move(row));
    }
    return StatusOf(result);
}

LNSTATUS DatabaseFile::ReadEntryNoteId(LNINT viewFolder, LNINT index, std::int64_t* noteId)
{
    std::lock_guard lock(m_mutex);
    const bool inOrder = index == 0 || (viewFolder == m_entriesView && index == m_lastEntry + 1);
    if (viewFolder != m_entriesView || index < m_entriesFirst || index >= m_entriesEnd) {
        if (LNSTATUS status = ReadEntriesFrom(viewFolder, index, inOrder ? kEntriesAhead : 1))
            return status;
    }
    m_lastEntry = index;
    const auto found = std::lower_bound(m_entries.begin(), m_entries.end(), std::int64_t{index},
                                        [](const auto& entry, std::int64_t position) { return entry.first < position; });
    if (found == m_entries.end() || found->first != index)
        return LNERR_DATABASE_CORRUPT; // the count promised this entry
    *noteId = found->second;
    return LNNOERROR;
}

// Called under m_mutex: the entries of the view from index on, at most
// count of them.
LNSTATUS DatabaseFile::ReadEntriesFrom(LNINT viewFolder, LNINT index, LNINT count)
{
    m_entriesView = -1;
    m_entries.clear();
    StatementScope scope(m_entry);
    sqlite3_bind_int64(m_entry, 1, viewFolder);
    sqlite3_bind_int64(m_entry, 2, index);
    sqlite3_bind_int64(m_entry, 3, count);
    int result;
    while ((result = sqlite3_step(m_entry)) == SQLITE_ROW)
        m_entries.emplace_back(sqlite3_column_int64(m_entry, 0), sqlite3_column_int64(m_entry, 1));
    if (result != SQLITE_DONE) {
        m_entries.clear();
        return StatusOf(result);
    }
    m_entriesView = viewFolder;
    m_entriesFirst = index;
    // A short read reached the view's last entry: nothing lies beyond.
    m_entriesEnd = m_entries.size() < static_cast<std::size_t>(count) ? INT64_MAX : m_entries.back().first + 1;
    return LNNOERROR;
}

LNSTATUS DatabaseFile::ReadNote(std::int64_t noteId, NoteData* note)
{
    std::lock_guard lock(m_mutex);
    {
        StatementScope scope(m_note);
        sqlite3_bind_int64(m_note, 1, noteId);
        int result = sqlite3_step(m_note);
        if (result == SQLITE_DONE)
            return LNERR_NOTE_NOT_FOUND;
        if (result != SQLITE_ROW)
            return StatusOf(result);
        note->noteId = noteId;
        note->unid = ColumnBytes(m_note, 0);
        note->created = TimeColumn(m_note, 1);
        note->modified = TimeColumn(m_note, 2);
        note->added = TimeColumn(m_note, 3);
        note->calendarType = static_cast<LNINT>(sqlite3_column_int(m_note, 4));
        note->alarm = sqlite3_column_int(m_note, 5) != 0;
    }
    return ReadItemsAndAttachments(note);
}

LNSTATUS DatabaseFile::ReadItemsAndAttachments(NoteData* note)
{
    note->items.clear();
    note->attachments.clear();
    {
        StatementScope scope(m_items);
        sqlite3_bind_int64(m_items, 1, note->noteId);
        int result;
        note->items.reserve(kItemsAhead);
        while ((result = sqlite3_step(m_items)) == SQLITE_ROW) {
            std::int64_t type = sqlite3_column_int64(m_items, 1);
            if (!IsValidItemType(type))
                return LNERR_DATABASE_CORRUPT;
            ItemData& item = note->items.emplace_back();
            item.name.assign(ColumnView(m_items, 0));
            item.type = static_cast<LNITEMTYPE>(type);
            item.flags = static_cast<LNITEMFLAGS>(sqlite3_column_int64(m_items, 2));
            item.value.assign(ColumnView(m_items, 3));
            m_text.ItemToAnsi(item);
        }
        if (LNSTATUS status = StatusOf(result))
            return status;
    }
    StatementScope scope(m_attachments);
    sqlite3_bind_int64(m_attachments, 1, note->noteId);
    int result;
    while ((result = sqlite3_step(m_attachments)) == SQLITE_ROW) {
        AttachmentInfo info;
        info.attachId = sqlite3_column_int64(m_attachments, 0);
        info.name = m_text.ToAnsi(ColumnBytes(m_attachments, 1));
        info.size = sqlite3_column_int64(m_attachments, 2);
        note->attachments.push_back(std::move(info));
    }
    return StatusOf(result);
}

LNSTATUS DatabaseFile::ReadAttachmentData(std::int64_t attachId, std::string* data)
{
    std::lock_guard lock(m_mutex);
    StatementScope scope(m_attachmentData);
    sqlite3_bind_int64(m_attachmentData, 1, attachId);
    int result = sqlite3_step(m_attachmentData);
    if (result == SQLITE_DONE)
        return LNERR_DATABASE_CORRUPT;
    if (result != SQLITE_ROW)
        return StatusOf(result);
    *data = ColumnBytes(m_attachmentData, 0);
    return LNNOERROR;
}

LNSTATUS DatabaseFile::ForEachNote(const std::function<bool(const NoteData&)>& visit)
{
    std::unique_lock lock(m_mutex);
    StatementScope scope(m_allNotes);
    int result;
    NoteData note;
    while ((result = sqlite3_step(m_allNotes)) == SQLITE_ROW) {
        note.noteId = sqlite3_column_int64(m_allNotes, 0);
        note.unid = ColumnBytes(m_allNotes, 1);
        note.created = TimeColumn(m_allNotes, 2);
        note.modified = TimeColumn(m_allNotes, 3);
        note.added = TimeColumn(m_allNotes, 4);
        note.calendarType = static_cast<LNINT>(sqlite3_column_int(m_allNotes, 5));
        note.alarm = sqlite3_column_int(m_allNotes, 6) != 0;
        if (LNSTATUS status = ReadItemsAndAttachments(&note))
            return status;
        if (!visit(note))
            return LNNOERROR;
    }
    return StatusOf(result);
}

} // namespace notes::detail

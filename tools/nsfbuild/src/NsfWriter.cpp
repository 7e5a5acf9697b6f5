#include "nsfbuild/NsfWriter.h"

#include "notes/format/ItemCodec.h"
#include "notes/format/Schema.h"

#include <cstdio>
#include <map>
#include <sqlite3.h>

namespace nsfbuild {

namespace {

// The builder writes a file nobody reads yet: no journal, no syncs; the
// rename at the end makes the finished file appear at once.
constexpr const char* kBuildSettings =
    "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA page_size = 4096; PRAGMA cache_size = -65536;";

std::string UnidOf(std::int64_t noteId)
{
    char buffer[40];
    std::uint64_t mixed = static_cast<std::uint64_t>(noteId) * 0x9E3779B97F4A7C15ull;
    std::snprintf(buffer, sizeof buffer, "%016llX%016llX", static_cast<unsigned long long>(mixed),
                  static_cast<unsigned long long>(noteId));
    return buffer;
}

std::string EncodeValue(const ItemContent& item)
{
    switch (item.type) {
    case LNITEMTYPE_NUMBERS: return notes::format::EncodeNumberList(item.numbers);
    case LNITEMTYPE_DATETIMES: return notes::format::EncodeDateTimeList(item.times);
    case LNITEMTYPE_RICHTEXT: return notes::format::EncodeRichText(item.richText);
    default: return notes::format::EncodeTextList(item.texts);
    }
}

void BindBytes(sqlite3_stmt* statement, int index, const std::string& bytes)
{
    sqlite3_bind_blob64(statement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

} // namespace

CNsfWriter::~CNsfWriter()
{
    for (sqlite3_stmt* statement :
         {m_insertNote, m_insertItem, m_insertAttachment, m_insertViewFolder, m_insertEntry})
        sqlite3_finalize(statement);
    if (m_db)
        sqlite3_close(m_db);
    if (!m_finished) {
        std::error_code ignored;
        std::filesystem::remove(m_tempPath, ignored);
    }
}

Result CNsfWriter::Create(const std::filesystem::path& hostPath, std::unique_ptr<CNsfWriter>* writer)
{
    std::unique_ptr<CNsfWriter> created(new CNsfWriter);
    created->m_path = hostPath;
    created->m_tempPath = hostPath;
    created->m_tempPath += ".building";
    std::error_code ignored;
    std::filesystem::remove(created->m_tempPath, ignored);
    if (sqlite3_open_v2(created->m_tempPath.c_str(), &created->m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        return Result::Error("cannot create " + created->m_tempPath.string());
    std::string setup = std::string(kBuildSettings) + notes::format::kCreateTablesSql + "BEGIN;";
    char* error = nullptr;
    if (sqlite3_exec(created->m_db, setup.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = "cannot lay out " + created->m_tempPath.string() + ": " + (error ? error : "");
        sqlite3_free(error);
        return Result::Error(message);
    }
    struct Statement {
        sqlite3_stmt** target;
        const char* sql;
    };
    const Statement statements[] = {
        {&created->m_insertNote,
         "INSERT INTO notes(note_id, unid, created, modified, added, cal_type, cal_alarm) VALUES(?,?,?,?,?,?,?)"},
        {&created->m_insertItem, "INSERT INTO items(note_id, position, name, type, flags, value) VALUES(?,?,?,?,?,?)"},
        {&created->m_insertAttachment, "INSERT INTO attachments(note_id, position, name, data) VALUES(?,?,?,?)"},
        {&created->m_insertViewFolder,
         "INSERT INTO view_folders(position, name, is_folder, entry_count) VALUES(?,?,?,?)"},
        {&created->m_insertEntry, "INSERT INTO vf_entries(vf_position, position, note_id) VALUES(?,?,?)"},
    };
    for (const auto& statement : statements) {
        if (sqlite3_prepare_v2(created->m_db, statement.sql, -1, statement.target, nullptr) != SQLITE_OK)
            return Result::Error(std::string("cannot prepare: ") + sqlite3_errmsg(created->m_db));
    }
    *writer = std::move(created);
    return Result::Ok();
}

void CNsfWriter::Fail(std::string message)
{
    if (m_error.empty())
        m_error = std::move(message);
}

bool CNsfWriter::Step(sqlite3_stmt* statement, const char* what)
{
    int result = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (result != SQLITE_DONE) {
        Fail(std::string("cannot write ") + what + ": " + sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

std::int64_t CNsfWriter::AddNote(const NoteContent& note)
{
    if (!m_error.empty())
        return 0;
    std::int64_t noteId = m_nextNoteId++;
    std::string unid = note.unid.empty() ? UnidOf(noteId) : note.unid;
    sqlite3_bind_int64(m_insertNote, 1, noteId);
    sqlite3_bind_text(m_insertNote, 2, unid.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(m_insertNote, 3, note.created.seconds);
    sqlite3_bind_int64(m_insertNote, 4, note.modified.seconds);
    sqlite3_bind_int64(m_insertNote, 5, note.added.seconds);
    sqlite3_bind_int(m_insertNote, 6, note.calendarType);
    sqlite3_bind_int(m_insertNote, 7, note.alarm ? 1 : 0);
    if (!Step(m_insertNote, "a note"))
        return 0;
    int position = 0;
    for (const auto& item : note.items) {
        sqlite3_bind_int64(m_insertItem, 1, noteId);
        sqlite3_bind_int(m_insertItem, 2, position++);
        BindBytes(m_insertItem, 3, item.name);
        sqlite3_bind_int(m_insertItem, 4, item.type);
        sqlite3_bind_int64(m_insertItem, 5, item.flags);
        BindBytes(m_insertItem, 6, EncodeValue(item));
        if (!Step(m_insertItem, "an item"))
            return 0;
    }
    position = 0;
    for (const auto& attachment : note.attachments) {
        sqlite3_bind_int64(m_insertAttachment, 1, noteId);
        sqlite3_bind_int(m_insertAttachment, 2, position++);
        BindBytes(m_insertAttachment, 3, attachment.name);
        BindBytes(m_insertAttachment, 4, attachment.bytes);
        if (!Step(m_insertAttachment, "an attachment"))
            return 0;
    }
    return noteId;
}

void CNsfWriter::AddViewFolder(const std::string& name, bool isFolder, const std::vector<std::int64_t>& noteIds)
{
    if (!m_error.empty())
        return;
    std::int64_t position = m_nextViewFolder++;
    sqlite3_bind_int64(m_insertViewFolder, 1, position);
    BindBytes(m_insertViewFolder, 2, name);
    sqlite3_bind_int(m_insertViewFolder, 3, isFolder ? 1 : 0);
    sqlite3_bind_int64(m_insertViewFolder, 4, static_cast<std::int64_t>(noteIds.size()));
    if (!Step(m_insertViewFolder, "a view folder"))
        return;
    std::int64_t index = 0;
    for (std::int64_t noteId : noteIds) {
        sqlite3_bind_int64(m_insertEntry, 1, position);
        sqlite3_bind_int64(m_insertEntry, 2, index++);
        sqlite3_bind_int64(m_insertEntry, 3, noteId);
        if (!Step(m_insertEntry, "a view entry"))
            return;
    }
}

Result CNsfWriter::Finish()
{
    if (m_finished)
        return Result::Error("the database is finished already");
    if (!m_error.empty())
        return Result::Error(m_error);
    char marker[160];
    std::snprintf(marker, sizeof marker, "INSERT INTO nsf_meta VALUES('format', '%s'), ('version', '%d');",
                  notes::format::kFormatName, notes::format::kFormatVersion);
    std::string finish = std::string(marker) + notes::format::kCreateIndexesSql + "COMMIT;";
    char* error = nullptr;
    if (sqlite3_exec(m_db, finish.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = std::string("cannot finish the database: ") + (error ? error : "");
        sqlite3_free(error);
        return Result::Error(message);
    }
    for (sqlite3_stmt** statement :
         {&m_insertNote, &m_insertItem, &m_insertAttachment, &m_insertViewFolder, &m_insertEntry}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (sqlite3_close(m_db) != SQLITE_OK)
        return Result::Error("cannot close " + m_tempPath.string());
    m_db = nullptr;
    std::error_code error2;
    std::filesystem::rename(m_tempPath, m_path, error2);
    if (error2)
        return Result::Error("cannot move the database to " + m_path.string() + ": " + error2.message());
    m_finished = true;
    return Result::Ok();
}

Result WriteDatabase(const DatabaseContent& described, const std::filesystem::path& hostPath)
{
    std::unique_ptr<CNsfWriter> writer;
    if (Result result = CNsfWriter::Create(hostPath, &writer); !result)
        return result;
    std::map<std::string, std::int64_t> ids;
    for (const auto& note : described.notes) {
        std::int64_t id = writer->AddNote(note);
        if (!id)
            return writer->Finish(); // reports the write error
        if (!note.key.empty())
            ids[note.key] = id;
    }
    for (const auto& viewFolder : described.viewFolders) {
        std::vector<std::int64_t> noteIds;
        for (const auto& key : viewFolder.entryKeys) {
            auto it = ids.find(key);
            if (it == ids.end())
                return Result::Error("view folder \"" + viewFolder.name + "\" names an unknown note \"" + key + "\"");
            noteIds.push_back(it->second);
        }
        writer->AddViewFolder(viewFolder.name, viewFolder.isFolder, noteIds);
    }
    return writer->Finish();
}

} // namespace nsfbuild

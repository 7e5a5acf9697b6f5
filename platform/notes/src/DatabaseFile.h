// One database file opened read-only through SQLite, with the statements the
// library runs on it prepared once. Statements are run under a lock, so the
// objects of one database may be used from several threads.
#pragma once

#include "FileText.h"
#include "notes/Detail.h"
#include "notes/format/DateTimeValue.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace notes::detail {

struct NoteData {
    std::int64_t noteId = 0;
    std::string unid;
    format::DateTimeValue created, modified, added;
    LNINT calendarType = 0;
    bool alarm = false;
    std::vector<ItemData> items;
    std::vector<AttachmentInfo> attachments;
};

class DatabaseFile {
public:
    ~DatabaseFile();
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    // LNERR_NOT_A_DATABASE for a file that is not ours (or not SQLite at
    // all), LNERR_DATABASE_CORRUPT for a damaged one.
    static LNSTATUS Open(const std::filesystem::path& hostPath, std::unique_ptr<DatabaseFile>* file);

    LNSTATUS ReadViewFolders(std::vector<ViewFolderRow>* rows);
    LNSTATUS ReadEntryNoteId(LNINT viewFolder, LNINT index, std::int64_t* noteId);
    // LNERR_NOTE_NOT_FOUND when there is no such note.
    LNSTATUS ReadNote(std::int64_t noteId, NoteData* note);
    LNSTATUS ReadAttachmentData(std::int64_t attachId, std::string* data);
    // Calls visit for every note in note id order, until it returns false.
    LNSTATUS ForEachNote(const std::function<bool(const NoteData&)>& visit);

private:
    DatabaseFile() = default;
    LNSTATUS Prepare();
    LNSTATUS ReadItemsAndAttachments(NoteData* note);
    LNSTATUS ReadEntriesFrom(LNINT viewFolder, LNINT index, LNINT count);
    sqlite3* m_db = nullptr;
    FileText m_text{FileEncoding::Utf8};
    std::mutex m_mutex;
    sqlite3_stmt* m_viewFolders = nullptr;
    sqlite3_stmt* m_entry = nullptr;
    sqlite3_stmt* m_note = nullptr;
    sqlite3_stmt* m_items = nullptr;
    sqlite3_stmt* m_attachments = nullptr;
    sqlite3_stmt* m_attachmentData = nullptr;
    sqlite3_stmt* m_allNotes = nullptr;
    // The entries of one view read last, in position order: a walk through
    // a view asks for its entries one after another, and one range read
    // costs about what a single look-up does. Every position from
    // m_entriesFirst up to m_entriesEnd (exclusive) that is not here has no
    // entry. The file never changes while it is open, so neither does this.
    LNINT m_entriesView = -1;
    LNINT m_entriesFirst = 0;
    std::int64_t m_entriesEnd = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> m_entries; // position, note id
    LNINT m_lastEntry = -1; // the position asked for last, in m_entriesView
};

// What an LNDatabase refers to: its path and, while open, its file.
struct DatabaseState {
    std::string ansiPath;
    std::filesystem::path hostPath;
    std::shared_ptr<DatabaseFile> file;
};

struct NoteState {
    std::shared_ptr<DatabaseState> database;
    std::int64_t noteId = 0;
    std::shared_ptr<const NoteData> data; // while open
    // The database file the note was read from, kept for its attachments.
    std::shared_ptr<DatabaseFile> file;
};

} // namespace notes::detail

// Writes a database file note by note, so that a large synthetic database
// never has to be held in memory. The file appears at its path only when
// Finish succeeds; until then it is written beside it under a temporary
// name.
#pragma once

#include "nsfbuild/DatabaseContent.h"
#include "nsfbuild/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace nsfbuild {

class CNsfWriter {
public:
    ~CNsfWriter();
    CNsfWriter(const CNsfWriter&) = delete;
    CNsfWriter& operator=(const CNsfWriter&) = delete;

    static Result Create(const std::filesystem::path& hostPath, std::unique_ptr<CNsfWriter>* writer);

    // The note id given to the note (ids count up from 1), or 0 after an
    // error, which Finish then reports.
    std::int64_t AddNote(const NoteContent& note);
    void AddViewFolder(const std::string& name, bool isFolder, const std::vector<std::int64_t>& noteIds);
    Result Finish();

private:
    CNsfWriter() = default;
    bool Step(sqlite3_stmt* statement, const char* what);
    void Fail(std::string message);

    std::filesystem::path m_path;
    std::filesystem::path m_tempPath;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insertNote = nullptr;
    sqlite3_stmt* m_insertItem = nullptr;
    sqlite3_stmt* m_insertAttachment = nullptr;
    sqlite3_stmt* m_insertViewFolder = nullptr;
    sqlite3_stmt* m_insertEntry = nullptr;
    std::int64_t m_nextNoteId = 1;
    std::int64_t m_nextViewFolder = 0;
    std::string m_error;
    bool m_finished = false;
};

// Writes a whole database given as plain data. Entries name notes by key;
// an unknown key fails.
Result WriteDatabase(const DatabaseContent& described, const std::filesystem::path& hostPath);

} // namespace nsfbuild

// Views and folders, and their ordered entries, each naming a document.
#pragma once

#include "notes/Detail.h"
#include "notes/LNString.h"

#include <cstdint>
#include <memory>

class LNDocument;

class LNVFEntry {
public:
    // Fills document with the entry's document, not yet open.
    LNSTATUS GetDocument(LNDocument* document) const;
    // The note id of the entry's document, known also when the document
    // cannot be opened.
    std::int64_t GetNoteID() const { return m_noteId; }

private:
    friend class LNViewFolder;
    std::shared_ptr<notes::detail::DatabaseState> m_database;
    std::int64_t m_noteId = 0;
};

class LNViewFolder {
public:
    LNViewFolder();
    ~LNViewFolder();
    LNViewFolder(const LNViewFolder&) = default;
    LNViewFolder& operator=(const LNViewFolder&) = default;

    LNSTATUS Open(LNINT flags = 0);
    LNSTATUS Close();
    bool IsOpen() const { return m_open; }

    // The name as stored, in the ANSI code page; also before Open.
    LNString GetName() const;
    bool IsFolder() const;
    // These need the view folder open (LNERR_NOT_OPEN otherwise) and throw
    // their error.
    LNINT GetEntryCount() const;
    LNVFEntry operator[](LNINT index) const;

private:
    friend class LNViewFolderArray;
    std::shared_ptr<notes::detail::DatabaseState> m_database;
    notes::detail::ViewFolderRow m_row;
    bool m_open = false;
};

// A database file and what is read from it as a whole: its views and
// folders, and the documents a formula selects.
#pragma once

#include "notes/Detail.h"
#include "notes/LNString.h"

#include <cstdint>
#include <memory>
#include <vector>

class LNViewFolder;
class LNDocument;

// A selection formula of the formula language: field = "text" comparisons
// (also !=, <, >, <=, >=), joined by & and |, negated by !, grouped by
// parentheses, with an optional leading SELECT; @All, @True, @False,
// @IsAvailable(field), @IsUnavailable(field), @Contains(a; b), @Begins(a; b),
// @LowerCase(a), @UpperCase(a); lists with ":". Field names ignore case,
// text comparisons do not. A comparison with a list holds when any pair of
// values holds. A missing field is "".
class LNFormula {
public:
    LNFormula() = default;
    LNFormula(const LNString& text) : m_text(text) {}
    const LNString& GetText() const { return m_text; }

private:
    LNString m_text;
};

class LNNoteArray {
public:
    LNINT GetCount() const;

protected:
    std::size_t m_count = 0;
};

class LNViewFolderArray : public LNNoteArray {
public:
    LNViewFolderArray();
    ~LNViewFolderArray();
    // Throws LNERR_INDEX_OUT_OF_RANGE for a bad index.
    LNViewFolder operator[](LNINT index) const;

private:
    friend class LNDatabase;
    std::shared_ptr<notes::detail::DatabaseState> m_database;
    std::vector<notes::detail::ViewFolderRow> m_rows;
};

class LNDocumentArray : public LNNoteArray {
public:
    LNDocument operator[](LNINT index) const;

private:
    friend class LNDatabase;
    std::shared_ptr<notes::detail::DatabaseState> m_database;
    std::vector<std::int64_t> m_noteIds;
};

class LNDatabase {
public:
    LNDatabase();
    ~LNDatabase();
    LNDatabase(const LNDatabase&) = default;
    LNDatabase& operator=(const LNDatabase&) = default;

    // Opens the file read-only. A file that is not a database of ours, or a
    // damaged one, fails with LNERR_NOT_A_DATABASE or LNERR_DATABASE_CORRUPT.
    LNSTATUS Open(LNINT options = 0);
    // Harmless when not open, and after LNNotesSession::Term.
    LNSTATUS Close();
    bool IsOpen() const;

    // Every view and folder in the database's order; only the folders when
    // foldersOnly is TRUE.
    LNSTATUS GetViewFolders(LNViewFolderArray* viewFolders, LNBOOL foldersOnly = FALSE) const;
    // The documents that the formula selects, in note id order.
    LNSTATUS Search(const LNFormula& formula, LNDocumentArray* documents, void* options = nullptr) const;

    LNString GetFilePath() const;

private:
    friend class LNNotesSession;
    std::shared_ptr<notes::detail::DatabaseState> m_state;
};

// Notes (documents) and their items.
#pragma once

#include "notes/Detail.h"
#include "notes/LNString.h"

#include <memory>

class LNItem;
class LNDatetime;
class LNAttachmentArray;

class LNNote {
public:
    LNNote();
    virtual ~LNNote();
    LNNote(const LNNote&) = default;
    LNNote& operator=(const LNNote&) = default;

    // Reads the note with its items; the items stay in memory until Close.
    LNSTATUS Open(LNINT flags = 0);
    // Harmless when not open.
    LNSTATUS Close();
    bool IsOpen() const;

    // Item names ignore case, as in Notes. HasItem is FALSE on a note that
    // is not open.
    LNBOOL HasItem(const LNString& name) const;
    // Fills item with the named item. LNERR_ITEM_NOT_FOUND when there is
    // none, LNERR_TYPE_MISMATCH when item is of a class for another type
    // (an LNText for a rich-text item ...); a plain LNItem takes any type.
    LNSTATUS GetItem(const LNString& name, LNItem* item) const;
    LNINT GetItemCount() const;
    // The item at a position of the note's order, under the same rules.
    LNSTATUS GetItemAt(LNINT index, LNItem* item) const;

    LNBOOL HasAttachments() const;
    LNSTATUS GetAttachments(LNAttachmentArray* attachments) const;

    // These throw LNERR_NOT_OPEN on a note that is not open.
    LNDatetime GetCreated() const;
    LNDatetime GetLastModified() const;
    LNDatetime GetAddedToFile() const;
    LNString GetUniversalID() const;
    std::int64_t GetNoteID() const;

protected:
    friend class LNVFEntry;
    friend class LNDocumentArray;
    friend class LNCalendarEntry;
    std::shared_ptr<notes::detail::NoteState> m_state;
};

class LNDocument : public LNNote {
};

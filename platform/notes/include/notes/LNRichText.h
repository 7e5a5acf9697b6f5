// Rich text: paragraphs of styled runs, breaks, tabs, pictures and places of
// attachments. Plain text joins paragraphs and line breaks with "\r\n" and
// writes tabs as "\t"; pictures and attachment places give no text.
#pragma once

#include "notes/LNItem.h"
#include "notes/format/RichTextContent.h"

#include <memory>

class LNRTCursor;

// An object of rich text found by LNRTCursor::GotoNext.
class LNRTObject {
public:
    virtual ~LNRTObject() = default;
    LNRTTYPE GetType() const { return m_type; }
    LNBOOL IsType(LNRTTYPE type) const;
    bool IsNull() const { return !m_content; }

protected:
    friend class LNRTCursor;
    const notes::format::RichElement* Element() const;
    std::shared_ptr<const notes::format::RichTextContent> m_content;
    std::size_t m_paragraph = 0;
    std::size_t m_element = 0;
    LNRTTYPE m_type = LNRTTYPE_ANY;
};

class LNGraphic : public LNRTObject {
public:
    // The picture's bytes (PNG, JPEG or BMP as stored); LNERR_TYPE_MISMATCH
    // when this object is not on a picture.
    LNSTATUS GetBitmap(std::string* bytes) const;
    LNINT GetWidth() const;
    LNINT GetHeight() const;
};

// A place in a rich text. A cursor that was never placed in one (not from
// GetCursor or GetEndCursor) finds nothing: GotoNext reports
// LNWARN_NOT_FOUND, which is never thrown.
class LNRTCursor {
public:
    LNSTATUS GotoNext(LNRTTYPE type, LNRTObject* object);
    bool IsPlaced() const { return static_cast<bool>(m_content); }

private:
    friend class LNRichText;
    std::shared_ptr<const notes::format::RichTextContent> m_content;
    std::size_t m_paragraph = 0;
    std::size_t m_element = 0; // == element count: the paragraph's end
    bool m_onObject = false;
};

class LNRichText : public LNItem {
public:
    LNRichText();
    LNSTATUS GetText(LNString* text) const;
    LNSTATUS GetText(const LNRTCursor& start, const LNRTCursor& end, LNString* text) const;
    LNSTATUS GetCursor(LNRTCursor* cursor) const;
    LNSTATUS GetEndCursor(LNRTCursor* cursor) const;
    // Writes the part between the cursors as an RTF document to an ANSI
    // Windows path, replacing the file. options is unused.
    LNSTATUS Export(const LNString& fileName, const LNRTCursor& start, const LNRTCursor& end,
                    const LNString& options = LNString()) const;

    const notes::format::RichTextContent& GetContent() const { return *m_content; }

protected:
    LNITEMTYPE AcceptedType() const override { return LNITEMTYPE_RICHTEXT; }
    LNSTATUS Load(const notes::detail::ItemData& data) override;

private:
    LNSTATUS CheckRange(const LNRTCursor& start, const LNRTCursor& end) const;
    std::shared_ptr<const notes::format::RichTextContent> m_content;
};

// Items of a note: the generic item and the text and number lists. Date-time
// lists and rich text have their own headers.
#pragma once

#include "notes/Detail.h"
#include "notes/LNString.h"

#include <string>
#include <vector>

class LNItem {
public:
    virtual ~LNItem() = default;
    LNString GetName() const { return LNString(m_name); }
    LNITEMTYPE GetType() const { return m_type; }
    LNITEMFLAGS GetFlags() const { return m_flags; }
    bool IsNull() const { return m_null; }

protected:
    friend class LNNote;
    // The item type an object of this class holds; LNITEMTYPE_ANY for all.
    virtual LNITEMTYPE AcceptedType() const { return LNITEMTYPE_ANY; }
    // Takes the item's value; LNERR_DATABASE_CORRUPT for a damaged value.
    virtual LNSTATUS Load(const notes::detail::ItemData& data);

    std::string m_name;
    LNITEMTYPE m_type = LNITEMTYPE_ANY;
    LNITEMFLAGS m_flags = 0;
    bool m_null = true;
};

class LNTextElement {
public:
    LNTextElement() = default;
    explicit LNTextElement(LNString text) : m_text(std::move(text)) {}
    const LNString& GetText() const { return m_text; }
    operator LNString() const { return m_text; }

private:
    LNString m_text;
};

class LNText : public LNItem {
public:
    LNINT GetCount() const;
    // Throws LNERR_INDEX_OUT_OF_RANGE for a bad index.
    LNTextElement operator[](LNINT index) const;

protected:
    LNITEMTYPE AcceptedType() const override { return LNITEMTYPE_TEXT; }
    LNSTATUS Load(const notes::detail::ItemData& data) override;

private:
    std::vector<std::string> m_values;
};

class LNNumbers : public LNItem {
public:
    LNINT GetCount() const;
    LNNUMBER operator[](LNINT index) const;

protected:
    LNITEMTYPE AcceptedType() const override { return LNITEMTYPE_NUMBERS; }
    LNSTATUS Load(const notes::detail::ItemData& data) override;

private:
    std::vector<double> m_values;
};

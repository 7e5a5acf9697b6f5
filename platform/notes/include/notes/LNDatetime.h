// Date-times and date-time lists. Their text is the one fixed form of
// notes/format/DateTimeValue.h: "2026-12-08 09:05:00", "2026-12-08" for a
// date alone, "09:05:00" for a time alone, "start - end" for a range; a list
// joins its values with the separator given, adding no blank.
#pragma once

#include "notes/Detail.h"
#include "notes/LNItem.h"
#include "notes/format/DateTimeValue.h"

#include <vector>

class LNDatetime {
public:
    LNDatetime() = default;
    explicit LNDatetime(const notes::format::DateTimeValue& value) : m_value(value), m_valid(true) {}

    // An empty text for a date-time that holds no value.
    LNSTATUS GetText(LNString* text) const;
    bool IsValid() const { return m_valid; }
    const notes::format::DateTimeValue& GetValue() const { return m_value; }

private:
    notes::format::DateTimeValue m_value;
    bool m_valid = false;
};

class LNDatetimes : public LNItem {
public:
    // Single values and ranges, each counted once.
    LNINT GetCount() const;
    // The value, or the start of a range; throws LNERR_INDEX_OUT_OF_RANGE.
    LNDatetime operator[](LNINT index) const;
    bool IsRange(LNINT index) const;
    LNSTATUS GetText(LNString* text, const char* separator = ";") const;

protected:
    LNITEMTYPE AcceptedType() const override { return LNITEMTYPE_DATETIMES; }
    LNSTATUS Load(const notes::detail::ItemData& data) override;

private:
    std::vector<notes::format::DateTimeEntry> m_values;
};

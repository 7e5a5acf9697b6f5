// The calendar side of a document: its entry type and alarm.
#pragma once

#include "notes/LNGlobal.h"

class LNNote;

class LNCalendarEntry {
public:
    LNCalendarEntry() = default;
    // Takes the calendar data of an open document; one that is not open
    // makes an entry whose calls throw LNERR_NOT_OPEN.
    explicit LNCalendarEntry(const LNNote& document);

    LNCALENTRYTYPE GetEntryType() const;
    LNBOOL GetIsAlarmEnabled() const;

private:
    LNCALENTRYTYPE m_type = LNCALENTRYTYPE_NONE;
    LNBOOL m_alarm = FALSE;
    bool m_valid = false;
};

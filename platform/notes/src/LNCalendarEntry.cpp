#include "notes/LNCalendarEntry.h"

#include "DatabaseFile.h"
#include "Status.h"
#include "notes/LNNote.h"

LNCalendarEntry::LNCalendarEntry(const LNNote& document)
{
    notes::detail::EnterOrRaise("LNCalendarEntry::LNCalendarEntry");
    if (document.IsOpen()) {
        m_type = static_cast<LNCALENTRYTYPE>(document.m_state->data->calendarType);
        m_alarm = document.m_state->data->alarm ? TRUE : FALSE;
        m_valid = true;
    }
}

LNCALENTRYTYPE LNCalendarEntry::GetEntryType() const
{
    notes::detail::EnterOrRaise("LNCalendarEntry::GetEntryType");
    if (!m_valid)
        notes::detail::Raise(LNERR_NOT_OPEN);
    return m_type;
}

LNBOOL LNCalendarEntry::GetIsAlarmEnabled() const
{
    notes::detail::EnterOrRaise("LNCalendarEntry::GetIsAlarmEnabled");
    if (!m_valid)
        notes::detail::Raise(LNERR_NOT_OPEN);
    return m_alarm;
}

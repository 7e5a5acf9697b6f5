// The branches of single appointments (type 1), date series (types 2 and
// 16) and single-date entries (type 4).
#include "CalendarConverter.h"

#include "CalendarText.h"
#include "RdoDispatch.h"
#include "RdoItemProperties.h"

CCalendarFields CCalendarConverter::Fields(const LNDocument& document, COleDispatchDriver& item)
{
    return CCalendarFields(m_dialog, m_session, document, item);
}

void CCalendarConverter::NewOccurrenceItem(COleDispatchDriver& item)
{
    item.AttachDispatch(RdoItems_Add(m_items, kRdoItemAppointment));
}

int CCalendarConverter::CountOccurrences(const LNDocument& document) const
{
    if (!document.HasItem("StartDateTime"))
        return 1;
    const DateListText starts = ReadDateListText(document, "StartDateTime", kDateListWideChars);
    if (starts.wide.find(u';') == std::u16string::npos)
        return 1;
    return 1 + CountSeparators(starts.narrow);
}

void CCalendarConverter::ConvertAppointmentEntry(const LNDocument& document)
{
    CCalendarFields fields = Fields(document, m_item);
    fields.CopySubject();
    fields.CopyBody();
    fields.CopyStartDateTime();
    fields.CopyEndDateTime();
    fields.CopyLocation();
    fields.CopyCategories();
    fields.CopyAlarm();
    fields.CopyAttachments();
    StopCheck();
}

void CCalendarConverter::ConvertDateSeriesEntry(const LNDocument& document, LNCALENTRYTYPE type)
{
    // Type 2 reads its starts only when the document has "StartDate".
    const char* gate = "StartDateTime";
    if (type == LNCALENTRYTYPE_ANNIVERSARY) {
        g_bSeriesType2Done = 1;
        gate = "StartDate";
    } else {
        g_bSeriesType16Done = 1;
    }
    const int occurrences = CountOccurrences(document);
    for (int occ = 0; occ < occurrences; ++occ) {
        COleDispatchDriver item;
        NewOccurrenceItem(item);
        CCalendarFields fields = Fields(document, item);
        fields.ConvertSubjectField();
        fields.ConvertBodyField(BodyVariant::Short);
        // The gate alone would read a missing "StartDateTime" and lose the
        // whole entry to the Notes error; without it no start is put.
        if (fields.Has(gate) && fields.Has("StartDateTime")) {
            const DateListText starts = fields.ReadShownDateList("StartDateTime", kDateListWideChars);
            if (starts.wide.find(u';') == std::u16string::npos)
                RdoItem_PutStart(item, DateTextToDate(starts.wide));
            else
                m_splitCount = SplitDateList(starts, &g_lstStartDates);
        }
        fields.ConvertLocationField();
        fields.ConvertCategoriesField();
        fields.ConvertAlarmField();
        fields.ConvertAttachments();
        if (m_splitCount != 0) {
            if (const WCHAR* start = DatePieceAt(g_lstStartDates, occ))
                RdoItem_PutStart(item, DateTextToDate(start));
        }
        SaveCalendarItem(item);
        item.ReleaseDispatch();
        FreeStringList(&g_lstStartDates);
    }
    StopCheck();
}

void CCalendarConverter::ConvertSingleDateEntry(const LNDocument& document)
{
    bType4Entry = true;
    CCalendarFields fields = Fields(document, m_item);
    fields.ConvertSubjectField();
    fields.ConvertBodyField(BodyVariant::Short);
    // One date, not split: a list of several does not convert and puts 0.0.
    if (fields.Has("StartDate"))
        RdoItem_PutStart(m_item, DateTextToDate(fields.ReadShownDateList("StartDate", kShortWideChars).wide));
    fields.ConvertAttachments();
    fields.ConvertCategoriesField();
    fields.ConvertAlarmField();
    fields.ConvertLocationField();
    StopCheck();
}

// The branch of meetings (type 8): one item per pair of start and end dates,
// with the attendees, the resources and a reminder of 15 minutes.
#include "CalendarConverter.h"

#include "CalendarText.h"
#include "RdoItemProperties.h"

namespace {

// What DISPID 0x6004001A receives on every meeting item.
constexpr LONG kMeetingValue = 5;
constexpr LONG kMeetingReminderMinutes = 15;

} // namespace

void CCalendarConverter::ConvertMeetingEntry(const LNDocument& document)
{
    g_bSeriesType8Done = 1;
    const int occurrences = CountOccurrences(document);
    for (int occ = 0; occ < occurrences; ++occ)
        ConvertMeetingOccurrence(document, occ);
    StopCheck();
}

void CCalendarConverter::ConvertMeetingOccurrence(const LNDocument& document, int occ)
{
    COleDispatchDriver item;
    NewOccurrenceItem(item);
    CCalendarFields fields = Fields(document, item);
    RdoItem_Put6004001A(item, kMeetingValue);
    fields.ConvertSubjectField();
    fields.ConvertBodyField(BodyVariant::WholeText);
    if (fields.Has("StartDateTime")) {
        const DateListText starts = fields.ReadShownDateList("StartDateTime", kDateListWideChars);
        if (starts.wide.find(u';') == std::u16string::npos)
            RdoItem_PutStart(item, DateTextToDate(starts.wide));
        else
            m_splitCount = SplitDateList(starts, &g_lstStartDates);
    }
    if (fields.Has("EndDateTime")) {
        const DateListText ends = ReadDateListText(document, "EndDateTime", kDateListWideChars);
        if (ends.wide.find(u';') == std::u16string::npos)
            RdoItem_PutEnd(item, DateTextToDate(ends.wide));
        else
            CutDateList(ends.wide, m_splitCount + 1, &g_lstEndDates);
    }
    fields.ConvertLocationField();
    fields.ConvertCategoriesField();
    if (fields.Has("Alarms")) {
        RdoItem_PutReminderMinutes(item, kMeetingReminderMinutes);
        fields.ConvertAlarmField();
    }
    fields.ConvertAttachments();
    if (fields.Has("RequiredResources"))
        RdoItem_PutResources(item, JoinAbbreviatedNames(m_session, document, "RequiredResources", true).c_str());
    if (fields.Has("FYIAttendees"))
        RdoItem_PutFyiAttendees(item, JoinAbbreviatedNames(m_session, document, "FYIAttendees", false).c_str());
    if (fields.Has("RequiredAttendees"))
        RdoItem_PutRequiredAttendees(item,
                                     JoinAbbreviatedNames(m_session, document, "RequiredAttendees", false).c_str());
    if (fields.Has("OptionalAttendees"))
        RdoItem_PutOptionalAttendees(item,
                                     JoinAbbreviatedNames(m_session, document, "OptionalAttendees", false).c_str());
    if (m_splitCount != 0) {
        const WCHAR* start = DatePieceAt(g_lstStartDates, occ);
        const WCHAR* end = DatePieceAt(g_lstEndDates, occ);
        if (start)
            RdoItem_PutStart(item, DateTextToDate(start));
        if (end)
            RdoItem_PutEnd(item, DateTextToDate(end));
    } else if (const WCHAR* end = DatePieceAt(g_lstEndDates, 0)) {
        // A single start with several ends would get no end at all: it
        // takes the first, the one paired with the first start.
        RdoItem_PutEnd(item, DateTextToDate(end));
    }
    SaveCalendarItem(item);
    item.ReleaseDispatch();
    FreeStringList(&g_lstStartDates);
    FreeStringList(&g_lstEndDates);
}

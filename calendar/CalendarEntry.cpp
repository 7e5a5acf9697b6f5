// The entry loop of a "($Calendar)" view: a new item for every entry, the
// entry's document read and dispatched to the branch of its type, then the
// finishing that saves the item and moves the progress bars.
#include "CalendarConverter.h"

#include "CProDlg.h"
#include "RdoDispatch.h"
#include "RdoItemProperties.h"
#include "RunFlags.h"
#include "LostDocuments.h"
#include "user/ProgressBar.h"
#include "win32/Clock.h"

namespace {

constexpr int kEntryCounter = 1034;
constexpr DWORD kEntryPause = 2000;
// The calendar folder is opened again every so many entries.
constexpr unsigned kFolderReopenInterval = 150;

// An entry that cannot be converted to its end: what it put stays, and the
// date pieces of its occurrence go with it.
void AbandonEntry()
{
    g_bNotCompleted = 1;
    FreeStringList(&g_lstStartDates);
    FreeStringList(&g_lstEndDates);
}

} // namespace

void CCalendarConverter::ConvertCalendarEntries(const LNViewFolder& view, unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        PrepareEntryItem(i);
        CString counter;
        counter.Format(u"%u/%u", i, count);
        m_dialog.SetDlgItemText(kEntryCounter, counter);
        g_nCurrentProgress = static_cast<int>(i + 1);
        g_nOverallProgress = static_cast<int>(i + 1);
        StopCheck();
        ConvertEntry(view, i);
        FinishCalendarEntry(i, count);
    }
}

void CCalendarConverter::PrepareEntryItem(unsigned i)
{
    const auto openFolder = [this] {
        m_calendarFolder.ReleaseDispatch();
        m_calendarFolder.AttachDispatch(RdoSession_GetFolderFromPath(m_viewSession, m_calendarFolderPath.c_str()));
    };
    // A folder that cannot be opened (again) would take no more items: its
    // failure leaves the loop for the run's handler of the RDO library,
    // which ends the run as not completed with the entries saved so far.
    if (i == 0)
        openFolder();
    if (i % kFolderReopenInterval == 0)
        openFolder();
    Sleep(kEntryPause);
    m_items.ReleaseDispatch();
    m_items.AttachDispatch(RdoFolder_GetItems(m_calendarFolder));
    Sleep(kEntryPause);
    m_item.ReleaseDispatch();
    m_item.AttachDispatch(RdoItems_Add(m_items, kRdoItemAppointment));
    Sleep(kEntryPause);
}

void CCalendarConverter::ConvertEntry(const LNViewFolder& view, unsigned i)
{
    m_entryNoteId = 0;
    m_entryDocument = LNDocument();
    m_entryLost = false;
    bool opened = false;
    try {
        const LNVFEntry entry = view[static_cast<LNINT>(i)];
        m_entryNoteId = entry.GetNoteID();
        LNDocument document;
        if (const LNSTATUS status = entry.GetDocument(&document)) {
            ReportLostEntry(u"the document cannot be read (" + NotesErrorText(status) + u")", false);
            return;
        }
        m_entryDocument = document;
        const LNSTATUS openStatus = document.Open();
        if (openStatus != LNNOERROR)
            ReportLostEntry(u"the document cannot be read (" + NotesErrorText(openStatus) + u")", false);
        if (openStatus == LNNOERROR) {
            opened = true;
            // Read as the frame reads it: a note without the date fails here.
            [[maybe_unused]] const LNDatetime added = document.GetAddedToFile();
            const LNCalendarEntry calendarEntry(document);
            m_splitCount = 0;
            StopCheck();
            DispatchEntry(document, calendarEntry);
        }
        document.Close();
    } catch (LNSTATUS status) {
        if (!opened)
            ReportLostEntry(u"the document cannot be read (" + NotesErrorText(status) + u")", false);
        OnCalendarEntryError(status);
    } catch (const CException&) {
        // An item the RDO library refused: the rest of the entry is skipped
        // as after a Notes error, so that one entry does not end the run.
        AbandonEntry();
    }
}

void CCalendarConverter::OnCalendarEntryError(LNSTATUS status)
{
    FetchErrorText(status);
    AbandonEntry();
}

void CCalendarConverter::DispatchEntry(const LNDocument& document, const LNCalendarEntry& calendarEntry)
{
    // At most one branch matches; the type is read again for every test.
    if (calendarEntry.GetEntryType() == LNCALENTRYTYPE_APPOINTMENT)
        ConvertAppointmentEntry(document);
    if (calendarEntry.GetEntryType() == LNCALENTRYTYPE_ANNIVERSARY)
        ConvertDateSeriesEntry(document, LNCALENTRYTYPE_ANNIVERSARY);
    if (calendarEntry.GetEntryType() == LNCALENTRYTYPE_EVENT)
        ConvertDateSeriesEntry(document, LNCALENTRYTYPE_EVENT);
    if (calendarEntry.GetEntryType() == CalEntryType8)
        ConvertMeetingEntry(document);
    if (calendarEntry.GetEntryType() == LNCALENTRYTYPE_REMINDER)
        ConvertDateOnlyEntry(document);
}

void CCalendarConverter::FinishCalendarEntry(unsigned i, unsigned count)
{
    if (g_bSeriesType8Done != 1 && g_bSeriesType16Done != 1 && g_bSeriesType2Done != 1) {
        try {
            if (bType4Entry)
                RdoItem_Put60040000(m_item, TRUE);
            SaveCalendarItem(m_item);
        } catch (const CException&) {
            // The item is lost; the run goes on with the next entry.
            g_bNotCompleted = 1;
            ReportLostEntry(u"the calendar item could not be saved (" + CurrentFailureText() + u")");
        }
        m_item.ReleaseDispatch();
        m_items.ReleaseDispatch();
        m_rootFolders.ReleaseDispatch();
        bType4Entry = false;
    }
    const unsigned position = (i + 1) * 100 / count;
    g_bSeriesType2Done = 0;
    g_bSeriesType16Done = 0;
    g_bSeriesType8Done = 0;
    m_dialog.m_progCurrent.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
    m_dialog.m_progOverall.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
    StopCheck();
    m_item.ReleaseDispatch();
}

void CCalendarConverter::SaveCalendarItem(COleDispatchDriver& item)
{
    try {
        RdoItem_Put41(item, TRUE);
        RdoItem_Call6(item);
    } catch (const CException&) {
        ReportLostEntry(u"the calendar item could not be saved (" + CurrentFailureText() + u")");
        throw;
    }
    RdoObject_Method6(m_calendarFolder);
}

void CCalendarConverter::ReportLostEntry(const std::u16string& why, bool readable)
{
    if (m_entryLost)
        return;
    m_entryLost = true;
    ReportLostDocument(m_entryNoteId, readable ? FirstTextOf(m_entryDocument, "Subject") : std::u16string(), why);
}

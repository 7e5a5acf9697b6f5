// The calendar conversion of one run (CProDlg::ConvertCalendar): a calendar
// folder made in the target store, the entries of every "($Calendar)" view
// of the NSF each written as appointment items by the branch of its entry
// type, each entry saved and counted, and three nested handlers of Notes
// errors (entry, view folder, database).
#pragma once

#include "CalendarFields.h"
#include "afx/OleDispatchDriver.h"
#include "notes/Notes.h"

#include <atomic>
#include <cstdint>
#include <string>

class CProDlg;

// Set by the branches of entry types 2, 16 and 8, which save items of their
// own: the entry's own item is then not saved. Cleared after every entry.
extern int g_bSeriesType2Done;
extern int g_bSeriesType16Done;
extern int g_bSeriesType8Done;
// The entry count of the "($Calendar)" view being converted.
extern std::atomic<unsigned> g_nCalendarEntryCount;

// Runs the calendar conversion on the dialog's worker; returns when the run
// ended early or its completion dialog came back.
void RunCalendarConversion(CProDlg& dialog);
// The text of a Notes status, as the error handlers fetch it.
void FetchErrorText(LNSTATUS status);
// "\\" + the target folder + "\" + the step-5 folder name: where the entry
// loop opens the calendar folder.
std::u16string CalendarFolderPath(const std::u16string& targetFolder, const std::u16string& folderName);

// The entry type of a meeting.
inline constexpr LNCALENTRYTYPE CalEntryType8 = LNCALENTRYTYPE_MEETING;

class CCalendarConverter {
public:
    explicit CCalendarConverter(CProDlg& dialog);

    void Run();

private:
    // The run's stop test: the completion dialog when a stop is requested,
    // and then the converter is left.
    void StopCheck();
    void Relabel();
    void CreateCalendarFolder();
    void ConvertNotesSource();
    void ConvertCalendarView(LNINT v);
    // The end of a converted view: its session released, then the stop test.
    void NextCalendarView();
    void FinishCalendarRun();
    // A failure of the RDO library outside an entry: the run cannot write
    // and ends as not completed.
    void FinishCalendarRunOnTargetFailure();

    // The entry loop and its steps (CalendarEntry.cpp).
    void ConvertCalendarEntries(const LNViewFolder& view, unsigned count);
    void PrepareEntryItem(unsigned i);
    void ConvertEntry(const LNViewFolder& view, unsigned i);
    void DispatchEntry(const LNDocument& document, const LNCalendarEntry& calendarEntry);
    void FinishCalendarEntry(unsigned i, unsigned count);
    void SaveCalendarItem(COleDispatchDriver& item);
    // Logs the entry's item as lost, once per entry, and marks the run not
    // completed; the run goes on with the next entry. The subject is read
    // only from a document that could be read.
    void ReportLostEntry(const std::u16string& why, bool readable = true);

    // The handlers of Notes errors: inside an entry (the entry is
    // abandoned, the run goes on), a view folder (reported, the next view
    // follows) and the database (reported, the run is aborted).
    void OnCalendarEntryError(LNSTATUS status);
    void OnCalendarViewError(LNSTATUS status);
    void OnCalendarDatabaseError(LNSTATUS status);

    // The branches (CalendarBranches.cpp, CalendarMeeting.cpp).
    void ConvertAppointmentEntry(const LNDocument& document);
    void ConvertDateSeriesEntry(const LNDocument& document, LNCALENTRYTYPE type);
    void ConvertMeetingEntry(const LNDocument& document);
    void ConvertMeetingOccurrence(const LNDocument& document, int occurrence);
    void ConvertSingleDateEntry(const LNDocument& document);
    // The branch of entry type 4 as the entry loop names it.
    void ConvertDateOnlyEntry(const LNDocument& document) { ConvertSingleDateEntry(document); }
    // The number of items of a series or meeting: one per start date.
    int CountOccurrences(const LNDocument& document) const;
    CCalendarFields Fields(const LNDocument& document, COleDispatchDriver& item);
    void NewOccurrenceItem(COleDispatchDriver& item);

    CProDlg& m_dialog;
    LNNotesSession m_session;
    LNDatabase m_database;
    LNViewFolderArray m_viewFolders;
    // "\\" + the target folder + "\" + the step-5 folder name.
    std::u16string m_calendarFolderPath;
    // The target folder's subfolders, held until the first entry is saved.
    COleDispatchDriver m_rootFolders;
    // The session of the "($Calendar)" view being converted.
    COleDispatchDriver m_viewSession;
    COleDispatchDriver m_calendarFolder;
    COleDispatchDriver m_items;
    COleDispatchDriver m_item;
    // The ";" of the entry's start list, once a branch has split it.
    int m_splitCount = 0;
    bool bType4Entry = false;
    // The entry being converted, which names it in the log when it is lost.
    std::int64_t m_entryNoteId = 0;
    LNDocument m_entryDocument;
    bool m_entryLost = false;
};

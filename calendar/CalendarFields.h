// The field blocks of the calendar conversion: each reads one item of the
// entry's open document and puts one property of an RDO appointment item.
// A block whose Notes item is missing does nothing. Notes errors leave a
// block as thrown statuses, except where a block says it swallows them.
#pragma once

#include "CalendarDates.h"
#include "afx/OleDispatchDriver.h"
#include "notes/Notes.h"

class CProDlg;

enum class BodyVariant {
    // The whole plain text of the body.
    WholeText,
    // At most 199 wide characters, as the series and single-date entries
    // keep it.
    Short,
};

class CCalendarFields {
public:
    CCalendarFields(CProDlg& dialog, const LNNotesSession& session, const LNNote& note, COleDispatchDriver& item)
        : m_dialog(dialog)
        , m_session(session)
        , m_note(note)
        , m_item(item)
    {
    }

    // "Subject", also shown in the dialog's subject line.
    void ConvertSubjectField();
    void ConvertBodyField(BodyVariant variant);
    void ConvertLocationField();
    // Every element of "Categories" is put in turn; the last one stays.
    void ConvertCategoriesField();
    // The alarm's on or off state, when the document has "Alarms".
    void ConvertAlarmField();
    // Each attachment detached into the attachment folder and added.
    void ConvertAttachments();

    // The blocks of a single appointment (entry type 1), in the order that
    // branch runs them; the ones that share a block above call it.
    void CopySubject() { ConvertSubjectField(); }
    void CopyBody() { ConvertBodyField(BodyVariant::WholeText); }
    // The whole "StartDateTime" list as one date, shown in the date line.
    void CopyStartDateTime();
    // The whole "EndDateTime" list as one date.
    void CopyEndDateTime();
    void CopyLocation() { ConvertLocationField(); }
    void CopyCategories() { ConvertCategoriesField(); }
    void CopyAlarm() { ConvertAlarmField(); }
    void CopyAttachments() { ConvertAttachments(); }

    // The date text shown in the dialog's date line.
    DateListText ReadShownDateList(const char* name, std::size_t wideCapacity);

    bool Has(const char* name) const { return m_note.HasItem(name); }
    COleDispatchDriver& Item() { return m_item; }

private:
    // Element 0 of a text item; an item without elements reads empty.
    LNString ReadItemText(const char* name);
    // Element 0 of a text item, through the subject's 1000-byte cut, wide.
    std::u16string ReadLimitedText(const char* name);
    // An attachment that does not reach the item is logged as lost; called
    // while its failure is being handled.
    void ReportLostAttachment(const std::string& name, const std::u16string& what);

    CProDlg& m_dialog;
    const LNNotesSession& m_session;
    const LNNote& m_note;
    COleDispatchDriver& m_item;
};

// The elements of a text list, each abbreviated as a Notes name and joined
// by ", ". With guardAbbreviation a failing abbreviation keeps the element
// as it was; otherwise its status is thrown.
std::u16string JoinAbbreviatedNames(const LNNotesSession& session, const LNNote& note, const char* name,
                                    bool guardAbbreviation);

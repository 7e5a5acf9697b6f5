// The contact conversion of one run (CProDlg::ConvertContacts): a contacts
// folder made in the PST through the RDO library, then every "Person"
// document of the NSF written into it as a contact, each through an RDO
// session of its own.
#pragma once

#include "PstFreeSpace.h"
#include "afx/AfxWin.h"
#include "notes/Notes.h"

class CProDlg;

class CContactConverter {
public:
    explicit CContactConverter(CProDlg& dialog);

    // Returns when the run ends early (Outlook missing, the target or the
    // Notes session unusable, the fourth Yes to the free-space question, no
    // "Person" document) or when the completion dialog came back; otherwise
    // that dialog ends the process.
    void Run();

private:
    static constexpr LPCWSTR kRdoSessionProgId = u"TolvaneRedmp.RDOSessionTol";

    // The run's stop test: the completion dialog when a stop is requested,
    // and then the converter is left (LeaveConverter).
    void StopCheck();
    void Relabel();
    // The contacts folder below the store's root; false when the store
    // cannot be reached.
    bool CreateContactsFolder();
    // The session, the database and the "Person" documents; false when the
    // run cannot go on.
    bool FindPersons();
    void ConvertPersons();
    // False when the contact was lost with its document alone (the
    // document unreadable, the save refused): that is logged, and the loop
    // goes on. Any other failure throws and leaves the loop.
    bool ConvertPerson(LNINT i);
    void EndRun();

    CProDlg& m_dialog;
    CString m_contactsPath;
    LNNotesSession m_session;
    LNDatabase m_database;
    LNDocumentArray m_persons;
    LNINT m_count = 0;
    PstFreeSpaceAnswers m_freeSpaceAnswers;
};

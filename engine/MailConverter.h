// The mail conversion of one run (CProDlg::ConvertMailFolders): the walk
// over every view and folder of the NSF, the creation in the PST of those
// the user ticked, and the loop over their documents, each made into a
// message by CMailMessageBuilder.
#pragma once

#include "MailMessage.h"
#include "PstFreeSpace.h"
#include "notes/Notes.h"

#include <atomic>
#include <string>

// The selected folders reached so far in the walk, the current one included.
extern std::atomic<int> g_nFoldersDone;

class CMailConverter {
public:
    explicit CMailConverter(CProDlg& dialog);

    // Returns only when the run ends early (Outlook missing, the Notes
    // session, the fourth Yes to the free-space question) or when the
    // completion dialog came back; otherwise that dialog ends the process.
    void Run();

private:
    // The run's stop test: the completion dialog when a stop is requested,
    // and then the converter is left (LeaveConverter).
    void StopCheck();
    // The session, the database and its view folders; false when the run
    // cannot go on.
    bool OpenSource(LNINT& viewFolderCount);
    void WalkViewFolder(LNINT k);
    bool IsFolderSelected(const std::u16string& folderPath);
    void CreatePstFolderPath(const std::u16string& folderPath);
    void ConvertDocuments(const LNViewFolder& viewFolder, MailMessageParts& parts);
    void ConvertEntry(const LNViewFolder& viewFolder, LNINT i, LNINT n, MailMessageParts& parts);
    void EndRun();

    CProDlg& m_dialog;
    LNNotesSession m_session;
    LNDatabase m_database;
    LNViewFolderArray m_viewFolders;
    // The step-5 folder name in the ANSI code page.
    std::string m_folderName;
    PstFreeSpaceAnswers m_freeSpaceAnswers;
    CMailMessageBuilder m_builder;
};

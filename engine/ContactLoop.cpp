// The loop over the "Person" documents: the free-space question, a new RDO
// session and contact item per document, the item filled and saved, and the
// two progress bars.
#include "ContactConverter.h"

#include "CProDlg.h"
#include "ContactFields.h"
#include "RdoDispatch.h"
#include "RunFlags.h"
#include "LostDocuments.h"
#include "user/ProgressBar.h"

#include <stdexcept>

namespace {

constexpr int kCountText = 1034;

// A session object that cannot be made: the contact cannot be written.
struct SessionMissing : std::runtime_error {
    SessionMissing()
        : std::runtime_error("no session of the RDO library")
    {
    }
};

void ThrowIfFailed(LNSTATUS status)
{
    if (status != LNNOERROR)
        throw status;
}

// The note id of the i-th document, or 0 when even that cannot be had.
std::int64_t NoteIdAt(const LNDocumentArray& documents, LNINT i)
{
    std::int64_t id = 0;
    RunGuarded([&] { id = documents[i].GetNoteID(); });
    return id;
}

} // namespace

void CContactConverter::ConvertPersons()
{
    for (LNINT i = 0; i < m_count; ++i) {
        g_nCurrentProgress = i;
        g_nOverallProgress = i;
        if (!m_dialog.CheckPstFreeSpace(1, m_freeSpaceAnswers))
            throw LeaveConverter{};
        CString counter;
        counter.Format(u"%d/%d", i + 1, m_count);
        m_dialog.SetDlgItemText(kCountText, counter);
        std::u16string why;
        if (!RunGuardedTelling([&] { ConvertPerson(i); }, why)) {
            // The session, folder or item cannot be had: the rest of the
            // address book is left; the run says it did not complete rather
            // than report the contacts it lost as converted.
            ReportLostDocument(NoteIdAt(m_persons, i), u"", u"the contact could not be written (" + why + u")");
            g_bNotCompleted = 1;
            RaiseStopFlags();
            return;
        }
        const auto position = static_cast<unsigned long long>(i + 1) * 100 / static_cast<unsigned long long>(m_count);
        m_dialog.m_progCurrent.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
        m_dialog.m_progOverall.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
    }
    g_nCurrentProgress = m_count;
    g_nOverallProgress = m_count;
}

bool CContactConverter::ConvertPerson(LNINT i)
{
    COleDispatchDriver session;
    if (!session.CreateDispatch(kRdoSessionProgId))
        throw SessionMissing{};
    RdoSession_Logon(session);
    COleDispatchDriver folder(RdoSession_GetFolderFromPath(session, m_contactsPath));
    COleDispatchDriver items(RdoFolder_GetItems(folder));
    COleDispatchDriver item(RdoItems_Add(items, kRdoItemContact));

    LNDocument person = m_persons[i];
    std::u16string why;
    if (!RunGuardedTelling([&] { ThrowIfFailed(person.Open(0)); }, why)) {
        ReportLostDocument(person.GetNoteID(), u"", u"the document cannot be read (" + why + u")");
        return false;
    }
    const ContactFillOutcome outcome = FillContactItem(m_dialog, person, item);
    // Closing only lets go of the items read; a failure there loses nothing.
    RunGuarded([&] { person.Close(); });
    if (outcome == ContactFillOutcome::Stopped) {
        // The contact in hand is left unsaved.
        item.ReleaseDispatch();
        StopCheck();
    }
    if (!RunGuardedTelling(
            [&] {
                RdoMessage_Call6(item);
                RdoMessage_Put41(item, TRUE);
            },
            why)) {
        ReportLostDocument(person.GetNoteID(), FirstTextOf(person, "FullName"), u"the contact could not be saved (" + why + u")");
        return false;
    }
    return true;
}

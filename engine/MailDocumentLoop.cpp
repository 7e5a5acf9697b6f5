// The loop over the documents of a selected view folder: stop check,
// free-space question, the document opened and made into a message, the
// current-progress bar.
#include "MailConverter.h"

#include "CProDlg.h"
#include "RunFlags.h"
#include "LostDocuments.h"
#include "WizardSelections.h"
#include "user/ProgressBar.h"

namespace {

constexpr int kCountText = 1034;

} // namespace

void CMailConverter::ConvertDocuments(const LNViewFolder& viewFolder, MailMessageParts& parts)
{
    const LNINT n = viewFolder.GetEntryCount();
    for (LNINT i = 0; i < n; ++i)
        ConvertEntry(viewFolder, i, n, parts);
}

void CMailConverter::ConvertEntry(const LNViewFolder& viewFolder, LNINT i, LNINT n, MailMessageParts& parts)
{
    g_nCurrentProgress = i + 1;
    StopCheck();
    if (!m_dialog.CheckPstFreeSpace(g_nSelFolderCount, m_freeSpaceAnswers))
        throw LeaveConverter{};
    CString counter;
    counter.Format(u"%d/%d", i + 1, n);
    m_dialog.SetDlgItemText(kCountText, counter);

    LNDocument document;
    // A document that cannot be fetched or opened is skipped and reported as
    // lost; one whose conversion fails outside its guarded steps is skipped.
    // The bar moves all the same.
    std::int64_t noteId = 0;
    std::u16string why;
    const bool opened = RunGuardedTelling(
        [&] {
            const LNVFEntry entry = viewFolder[i];
            noteId = entry.GetNoteID();
            if (const LNSTATUS status = entry.GetDocument(&document))
                throw status;
            if (const LNSTATUS status = document.Open(0))
                throw status;
        },
        why);
    if (opened)
        RunGuarded([&] { m_builder.ConvertMailDocument(document, parts); });
    else
        ReportLostDocument(noteId, u"", u"the document cannot be read (" + why + u")");
    // A document that cannot be closed costs nothing more.
    RunGuarded([&] { document.Close(); });
    const auto position = static_cast<unsigned long long>(i + 1) * 100 / static_cast<unsigned long long>(n);
    m_dialog.m_progCurrent.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position));
}

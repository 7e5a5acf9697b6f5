// The hand-off: the three Brenmoor calls of a message, then the release of
// its parts and the emptying of the attachment folder.
#include "MailMessage.h"

#include "BrenmoorDispatch.h"
#include "CProDlg.h"
#include "LostDocuments.h"
#include "PartString.h"
#include "PathFunctions.h"
#include "StepGuard.h"
#include "WizardSelections.h"

namespace {

void CallBrenmoor(COleDispatchDriver& brenmoor, const MailMessageParts& parts)
{
    CPartString folderPath(parts.folderPath), subject(parts.subject), to(parts.to), emlPath(parts.emlPath),
        date(parts.date), attachments(parts.attachments), body(parts.body), cc(parts.cc), spare(parts.spare);
    SHORT bodyKind = parts.bodyKind;
    Brenmoor_Call6003002E(brenmoor, folderPath.Ref());
    Brenmoor_Call6003002D(brenmoor, {folderPath.Ref(), subject.Ref(), to.Ref(), emlPath.Ref(), date.Ref(),
                                     attachments.Ref(), body.Ref(), &bodyKind, cc.Ref(), spare.Ref()});
    Brenmoor_Call6003002F(brenmoor);
}

} // namespace

void CMailMessageBuilder::HandOffToBrenmoor(MailMessageParts& parts)
{
    parts.emlPath = kEmlPath;
    parts.spare.Empty();
    if (g_nMailBodyFormat != 1)
        parts.bodyKind = kMailBodyRtf;
    std::u16string why;
    if (!RunGuardedTelling([&] { CallBrenmoor(m_dialog.m_dispBrenmoor, parts); }, why))
        ReportLostDocument(parts.noteId, parts.subject.Str(), u"the message could not be saved (" + why + u")");
    m_stopCheck();
    parts.ReleaseMessage();
    DeleteFilesInFolder(AttachmentFolder());
}

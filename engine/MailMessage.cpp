// The order of a message's steps, and the sender, recipient, date and
// subject steps.
#include "MailMessage.h"

#include "AppSettings.h"
#include "CProDlg.h"
#include "FileHandle.h"
#include "StepGuard.h"
#include "notes/Notes.h"
#include "win32/CodePage.h"

int g_nRtfFileNumber = 1;

namespace {

constexpr int kFromText = 1035;
constexpr int kSubjectText = 1036;
// A subject that would not fit a buffer of 1,024 bytes with its terminator
// (1,024 bytes or more) is cut to its first 1,000 bytes.
constexpr LNINT kSubjectBuffer = 1024;
constexpr std::size_t kSubjectCut = 1000;
// The posted date is converted into a buffer of 200 characters.
constexpr std::size_t kPostedDateChars = 199;

CString Widened(const LNString& text)
{
    return CString(AnsiToWide(text.Text()));
}

} // namespace

void MailMessageParts::ReleaseMessage()
{
    subject.Empty();
    to.Empty();
    emlPath.Empty();
    date.Empty();
    attachments.Empty();
    body.Empty();
    bodyKind = kMailBodyText;
    cc.Empty();
    spare.Empty();
}

CString RtfBodyFilePath()
{
    CString path;
    path.Format(u"C:\\tol%d.rtf", g_nRtfFileNumber);
    return path;
}

CString AttachmentFolder()
{
    return CString(g_szInstallDir) + u"\\Attachment\\";
}

CMailMessageBuilder::CMailMessageBuilder(CProDlg& dialog, LNNotesSession& session, std::function<void()> stopCheck)
    : m_dialog(dialog)
    , m_session(session)
    , m_stopCheck(std::move(stopCheck))
{
}

void CMailMessageBuilder::ConvertMailDocument(const LNDocument& document, MailMessageParts& parts)
{
    parts.ReleaseMessage();
    parts.noteId = document.GetNoteID();
    // Each step is skipped when it fails, and the stop check follows it.
    auto step = [this](auto&& body) {
        RunGuarded(body);
        m_stopCheck();
    };
    step([&] { WriteSenderEml(document); });
    step([&] { parts.to = RecipientNames(document, "SendTo", true); });
    // The entered names are read without asking for them first: a missing
    // item fails its step and leaves the part empty.
    step([&] { parts.to = parts.to.IsEmpty() ? RecipientNames(document, "EnterSendTo", false) : parts.to; });
    step([&] { parts.cc = RecipientNames(document, "CopyTo", true); });
    step([&] { parts.cc = parts.cc.IsEmpty() ? RecipientNames(document, "EnterCopyTo", false) : parts.cc; });
    step([&] { ReadPostedDate(document, parts); });
    step([&] {
        if (!parts.date.IsEmpty())
            return;
        LNString modified;
        document.GetLastModified().GetText(&modified);
        parts.date = Widened(modified);
    });
    step([&] { ReadSubject(document, parts); });
    step([&] { CollectAttachments(document, parts); });
    step([&] { ReadMailBody(document, parts); });
    HandOffToBrenmoor(parts);
}

CString CMailMessageBuilder::RecipientNames(const LNDocument& document, const char* itemName, bool askFirst)
{
    if (askFirst && !document.HasItem(itemName))
        return CString();
    return JoinAbbreviatedNames(document, itemName);
}

void CMailMessageBuilder::WriteSenderEml(const LNDocument& document)
{
    // Made empty for every document, so a message without a sender never
    // takes the last one's.
    CFileHandle eml(CreateFileW(kEmlPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!document.HasItem("From"))
        return;
    LNText from;
    document.GetItem("From", &from);
    const LNString canonical = from[0];
    LNString abbreviated;
    m_session.AbbreviateName(canonical, &abbreviated);
    // The line has no closing bracket.
    const std::string line = abbreviated.Text() + " <" + canonical.Text();
    m_dialog.SetDlgItemText(kFromText, CString(AnsiToWide(line)));
    const std::string header = "From: " + line + "\r\n";
    DWORD written = 0;
    WriteFile(eml.Get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr);
}

CString CMailMessageBuilder::JoinAbbreviatedNames(const LNDocument& document, const char* itemName)
{
    LNText names;
    document.GetItem(itemName, &names);
    CString joined;
    for (LNINT j = 0; j < names.GetCount(); ++j) {
        LNString name = names[j];
        m_session.AbbreviateName(name, &name);
        // Empty names add no separator, so a list of them joins to nothing
        // and the entered names are read instead.
        if (name.IsEmpty())
            continue;
        if (!joined.IsEmpty())
            joined += u", ";
        joined += Widened(name);
    }
    return joined;
}

void CMailMessageBuilder::ReadPostedDate(const LNDocument& document, MailMessageParts& parts)
{
    if (!document.HasItem("PostedDate"))
        return;
    LNDatetimes dates;
    document.GetItem("PostedDate", &dates);
    LNString text;
    dates.GetText(&text, ";");
    std::u16string wide = AnsiToWide(text.Text());
    if (wide.size() > kPostedDateChars)
        wide.resize(kPostedDateChars);
    if (!wide.empty())
        parts.date = CString(std::move(wide));
}

void CMailMessageBuilder::ReadSubject(const LNDocument& document, MailMessageParts& parts)
{
    if (!document.HasItem("Subject"))
        return;
    LNText subjects;
    document.GetItem("Subject", &subjects);
    const LNString subject = subjects[0];
    std::string bytes = subject.Text();
    if (subject.GetByteLength() >= kSubjectBuffer)
        bytes.resize(AnsiCutLength(bytes, kSubjectCut));
    const CString text(AnsiToWide(bytes));
    m_dialog.SetDlgItemText(kSubjectText, text);
    if (!text.IsEmpty())
        parts.subject = text;
}

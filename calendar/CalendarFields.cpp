#include "CalendarFields.h"

#include "AppSettings.h"
#include "AttachmentNames.h"
#include "CProDlg.h"
#include "CalendarText.h"
#include "LostDocuments.h"
#include "RdoDispatch.h"
#include "RdoItemProperties.h"
#include "StepGuard.h"
#include "win32/CodePage.h"

namespace {

constexpr int kDateText = 1035;
constexpr int kSubjectText = 1036;
// An attachment's name, and its path as the Notes library takes it.
constexpr std::size_t kAttachmentNameBytes = 260;
constexpr std::size_t kAttachmentPathBytes = 255;

// A name element abbreviated in place; with guard a failure keeps it whole.
LNString Abbreviated(const LNNotesSession& session, LNString text, bool guard)
{
    if (guard)
        RunGuarded([&] { session.AbbreviateName(text, &text); });
    else
        session.AbbreviateName(text, &text);
    return text;
}

// The attachment's file name, shortened before its extension until the
// whole ANSI path fits the Notes library's buffer with its terminator.
std::u16string FittingPath(const std::u16string& folder, std::u16string name)
{
    const std::size_t room = kAttachmentPathBytes - 1;
    while (WideToAnsi(folder + name).size() > room && !name.empty()) {
        const std::size_t dot = name.rfind(u'.');
        const std::size_t end = (dot == std::u16string::npos || dot == 0) ? name.size() : dot;
        // A character of a supplementary plane goes as a whole.
        const std::size_t cutAt = WideCutLength(name, end - 1);
        name.erase(cutAt, end - cutAt);
    }
    return folder + (name.empty() ? u"Attachment" : name);
}

} // namespace

LNString CCalendarFields::ReadItemText(const char* name)
{
    LNText text;
    m_note.GetItem(name, &text);
    return text.GetCount() > 0 ? text[0].GetText() : LNString();
}

std::u16string CCalendarFields::ReadLimitedText(const char* name)
{
    return WidenCapped(CopyLimitedText(ReadItemText(name)), kShortWideChars);
}

void CCalendarFields::ConvertSubjectField()
{
    if (!Has("Subject"))
        return;
    const std::u16string subject = ReadLimitedText("Subject");
    m_dialog.SetDlgItemText(kSubjectText, subject.c_str());
    RdoItem_PutSubject(m_item, subject.c_str());
}

void CCalendarFields::ConvertLocationField()
{
    if (!Has("Location"))
        return;
    RdoItem_PutLocation(m_item, ReadLimitedText("Location").c_str());
}

void CCalendarFields::ConvertBodyField(BodyVariant variant)
{
    if (!Has("Body"))
        return;
    LNRichText body;
    // A body that cannot be fetched leaves the rich text as it was made.
    RunGuarded([&] { m_note.GetItem("Body", &body); });
    LNString text;
    body.GetText(&text);
    const std::u16string wide = variant == BodyVariant::WholeText ? AnsiToWide(text.Text())
                                                                  : WidenCapped(text.Text(), kShortWideChars);
    RdoItem_PutBody(m_item, wide.c_str());
}

void CCalendarFields::ConvertCategoriesField()
{
    if (!Has("Categories"))
        return;
    LNText categories;
    m_note.GetItem("Categories", &categories);
    const LNINT count = categories.GetCount();
    for (LNINT e = 0; e < count; ++e) {
        const LNString element = Abbreviated(m_session, categories[e].GetText(), true);
        RdoItem_PutCategories(m_item, MapCategoryCode(CopyBoundedText(element.Text())));
    }
}

void CCalendarFields::ConvertAlarmField()
{
    if (!Has("Alarms"))
        return;
    const LNCalendarEntry entry(m_note);
    RdoItem_PutReminderSet(m_item, entry.GetIsAlarmEnabled());
}

void CCalendarFields::ConvertAttachments()
{
    if (!m_note.HasAttachments())
        return;
    LNAttachmentArray attachments;
    m_note.GetAttachments(&attachments);
    const LNINT count = attachments.GetCount();
    COleDispatchDriver collection;
    collection.AttachDispatch(RdoItem_GetAttachments(m_item));
    const std::u16string folder = std::u16string(g_szInstallDir) + u"\\Attachment\\";
    for (LNINT k = 0; k < count; ++k) {
        const LNAttachment attachment = attachments[k];
        const std::string name = CopyBoundedText(attachment.GetAttachmentName().Text(), kAttachmentNameBytes);
        // The name is the database's, not a path: only its last component
        // is used, so that the file stays inside the attachment folder.
        const std::u16string path = FittingPath(folder, AttachmentBaseName(AnsiToWide(name)));
        try {
            attachment.Detach(LNString(WideToAnsi(path)));
        } catch (LNSTATUS) {
            ReportLostAttachment(name, u"cannot be detached");
            throw;
        }
        try {
            RdoAttachments_Add(collection, path.c_str());
        } catch (const CException&) {
            ReportLostAttachment(name, u"could not be added");
            throw;
        }
    }
}

void CCalendarFields::CopyStartDateTime()
{
    if (Has("StartDateTime"))
        RdoItem_PutStart(m_item, DateTextToDate(ReadShownDateList("StartDateTime", kShortWideChars).wide));
}

void CCalendarFields::CopyEndDateTime()
{
    if (Has("EndDateTime"))
        RdoItem_PutEnd(m_item, DateTextToDate(ReadDateListText(m_note, "EndDateTime", kShortWideChars).wide));
}

void CCalendarFields::ReportLostAttachment(const std::string& name, const std::u16string& what)
{
    LNNote note = m_note;
    ReportLostDocument(note.GetNoteID(), FirstTextOf(note, "Subject"),
                       u"attachment \"" + AnsiToWide(name) + u"\" " + what + u" (" + CurrentFailureText() + u")");
}

DateListText CCalendarFields::ReadShownDateList(const char* name, std::size_t wideCapacity)
{
    DateListText text = ReadDateListText(m_note, name, wideCapacity);
    m_dialog.SetDlgItemText(kDateText, text.wide.c_str());
    return text;
}

std::u16string JoinAbbreviatedNames(const LNNotesSession& session, const LNNote& note, const char* name,
                                    bool guardAbbreviation)
{
    LNText names;
    note.GetItem(name, &names);
    const LNINT count = names.GetCount();
    std::u16string joined;
    for (LNINT i = 0; i < count; ++i) {
        const LNString element = Abbreviated(session, names[i].GetText(), guardAbbreviation);
        joined += AnsiToWide(CopyBoundedText(element.Text()));
        if (i != count - 1)
            joined += u", ";
    }
    return joined;
}

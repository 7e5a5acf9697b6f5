// The body step: the plain text of "Body", HTML told apart by its opening
// tag, and in the RTF format the rich text exported to the RTF body file.
#include "MailMessage.h"

#include "StepGuard.h"
#include "WizardSelections.h"
#include "notes/Notes.h"
#include "win32/CodePage.h"
#include "win32/FileApi.h"

namespace {

constexpr std::string_view kHtmlOpening = "<HTML> ";

bool RtfFormatChosen()
{
    return g_nMailBodyFormat == 0;
}

} // namespace

void CMailMessageBuilder::ReadMailBody(const LNDocument& document, MailMessageParts& parts)
{
    const CString rtfFile = RtfBodyFilePath();
    // Brenmoor reads the body file by its fixed name: one left by an earlier
    // document must not become this one's body.
    if (RtfFormatChosen())
        DeleteFileW(rtfFile);
    if (!document.HasItem("Body"))
        return;
    LNRichText body;
    document.GetItem("Body", &body);
    // The text is read first, so that a failing export costs only the RTF.
    LNString text;
    body.GetText(&text);
    parts.body = CString(AnsiToWide(text.Text()));
    parts.bodyKind = text.Text().starts_with(kHtmlOpening) ? kMailBodyHtml : kMailBodyText;
    if (RtfFormatChosen() && !RunGuarded([&] { ExportRtfBody(body); }))
        DeleteFileW(rtfFile); // what a failed export left half-written
}

void CMailMessageBuilder::ExportRtfBody(const LNRichText& body)
{
    LNRTCursor start, end;
    body.GetCursor(&start);
    body.GetEndCursor(&end);
    body.Export(LNString(WideToAnsi(RtfBodyFilePath().Str())), start, end, LNString());
}

#include "ContactFields.h"

#include "CProDlg.h"
#include "DateTextToDate.h"
#include "RdoItemProperties.h"
#include "RunFlags.h"
#include "StepGuard.h"
#include "notes/Notes.h"
#include "win32/CodePage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kNameText = 1035;
constexpr int kMobileText = 1036;

enum class FieldKind { Text, Date };

struct ContactField {
    const char* item;
    FieldKind kind;
    DISPID property;
    // A second property that receives the same text, or 0.
    DISPID alsoProperty;
    // The control that shows the text, or 0.
    int shownIn;
    bool stopCheckAfter;
};

// The order is the order of the puts: "RAName" replaces what "FullName" put,
// and "MailAddress" what "InternetAddress" put.
constexpr ContactField kContactFields[] = {
    {"FirstName", FieldKind::Text, 0x6004004D, 0, 0, true},
    {"JobTitle", FieldKind::Text, 0x60040077, 0, 0, true},
    {"LastName", FieldKind::Text, 0x60040083, 0, 0, true},
    {"MiddleInitial", FieldKind::Text, 0x60040096, 0, 0, false},
    {"OfficeFAXPhoneNumber", FieldKind::Text, 0x6004001A, 0, 0, false},
    {"HomeFAXPhoneNumber", FieldKind::Text, 0x6004006B, 0, 0, false},
    {"FullName", FieldKind::Text, 0x60040051, 0, kNameText, false},
    {"RAName", FieldKind::Text, 0x60040051, 0, 0, false},
    {"ShortName", FieldKind::Text, 0x6004009E, 0, 0, false},
    {"InternetAddress", FieldKind::Text, 0x60040035, 0, 0, false},
    {"CompanyName", FieldKind::Text, 0x6004002D, 0, 0, false},
    {"MailAddress", FieldKind::Text, 0x60040086, 0x60040035, 0, true},
    {"Country", FieldKind::Text, 0x6004008A, 0, 0, false},
    {"Birthday", FieldKind::Date, 0x60040008, 0, 0, false},
    {"Anniversary", FieldKind::Date, 0x60040002, 0, 0, false},
    {"Department", FieldKind::Text, 0x60040033, 0, 0, false},
    {"MiscPhone1", FieldKind::Text, 0x600400BA, 0, 0, false},
    {"OfficePhoneNumber", FieldKind::Text, 0x6004002B, 0, 0, false},
    {"CellPhoneNumber", FieldKind::Text, 0x60040098, 0, kMobileText, true},
};

class CContactFiller {
public:
    CContactFiller(CProDlg& dialog, const LNDocument& document, COleDispatchDriver& item)
        : m_dialog(dialog)
        , m_document(document)
        , m_item(item)
    {
    }

    void Fill(const ContactField& field)
    {
        if (field.kind == FieldKind::Text)
            FillText(field);
        else
            FillDate(field);
    }

private:
    void FillText(const ContactField& field)
    {
        if (!m_document.HasItem(field.item))
            return;
        LNText text;
        if (m_document.GetItem(field.item, &text) != LNNOERROR)
            return;
        // Only the first value of a list is carried over.
        if (!Widen(text[0].GetText()))
            return;
        RdoPutText(m_item, field.property, m_wide);
        if (field.alsoProperty)
            RdoPutText(m_item, field.alsoProperty, m_wide);
        if (field.shownIn)
            m_dialog.SetDlgItemText(field.shownIn, m_wide);
    }

    void FillDate(const ContactField& field)
    {
        if (!m_document.HasItem(field.item))
            return;
        LNDatetimes dates;
        if (m_document.GetItem(field.item, &dates) != LNNOERROR)
            return;
        // Every value, joined by ";", is read as one date: a list does not
        // read as a date and puts day 0.
        LNString text;
        if (dates.GetText(&text, ";") != LNNOERROR)
            return;
        if (!Widen(text))
            return;
        RdoPutDate(m_item, field.property, DateTextToDate(m_wide));
    }

    // The text through both fixed buffers; false when it is empty. A text
    // that does not fit the narrow buffer with its terminator is cut, by its
    // stored length or by what its native text holds, whichever is longer,
    // so that no item can run past the buffer.
    bool Widen(const LNString& value)
    {
        const char* native = value.GetPlatformTextPtr();
        const std::size_t length = strnlen(native, kContactTextBuffer);
        // The buffer length counts the terminator: 1023 bytes of text fit.
        const bool fits = value.GetBufLength() <= kContactTextBuffer && length < kContactTextBuffer;
        const std::size_t copied = fits ? length : AnsiCutLength(std::string_view(native, length), kContactTextCut);
        std::memcpy(m_narrow, native, copied);
        m_narrow[copied] = 0;
        if (copied == 0)
            return false;
        return MultiByteToWideChar(CP_ACP, 0, m_narrow, -1, m_wide, kContactTextBuffer) > 1;
    }

    CProDlg& m_dialog;
    const LNDocument& m_document;
    COleDispatchDriver& m_item;
    char m_narrow[kContactTextBuffer] = {};
    WCHAR m_wide[kContactTextBuffer] = {};
};

} // namespace

ContactFillOutcome FillContactItem(CProDlg& dialog, const LNDocument& document, COleDispatchDriver& item)
{
    CContactFiller filler(dialog, document, item);
    for (const ContactField& field : kContactFields) {
        RunGuarded([&] { filler.Fill(field); });
        if (field.stopCheckAfter && g_bStopRequested)
            return ContactFillOutcome::Stopped;
    }
    return ContactFillOutcome::Finished;
}

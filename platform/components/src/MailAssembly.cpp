#include "components/MailAssembly.h"

#include "components/Addresses.h"
#include "components/FileBytes.h"
#include "components/LocalTime.h"
#include "mapi/PropTags.h"
#include "mapi/ltp/CompressedRtf.h"
#include "ole/DateText.h"
#include "ole/DispatchObject.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

namespace components {

namespace {

using namespace mapi;

PropertyKey T(std::uint32_t tag)
{
    return PropertyKey::Tag(tag);
}

// [MS-OXCMSG] PidTagNativeBody values.
constexpr std::int32_t kNativeBodyText = 1;
constexpr std::int32_t kNativeBodyRtf = 2;
constexpr std::int32_t kNativeBodyHtml = 3;

void AddSender(ItemDraft& draft, std::u16string_view emlPath)
{
    if (emlPath.empty())
        return;
    Bytes bytes = ReadFileBytes(emlPath, u"EML file");
    std::u16string text = AnsiToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    auto sender = SenderOfEml(text);
    if (!sender)
        return;
    for (auto [name, address, type] : {std::tuple{PR_SENDER_NAME, PR_SENDER_EMAIL_ADDRESS, PR_SENDER_ADDRTYPE},
                                       std::tuple{PR_SENT_REPRESENTING_NAME, PR_SENT_REPRESENTING_EMAIL_ADDRESS,
                                                  PR_SENT_REPRESENTING_ADDRTYPE}}) {
        draft.Set(T(name), PropertyValue::Unicode(sender->displayName));
        draft.Set(T(address), PropertyValue::Unicode(sender->emailAddress));
        draft.Set(T(type), PropertyValue::Unicode(sender->addressType));
    }
}

void AddRecipients(ItemDraft& draft, std::u16string_view text, std::int32_t type)
{
    for (const Address& address : ParseAddressList(text))
        draft.recipients.push_back({type, address.displayName, address.emailAddress, address.addressType});
}

void AddBody(ItemDraft& draft, const MailParts& parts, std::u16string_view rtfBodyPath)
{
    switch (static_cast<BodyKind>(parts.bodyKind)) {
    case BodyKind::Text:
        if (!parts.body.empty()) {
            draft.Set(T(PR_BODY), PropertyValue::Unicode(parts.body));
            draft.Set(T(PR_NATIVE_BODY_INFO), PropertyValue::Long(kNativeBodyText));
        }
        return;
    case BodyKind::Html: {
        std::string html = Utf16ToUtf8(parts.body);
        draft.Set(T(PR_HTML), PropertyValue::Binary(Bytes(html.begin(), html.end())));
        draft.Set(T(PR_INTERNET_CPID), PropertyValue::Long(static_cast<std::int32_t>(CP_UTF8)));
        draft.Set(T(PR_NATIVE_BODY_INFO), PropertyValue::Long(kNativeBodyHtml));
        return;
    }
    case BodyKind::Rtf:
        if (!parts.body.empty())
            draft.Set(T(PR_BODY), PropertyValue::Unicode(parts.body));
        // A document without a body exports no RTF: the plain text stands.
        if (FileExists(rtfBodyPath)) {
            Bytes rtf = ReadFileBytes(rtfBodyPath, u"RTF body file");
            draft.Set(T(PR_RTF_COMPRESSED), PropertyValue::Binary(mapi::ltp::CompressRtf(rtf)));
            draft.Set(T(PR_RTF_IN_SYNC), PropertyValue::Boolean(true));
            draft.Set(T(PR_NATIVE_BODY_INFO), PropertyValue::Long(kNativeBodyRtf));
        }
        return;
    }
    throw ole::CDispatchError(E_INVALIDARG, u"body kind " + Utf8ToUtf16(std::to_string(parts.bodyKind))
                                                + u" is not 0 (text), 1 (HTML) or 2 (RTF)");
}

} // namespace

std::vector<std::u16string> SplitAttachmentList(std::u16string_view list)
{
    std::vector<std::u16string> paths;
    while (!list.empty()) {
        std::size_t end = list.find(u';');
        std::u16string_view entry = list.substr(0, end);
        if (!entry.empty())
            paths.emplace_back(entry);
        if (end == std::u16string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return paths;
}

ItemDraft AssembleMail(const MailParts& parts, std::u16string_view rtfBodyPath)
{
    ItemDraft draft;
    draft.messageClass = u"IPM.Note";
    if (!parts.subject.empty())
        draft.Set(T(PR_SUBJECT), PropertyValue::Unicode(parts.subject));
    AddRecipients(draft, parts.to, MAPI_TO);
    AddRecipients(draft, parts.cc, MAPI_CC);
    AddSender(draft, parts.emlPath);
    if (auto date = ole::ParseDateText(parts.dateText)) {
        if (auto time = FileTimeFromLocalDate(*date)) {
            draft.Set(T(PR_MESSAGE_DELIVERY_TIME), PropertyValue::SysTime(*time));
            draft.Set(T(PR_CLIENT_SUBMIT_TIME), PropertyValue::SysTime(*time));
        }
    }
    AddBody(draft, parts, rtfBodyPath);
    for (const std::u16string& path : SplitAttachmentList(parts.attachmentList))
        draft.attachments.push_back({FileNameOf(path), ReadFileBytes(path, u"attachment")});
    // Read, and not a draft: no MSGFLAG_UNSENT.
    std::int32_t flags = MSGFLAG_READ | (draft.attachments.empty() ? 0 : MSGFLAG_HASATTACH);
    draft.Set(T(PR_MESSAGE_FLAGS), PropertyValue::Long(flags));
    return draft;
}

} // namespace components

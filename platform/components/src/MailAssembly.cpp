#include "components/MailAssembly.h"

#include "components/Addresses.h"
#include "components/FileBytes.h"
#include "components/LocalTime.h"
#include "ole/DateText.h"
#include "ole/DispatchObject.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

namespace components {

namespace {

using namespace mapi;

// PR_NATIVE_BODY_INFO values of [MS-OXCMSG].
constexpr std::int32_t kNativeBodyText = 1;
constexpr std::int32_t kNativeBodyRtf = 2;
constexpr std::int32_t kNativeBodyHtml = 3;

void AddSender(CMessage& message, std::u16string_view emlPath)
{
    if (emlPath.empty())
        return;
    Bytes bytes = ReadFileBytes(emlPath, u"EML file");
    auto sender = SenderOfEml(AnsiToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    if (!sender)
        return;
    message.SetString(PR_SENDER_NAME, sender->displayName);
    message.SetString(PR_SENDER_EMAIL_ADDRESS, sender->emailAddress);
    message.SetString(PR_SENDER_ADDRTYPE, sender->addressType);
    message.SetString(PR_SENT_REPRESENTING_NAME, sender->displayName);
    message.SetString(PR_SENT_REPRESENTING_EMAIL_ADDRESS, sender->emailAddress);
    message.SetString(PR_SENT_REPRESENTING_ADDRTYPE, sender->addressType);
}

void AddRecipients(CMessage& message, std::u16string_view text, std::int32_t type)
{
    for (Address& address : ParseAddressList(text))
        message.AddRecipient(
            {type, std::move(address.displayName), std::move(address.emailAddress), std::move(address.addressType), {}});
}

void AddBody(CMessage& message, const MailParts& parts, std::u16string_view rtfBodyPath)
{
    switch (static_cast<BodyKind>(parts.bodyKind)) {
    case BodyKind::Text:
        if (!parts.body.empty()) {
            message.SetBody(parts.body);
            message.SetLong(PR_NATIVE_BODY_INFO, kNativeBodyText);
        }
        return;
    case BodyKind::Html:
        message.SetHtmlBody(parts.body);
        message.SetLong(PR_NATIVE_BODY_INFO, kNativeBodyHtml);
        return;
    case BodyKind::Rtf:
        if (!parts.body.empty())
            message.SetBody(parts.body);
        // A document without a body exports no RTF: the plain text stands.
        if (FileExists(rtfBodyPath)) {
            Bytes rtf = ReadFileBytes(rtfBodyPath, u"RTF body file");
            message.SetRtfBody(std::string(rtf.begin(), rtf.end()));
            message.SetLong(PR_NATIVE_BODY_INFO, kNativeBodyRtf);
        }
        return;
    }
    throw ole::CDispatchError(E_INVALIDARG, u"body kind " + Utf8ToUtf16(std::to_string(parts.bodyKind))
                                                + u" is not 0 (text), 1 (HTML) or 2 (RTF)");
}

} // namespace

void AssembleMail(CMessage& message, const MailParts& parts, std::u16string_view rtfBodyPath)
{
    message.SetMessageClass(u"IPM.Note");
    if (!parts.subject.empty())
        message.SetSubject(parts.subject);
    AddRecipients(message, parts.to, MAPI_TO);
    AddRecipients(message, parts.cc, MAPI_CC);
    AddSender(message, parts.emlPath);
    if (auto date = ole::ParseDateText(parts.dateText)) {
        if (auto time = FileTimeFromLocalDate(*date)) {
            message.SetTime(PR_MESSAGE_DELIVERY_TIME, *time);
            message.SetTime(PR_CLIENT_SUBMIT_TIME, *time);
        }
    }
    AddBody(message, parts, rtfBodyPath);
    for (const std::u16string& path : SplitAttachmentList(parts.attachmentList))
        message.AddAttachment(CAttachment::ByValue(FileNameOf(path), ReadFileBytes(path, u"attachment")));
    message.SetRead(true);
    message.SetUnsent(false);
}

} // namespace components

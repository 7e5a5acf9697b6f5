// The in-memory side of a message: its properties, bodies, recipients and
// attachments. Saving and reading are in MessageSave.cpp and MessageRead.cpp.
#include "mapi/Message.h"

#include "Bridge.h"
#include "OneOff.h"
#include "StoreImpl.h"
#include "mapi/ltp/CompressedRtf.h"
#include "mapi/Store.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <algorithm>

namespace mapi {

using Lock = std::lock_guard<std::recursive_mutex>;

CMessage::CMessage(std::shared_ptr<CStore> store, Nid folder, Nid nid)
    : m_store(std::move(store)), m_folder(folder), m_nid(nid)
{
}

void CMessage::SetProperty(std::uint32_t tag, PropertyValue value) { m_properties.Set(tag, std::move(value)); }
const PropertyValue* CMessage::GetProperty(std::uint32_t tag) const { return m_properties.Get(tag); }
bool CMessage::RemoveProperty(std::uint32_t tag) { return m_properties.Remove(tag); }

void CMessage::SetString(std::uint32_t tag, const std::u16string& value)
{
    m_properties.Set(CHANGE_PROP_TYPE(tag, PT_UNICODE), PropertyValue::Unicode(value));
}

std::u16string CMessage::GetString(std::uint32_t tag) const { return message::StringOf(m_properties, tag); }

void CMessage::SetLong(std::uint32_t tag, std::int32_t value) { m_properties.Set(tag, PropertyValue::Long(value)); }

std::optional<std::int32_t> CMessage::GetLong(std::uint32_t tag) const
{
    const PropertyValue* v = m_properties.Get(tag);
    const std::int32_t* p = v ? v->Get<std::int32_t>() : nullptr;
    return p ? std::optional<std::int32_t>(*p) : std::nullopt;
}

void CMessage::SetBoolean(std::uint32_t tag, bool value) { m_properties.Set(tag, PropertyValue::Boolean(value)); }

std::optional<bool> CMessage::GetBoolean(std::uint32_t tag) const
{
    const PropertyValue* v = m_properties.Get(tag);
    const bool* p = v ? v->Get<bool>() : nullptr;
    return p ? std::optional<bool>(*p) : std::nullopt;
}

void CMessage::SetTime(std::uint32_t tag, FileTime value) { m_properties.Set(tag, PropertyValue::SysTime(value)); }

std::optional<FileTime> CMessage::GetTime(std::uint32_t tag) const
{
    const PropertyValue* v = m_properties.Get(tag);
    const std::uint64_t* p = v ? v->Get<std::uint64_t>() : nullptr;
    return p ? std::optional<FileTime>(*p) : std::nullopt;
}

Result<void> CMessage::SetNamedProperty(const NamedTag& tag, PropertyValue value)
{
    if (value.Type() != tag.type)
        return MakeError("named property of type " + std::to_string(tag.type) + " given a value of type " +
                         std::to_string(value.Type()));
    auto resolved = m_store->GetNamedTag(tag, true);
    if (!resolved)
        return resolved.GetError();
    m_properties.Set(**resolved, std::move(value));
    auto known = std::find_if(m_named.begin(), m_named.end(),
                              [&](const auto& named) { return named.first.name == tag.name; });
    if (known == m_named.end())
        m_named.emplace_back(tag, **resolved);
    else
        *known = {tag, **resolved};
    return {};
}

Result<std::optional<PropertyValue>> CMessage::GetNamedProperty(const NamedTag& tag) const
{
    auto resolved = m_store->GetNamedTag(tag, false);
    if (!resolved)
        return resolved.GetError();
    if (!*resolved)
        return std::optional<PropertyValue>{};
    const PropertyValue* value = m_properties.Get(CHANGE_PROP_TYPE(**resolved, CPropertyBag::kAnyType));
    if (!value)
        return std::optional<PropertyValue>{};
    if (value->Type() == tag.type)
        return std::optional<PropertyValue>(*value);
    // ANSI stores hold strings as PT_STRING8.
    if (tag.type == PT_UNICODE && value->Type() == PT_STRING8)
        return std::optional<PropertyValue>(PropertyValue::Unicode(message::Windows1252Text(*value->Get<std::string>())));
    if (tag.type == PT_MV_UNICODE && value->Type() == PT_MV_STRING8) {
        std::vector<std::u16string> list;
        for (const auto& s : *value->Get<std::vector<std::string>>())
            list.push_back(message::Windows1252Text(s));
        return std::optional<PropertyValue>(PropertyValue::MvUnicode(std::move(list)));
    }
    return std::optional<PropertyValue>{};
}

std::u16string CMessage::GetMessageClass() const { return GetString(PR_MESSAGE_CLASS); }
void CMessage::SetMessageClass(const std::u16string& messageClass) { SetString(PR_MESSAGE_CLASS, messageClass); }
std::u16string CMessage::GetSubject() const { return GetString(PR_SUBJECT); }
void CMessage::SetSubject(const std::u16string& subject) { SetString(PR_SUBJECT, subject); }

void CMessage::SetSender(const std::u16string& name, const std::u16string& address, const std::u16string& addressType)
{
    const Bytes entryId = message::OneOffEntryId(name, address, addressType);
    const Bytes searchKey = message::SearchKey(address, addressType);
    SetString(PR_SENDER_NAME, name);
    SetString(PR_SENDER_EMAIL_ADDRESS, address);
    SetString(PR_SENDER_ADDRTYPE, addressType);
    m_properties.Set(PR_SENDER_ENTRYID, PropertyValue::Binary(entryId));
    m_properties.Set(PR_SENDER_SEARCH_KEY, PropertyValue::Binary(searchKey));
    SetString(PR_SENT_REPRESENTING_NAME, name);
    SetString(PR_SENT_REPRESENTING_EMAIL_ADDRESS, address);
    SetString(PR_SENT_REPRESENTING_ADDRTYPE, addressType);
    m_properties.Set(PR_SENT_REPRESENTING_ENTRYID, PropertyValue::Binary(entryId));
    m_properties.Set(PR_SENT_REPRESENTING_SEARCH_KEY, PropertyValue::Binary(searchKey));
}

namespace {

std::int32_t WithFlag(std::int32_t flags, std::int32_t flag, bool on) { return on ? flags | flag : flags & ~flag; }

} // namespace

bool CMessage::IsRead() const { return (GetLong(PR_MESSAGE_FLAGS).value_or(0) & MSGFLAG_READ) != 0; }
void CMessage::SetRead(bool read) { SetLong(PR_MESSAGE_FLAGS, WithFlag(GetLong(PR_MESSAGE_FLAGS).value_or(0), MSGFLAG_READ, read)); }
bool CMessage::IsUnsent() const { return (GetLong(PR_MESSAGE_FLAGS).value_or(0) & MSGFLAG_UNSENT) != 0; }
void CMessage::SetUnsent(bool unsent)
{
    SetLong(PR_MESSAGE_FLAGS, WithFlag(GetLong(PR_MESSAGE_FLAGS).value_or(0), MSGFLAG_UNSENT, unsent));
}

std::u16string CMessage::GetBody() const { return GetString(PR_BODY); }
void CMessage::SetBody(const std::u16string& text) { SetString(PR_BODY, text); }

std::u16string CMessage::GetHtmlBody() const
{
    const PropertyValue* value = m_properties.Get(CHANGE_PROP_TYPE(PR_HTML, CPropertyBag::kAnyType));
    if (!value)
        return {};
    if (const auto* text = value->Get<std::u16string>())
        return *text;
    const Bytes* bytes = value->Get<Bytes>();
    if (!bytes)
        return {};
    const std::string_view raw(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (GetLong(PR_INTERNET_CPID).value_or(0) == 65001)
        return Utf8ToUtf16(raw);
    return message::Windows1252Text(raw);
}

void CMessage::SetHtmlBody(const std::u16string& html)
{
    const std::string utf8 = Utf16ToUtf8(html);
    m_properties.Set(PR_HTML, PropertyValue::Binary(Bytes(utf8.begin(), utf8.end())));
    SetLong(PR_INTERNET_CPID, 65001);
}

Result<std::string> CMessage::GetRtfBody() const
{
    const PropertyValue* value = m_properties.Get(PR_RTF_COMPRESSED);
    if (!value)
        return std::string{};
    auto rtf = message::FromLtp(ltp::DecompressRtf(*value->Get<Bytes>()), "PR_RTF_COMPRESSED");
    if (!rtf)
        return rtf.GetError();
    // Outlook counts a terminating NUL into the RTF it compresses.
    std::string text(rtf->begin(), rtf->end());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

void CMessage::SetRtfBody(const std::string& rtf)
{
    m_properties.Set(PR_RTF_COMPRESSED, PropertyValue::Binary(ltp::CompressRtf(Bytes(rtf.begin(), rtf.end()))));
    SetBoolean(PR_RTF_IN_SYNC, true);
}

void CMessage::AddRecipient(Recipient recipient) { m_recipients.push_back(std::move(recipient)); }
void CMessage::ClearRecipients() { m_recipients.clear(); }
void CMessage::AddAttachment(CAttachment attachment) { m_attachments.push_back(std::move(attachment)); }

void CMessage::RemoveAttachment(std::size_t index)
{
    if (index < m_attachments.size())
        m_attachments.erase(m_attachments.begin() + static_cast<std::ptrdiff_t>(index));
}

} // namespace mapi

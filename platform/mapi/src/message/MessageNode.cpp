#include "MessageNode.h"

#include "Bridge.h"
#include "OneOff.h"
#include "mapi/ltp/PropertyCodec.h"
#include "mapi/ltp/PropertyContext.h"
#include "mapi/ltp/TableContext.h"
#include "mapi/ltp/TableTemplates.h"

#include <algorithm>
#include <cassert>
#include <set>

namespace mapi::message {

namespace {

constexpr Nid kRecipientTable = ltp::nid::kRecipientTable;
constexpr Nid kAttachmentTable = ltp::nid::kAttachmentTable;

// The properties of a recipient row that Recipient holds in its own fields.
constexpr std::uint32_t kRecipientFields[] = {PR_RECIPIENT_TYPE, PR_DISPLAY_NAME, PR_EMAIL_ADDRESS, PR_ADDRTYPE,
                                              PR_LTP_ROW_ID, PR_LTP_ROW_VER};

CPropertyBag RecipientCells(const Recipient& r)
{
    CPropertyBag cells = r.extra;
    auto setDefault = [&](std::uint32_t tag, PropertyValue value) {
        if (!cells.Has(CHANGE_PROP_TYPE(tag, CPropertyBag::kAnyType)))
            cells.Set(tag, std::move(value));
    };
    cells.Set(PR_RECIPIENT_TYPE, PropertyValue::Long(r.type));
    cells.Set(PR_DISPLAY_NAME, PropertyValue::Unicode(r.displayName));
    cells.Set(PR_EMAIL_ADDRESS, PropertyValue::Unicode(r.address));
    cells.Set(PR_ADDRTYPE, PropertyValue::Unicode(r.addressType));
    setDefault(PR_OBJECT_TYPE, PropertyValue::Long(MAPI_MAILUSER));
    setDefault(PR_DISPLAY_TYPE, PropertyValue::Long(DT_MAILUSER));
    setDefault(PR_ENTRYID, PropertyValue::Binary(OneOffEntryId(r.displayName, r.address, r.addressType)));
    setDefault(PR_SEARCH_KEY, PropertyValue::Binary(SearchKey(r.address, r.addressType)));
    setDefault(PR_RESPONSIBILITY, PropertyValue::Boolean(false));
    setDefault(PR_SEND_RICH_INFO, PropertyValue::Boolean(false));
    setDefault(PR_TRANSMITABLE_DISPLAY_NAME, PropertyValue::Unicode(r.displayName));
    if (SameName(r.addressType, u"SMTP"))
        setDefault(PR_SMTP_ADDRESS, PropertyValue::Unicode(r.address));
    cells.Set(PR_LTP_ROW_VER, PropertyValue::Long(1));
    return cells;
}

std::u16string DisplayList(const std::vector<Recipient>& recipients, std::int32_t type)
{
    std::u16string list;
    for (const auto& r : recipients) {
        if (r.type != type)
            continue;
        if (!list.empty())
            list += u"; ";
        list += r.displayName.empty() ? r.address : r.displayName;
    }
    return list;
}

std::size_t EncodedSize(const CPropertyBag& bag)
{
    std::size_t size = 0;
    for (const auto& entry : bag)
        size += 8 + ltp::EncodedValueSize(entry.second);
    return size;
}

// The rows of the table in subnode `nid`; none when the message has no such table.
Result<std::vector<ltp::TableRow>> SubnodeRows(const NodeContent& node, Nid nid, const char* what)
{
    auto it = node.subnodes.find(nid);
    if (it == node.subnodes.end())
        return std::vector<ltp::TableRow>{};
    auto table = FromLtp(ltp::CTableContext::Load(it->second), what);
    if (!table)
        return table.GetError();
    return FromLtp(table->ReadAllRows(), what);
}

} // namespace

std::vector<std::uint32_t> RecipientColumns(const std::vector<std::uint32_t>& templateColumns,
                                            const std::vector<Recipient>& recipients)
{
    std::vector<std::uint32_t> columns = templateColumns;
    std::set<std::uint16_t> ids;
    for (std::uint32_t tag : columns)
        ids.insert(PROP_ID(tag));
    auto add = [&](std::uint32_t tag) {
        if (ids.insert(PROP_ID(tag)).second)
            columns.push_back(tag);
    };
    for (std::uint32_t tag : {PR_RECIPIENT_TYPE, PR_DISPLAY_NAME, PR_EMAIL_ADDRESS, PR_ADDRTYPE, PR_OBJECT_TYPE,
                              PR_DISPLAY_TYPE, PR_ENTRYID, PR_SEARCH_KEY, PR_TRANSMITABLE_DISPLAY_NAME, PR_SMTP_ADDRESS})
        add(tag);
    for (const auto& r : recipients)
        for (const auto& entry : r.extra)
            add(CPropertyBag::TagOf(entry));
    return columns;
}

std::vector<std::uint32_t> AttachmentColumns(const std::vector<std::uint32_t>& templateColumns)
{
    std::vector<std::uint32_t> columns = templateColumns;
    std::set<std::uint16_t> ids;
    for (std::uint32_t tag : columns)
        ids.insert(PROP_ID(tag));
    for (std::uint32_t tag : {PR_ATTACH_SIZE, PR_ATTACH_FILENAME, PR_ATTACH_METHOD, PR_RENDERING_POSITION,
                              PR_ATTACH_LONG_FILENAME, PR_ATTACH_EXTENSION, PR_DISPLAY_NAME, PR_ATTACH_MIME_TAG,
                              PR_ATTACH_CONTENT_ID, PR_ATTACH_FLAGS, PR_ATTACHMENT_HIDDEN})
        if (ids.insert(PROP_ID(tag)).second)
            columns.push_back(tag);
    return columns;
}

void CompleteProperties(MessageParts& parts, FileTime now, std::mt19937_64& random)
{
    CPropertyBag& p = parts.properties;
    auto setDefault = [&](std::uint32_t tag, PropertyValue value) {
        if (!p.Has(CHANGE_PROP_TYPE(tag, CPropertyBag::kAnyType)))
            p.Set(tag, std::move(value));
    };
    setDefault(PR_MESSAGE_CLASS, PropertyValue::Unicode(u"IPM.Note"));
    setDefault(PR_IMPORTANCE, PropertyValue::Long(1));
    setDefault(PR_PRIORITY, PropertyValue::Long(0));
    setDefault(PR_SENSITIVITY, PropertyValue::Long(0));
    setDefault(PR_CREATION_TIME, PropertyValue::SysTime(now));
    p.Set(PR_LAST_MODIFICATION_TIME, PropertyValue::SysTime(now));
    if (!p.Has(PR_SEARCH_KEY)) {
        Bytes key(16);
        for (auto& b : key)
            b = static_cast<std::uint8_t>(random());
        p.Set(PR_SEARCH_KEY, PropertyValue::Binary(std::move(key)));
    }
    if (const std::u16string subject = StringOf(p, PR_SUBJECT); !subject.empty())
        setDefault(PR_CONVERSATION_TOPIC, PropertyValue::Unicode(subject));

    const bool attached = !parts.attachments.empty();
    std::int32_t flags = p.GetLong(PR_MESSAGE_FLAGS, 0);
    flags = attached ? flags | MSGFLAG_HASATTACH : flags & ~MSGFLAG_HASATTACH;
    p.Set(PR_MESSAGE_FLAGS, PropertyValue::Long(flags));
    p.Set(PR_HASATTACH, PropertyValue::Boolean(attached));
    p.Set(PR_DISPLAY_TO, PropertyValue::Unicode(DisplayList(parts.recipients, MAPI_TO)));
    p.Set(PR_DISPLAY_CC, PropertyValue::Unicode(DisplayList(parts.recipients, MAPI_CC)));
    p.Set(PR_DISPLAY_BCC, PropertyValue::Unicode(DisplayList(parts.recipients, MAPI_BCC)));

    for (auto& a : parts.attachments) {
        CPropertyBag& ap = a.Properties();
        ap.Remove(PR_ATTACH_SIZE);
        ap.Set(PR_ATTACH_SIZE, PropertyValue::Long(static_cast<std::int32_t>(EncodedSize(ap))));
        if (!ap.Has(PR_CREATION_TIME))
            ap.Set(PR_CREATION_TIME, PropertyValue::SysTime(now));
        ap.Set(PR_LAST_MODIFICATION_TIME, PropertyValue::SysTime(now));
    }
    std::size_t size = EncodedSize(p);
    parts.recipientRows.clear();
    parts.recipientRows.reserve(parts.recipients.size());
    for (const auto& r : parts.recipients) {
        parts.recipientRows.push_back(RecipientCells(r));
        size += EncodedSize(parts.recipientRows.back());
    }
    for (const auto& a : parts.attachments)
        size += static_cast<std::size_t>(a.Properties().GetLong(PR_ATTACH_SIZE, 0));
    p.Set(PR_MESSAGE_SIZE, PropertyValue::Long(static_cast<std::int32_t>(std::min<std::size_t>(size, INT32_MAX))));
}

Result<NodeContent> BuildMessageNode(const MessageParts& parts, const std::vector<Nid>& attachmentNids,
                                     CMessageTables& tables)
{
    assert(parts.recipientRows.size() == parts.recipients.size());
    auto node = FromLtp(ltp::CPropertyContext::Write(parts.properties), "message");
    if (!node)
        return node.GetError();

    auto recipients = tables.Recipients(parts.recipients);
    if (!recipients)
        return recipients.GetError();
    for (std::size_t i = 0; i < parts.recipientRows.size(); ++i)
        MAPI_TRY(FromLtp(recipients->AppendRow(static_cast<std::uint32_t>(i), parts.recipientRows[i]),
                         "recipient table"));
    node->subnodes[kRecipientTable] = recipients->ToNode();

    if (parts.attachments.empty())
        return node;
    auto attachments = tables.Attachments();
    if (!attachments)
        return attachments.GetError();
    for (std::size_t i = 0; i < parts.attachments.size(); ++i) {
        const CPropertyBag& ap = parts.attachments[i].Properties();
        auto content = FromLtp(ltp::CPropertyContext::Write(ap), "attachment " + std::to_string(i));
        if (!content)
            return content.GetError();
        node->subnodes[attachmentNids[i]] = std::move(*content);
        CPropertyBag cells = ColumnProperties(*attachments, ap);
        cells.Set(PR_LTP_ROW_VER, PropertyValue::Long(1));
        MAPI_TRY(FromLtp(attachments->AppendRow(attachmentNids[i], cells), "attachment table"));
    }
    node->subnodes[kAttachmentTable] = attachments->ToNode();
    return node;
}

Result<MessageParts> ParseMessageNode(const NodeContent& node)
{
    MessageParts parts;
    auto pc = FromLtp(ltp::CPropertyContext::Read(node), "message");
    if (!pc)
        return pc.GetError();
    parts.properties = std::move(*pc);

    auto recipients = SubnodeRows(node, kRecipientTable, "recipient table");
    if (!recipients)
        return recipients.GetError();
    for (auto& row : *recipients) {
        Recipient r;
        r.type = row.cells.GetLong(PR_RECIPIENT_TYPE, MAPI_TO);
        r.displayName = StringOf(row.cells, PR_DISPLAY_NAME);
        r.address = StringOf(row.cells, PR_EMAIL_ADDRESS);
        r.addressType = StringOf(row.cells, PR_ADDRTYPE);
        for (std::uint32_t tag : kRecipientFields)
            row.cells.Remove(CHANGE_PROP_TYPE(tag, CPropertyBag::kAnyType));
        r.extra = std::move(row.cells);
        parts.recipients.push_back(std::move(r));
    }

    auto attachments = SubnodeRows(node, kAttachmentTable, "attachment table");
    if (!attachments)
        return attachments.GetError();
    for (const auto& row : *attachments) {
        auto sub = node.subnodes.find(row.rowId);
        if (sub == node.subnodes.end())
            return MakeError("attachment " + std::to_string(row.rowId) + " is listed but missing");
        auto bag = FromLtp(ltp::CPropertyContext::Read(sub->second), "attachment " + std::to_string(row.rowId));
        if (!bag)
            return bag.GetError();
        CAttachment a;
        a.Properties() = std::move(*bag);
        parts.attachments.push_back(std::move(a));
    }
    return parts;
}

} // namespace mapi::message

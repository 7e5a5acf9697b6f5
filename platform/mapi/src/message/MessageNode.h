// A message as a node ([MS-PST] 2.4.5, 2.4.6): its property context, the
// recipient table (subnode NID_RECIPIENT_TABLE), the attachment table
// (NID_ATTACHMENT_TABLE) and one subnode per attachment, each a property
// context of its own whose row in the attachment table has its NID as row id.
#pragma once

#include "MessageTables.h"
#include "mapi/Message.h"
#include "mapi/NodeContent.h"
#include "mapi/Result.h"

#include <random>
#include <vector>

namespace mapi::message {

struct MessageParts {
    CPropertyBag properties;
    std::vector<Recipient> recipients;
    std::vector<CAttachment> attachments;
    // The recipient table's rows, one per recipient: made by
    // CompleteProperties, which counts their size, for BuildMessageNode.
    std::vector<CPropertyBag> recipientRows;
};

// Columns of the recipient and attachment tables: the templates' and those
// the readers look for.
std::vector<std::uint32_t> RecipientColumns(const std::vector<std::uint32_t>& templateColumns,
                                            const std::vector<Recipient>& recipients);
std::vector<std::uint32_t> AttachmentColumns(const std::vector<std::uint32_t>& templateColumns);

// The properties a save derives from the rest: the display lists of the
// recipients, the attachment flags, sizes, times and the defaults Outlook
// gives every message; and the rows of the recipient table.
void CompleteProperties(MessageParts& parts, FileTime now, std::mt19937_64& random);

// The node of a completed message; its tables are copies of `tables`' empty ones.
Result<NodeContent> BuildMessageNode(const MessageParts& parts, const std::vector<Nid>& attachmentNids,
                                     CMessageTables& tables);
Result<MessageParts> ParseMessageNode(const NodeContent& node);

} // namespace mapi::message

#pragma once

#include "mapi/NodeContent.h"
#include "mapi/ltp/LtpResult.h"
#include "mapi/ltp/PropertyBag.h"

namespace mapi::ltp {

// A property context ([MS-PST] 2.3.3): a BTH with 2-byte keys (wPropId) and
// 6-byte records (wPropType, dwValueHnid) on a heap of client signature
// 0xBC. Values of at most 4 bytes sit in dwValueHnid, others in the heap
// (up to 3580 bytes) or in a subnode.
class CPropertyContext {
public:
    static Result<CPropertyBag> Read(const NodeContent& node);

    // A node holding `bag`. Subnodes of `keep` whose NID is not an LTP value
    // (recipient and attachment tables, attachments) are carried over, so a
    // message can be rewritten without losing them.
    static Result<NodeContent> Write(const CPropertyBag& bag, const NodeContent& keep = {});
};

} // namespace mapi::ltp

// Addresses as the store records them for senders and recipients.
#pragma once

#include "mapi/NodeContent.h"

#include <string>

namespace mapi::message {

// A one-off entry id ([MS-OXCDATA] 2.2.5.1): the one-off provider's UID and
// the display name, address type and address as UTF-16 strings.
Bytes OneOffEntryId(const std::u16string& name, const std::u16string& address, const std::u16string& addressType);
// A search key: "TYPE:ADDRESS" in upper case, with its terminator.
Bytes SearchKey(const std::u16string& address, const std::u16string& addressType);

} // namespace mapi::message

// The address texts that reach the components: the recipients of a mail as
// the to and cc texts join them, attendee lists, and the sender line of the
// EML file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace components {

struct Address {
    std::u16string displayName;
    std::u16string emailAddress;
    std::u16string addressType; // "SMTP" for an internet address (an addr-spec), "NOTES" for a Notes name
    bool operator==(const Address&) const = default;
};

// One address: "Name <address>", "Name <address" (the closing bracket may be
// missing), "\"Name\" <address>", or a bare address or name, which is then
// both the display name and the address. Blanks around the parts are dropped.
Address ParseAddress(std::u16string_view text);

// Addresses joined by "," or ";" (a separator inside quotes or angle
// brackets does not split); empty entries are skipped.
std::vector<Address> ParseAddressList(std::u16string_view text);

// The sender named by the first "From:" header line of an EML text (the
// header name in any case), or nothing when there is none or it is empty.
std::optional<Address> SenderOfEml(std::u16string_view eml);

} // namespace components

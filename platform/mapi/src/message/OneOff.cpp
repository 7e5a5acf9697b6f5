#include "OneOff.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <algorithm>
#include <array>

namespace mapi::message {

namespace {

// The MAPI UID of one-off entry ids.
constexpr std::uint8_t kOneOffProvider[16] = {0x81, 0x2B, 0x1F, 0xA4, 0xBE, 0xA3, 0x10, 0x19,
                                              0x9D, 0x6E, 0x00, 0xDD, 0x01, 0x0F, 0x54, 0x02};
// Version 0, then the flags: Unicode strings, no rich text.
constexpr std::uint8_t kVersionAndFlags[4] = {0x00, 0x00, 0x01, 0x90};

void AppendString(Bytes& out, const std::u16string& text)
{
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

} // namespace

Bytes OneOffEntryId(const std::u16string& name, const std::u16string& address, const std::u16string& addressType)
{
    // Four zero flag bytes, the provider, then version and flags; built in a
    // fixed header so that the vector is made from it at once.
    std::array<std::uint8_t, 4 + sizeof kOneOffProvider + sizeof kVersionAndFlags> header{};
    std::copy(std::begin(kOneOffProvider), std::end(kOneOffProvider), header.begin() + 4);
    std::copy(std::begin(kVersionAndFlags), std::end(kVersionAndFlags), header.begin() + 4 + sizeof kOneOffProvider);
    Bytes id;
    id.reserve(header.size() + 2 * (name.size() + address.size() + addressType.size() + 3));
    id.assign(header.begin(), header.end());
    AppendString(id, name);
    AppendString(id, addressType);
    AppendString(id, address);
    return id;
}

Bytes SearchKey(const std::u16string& address, const std::u16string& addressType)
{
    // Addresses are nearly always ASCII, which every ANSI code page keeps
    // as it is and which uppercases by itself: no conversion for them.
    const auto ascii = [](const std::u16string& s) {
        return std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x80; });
    };
    if (ascii(address) && ascii(addressType)) {
        Bytes out;
        out.reserve(addressType.size() + address.size() + 2);
        const auto put = [&out](const std::u16string& s) {
            for (char16_t c : s)
                out.push_back(static_cast<std::uint8_t>(c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c));
        };
        put(addressType);
        out.push_back(':');
        put(address);
        out.push_back(0);
        return out;
    }
    std::u16string key = addressType + u":" + address;
    for (auto& c : key)
        c = CharUpperChar(c);
    const std::string narrow = WideToAnsi(key);
    Bytes out(narrow.begin(), narrow.end());
    out.push_back(0);
    return out;
}

} // namespace mapi::message

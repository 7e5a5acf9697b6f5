#include "components/Addresses.h"

#include "win32/WideString.h"

namespace components {

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::u16string_view Trim(std::u16string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string_view Unquote(std::u16string_view text)
{
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
        return Trim(text.substr(1, text.size() - 2));
    return text;
}

bool IsDomainLabel(std::u16string_view label)
{
    if (label.empty() || label.front() == u'-' || label.back() == u'-')
        return false;
    for (char16_t c : label) {
        const bool ascii = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
        if (!ascii && c < 0x80) // letters of other scripts stand in internationalised domains
            return false;
    }
    return true;
}

// An internet domain: two or more dot-separated labels, or an address
// literal in brackets. A Notes domain ("@Acme") is a single word.
bool IsInternetDomain(std::u16string_view domain)
{
    if (domain.size() > 2 && domain.front() == u'[' && domain.back() == u']')
        return true;
    std::size_t labels = 0;
    while (true) {
        std::size_t dot = domain.find(u'.');
        if (!IsDomainLabel(domain.substr(0, dot)))
            return false;
        ++labels;
        if (dot == std::u16string_view::npos)
            return labels >= 2;
        domain.remove_prefix(dot + 1);
    }
}

// An internet address is an addr-spec: no blanks, exactly one "@" with a
// local part before it and an internet domain after it. A Notes name,
// canonical ("CN=Ann Lee/O=Acme") or abbreviated ("Ann Lee/Acme"), with or
// without "@NotesDomain", is none: its "/" separates the levels of the name.
bool IsInternetAddress(std::u16string_view address)
{
    const std::size_t at = address.find(u'@');
    if (at == std::u16string_view::npos || at == 0 || address.find(u'@', at + 1) != std::u16string_view::npos)
        return false;
    for (char16_t c : address)
        if (c <= u' ' || c == 0x7F)
            return false;
    if (address.substr(0, at).find(u'/') != std::u16string_view::npos)
        return false;
    return IsInternetDomain(address.substr(at + 1));
}

std::u16string TypeOf(std::u16string_view address)
{
    return IsInternetAddress(address) ? u"SMTP" : u"NOTES";
}

} // namespace

Address ParseAddress(std::u16string_view text)
{
    text = Trim(text);
    Address address;
    std::size_t open = text.find(u'<');
    if (open == std::u16string_view::npos) {
        address.displayName = Unquote(text);
        address.emailAddress = address.displayName;
    } else {
        std::u16string_view inside = text.substr(open + 1);
        if (std::size_t close = inside.find(u'>'); close != std::u16string_view::npos)
            inside = inside.substr(0, close);
        address.emailAddress = Trim(inside);
        address.displayName = Unquote(Trim(text.substr(0, open)));
        if (address.displayName.empty())
            address.displayName = address.emailAddress;
    }
    address.addressType = TypeOf(address.emailAddress);
    return address;
}

std::vector<Address> ParseAddressList(std::u16string_view text)
{
    std::vector<Address> addresses;
    bool quoted = false;
    int brackets = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        char16_t c = i < text.size() ? text[i] : u',';
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'<')
            ++brackets;
        else if (!quoted && c == u'>' && brackets > 0)
            --brackets;
        bool end = i == text.size();
        if (end || (!quoted && brackets == 0 && (c == u',' || c == u';'))) {
            std::u16string_view entry = Trim(text.substr(start, i - start));
            if (!entry.empty())
                addresses.push_back(ParseAddress(entry));
            start = i + 1;
        }
    }
    return addresses;
}

std::optional<Address> SenderOfEml(std::u16string_view eml)
{
    constexpr std::u16string_view kHeader = u"From:";
    while (!eml.empty()) {
        std::size_t lineEnd = eml.find(u'\n');
        std::u16string_view line = eml.substr(0, lineEnd);
        eml = lineEnd == std::u16string_view::npos ? std::u16string_view() : eml.substr(lineEnd + 1);
        if (line.size() >= kHeader.size() && EqualsNoCase(line.substr(0, kHeader.size()), kHeader)) {
            std::u16string_view value = Trim(line.substr(kHeader.size()));
            if (value.empty())
                return std::nullopt;
            return ParseAddress(value);
        }
    }
    return std::nullopt;
}

} // namespace components

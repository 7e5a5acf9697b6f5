#include "ole/ComTypes.h"

#include <cstring>

bool operator==(const GUID& a, const GUID& b)
{
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3
        && std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace {

constexpr char16_t kHex[] = u"0123456789ABCDEF";

void AppendHex(std::u16string& out, unsigned long long value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
}

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool ReadHex(std::u16string_view text, std::size_t& at, int digits, unsigned long long& value)
{
    value = 0;
    for (int i = 0; i < digits; ++i, ++at) {
        int v = at < text.size() ? HexValue(text[at]) : -1;
        if (v < 0)
            return false;
        value = value << 4 | static_cast<unsigned>(v);
    }
    return true;
}

bool Expect(std::u16string_view text, std::size_t& at, char16_t c)
{
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

} // namespace

namespace ole {

std::u16string GuidText(REFGUID guid)
{
    std::u16string out = u"{";
    AppendHex(out, guid.Data1, 8);
    out += u'-';
    AppendHex(out, guid.Data2, 4);
    out += u'-';
    AppendHex(out, guid.Data3, 4);
    out += u'-';
    AppendHex(out, guid.Data4[0], 2);
    AppendHex(out, guid.Data4[1], 2);
    out += u'-';
    for (int i = 2; i < 8; ++i)
        AppendHex(out, guid.Data4[i], 2);
    out += u'}';
    return out;
}

std::optional<GUID> ParseGuid(std::u16string_view text)
{
    GUID guid{};
    std::size_t at = 0;
    unsigned long long v = 0;
    if (!Expect(text, at, u'{') || !ReadHex(text, at, 8, v))
        return std::nullopt;
    guid.Data1 = static_cast<DWORD>(v);
    if (!Expect(text, at, u'-') || !ReadHex(text, at, 4, v))
        return std::nullopt;
    guid.Data2 = static_cast<WORD>(v);
    if (!Expect(text, at, u'-') || !ReadHex(text, at, 4, v))
        return std::nullopt;
    guid.Data3 = static_cast<WORD>(v);
    if (!Expect(text, at, u'-'))
        return std::nullopt;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(text, at, u'-'))
            return std::nullopt;
        if (!ReadHex(text, at, 2, v))
            return std::nullopt;
        guid.Data4[i] = static_cast<BYTE>(v);
    }
    if (!Expect(text, at, u'}') || at != text.size())
        return std::nullopt;
    return guid;
}

} // namespace ole

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int bufferChars)
{
    std::u16string text = ole::GuidText(guid);
    if (!buffer || bufferChars < static_cast<int>(text.size() + 1))
        return 0;
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(OLECHAR));
    return static_cast<int>(text.size() + 1);
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    auto guid = ole::ParseGuid(text ? std::u16string_view(text) : std::u16string_view());
    if (!guid)
        return CO_E_CLASSSTRING;
    *clsid = *guid;
    return S_OK;
}

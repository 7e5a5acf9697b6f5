#include "ole/OleAuto.h"

#include <cstdlib>
#include <cstring>

// A BSTR points at its first character; the four bytes before it hold the
// length in bytes, and a terminator follows the text, as on Windows.
namespace {

constexpr std::size_t kPrefix = sizeof(DWORD);
constexpr UINT kMaxLength = 0x3FFFFFF0; // keeps the byte count in a DWORD

DWORD* PrefixOf(BSTR text)
{
    return reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(text) - kPrefix);
}

} // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > kMaxLength)
        return nullptr;
    auto* block = static_cast<BYTE*>(std::malloc(kPrefix + (std::size_t(length) + 1) * sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    DWORD bytes = length * sizeof(OLECHAR);
    std::memcpy(block, &bytes, kPrefix);
    auto* chars = reinterpret_cast<OLECHAR*>(block + kPrefix);
    if (text)
        std::memcpy(chars, text, bytes);
    else
        std::memset(chars, 0, bytes);
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(wcslen(text)));
}

BOOL SysReAllocString(BSTR* target, const OLECHAR* text)
{
    if (!target)
        return FALSE;
    BSTR fresh = SysAllocString(text ? text : u"");
    if (!fresh)
        return FALSE;
    SysFreeString(*target);
    *target = fresh;
    return TRUE;
}

UINT SysStringByteLen(BSTR text)
{
    if (!text)
        return 0;
    DWORD bytes;
    std::memcpy(&bytes, PrefixOf(text), kPrefix);
    return bytes;
}

UINT SysStringLen(BSTR text)
{
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(PrefixOf(text));
}

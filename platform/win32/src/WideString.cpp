#include "win32/WideString.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Eight characters at a time once aligned: an aligned load never crosses
// into the next page, so reading past the terminator within it is safe,
// though the address sanitizer would see bytes of no object read.
#if defined(__SSE2__)
__attribute__((no_sanitize("address"))) std::size_t wcslen(const WCHAR* s)
{
    const WCHAR* p = s;
    while (reinterpret_cast<std::uintptr_t>(p) % 16 != 0) {
        if (!*p)
            return static_cast<std::size_t>(p - s);
        ++p;
    }
    const __m128i zero = _mm_setzero_si128();
    for (;;) {
        const __m128i chunk = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(chunk, zero)));
        if (mask != 0)
            return static_cast<std::size_t>(p - s) + static_cast<std::size_t>(__builtin_ctz(mask) / 2);
        p += 8;
    }
}
#else
std::size_t wcslen(const WCHAR* s)
{
    const WCHAR* p = s;
    while (*p)
        ++p;
    return static_cast<std::size_t>(p - s);
}
#endif

int wcscmp(const WCHAR* a, const WCHAR* b)
{
    for (; *a && *a == *b; ++a, ++b) {
    }
    return static_cast<int>(*a) - static_cast<int>(*b);
}

int wcsncmp(const WCHAR* a, const WCHAR* b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (a[i] != b[i] || !a[i])
            return static_cast<int>(a[i]) - static_cast<int>(b[i]);
    }
    return 0;
}

WCHAR CharUpperChar(WCHAR c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<WCHAR>(c - 0x20);
    if (c < 0xB5)
        return c;
    if (c == 0xB5)
        return 0x39C;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<WCHAR>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        bool oddIsLower = !((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E));
        if (c == 0x131)
            return u'I';
        if (c == 0x130 || c == 0x138 || c == 0x149 || c == 0x178)
            return c;
        if (c == 0x17F)
            return u'S';
        bool isOdd = (c & 1) != 0;
        if (oddIsLower && isOdd)
            return static_cast<WCHAR>(c - 1);
        if (!oddIsLower && !isOdd)
            return static_cast<WCHAR>(c - 1);
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9)
        return c == 0x3C2 ? static_cast<WCHAR>(0x3A3) : static_cast<WCHAR>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<WCHAR>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<WCHAR>(c - 0x50);
    return c;
}

WCHAR CharLowerChar(WCHAR c)
{
    if (c >= u'A' && c <= u'Z')
        return static_cast<WCHAR>(c + 0x20);
    if (c < 0xC0)
        return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<WCHAR>(c + 0x20);
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
        WCHAR lower = static_cast<WCHAR>(c + 1);
        return CharUpperChar(lower) == c ? lower : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F)
        return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<WCHAR>(c + 0x50);
    return c;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (CharUpperChar(a[i]) != CharUpperChar(b[i]))
            return false;
    }
    return true;
}

int _wcsicmp(const WCHAR* a, const WCHAR* b)
{
    return _wcsnicmp(a, b, static_cast<std::size_t>(-1));
}

int _wcsnicmp(const WCHAR* a, const WCHAR* b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        int ca = CharLowerChar(a[i]);
        int cb = CharLowerChar(b[i]);
        if (ca != cb || !ca)
            return ca - cb;
    }
    return 0;
}

const WCHAR* wcschr(const WCHAR* s, WCHAR c)
{
    for (;; ++s) {
        if (*s == c)
            return s;
        if (!*s)
            return nullptr;
    }
}

WCHAR* wcschr(WCHAR* s, WCHAR c)
{
    return const_cast<WCHAR*>(wcschr(static_cast<const WCHAR*>(s), c));
}

const WCHAR* wcsrchr(const WCHAR* s, WCHAR c)
{
    const WCHAR* found = nullptr;
    for (;; ++s) {
        if (*s == c)
            found = s;
        if (!*s)
            return found;
    }
}

WCHAR* wcsrchr(WCHAR* s, WCHAR c)
{
    return const_cast<WCHAR*>(wcsrchr(static_cast<const WCHAR*>(s), c));
}

const WCHAR* wcsstr(const WCHAR* s, const WCHAR* what)
{
    std::size_t n = wcslen(what);
    if (n == 0)
        return s;
    for (; *s; ++s) {
        if (wcsncmp(s, what, n) == 0)
            return s;
    }
    return nullptr;
}

WCHAR* wcsstr(WCHAR* s, const WCHAR* what)
{
    return const_cast<WCHAR*>(wcsstr(static_cast<const WCHAR*>(s), what));
}

int wcscpy_s(WCHAR* dst, std::size_t dstSize, const WCHAR* src)
{
    if (!dst || dstSize == 0)
        return EINVAL_RESULT;
    if (!src) {
        dst[0] = 0;
        return EINVAL_RESULT;
    }
    std::size_t n = wcslen(src);
    if (n + 1 > dstSize) {
        dst[0] = 0;
        return ERANGE_RESULT;
    }
    std::memcpy(dst, src, (n + 1) * sizeof(WCHAR));
    return 0;
}

int wcscat_s(WCHAR* dst, std::size_t dstSize, const WCHAR* src)
{
    if (!dst || dstSize == 0 || !src)
        return EINVAL_RESULT;
    std::size_t have = 0;
    while (have < dstSize && dst[have])
        ++have;
    if (have == dstSize) {
        dst[0] = 0;
        return EINVAL_RESULT;
    }
    std::size_t n = wcslen(src);
    if (have + n + 1 > dstSize) {
        dst[0] = 0;
        return ERANGE_RESULT;
    }
    std::memcpy(dst + have, src, (n + 1) * sizeof(WCHAR));
    return 0;
}

int wcsncpy_s(WCHAR* dst, std::size_t dstSize, const WCHAR* src, std::size_t count)
{
    if (!dst || dstSize == 0)
        return EINVAL_RESULT;
    if (!src) {
        dst[0] = 0;
        return EINVAL_RESULT;
    }
    std::size_t n = 0;
    std::size_t limit = count == _TRUNCATE ? dstSize - 1 : count;
    while (n < limit && src[n])
        ++n;
    if (n + 1 > dstSize) {
        dst[0] = 0;
        return ERANGE_RESULT;
    }
    std::memcpy(dst, src, n * sizeof(WCHAR));
    dst[n] = 0;
    return (count == _TRUNCATE && src[n]) ? STRUNCATE : 0;
}

WCHAR* lstrcpynW(WCHAR* dst, const WCHAR* src, int maxChars)
{
    if (!dst || maxChars <= 0)
        return dst;
    int i = 0;
    for (; i < maxChars - 1 && src && src[i]; ++i)
        dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

int lstrlenW(const WCHAR* s)
{
    return s ? static_cast<int>(wcslen(s)) : 0;
}

namespace {

HRESULT CopyTruncating(WCHAR* dst, std::size_t dstSize, std::u16string_view src)
{
    std::size_t n = src.size() < dstSize ? src.size() : dstSize - 1;
    std::memcpy(dst, src.data(), n * sizeof(WCHAR));
    dst[n] = 0;
    return n == src.size() ? S_OK : STRSAFE_E_INSUFFICIENT_BUFFER;
}

} // namespace

HRESULT StringCchCopyW(WCHAR* dst, std::size_t dstSize, const WCHAR* src)
{
    if (!dst || dstSize == 0)
        return STRSAFE_E_INVALID_PARAMETER;
    return CopyTruncating(dst, dstSize, src ? std::u16string_view(src) : std::u16string_view());
}

HRESULT StringCchCatW(WCHAR* dst, std::size_t dstSize, const WCHAR* src)
{
    if (!dst || dstSize == 0)
        return STRSAFE_E_INVALID_PARAMETER;
    std::size_t have = 0;
    while (have < dstSize && dst[have])
        ++have;
    if (have == dstSize)
        return STRSAFE_E_INVALID_PARAMETER;
    return CopyTruncating(dst + have, dstSize - have, src ? std::u16string_view(src) : std::u16string_view());
}

HRESULT StringCchVPrintfW(WCHAR* dst, std::size_t dstSize, const WCHAR* format, va_list args)
{
    if (!dst || dstSize == 0 || !format)
        return STRSAFE_E_INVALID_PARAMETER;
    return CopyTruncating(dst, dstSize, FormatWide(format, args));
}

HRESULT StringCchPrintfW(WCHAR* dst, std::size_t dstSize, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    HRESULT hr = StringCchVPrintfW(dst, dstSize, format, args);
    va_end(args);
    return hr;
}

void AppendUtf8(std::string& out, char32_t c)
{
    char bytes[4];
    out.append(bytes, PutUtf8(bytes, c));
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    // Most text converted here (paths, names) is ASCII, copied as it stands
    // up to the first character that is not.
    std::size_t ascii = 0;
    while (ascii < text.size() && text[ascii] < 0x80)
        ++ascii;
    std::string out(ascii, '\0');
    for (std::size_t i = 0; i < ascii; ++i)
        out[i] = static_cast<char>(text[i]);
    if (ascii == text.size())
        return out;
    out.reserve(text.size() + (text.size() - ascii) * 2);
    for (std::size_t i = ascii; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        std::size_t extra = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        }
        bool valid = b < 0x80 || extra > 0;
        if (extra > 0 && i + extra >= text.size())
            valid = false;
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            unsigned char cont = static_cast<unsigned char>(text[i + k]);
            if ((cont & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (cont & 0x3F);
        }
        if (!valid) {
            out += static_cast<char16_t>(0xFFFD);
            ++i;
            continue;
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

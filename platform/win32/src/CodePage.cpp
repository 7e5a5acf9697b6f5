#include "win32/CodePage.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes that the code page leaves
// undefined map to the C1 control characters of the same value, as Windows does.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kReplacement = 0xFFFD;

// 0 until the machine's setting has been read.
std::atomic<UINT> g_ansiCodePage{0};

char16_t From1252(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return kHigh1252[b - 0x80];
    return b;
}

// Returns the byte for c, or -1 when Windows-1252 has no such character.
int To1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < kHigh1252.size(); ++i) {
        if (kHigh1252[i] == c)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

UINT ReadMachineCodePage()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCodePageKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return CP_UTF8;
    WCHAR text[16] = {};
    DWORD type = 0;
    DWORD bytes = sizeof text - sizeof(WCHAR);
    LONG status = RegQueryValueExW(key, kAnsiCodePageValue, nullptr, &type, reinterpret_cast<LPBYTE>(text), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return CP_UTF8;
    return std::u16string_view(text) == u"1252" ? CP_1252 : CP_UTF8;
}

// The code page a call names: CP_ACP and CP_THREAD_ACP stand for the
// machine's; 0 for a code page this machine does not have.
UINT Resolve(UINT codePage)
{
    switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
        return GetACP();
    case CP_OEMCP:
    case CP_1252:
        return CP_1252;
    case CP_UTF8:
        return CP_UTF8;
    default:
        return 0;
    }
}

std::size_t InputLength(LPCSTR src, int srcBytes)
{
    return srcBytes < 0 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcBytes);
}

std::size_t InputLength(LPCWSTR src, int srcChars)
{
    return srcChars < 0 ? wcslen(src) + 1 : static_cast<std::size_t>(srcChars);
}

// The bytes a UTF-8 sequence with this lead byte has, or 0 for a byte that
// cannot begin one.
std::size_t Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The allowed range of the byte after a lead byte: it rules out overlong
// forms, encoded surrogates and code points past U+10FFFF.
bool ValidSecondByte(unsigned char lead, unsigned char b)
{
    switch (lead) {
    case 0xE0:
        return b >= 0xA0 && b <= 0xBF;
    case 0xED:
        return b >= 0x80 && b <= 0x9F;
    case 0xF0:
        return b >= 0x90 && b <= 0xBF;
    case 0xF4:
        return b >= 0x80 && b <= 0x8F;
    default:
        return b >= 0x80 && b <= 0xBF;
    }
}

// Strict UTF-8: each maximal invalid part of a sequence becomes one U+FFFD.
// Returns false when any replacement was made.
bool DecodeUtf8(std::string_view in, std::u16string& out)
{
    // No sequence gives more UTF-16 units than it has bytes (four bytes make
    // a surrogate pair, an invalid part one U+FFFD per byte at most), so the
    // text is decoded into room made once and cut to what was written.
    bool clean = true;
    const std::size_t base = out.size();
    out.resize(base + in.size());
    char16_t* const first = out.data() + base;
    char16_t* to = first;
    const auto* bytes = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t size = in.size();
    std::size_t i = 0;
    while (i < size) {
        // A run of ASCII, most of a text, is widened sixteen or eight bytes
        // at a time.
#if defined(__SSE2__)
        while (i + 16 <= size) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            if (_mm_movemask_epi8(chunk) != 0)
                break;
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(chunk, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_unpackhi_epi8(chunk, zero));
            to += 16;
            i += 16;
        }
#endif
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, sizeof word);
            if (word & 0x8080808080808080ull)
                break;
            for (std::size_t k = 0; k < 8; ++k)
                to[k] = bytes[i + k];
            to += 8;
            i += 8;
        }
        while (i < size && bytes[i] < 0x80)
            *to++ = bytes[i++];
        if (i >= size)
            break;
        const unsigned char lead = bytes[i];
        // The two- and three-byte characters of most scripts, whole and
        // valid, straight; anything else by the general steps below.
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size && (bytes[i + 1] & 0xC0) == 0x80) {
            *to++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && i + 2 < size && (bytes[i + 1] & 0xC0) == 0x80
            && (bytes[i + 2] & 0xC0) == 0x80) {
            *to++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F));
            i += 3;
            continue;
        }
        // Not ASCII (the runs above take that): 2 to 4, or 0 for no lead byte.
        const std::size_t length = Utf8SequenceLength(lead);
        if (length == 0) {
            *to++ = kReplacement;
            clean = false;
            ++i;
            continue;
        }
        char32_t c = lead & (0xFF >> (length + 1));
        std::size_t taken = 1;
        while (taken < length && i + taken < size) {
            const unsigned char b = bytes[i + taken];
            const bool valid = taken == 1 ? ValidSecondByte(lead, b) : (b & 0xC0) == 0x80;
            if (!valid)
                break;
            c = (c << 6) | (b & 0x3F);
            ++taken;
        }
        if (taken != length) {
            *to++ = kReplacement;
            clean = false;
        } else if (c >= 0x10000) {
            c -= 0x10000;
            *to++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *to++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            *to++ = static_cast<char16_t>(c);
        }
        i += taken;
    }
    out.resize(base + static_cast<std::size_t>(to - first));
    return clean;
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD. Returns false when any did.
bool EncodeUtf8(std::u16string_view in, std::string& out)
{
    // At most three bytes a unit (a surrogate pair makes four of two), so
    // the text is encoded into room made once and cut to what was written.
    bool clean = true;
    const std::size_t base = out.size();
    out.resize(base + in.size() * 3);
    char* const first = out.data() + base;
    char* to = first;
    for (std::size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
            clean = false;
        }
        to = PutUtf8(to, c);
    }
    out.resize(base + static_cast<std::size_t>(to - first));
    return clean;
}

// Returns whether any character became the default character.
bool Encode1252(std::u16string_view in, char fallback, std::string& out)
{
    bool usedDefault = false;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        char16_t c = in[i];
        // A surrogate pair is one character and gets one default character.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF)
            ++i;
        int b = To1252(c);
        if (b < 0) {
            out += fallback;
            usedDefault = true;
        } else {
            out += static_cast<char>(b);
        }
    }
    return usedDefault;
}

// Stores the converted text in dst under the Win32 rules for output sizes.
template <typename Char>
int Deliver(const std::basic_string<Char>& converted, Char* dst, int dstSize)
{
    if (dstSize == 0)
        return static_cast<int>(converted.size());
    if (static_cast<std::size_t>(dstSize) < converted.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, converted.data(), converted.size() * sizeof(Char));
    return static_cast<int>(converted.size());
}

int Fail(LONG error)
{
    SetLastError(error);
    return 0;
}

std::string ToAnsi(std::u16string_view text)
{
    std::string out;
    if (GetACP() == CP_UTF8)
        EncodeUtf8(text, out);
    else
        Encode1252(text, '?', out);
    return out;
}

} // namespace

UINT GetACP()
{
    UINT codePage = g_ansiCodePage.load(std::memory_order_acquire);
    if (codePage == 0) {
        codePage = ReadMachineCodePage();
        g_ansiCodePage.store(codePage, std::memory_order_release);
    }
    return codePage;
}

namespace win32 {

void ReloadAnsiCodePage()
{
    g_ansiCodePage.store(0, std::memory_order_release);
}

} // namespace win32

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars)
{
    if (!src || dstChars < 0 || (dstChars > 0 && !dst) || srcBytes == 0 || srcBytes < -1)
        return Fail(ERROR_INVALID_PARAMETER);
    const UINT resolved = Resolve(codePage);
    if (resolved == 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const std::string_view in(src, InputLength(src, srcBytes));
    std::u16string converted;
    if (resolved == CP_UTF8) {
        if (flags & ~MB_ERR_INVALID_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        if (!DecodeUtf8(in, converted) && (flags & MB_ERR_INVALID_CHARS))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
    } else {
        if (flags & ~(MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS)
            || (flags & (MB_PRECOMPOSED | MB_COMPOSITE)) == (MB_PRECOMPOSED | MB_COMPOSITE))
            return Fail(ERROR_INVALID_FLAGS);
        converted.reserve(in.size());
        for (char b : in)
            converted += From1252(static_cast<unsigned char>(b));
    }
    return Deliver(converted, dst, dstChars);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    if (!src || dstBytes < 0 || (dstBytes > 0 && !dst) || srcChars == 0 || srcChars < -1)
        return Fail(ERROR_INVALID_PARAMETER);
    const UINT resolved = Resolve(codePage);
    if (resolved == 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const std::u16string_view in(src, InputLength(src, srcChars));
    std::string converted;
    if (resolved == CP_UTF8) {
        // UTF-8 holds every character, so it takes no default character.
        if (flags & ~WC_ERR_INVALID_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        if (defaultChar || usedDefaultChar)
            return Fail(ERROR_INVALID_PARAMETER);
        if (!EncodeUtf8(in, converted) && (flags & WC_ERR_INVALID_CHARS))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
    } else {
        if (flags & ~(WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS))
            return Fail(ERROR_INVALID_FLAGS);
        const char fallback = defaultChar && *defaultChar ? *defaultChar : '?';
        const bool used = Encode1252(in, fallback, converted);
        if (usedDefaultChar)
            *usedDefaultChar = used ? TRUE : FALSE;
    }
    return Deliver(converted, dst, dstBytes);
}

std::size_t AnsiCutLength(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text.size();
    if (GetACP() != CP_UTF8)
        return maxBytes;
    // Step back to the first byte of the character that the limit falls in,
    // when that character is a whole sequence running past the limit.
    std::size_t start = maxBytes;
    while (start > 0 && maxBytes - start < 3 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    if (start == maxBytes)
        return maxBytes;
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[start]));
    return length > 1 && start + length > maxBytes ? start : maxBytes;
}

std::size_t WideCutLength(std::u16string_view text, std::size_t maxChars)
{
    if (text.size() <= maxChars)
        return text.size();
    if (maxChars > 0 && text[maxChars - 1] >= 0xD800 && text[maxChars - 1] <= 0xDBFF && text[maxChars] >= 0xDC00
        && text[maxChars] <= 0xDFFF)
        return maxChars - 1;
    return maxChars;
}

int WideToAnsiTruncated(LPCWSTR src, char* dst, int maxBytes)
{
    if (!dst || maxBytes < 0)
        return 0;
    std::string converted = src ? WideToAnsi(src) : std::string();
    const std::size_t n = AnsiCutLength(converted, static_cast<std::size_t>(maxBytes));
    std::memcpy(dst, converted.data(), n);
    dst[n] = 0;
    return static_cast<int>(n);
}

std::string WideToAnsi(std::u16string_view text)
{
    return ToAnsi(text);
}

std::u16string AnsiToWide(std::string_view text)
{
    std::u16string out;
    if (GetACP() == CP_UTF8) {
        DecodeUtf8(text, out);
    } else {
        out.reserve(text.size());
        for (char b : text)
            out += From1252(static_cast<unsigned char>(b));
    }
    return out;
}

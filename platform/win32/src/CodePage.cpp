#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <array>
#include <cstring>

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes that the code page leaves
// undefined map to the C1 control characters of the same value, as Windows does.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

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

bool IsAnsi(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP || codePage == CP_1252;
}

std::size_t InputLength(LPCSTR src, int srcBytes)
{
    return srcBytes < 0 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcBytes);
}

std::size_t InputLength(LPCWSTR src, int srcChars)
{
    return srcChars < 0 ? wcslen(src) + 1 : static_cast<std::size_t>(srcChars);
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

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars)
{
    if (!src || dstChars < 0 || (dstChars > 0 && !dst) || srcBytes == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t n = InputLength(src, srcBytes);
    std::u16string converted;
    if (codePage == CP_UTF8) {
        converted = Utf8ToUtf16(std::string_view(src, n));
    } else if (IsAnsi(codePage)) {
        converted.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            converted += From1252(static_cast<unsigned char>(src[i]));
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Deliver(converted, dst, dstChars);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    if (!src || dstBytes < 0 || (dstBytes > 0 && !dst) || srcChars == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t n = InputLength(src, srcChars);
    std::string converted;
    if (usedDefaultChar)
        *usedDefaultChar = FALSE;
    if (codePage == CP_UTF8) {
        converted = Utf16ToUtf8(std::u16string_view(src, n));
    } else if (IsAnsi(codePage)) {
        char fallback = defaultChar && *defaultChar ? *defaultChar : '?';
        converted.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            char16_t c = src[i];
            // A surrogate pair is one character and gets one default character.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF)
                ++i;
            int b = To1252(c);
            if (b < 0) {
                converted += fallback;
                if (usedDefaultChar)
                    *usedDefaultChar = TRUE;
            } else {
                converted += static_cast<char>(b);
            }
        }
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    (void)flags;
    return Deliver(converted, dst, dstBytes);
}

int WideToAnsiTruncated(LPCWSTR src, char* dst, int maxBytes)
{
    if (!dst || maxBytes < 0)
        return 0;
    std::string converted = src ? WideToAnsi(src) : std::string();
    std::size_t n = converted.size() < static_cast<std::size_t>(maxBytes) ? converted.size()
                                                                          : static_cast<std::size_t>(maxBytes);
    std::memcpy(dst, converted.data(), n);
    dst[n] = 0;
    return static_cast<int>(n);
}

std::string WideToAnsi(std::u16string_view text)
{
    if (text.empty())
        return {};
    std::string out(text.size(), '\0');
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::u16string AnsiToWide(std::string_view text)
{
    if (text.empty())
        return {};
    std::u16string out(text.size(), u'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

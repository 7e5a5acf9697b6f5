// C-runtime style helpers for UTF-16 strings (WCHAR is char16_t here, so the
// wchar_t functions of the host do not apply), and conversions between
// UTF-16 and the UTF-8 of host file names and terminals.
//
// The copy helpers never write past the buffer they are given: the _s forms
// fail with an empty result, the Cch and lstrcpyn forms truncate.
#pragma once

#include "win32/Types.h"

#include <cstdarg>
#include <string>
#include <string_view>

std::size_t wcslen(const WCHAR* s);
int wcscmp(const WCHAR* a, const WCHAR* b);
int wcsncmp(const WCHAR* a, const WCHAR* b, std::size_t count);
int _wcsicmp(const WCHAR* a, const WCHAR* b);
int _wcsnicmp(const WCHAR* a, const WCHAR* b, std::size_t count);
const WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcschr(WCHAR* s, WCHAR c);
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(WCHAR* s, WCHAR c);
const WCHAR* wcsstr(const WCHAR* s, const WCHAR* what);
WCHAR* wcsstr(WCHAR* s, const WCHAR* what);

// Upper case of one character as the file system and CompareNoCase see it:
// ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
WCHAR CharUpperChar(WCHAR c);
WCHAR CharLowerChar(WCHAR c);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// Results of the copy helpers.
constexpr int STRUNCATE = 80;
constexpr int EINVAL_RESULT = 22;
constexpr int ERANGE_RESULT = 34;
constexpr std::size_t _TRUNCATE = static_cast<std::size_t>(-1);
constexpr HRESULT S_OK = 0;
constexpr HRESULT STRSAFE_E_INSUFFICIENT_BUFFER = static_cast<HRESULT>(0x8007007A);
constexpr HRESULT STRSAFE_E_INVALID_PARAMETER = static_cast<HRESULT>(0x80070057);

// Fails (returns ERANGE_RESULT, dst empty) when src with its terminator does not fit.
int wcscpy_s(WCHAR* dst, std::size_t dstSize, const WCHAR* src);
int wcscat_s(WCHAR* dst, std::size_t dstSize, const WCHAR* src);
// count == _TRUNCATE copies as much as fits and returns STRUNCATE when cut.
int wcsncpy_s(WCHAR* dst, std::size_t dstSize, const WCHAR* src, std::size_t count);

// Copies at most maxChars - 1 characters and always terminates.
WCHAR* lstrcpynW(WCHAR* dst, const WCHAR* src, int maxChars);
int lstrlenW(const WCHAR* s);

// Truncating copy, concatenation and formatting; S_OK, or
// STRSAFE_E_INSUFFICIENT_BUFFER with the truncated, terminated text.
HRESULT StringCchCopyW(WCHAR* dst, std::size_t dstSize, const WCHAR* src);
HRESULT StringCchCatW(WCHAR* dst, std::size_t dstSize, const WCHAR* src);
HRESULT StringCchPrintfW(WCHAR* dst, std::size_t dstSize, const WCHAR* format, ...);
HRESULT StringCchVPrintfW(WCHAR* dst, std::size_t dstSize, const WCHAR* format, va_list args);

// printf formatting of the wide C runtime: %d %i %u %x %X %o %c %s (WCHAR*),
// %S (char*), %f %g %e, %p, %%, with flags, width, precision and the h, l,
// ll and I64 size prefixes.
std::u16string FormatWide(const WCHAR* format, va_list args);

std::string Utf16ToUtf8(std::u16string_view text);
// Writes one character (a code point up to U+10FFFF, no surrogate half) as
// UTF-8 at `to`, which has room for four bytes; returns the end of it.
inline char* PutUtf8(char* to, char32_t c)
{
    if (c < 0x80) {
        *to++ = static_cast<char>(c);
        return to;
    }
    if (c < 0x800) {
        *to++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        *to++ = static_cast<char>(0xE0 | (c >> 12));
        *to++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
        *to++ = static_cast<char>(0xF0 | (c >> 18));
        *to++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *to++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *to++ = static_cast<char>(0x80 | (c & 0x3F));
    return to;
}
// Appends one character as PutUtf8 writes it.
void AppendUtf8(std::string& out, char32_t c);
std::u16string Utf8ToUtf16(std::string_view text);

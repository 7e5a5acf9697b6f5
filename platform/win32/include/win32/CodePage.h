// Conversion between UTF-16 and the narrow code pages. The ANSI code page is
// the machine's setting (HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage,
// "ACP"): 65001 (UTF-8) when the value is missing, or 1252, where what the
// code page cannot hold becomes "?".
#pragma once

#include "win32/Types.h"

#include <string>
#include <string_view>

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_1252 = 1252;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_COMPOSITE = 0x00000002;
constexpr DWORD MB_USEGLYPHCHARS = 0x00000004;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_COMPOSITECHECK = 0x00000200;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

constexpr LONG ERROR_INVALID_FLAGS = 1004;
constexpr LONG ERROR_NO_UNICODE_TRANSLATION = 1113;

// The registry key and value that hold the machine's ANSI code page.
constexpr const char16_t* kCodePageKey = u"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";
constexpr const char16_t* kAnsiCodePageValue = u"ACP";

// The ANSI code page of the machine, read from the registry once.
UINT GetACP();

namespace win32 {
// Reads the machine's code page again at the next conversion: the process now
// stands for another machine (a new machine root, a changed setting).
void ReloadAnsiCodePage();
} // namespace win32

// Win32 semantics: a length of -1 converts through the terminator (counted in
// the result); a zero output size returns the size needed; an output that is
// too small fails with ERROR_INSUFFICIENT_BUFFER and returns 0. For UTF-8 an
// invalid sequence becomes U+FFFD (a lone surrogate likewise), or fails with
// ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS and
// WC_ERR_INVALID_CHARS; other flags fail with ERROR_INVALID_FLAGS, and a
// default character or its flag fails with ERROR_INVALID_PARAMETER.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

// The length of the longest start of text, in the ANSI code page, that has at
// most maxBytes bytes and does not end inside a character.
std::size_t AnsiCutLength(std::string_view text, std::size_t maxBytes);
// The same for UTF-16: a surrogate pair is never split.
std::size_t WideCutLength(std::u16string_view text, std::size_t maxChars);

// Converts a NUL-terminated text into the ANSI code page, keeping at most
// maxBytes bytes of the result (never half a character) and always
// terminating dst (which holds at least maxBytes + 1 bytes). Returns the
// bytes stored, terminator excluded.
int WideToAnsiTruncated(LPCWSTR src, char* dst, int maxBytes);

std::string WideToAnsi(std::u16string_view text);
std::u16string AnsiToWide(std::string_view text);

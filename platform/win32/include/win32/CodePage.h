// Conversion between UTF-16 and the narrow code pages. The ANSI code page of
// this machine is Windows-1252; what it cannot hold becomes "?".
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
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

// Win32 semantics: a length of -1 converts through the terminator (counted in
// the result); a zero output size returns the size needed; an output that is
// too small fails with ERROR_INSUFFICIENT_BUFFER and returns 0.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

// Converts a NUL-terminated text into the ANSI code page, keeping at most
// maxBytes bytes of the result and always terminating dst (which holds at
// least maxBytes + 1 bytes). Returns the bytes stored, terminator excluded.
int WideToAnsiTruncated(LPCWSTR src, char* dst, int maxBytes);

std::string WideToAnsi(std::u16string_view text);
std::u16string AnsiToWide(std::string_view text);

// The version of Windows this machine reports. It is Windows XP Service
// Pack 3 (NT 5.1, build 2600) unless MARLWICK_WINVER names another, as
// "<major>.<minor>.<build>" for the NT family or "9x <major>.<minor>.<build>"
// for Windows 95, 98 and Me (for example "4.0.1381" is NT 4.0, "9x 4.10.2222"
// is Windows 98 SE), so that programs that choose their way by the version
// can be run down each way.
#pragma once

#include "win32/Types.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize; // set by the caller to sizeof(OSVERSIONINFOA)
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128]; // the service pack, ANSI code page
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
using LPOSVERSIONINFOW = OSVERSIONINFOW*;

// FALSE with ERROR_INSUFFICIENT_BUFFER when the size field is not that of the
// structure.
BOOL GetVersionExA(LPOSVERSIONINFOA info);
BOOL GetVersionExW(LPOSVERSIONINFOW info);

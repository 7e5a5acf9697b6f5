#include "win32/Version.h"

#include "win32/WideString.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct ReportedVersion {
    DWORD major = 5;
    DWORD minor = 1;
    DWORD build = 2600;
    DWORD platform = VER_PLATFORM_WIN32_NT;
    std::string servicePack = "Service Pack 3";
};

// MARLWICK_WINVER, when it reads as a version; the default otherwise.
ReportedVersion Reported()
{
    ReportedVersion version;
    const char* given = std::getenv("MARLWICK_WINVER");
    if (!given || !*given)
        return version;
    DWORD platform = VER_PLATFORM_WIN32_NT;
    if (std::strncmp(given, "9x ", 3) == 0 || std::strncmp(given, "9X ", 3) == 0) {
        platform = VER_PLATFORM_WIN32_WINDOWS;
        given += 3;
    }
    unsigned major = 0, minor = 0, build = 0;
    int used = 0;
    if (std::sscanf(given, "%u.%u.%u%n", &major, &minor, &build, &used) != 3 || given[used] != '\0')
        return version;
    version.major = major;
    version.minor = minor;
    version.build = build;
    version.platform = platform;
    version.servicePack.clear();
    return version;
}

} // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    ReportedVersion version = Reported();
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = version.build;
    info->dwPlatformId = version.platform;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::memcpy(info->szCSDVersion, version.servicePack.data(), version.servicePack.size());
    return TRUE;
}

BOOL GetVersionExW(LPOSVERSIONINFOW info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    ReportedVersion version = Reported();
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = version.build;
    info->dwPlatformId = version.platform;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::u16string servicePack = Utf8ToUtf16(version.servicePack);
    std::memcpy(info->szCSDVersion, servicePack.data(), servicePack.size() * sizeof(WCHAR));
    return TRUE;
}

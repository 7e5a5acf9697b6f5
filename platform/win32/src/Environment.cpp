#include "win32/Environment.h"

#include "win32/WideString.h"

#include <cstdlib>
#include <mutex>

namespace {

std::mutex g_envMutex;

std::string HostName(LPCWSTR name)
{
    if (EqualsNoCase(name, u"PATH"))
        return "MARLWICK_WINPATH";
    return Utf16ToUtf8(name);
}

} // namespace

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD bufferChars)
{
    if (!name || !*name) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    std::u16string value;
    {
        std::lock_guard lock(g_envMutex);
        const char* host = std::getenv(HostName(name).c_str());
        if (!host) {
            SetLastError(ERROR_ENVVAR_NOT_FOUND);
            return 0;
        }
        value = Utf8ToUtf16(host);
    }
    if (bufferChars < value.size() + 1)
        return static_cast<DWORD>(value.size() + 1);
    std::copy(value.begin(), value.end(), buffer);
    buffer[value.size()] = 0;
    return static_cast<DWORD>(value.size());
}

BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value)
{
    if (!name || !*name || wcschr(name, u'=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(g_envMutex);
    int rc = value ? ::setenv(HostName(name).c_str(), Utf16ToUtf8(value).c_str(), 1)
                   : ::unsetenv(HostName(name).c_str());
    if (rc != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

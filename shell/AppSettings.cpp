#include "AppSettings.h"

#include "win32/WideString.h"

#include <cstring>

WCHAR g_szAppTitle[MAX_PATH];
WCHAR g_szMsgCaption[MAX_PATH];
WCHAR g_szRegKey[MAX_PATH];
WCHAR g_szLogDir[MAX_PATH];
WCHAR g_szInstallDir[MAX_PATH];

CString g_strPstFolderName;
CString g_strPstDir;
CString g_strNsfPath;

void InitAppSettings()
{
    wcscpy_s(g_szAppTitle, MAX_PATH, u"Pellinor for Lotus Notes NSF - MS Outlook PST");
    wcscpy_s(g_szRegKey, MAX_PATH, u"Corvenna");
    wcscpy_s(g_szMsgCaption, MAX_PATH, u"Pellinor for NSF to PST");
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"LogPath", g_szLogDir);
}

LONG ReadRegString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, WCHAR* out, bool* read)
{
    constexpr DWORD kReadBytes = 520;
    out[0] = 0;
    if (read)
        *read = false;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, subKey, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status;
    BYTE data[kReadBytes] = {};
    DWORD size = kReadBytes;
    if (RegQueryValueExW(key, valueName, nullptr, nullptr, data, &size) == ERROR_SUCCESS) {
        // The stored bytes are taken as text whatever their type; a value
        // stored without its terminator is ended after its last character.
        // One of MAX_PATH characters without a terminator fits the read but
        // not the result, and counts as absent like any longer value.
        std::size_t chars = size / sizeof(WCHAR);
        std::size_t length = 0;
        while (length < chars && (data[2 * length] | data[2 * length + 1]) != 0)
            ++length;
        if (length < static_cast<std::size_t>(MAX_PATH)) {
            std::memcpy(out, data, length * sizeof(WCHAR));
            out[length] = 0;
            if (read)
                *read = true;
        }
    }
    return RegCloseKey(key);
}

void WriteRegString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPCWSTR value)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition)
        != ERROR_SUCCESS)
        return;
    DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(WCHAR));
    RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
    RegCloseKey(key);
}

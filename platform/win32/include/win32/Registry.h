// The registry of the machine: one text file in the machine root, shared by
// every process on that root under a file lock and replaced by rename on
// every change. Keys are case-insensitive; values keep their type and bytes.
//
// MARLWICK_REGISTRY_READONLY lists roots (HKEY_CLASSES_ROOT, HKCR, ...,
// comma-separated) whose writes fail with ERROR_ACCESS_DENIED, as writes to
// HKEY_CLASSES_ROOT do for a user without administrator rights.
#pragma once

#include "win32/Types.h"

using HKEY = struct HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002));
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000003));

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

struct SECURITY_ATTRIBUTES;

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, REGSAM desired,
                     SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataBytes);
LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataBytes);
LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Fails with ERROR_ACCESS_DENIED while the key has subkeys, as on Windows.
LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);
LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR className,
                   LPDWORD classChars, FILETIME* lastWrite);
LONG RegCloseKey(HKEY key);

namespace win32 {

// Changes whenever a read may see another registry than the last read saw:
// a change by any process, or another machine root. What a copy of values
// read from the registry is kept under. One stat of the registry file.
std::uint64_t RegistryGeneration();

} // namespace win32

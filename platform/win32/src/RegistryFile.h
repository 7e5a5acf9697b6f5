// The registry's file: parse and print of its text form, kept apart from
// the Win32 calls over it.
//
//   [HKEY_CLASSES_ROOT\Corvenna]
//   "FilePath"=sz:"C:\\Program Files\\Pellinor"
//   "Count"=hex(4):2a,00,00,00
//   @=sz:"the default value"
//
// A value is printed as sz when it is REG_SZ or REG_EXPAND_SZ text that ends
// with exactly one terminator; any other value is printed as its bytes, so
// what a writer stored comes back byte for byte.
#pragma once

#include "win32/Types.h"

#include <map>
#include <string>
#include <vector>

namespace win32 {

struct RegistryValue {
    std::u16string name; // empty for the default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct RegistryKey {
    std::u16string path; // "HKEY_CLASSES_ROOT\Corvenna", as first created
    std::vector<RegistryValue> values;
};

// Every key by its upper-cased path.
using RegistryTree = std::map<std::u16string, RegistryKey>;

std::u16string RegistryKeyId(std::u16string_view path);
RegistryTree ParseRegistry(const std::string& text);
std::string PrintRegistry(const RegistryTree& tree);

} // namespace win32

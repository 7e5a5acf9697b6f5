// What stands between a PST file and its update, found before the store layer
// opens it for writing: a file that another program holds, that is no PST,
// that is read-only or in the old ANSI format, a folder that cannot take a
// new file, and the password that protects a store.
#pragma once

#include "ole/ComTypes.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace components {

// The codes of the refusals, as MAPI names them.
inline constexpr HRESULT kStoreVersionError = static_cast<HRESULT>(0x80040110); // MAPI_E_VERSION
inline constexpr HRESULT kPasswordNotGiven = static_cast<HRESULT>(0x80040113);  // MAPI_E_USER_CANCEL
inline constexpr HRESULT kNotAStore = static_cast<HRESULT>(0x8004011B);         // MAPI_E_CORRUPT_DATA

// Asks the person at the screen for the password of the store at a Windows
// path; nullopt when they cancel.
using PasswordPrompt = std::function<std::optional<std::u16string>(std::u16string_view windowsPath)>;

// The value PR_PST_PASSWORD holds for a password: the CRC of [MS-PST] 5.3
// over its bytes in the machine's ANSI code page. Zero is "no password".
std::uint32_t StorePasswordCrc(std::u16string_view password);

// Throws ole::CDispatchError, with a description that names the file and
// what is wrong, when the existing file cannot be opened for update. A store
// with a password is refused unless `prompt` gives its password.
void CheckExistingStoreFile(const std::u16string& windowsPath, const std::filesystem::path& hostPath,
                            const PasswordPrompt& prompt);

// Throws when the folder of a new store cannot take the file.
void CheckNewStoreFolder(const std::u16string& windowsPath, const std::filesystem::path& hostPath);

} // namespace components

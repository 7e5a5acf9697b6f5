// The question Outlook asks before it adds a store that has a password.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace outlook {

// Caption and control ids of the dialog, as automation finds them.
inline constexpr const char16_t* kPasswordDialogCaption = u"Outlook Data File Password";
inline constexpr int kPasswordEditId = 1001;

// Asks, modally on the calling thread, for the password of the file at a
// Windows path; nullopt when the person cancels.
std::optional<std::u16string> AskStorePassword(std::u16string_view windowsPath);

} // namespace outlook

// Reading a written PST back as later readers do: through the store layer,
// once the profile has closed its stores, and through pffexport and readpst.
#pragma once

#include "components/MessageValues.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace componenttest {

// Closes the profile's stores and opens the file read-only.
std::shared_ptr<mapi::CStore> ReopenStore(const std::filesystem::path& hostPath);
// The folder below the store's top folder at those names; nullopt when missing.
std::optional<mapi::CFolder> FolderBelowTop(const std::shared_ptr<mapi::CStore>& store,
                                            const std::vector<std::u16string>& levels);
std::vector<mapi::CMessage> MessagesOf(const mapi::CFolder& folder);
// Sets the store's PR_PST_PASSWORD as Outlook does for a password; false
// when the closed file cannot be changed.
bool ProtectStore(const std::filesystem::path& hostPath, const std::u16string& password);

using components::NamedValue;

// pffexport's text of an item: the file `relative` (as "Top of Personal
// Folders/Calendar/Appointment00001/Appointment.txt") of its export of the
// whole store, made once into `outDir`.
std::string PffExported(const std::filesystem::path& pst, const std::filesystem::path& outDir,
                        const std::string& relative);
// readpst's file for one folder ("Calendar.calendar", "Contacts.contacts",
// "Inbox.mbox" ...) of its export into `outDir`, found anywhere below it.
std::string ReadpstExported(const std::filesystem::path& pst, const std::filesystem::path& outDir,
                            const std::string& fileName, const std::string& options = {});

// The value after a label of pffexport's item text ("Given name:"), blanks
// and tabs around it dropped; nullopt when no line has the label.
std::optional<std::string> ExportedValue(const std::string& text, const std::string& label);

} // namespace componenttest

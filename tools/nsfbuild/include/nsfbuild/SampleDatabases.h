// The sample databases a new machine gets: what a user converts on the
// first run without a Notes installation of their own.
#pragma once

#include "nsfbuild/Result.h"

#include <string>

namespace nsfbuild {

// Writes, under the Notes data folder (a Windows path of the machine root,
// created when missing):
//   mail\<short user name>.nsf  mail with folders (nested ones too),
//                               attachments, rich text, HTML bodies and a
//                               ($Calendar) view
//   names.nsf                   an address book of Person and Group documents
//   calendar.nsf                a calendar with entries of every type
// userName is a full name ("Robin Hale"); the mail file is named after its
// first letter and last word ("rhale.nsf"). Returns the first failure.
Result LaySampleDatabases(const std::u16string& notesDataFolder, const std::string& userName = "Robin Hale");

// The mail file name LaySampleDatabases uses for a user: "mail\rhale.nsf".
std::string SampleMailFileName(const std::string& userName);

// HKEY_CURRENT_USER\Software\Lotus\Notes\Installer, DirectoryValue = the
// data folder, as a Notes installation writes it.
Result RegisterNotesDataFolder(const std::u16string& notesDataFolder);

} // namespace nsfbuild

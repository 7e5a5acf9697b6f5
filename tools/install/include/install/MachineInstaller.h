// Lays out a complete machine in a machine root: the Windows folder with its
// small programs, the install folder with the program's files, and the
// registry values that Windows and the installer would have written. Running
// it again over an existing root refreshes the programs and keeps the user's
// files (the log, converted PSTs).
#pragma once

#include <filesystem>
#include <string>

namespace install {

struct InstallOptions {
    std::filesystem::path root;      // the machine root to lay out
    std::filesystem::path programs;  // the folder of the built programs
    std::filesystem::path resources; // the res/ folder of the sources
    // The machine's ANSI code page: 65001 (UTF-8), or 1252 (Western European).
    unsigned ansiCodePage = 65001;
};

// The install folder, as the registry's FilePath names it.
constexpr const char16_t* kInstallFolder = u"C:\\Program Files\\Pellinor";
// The Notes data folder of the machine's Notes installation.
constexpr const char16_t* kNotesDataFolder = u"C:\\Program Files\\Lotus\\Notes\\Data";

// False, with the reason, when a required piece is missing or cannot be laid.
bool InstallMachine(const InstallOptions& options, std::string* error);

} // namespace install

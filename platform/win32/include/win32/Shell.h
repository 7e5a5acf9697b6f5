// ShellExecuteW over the machine root: programs of the root (ours, with
// Windows names) are started with their parameters; documents of the types
// that the machine's own viewers open (help files with hh.exe, text files
// with Notepad.exe, as Windows associates them) are opened by them; other
// documents and web addresses go to the host's opener when there is one
// (MARLWICK_OPENER, or xdg-open on a desktop). Every call is written to the shell journal, a file
// of the machine root that tests read.
#pragma once

#include "win32/ShowCommands.h"
#include "win32/Types.h"

#include <string>
#include <vector>




// ShellExecute results at or below 32 are errors.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31;

HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show);

namespace win32 {

struct ShellRecord {
    std::u16string verb;
    std::u16string file;
    std::u16string parameters;
    std::u16string directory;
    int show = 0;
    int result = 0;
};

// Hands a host file or an address to the host's opener (MARLWICK_OPENER, else
// xdg-open when there is a display); without one, nothing happens.
void OpenOnHost(const std::string& target);
// Whether the host has an opener for OpenOnHost.
bool HasHostOpener();

// Every ShellExecuteW of every process on this root, oldest first.
std::vector<ShellRecord> ReadShellJournal();

} // namespace win32

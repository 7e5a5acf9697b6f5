// The machine root: the host folder that plays the Windows machine. Drive
// letters are folders under it (C: is drive_c/), and Windows paths resolve to
// host paths one component at a time, ignoring case, as Windows does.
//
// Only this layer turns Windows paths into host paths; everything above it
// speaks Windows paths with backslashes.
#pragma once

#include "win32/Types.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace win32 {

// $MARLWICK_ROOT, else $XDG_DATA_HOME/marlwick, else ~/.local/share/marlwick.
std::filesystem::path MachineRoot();

// Points this process, and the processes it starts, at another root.
void SetMachineRoot(const std::filesystem::path& root);

// The full Windows form of a path: drive letter, single backslashes, no
// trailing backslash (but for a drive root), "." and ".." applied, trailing
// dots and spaces of names dropped. Relative paths are taken against the
// current directory. Fails with ERROR_INVALID_NAME on a malformed path.
std::optional<std::u16string> FullWindowsPath(std::u16string_view path, LONG* error = nullptr);

enum class Resolve {
    Existing,     // every component must exist
    ParentExists, // every component but the last must exist (for creating)
};

// What a look-up finds. The file calls made for every item take the host
// path as plain text: splitting a path object into its names costs more than
// the rest of the look-up's own work.
template <typename Host>
struct BasicHostPath {
    std::u16string windowsPath; // the full Windows form
    Host hostPath;              // the host file it stands for
    bool exists = false;
    // What the look-up learnt of the file itself (not of a link), when it
    // stat-ed it on the way: the caller need not ask again.
    bool statusKnown = false;
    struct stat status = {};
};
using HostPath = BasicHostPath<std::filesystem::path>;
using HostPathText = BasicHostPath<std::string>;

// Maps a Windows path into the machine root. Errors as Win32 reports them:
// ERROR_PATH_NOT_FOUND when a folder on the way is missing, ERROR_FILE_NOT_FOUND
// when the last component is (Resolve::Existing), ERROR_INVALID_NAME,
// ERROR_FILENAME_EXCED_RANGE for paths of MAX_PATH characters or more.
std::optional<HostPath> ResolvePath(std::u16string_view path, Resolve mode, LONG* error = nullptr);
// The same, with the host path as text.
std::optional<HostPathText> ResolvePathText(std::u16string_view path, Resolve mode, LONG* error = nullptr);

// The Windows path of a host path inside the machine root, if it is inside.
std::optional<std::u16string> WindowsPathOf(const std::filesystem::path& hostPath);

// The host folder of a drive, whether or not it exists.
std::filesystem::path DriveFolder(WCHAR driveLetter);

} // namespace win32

DWORD GetCurrentDirectoryW(DWORD bufferChars, LPWSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR path);
DWORD GetFullPathNameW(LPCWSTR path, DWORD bufferChars, LPWSTR buffer, LPWSTR* filePart);

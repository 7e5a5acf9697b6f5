#include "win32/MachineRoot.h"

#include "FolderNames.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::mutex g_cwdMutex;
std::u16string g_currentDirectory = u"C:\\";

bool IsSeparator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

bool IsDriveLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsValidNameChar(char16_t c)
{
    return c >= 0x20 && c != u'<' && c != u'>' && c != u'"' && c != u'|' && c != u'?' && c != u'*'
        && c != u':';
}

std::u16string CurrentDirectory()
{
    std::lock_guard lock(g_cwdMutex);
    return g_currentDirectory;
}

// Whether a host name equals name ignoring case. A plain ASCII host name is
// compared as it stands: a folder that gathers thousands of files (the
// calendar's attachments) is listed for every new name created in it, and
// converting each entry was most of that listing's cost.
bool HostNameEqualsNoCase(std::string_view host, std::u16string_view name)
{
    const bool ascii = std::all_of(host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return EqualsNoCase(Utf8ToUtf16(host), name);
    if (host.size() != name.size())
        return false;
    for (std::size_t i = 0; i < host.size(); ++i) {
        if (CharUpperChar(static_cast<WCHAR>(host[i])) != CharUpperChar(name[i]))
            return false;
    }
    return true;
}

// The entry of a host folder whose name equals name ignoring case, when
// no entry has exactly that name.
std::optional<fs::path> ScanNoCase(const fs::path& folder, std::u16string_view name)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<fs::path> found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view host = entry->d_name;
        if (host == "." || host == "..")
            continue;
        if (HostNameEqualsNoCase(host, name)) {
            found = folder / host;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// The entry of a host folder whose name equals name ignoring case, from
// what the process keeps of the folder when it can, else by listing it.
std::optional<fs::path> FindNoCase(const fs::path& folder, const struct stat& folderStatus, std::u16string_view name)
{
    std::string entry;
    switch (win32::FindKeptNameNoCase(folder.native(), folderStatus.st_dev, folderStatus.st_ino, name, entry)) {
    case win32::NameFound::Found:
        return folder / entry;
    case win32::NameFound::Missing:
        return std::nullopt;
    case win32::NameFound::Unknown:
        break;
    }
    return ScanNoCase(folder, name);
}

// Finds the entry of a host folder whose name equals name ignoring case;
// an exact match wins.
std::optional<fs::path> FindEntryNoCase(const fs::path& folder, const struct stat& folderStatus,
                                        const std::u16string& name)
{
    fs::path exact = folder / Utf16ToUtf8(name);
    struct stat st = {};
    if (::lstat(exact.c_str(), &st) == 0)
        return exact;
    return FindNoCase(folder, folderStatus, name);
}

bool IsHostDirectory(const fs::path& path, struct stat& st)
{
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsHostDirectory(const fs::path& path)
{
    struct stat st = {};
    return IsHostDirectory(path, st);
}

// The common case costs one or two look-ups: when the path, or the folder of
// its last name, is there under exactly the names given, the host's own walk
// has matched every folder on the way (an exact name wins over one that
// differs in case), and only a last name not found as given needs a listing
// of its folder. Nullopt when a folder on the way differs in case or is
// missing: the walk name by name decides.
std::optional<win32::HostPathText> ResolveExact(const std::u16string& full, const std::string& relative,
                                                const std::string& drive, win32::Resolve mode, LONG* error)
{
    win32::HostPathText result;
    result.windowsPath = full;
    result.exists = true;
    if (full.size() <= 3) {
        if (!IsHostDirectory(drive))
            return std::nullopt;
        result.hostPath = drive;
        return result;
    }
    // Joined as text: the drive folder ends in its own name, never in a
    // separator, so this is the path the host's path type would make.
    std::string exact;
    exact.reserve(drive.size() + 1 + relative.size());
    exact += drive;
    exact += '/';
    exact += relative;
    struct stat st = {};
    // Found as named: the host's walk went through every folder as named.
    if (::lstat(exact.c_str(), &st) == 0) {
        result.hostPath = std::move(exact);
        result.statusKnown = !S_ISLNK(st.st_mode);
        result.status = st;
        return result;
    }
    const std::size_t slash = relative.rfind('/');
    const fs::path folder = slash == std::string::npos ? fs::path(drive) : fs::path(drive) / relative.substr(0, slash);
    struct stat folderStatus = {};
    if (!IsHostDirectory(folder, folderStatus))
        return std::nullopt;
    const std::u16string_view last = std::u16string_view(full).substr(full.rfind(u'\\') + 1);
    if (auto found = FindNoCase(folder, folderStatus, last)) {
        result.hostPath = found->native();
        return result;
    }
    if (mode == win32::Resolve::Existing) {
        if (error)
            *error = ERROR_FILE_NOT_FOUND;
        return std::nullopt;
    }
    result.hostPath = std::move(exact);
    result.exists = false;
    return result;
}

// A path's full Windows form, and its names below the drive as host text.
struct FullForm {
    std::u16string full;
    std::string relative; // "/" between names; empty for a drive root
};

bool IsAbsolute(std::u16string_view path)
{
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == u':' && IsSeparator(path[2]);
}

} // namespace

namespace win32 {

fs::path MachineRoot()
{
    if (const char* root = std::getenv("MARLWICK_ROOT"); root && *root)
        return fs::path(root);
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return fs::path(data) / "marlwick";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "marlwick";
}

void SetMachineRoot(const fs::path& root)
{
    ::setenv("MARLWICK_ROOT", root.c_str(), 1);
    // Another machine may have another code page.
    ReloadAnsiCodePage();
}

fs::path DriveFolder(WCHAR driveLetter)
{
    char letter = static_cast<char>(CharLowerChar(driveLetter));
    return MachineRoot() / (std::string("drive_") + letter);
}

} // namespace win32

namespace {

// The entry of MARLWICK_ROOT in the environment, found without walking the
// whole environment when it is where it was last time. setenv and unsetenv
// put a new string in the entry's place, or move the entries, or make a new
// array: each leaves a different pointer at the place kept. Null when the
// variable is not set (looked for again every time).
struct RootEntry {
    char** block = nullptr;
    std::size_t index = 0;
    const char* entry = nullptr;
};

const char* RootSetting(RootEntry& kept)
{
    static constexpr std::string_view kName = "MARLWICK_ROOT=";
    char** block = environ;
    if (kept.entry && block == kept.block && block[kept.index] == kept.entry)
        return kept.entry + kName.size();
    kept = {};
    for (std::size_t i = 0; block && block[i]; ++i) {
        if (std::string_view(block[i]).starts_with(kName)) {
            kept = {block, i, block[i]};
            return block[i] + kName.size();
        }
    }
    return nullptr;
}

// The drive folder as text, for the look-up of every path. Kept per thread
// for the root named last, since the root is read from the environment,
// which a test or a child process may change at any time.
const std::string& DriveFolderText(WCHAR driveLetter)
{
    struct Kept {
        RootEntry entry;
        std::string rootSetting;
        char16_t letter = 0;
        std::string folder;
    };
    thread_local Kept kept;
    const char* root = RootSetting(kept.entry);
    const char16_t letter = CharLowerChar(driveLetter);
    if (root && *root && kept.letter == letter && kept.rootSetting == root)
        return kept.folder;
    kept.folder = win32::DriveFolder(driveLetter).native();
    kept.letter = root && *root ? letter : 0;
    kept.rootSetting = root ? root : "";
    return kept.folder;
}

} // namespace

namespace win32 {

std::optional<std::u16string> FullWindowsPath(std::u16string_view path, LONG* error)
{
    auto fail = [&](LONG code) -> std::optional<std::u16string> {
        if (error)
            *error = code;
        return std::nullopt;
    };
    if (path.empty())
        return fail(ERROR_PATH_NOT_FOUND);

    char16_t drive;
    std::u16string_view rest;
    std::u16string base;
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':') {
        drive = CharUpperChar(path[0]);
        rest = path.substr(2);
        // "C:name" is relative to the drive's current folder; only the
        // current drive keeps one, the others are taken at their root.
        if (rest.empty() || !IsSeparator(rest[0])) {
            std::u16string cwd = CurrentDirectory();
            if (CharUpperChar(cwd[0]) == drive)
                base = cwd.substr(3);
        }
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return fail(ERROR_INVALID_NAME); // network paths do not exist on this machine
    } else if (IsSeparator(path[0])) {
        drive = CharUpperChar(CurrentDirectory()[0]);
        rest = path;
    } else {
        std::u16string cwd = CurrentDirectory();
        drive = CharUpperChar(cwd[0]);
        base = cwd.substr(3);
        rest = path;
    }

    // The names are joined as they come: ".." takes the last one off again.
    std::u16string full;
    full.reserve(3 + base.size() + rest.size());
    full += drive;
    full += u":\\";
    auto push = [&](std::u16string_view all) -> bool {
        std::size_t i = 0;
        while (i <= all.size()) {
            std::size_t j = i;
            while (j < all.size() && !IsSeparator(all[j]))
                ++j;
            std::u16string_view name = all.substr(i, j - i);
            if (name == u"..") {
                const std::size_t last = full.rfind(u'\\');
                full.resize(last > 2 ? last : 3);
            } else if (!name.empty() && name != u".") {
                while (!name.empty() && (name.back() == u'.' || name.back() == u' '))
                    name.remove_suffix(1);
                for (char16_t c : name) {
                    if (!IsValidNameChar(c))
                        return false;
                }
                if (!name.empty()) {
                    if (full.size() > 3)
                        full += u'\\';
                    full += name;
                }
            }
            i = j + 1;
        }
        return true;
    };
    if (!push(base) || !push(rest))
        return fail(ERROR_INVALID_NAME);
    return full;
}

} // namespace win32

namespace {

// The full form of a path that names its drive and starts at the drive's
// root is a function of the path's text alone: the last few made are kept
// per thread, as a program names the same few paths for every item. Only
// text is kept; the files and folders are looked at again every time.
// The form is the thread's own, good until its next call: no copy is made.
const FullForm* FullFormOf(std::u16string_view path, LONG* error)
{
    struct Kept {
        std::u16string path;
        FullForm form;
    };
    static constexpr std::size_t kKept = 4;
    thread_local std::array<Kept, kKept> kept;
    thread_local std::size_t next = 0;
    thread_local FullForm relativeForm; // of the last path not kept
    const bool absolute = IsAbsolute(path);
    if (absolute) {
        for (const Kept& k : kept) {
            if (!k.path.empty() && k.path == path)
                return &k.form;
        }
    }
    auto full = win32::FullWindowsPath(path, error);
    if (!full)
        return nullptr;
    FullForm form{std::move(*full), {}};
    if (form.full.size() > 3) {
        form.relative = Utf16ToUtf8(std::u16string_view(form.full).substr(3));
        std::replace(form.relative.begin(), form.relative.end(), '\\', '/');
    }
    if (!absolute) {
        relativeForm = std::move(form);
        return &relativeForm;
    }
    Kept& slot = kept[next];
    next = (next + 1) % kKept;
    slot = {std::u16string(path), std::move(form)};
    return &slot.form;
}

} // namespace

namespace win32 {

std::optional<HostPathText> ResolvePathText(std::u16string_view path, Resolve mode, LONG* error)
{
    auto fail = [&](LONG code) -> std::optional<HostPathText> {
        if (error)
            *error = code;
        return std::nullopt;
    };
    LONG code = 0;
    const FullForm* form = FullFormOf(path, &code);
    if (!form)
        return fail(code);
    const std::u16string& full = form->full;
    if (full.size() >= static_cast<std::size_t>(MAX_PATH))
        return fail(ERROR_FILENAME_EXCED_RANGE);

    const std::string& drive = DriveFolderText(full[0]);
    LONG exactError = 0;
    if (auto exact = ResolveExact(full, form->relative, drive, mode, &exactError))
        return exact;
    if (exactError)
        return fail(exactError);
    fs::path current = drive;

    HostPathText result;
    result.windowsPath = full;
    if (!IsHostDirectory(current))
        return fail(ERROR_PATH_NOT_FOUND);

    std::vector<std::u16string> parts;
    for (std::size_t i = 3; i < full.size();) {
        std::size_t j = full.find(u'\\', i);
        if (j == std::u16string::npos)
            j = full.size();
        parts.emplace_back(full.substr(i, j - i));
        i = j + 1;
    }
    result.exists = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        struct stat folderStatus = {};
        if (!IsHostDirectory(current, folderStatus))
            return fail(ERROR_PATH_NOT_FOUND);
        auto found = FindEntryNoCase(current, folderStatus, parts[i]);
        if (found) {
            current = *found;
            continue;
        }
        if (!last)
            return fail(ERROR_PATH_NOT_FOUND);
        if (mode == Resolve::Existing)
            return fail(ERROR_FILE_NOT_FOUND);
        current /= Utf16ToUtf8(parts[i]);
        result.exists = false;
    }
    result.hostPath = current.native();
    return result;
}

std::optional<HostPath> ResolvePath(std::u16string_view path, Resolve mode, LONG* error)
{
    auto text = ResolvePathText(path, mode, error);
    if (!text)
        return std::nullopt;
    HostPath result;
    result.windowsPath = std::move(text->windowsPath);
    result.hostPath = std::move(text->hostPath);
    result.exists = text->exists;
    result.statusKnown = text->statusKnown;
    result.status = text->status;
    return result;
}

std::optional<std::u16string> WindowsPathOf(const fs::path& hostPath)
{
    std::error_code ec;
    fs::path root = fs::weakly_canonical(MachineRoot(), ec);
    fs::path target = fs::weakly_canonical(hostPath, ec);
    auto rel = target.lexically_relative(root);
    if (rel.empty() || *rel.begin() == "..")
        return std::nullopt;
    auto it = rel.begin();
    std::string driveName = it->string();
    if (driveName.size() != 7 || driveName.rfind("drive_", 0) != 0)
        return std::nullopt;
    std::u16string out;
    out += CharUpperChar(static_cast<WCHAR>(driveName[6]));
    out += u":";
    bool any = false;
    for (++it; it != rel.end(); ++it) {
        out += u'\\';
        out += Utf8ToUtf16(it->string());
        any = true;
    }
    if (!any)
        out += u'\\';
    return out;
}

} // namespace win32

DWORD GetCurrentDirectoryW(DWORD bufferChars, LPWSTR buffer)
{
    std::u16string cwd = CurrentDirectory();
    if (bufferChars < cwd.size() + 1)
        return static_cast<DWORD>(cwd.size() + 1);
    std::copy(cwd.begin(), cwd.end(), buffer);
    buffer[cwd.size()] = 0;
    return static_cast<DWORD>(cwd.size());
}

BOOL SetCurrentDirectoryW(LPCWSTR path)
{
    LONG error = 0;
    auto resolved = win32::ResolvePath(path ? path : u"", win32::Resolve::Existing, &error);
    std::error_code ec;
    if (!resolved || !fs::is_directory(resolved->hostPath, ec)) {
        SetLastError(resolved ? ERROR_PATH_NOT_FOUND : static_cast<DWORD>(error));
        return FALSE;
    }
    std::lock_guard lock(g_cwdMutex);
    g_currentDirectory = resolved->windowsPath;
    return TRUE;
}

DWORD GetFullPathNameW(LPCWSTR path, DWORD bufferChars, LPWSTR buffer, LPWSTR* filePart)
{
    LONG error = 0;
    auto full = win32::FullWindowsPath(path ? path : u"", &error);
    if (!full) {
        SetLastError(static_cast<DWORD>(error));
        return 0;
    }
    // A trailing separator of the input is kept, as GetFullPathName does.
    std::u16string_view in(path);
    if (!in.empty() && IsSeparator(in.back()) && full->back() != u'\\')
        *full += u'\\';
    if (bufferChars < full->size() + 1)
        return static_cast<DWORD>(full->size() + 1);
    std::copy(full->begin(), full->end(), buffer);
    buffer[full->size()] = 0;
    if (filePart) {
        std::size_t slash = full->rfind(u'\\');
        *filePart = slash + 1 < full->size() ? buffer + slash + 1 : nullptr;
    }
    return static_cast<DWORD>(full->size());
}

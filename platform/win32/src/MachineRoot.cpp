#include "win32/MachineRoot.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cstdlib>
#include <mutex>
#include <system_error>
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

// Finds the entry of a host folder whose name equals name ignoring case;
// an exact match wins.
std::optional<fs::path> FindEntryNoCase(const fs::path& folder, const std::u16string& name)
{
    std::error_code ec;
    fs::path exact = folder / Utf16ToUtf8(name);
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec)
        return exact;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::u16string entry = Utf8ToUtf16(it->path().filename().string());
        if (EqualsNoCase(entry, name))
            return it->path();
    }
    return std::nullopt;
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

    std::vector<std::u16string> parts;
    auto push = [&](std::u16string_view all) -> bool {
        std::size_t i = 0;
        while (i <= all.size()) {
            std::size_t j = i;
            while (j < all.size() && !IsSeparator(all[j]))
                ++j;
            std::u16string name(all.substr(i, j - i));
            if (name == u"..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!name.empty() && name != u".") {
                while (!name.empty() && (name.back() == u'.' || name.back() == u' '))
                    name.pop_back();
                for (char16_t c : name) {
                    if (!IsValidNameChar(c))
                        return false;
                }
                if (!name.empty())
                    parts.push_back(std::move(name));
            }
            i = j + 1;
        }
        return true;
    };
    if (!push(base) || !push(rest))
        return fail(ERROR_INVALID_NAME);

    std::u16string full;
    full += drive;
    full += u":\\";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            full += u'\\';
        full += parts[i];
    }
    return full;
}

std::optional<HostPath> ResolvePath(std::u16string_view path, Resolve mode, LONG* error)
{
    auto fail = [&](LONG code) -> std::optional<HostPath> {
        if (error)
            *error = code;
        return std::nullopt;
    };
    LONG code = 0;
    auto full = FullWindowsPath(path, &code);
    if (!full)
        return fail(code);
    if (full->size() >= static_cast<std::size_t>(MAX_PATH))
        return fail(ERROR_FILENAME_EXCED_RANGE);

    HostPath result;
    result.windowsPath = *full;
    fs::path current = DriveFolder((*full)[0]);
    std::error_code ec;
    if (!fs::is_directory(current, ec))
        return fail(ERROR_PATH_NOT_FOUND);

    std::vector<std::u16string> parts;
    for (std::size_t i = 3; i < full->size();) {
        std::size_t j = full->find(u'\\', i);
        if (j == std::u16string::npos)
            j = full->size();
        parts.emplace_back(full->substr(i, j - i));
        i = j + 1;
    }
    result.exists = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        if (!fs::is_directory(current, ec))
            return fail(ERROR_PATH_NOT_FOUND);
        auto found = FindEntryNoCase(current, parts[i]);
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
    result.hostPath = current;
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

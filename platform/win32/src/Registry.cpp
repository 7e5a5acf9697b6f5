#include "win32/Registry.h"

#include "FileObject.h"
#include "RegistryFile.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using win32::RegistryKey;
using win32::RegistryKeyId;
using win32::RegistryTree;
using win32::RegistryValue;

struct HKEY__ {
    std::u16string path; // full path, root name first
    REGSAM access = 0;
};

namespace {

struct RootName {
    HKEY key;
    const char16_t* name;
    const char16_t* shortName;
};

const RootName kRoots[] = {
    {HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT", u"HKCR"},
    {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER", u"HKCU"},
    {HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {HKEY_USERS, u"HKEY_USERS", u"HKU"},
};

const RootName* PredefinedRoot(HKEY key)
{
    for (const auto& root : kRoots) {
        if (root.key == key)
            return &root;
    }
    return nullptr;
}

std::u16string PathOf(HKEY key)
{
    if (const RootName* root = PredefinedRoot(key))
        return root->name;
    return key->path;
}

std::u16string RootOf(const std::u16string& path)
{
    return path.substr(0, path.find(u'\\'));
}

bool IsRootReadOnly(const std::u16string& rootName)
{
    const char* list = std::getenv("MARLWICK_REGISTRY_READONLY");
    if (!list)
        return false;
    std::u16string entries = Utf8ToUtf16(list);
    const RootName* root = nullptr;
    for (const auto& r : kRoots) {
        if (EqualsNoCase(r.name, rootName))
            root = &r;
    }
    std::size_t start = 0;
    while (root && start <= entries.size()) {
        std::size_t comma = entries.find(u',', start);
        std::u16string item = entries.substr(start, comma == std::u16string::npos ? std::u16string::npos : comma - start);
        if (EqualsNoCase(item, root->name) || EqualsNoCase(item, root->shortName))
            return true;
        if (comma == std::u16string::npos)
            break;
        start = comma + 1;
    }
    return false;
}

// "a\\b\" is "a\b": doubled and trailing separators are dropped.
std::u16string JoinKeyPath(const std::u16string& base, LPCWSTR subKey)
{
    std::u16string out = base;
    if (!subKey)
        return out;
    std::u16string_view rest(subKey);
    std::size_t i = 0;
    while (i < rest.size()) {
        std::size_t j = rest.find(u'\\', i);
        if (j == std::u16string_view::npos)
            j = rest.size();
        if (j > i) {
            out += u'\\';
            out += rest.substr(i, j - i);
        }
        i = j + 1;
    }
    return out;
}

fs::path RegistryFilePath()
{
    return win32::MachineRoot() / "registry.txt";
}

std::mutex g_registryMutex;

class RegistryLock {
public:
    explicit RegistryLock(bool exclusive)
        : m_guard(g_registryMutex)
    {
        fs::path lockPath = win32::MachineRoot() / "registry.lock";
        m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            ::flock(m_fd, exclusive ? LOCK_EX : LOCK_SH);
    }
    ~RegistryLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

private:
    std::lock_guard<std::mutex> m_guard;
    int m_fd = -1;
};

// The last file read and what it held. Every change replaces the file
// (Update renames a new one over it), and the open descriptor keeps the old
// file's inode from being reused while it is cached, so a file of the same
// device, inode, size and time is the file that was read.
struct CachedRegistry {
    fs::path file;
    int fd = -1;
    struct stat seen = {};
    std::shared_ptr<const RegistryTree> tree;
    std::uint64_t generation = 0;
};
CachedRegistry g_cache; // under g_registryMutex
std::uint64_t g_lastGeneration = 0; // under g_registryMutex

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The cached tree when the file is still the one it was read from; called
// under g_registryMutex.
std::shared_ptr<const RegistryTree> CachedIfCurrent(const fs::path& file)
{
    struct stat now = {};
    if (!g_cache.tree || g_cache.file != file || ::stat(file.c_str(), &now) != 0 || !SameFile(now, g_cache.seen))
        return nullptr;
    return g_cache.tree;
}

// Called under the lock.
std::shared_ptr<const RegistryTree> LoadUnlocked()
{
    const fs::path file = RegistryFilePath();
    if (auto cached = CachedIfCurrent(file))
        return cached;
    std::string text;
    struct stat seen = {};
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && ::fstat(fd, &seen) == 0) {
        char buffer[65536];
        for (ssize_t got; (got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;)
            text.append(buffer, static_cast<std::size_t>(got));
    }
    auto tree = std::make_shared<const RegistryTree>(win32::ParseRegistry(text));
    if (g_cache.fd >= 0)
        ::close(g_cache.fd);
    g_cache = {};
    if (fd >= 0)
        g_cache = {file, fd, seen, tree, ++g_lastGeneration};
    return tree;
}

std::shared_ptr<const RegistryTree> Load()
{
    {
        std::lock_guard guard(g_registryMutex);
        if (auto cached = CachedIfCurrent(RegistryFilePath()))
            return cached;
    }
    RegistryLock lock(false);
    return LoadUnlocked();
}

// Applies a change under the exclusive lock and replaces the file; the
// change returns an error code, and nothing is written unless it succeeds.
LONG Update(const std::function<LONG(RegistryTree&)>& change)
{
    RegistryLock lock(true);
    RegistryTree tree = *LoadUnlocked();
    LONG result = change(tree);
    if (result != ERROR_SUCCESS)
        return result;
    fs::path target = RegistryFilePath();
    fs::path temp = target;
    temp += ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << win32::PrintRegistry(tree);
        out.flush();
        if (!out)
            return ERROR_CANTWRITE;
    }
    int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        win32::CountHostSync();
        ::fsync(fd);
        ::close(fd);
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    return ec ? ERROR_CANTWRITE : ERROR_SUCCESS;
}

bool KeyExists(const RegistryTree& tree, const std::u16string& path)
{
    return path.find(u'\\') == std::u16string::npos || tree.count(RegistryKeyId(path)) != 0;
}

HKEY NewHandle(const std::u16string& path, REGSAM access)
{
    auto* key = new HKEY__;
    key->path = path;
    key->access = access;
    return key;
}

bool ValidKey(HKEY key)
{
    return key != nullptr;
}

template <typename Key>
auto FindValue(Key& key, LPCWSTR name) -> decltype(&key.values.front())
{
    std::u16string wanted = name ? name : u"";
    for (auto& v : key.values) {
        if (EqualsNoCase(v.name, wanted))
            return &v;
    }
    return nullptr;
}

bool WantsWrite(REGSAM access)
{
    return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

} // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM desired, PHKEY result)
{
    if (!ValidKey(key) || !result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::u16string path = JoinKeyPath(PathOf(key), subKey);
    if (WantsWrite(desired) && IsRootReadOnly(RootOf(path)))
        return ERROR_ACCESS_DENIED;
    if (!KeyExists(*Load(), path))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(path, desired);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM desired, SECURITY_ATTRIBUTES*,
                     PHKEY result, LPDWORD disposition)
{
    if (!ValidKey(key) || !result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::u16string path = JoinKeyPath(PathOf(key), subKey);
    bool created = false;
    LONG status = ERROR_SUCCESS;
    if (KeyExists(*Load(), path)) {
        if (WantsWrite(desired) && IsRootReadOnly(RootOf(path)))
            return ERROR_ACCESS_DENIED;
    } else {
        if (IsRootReadOnly(RootOf(path)))
            return ERROR_ACCESS_DENIED;
        status = Update([&](RegistryTree& tree) {
            // Every missing key on the way is created, outermost first.
            for (std::size_t at = path.find(u'\\'); at != std::u16string::npos;) {
                std::size_t next = path.find(u'\\', at + 1);
                std::u16string prefix = path.substr(0, next);
                auto id = RegistryKeyId(prefix);
                if (!tree.count(id)) {
                    tree[id].path = prefix;
                    created = true;
                }
                at = next;
            }
            return ERROR_SUCCESS;
        });
    }
    if (status != ERROR_SUCCESS)
        return status;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(path, desired);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataBytes)
{
    if (!ValidKey(key))
        return ERROR_INVALID_HANDLE;
    if (data && !dataBytes)
        return ERROR_INVALID_PARAMETER;
    const auto snapshot = Load();
    const RegistryTree& tree = *snapshot;
    std::u16string path = PathOf(key);
    auto it = tree.find(RegistryKeyId(path));
    if (it == tree.end())
        return path.find(u'\\') == std::u16string::npos ? ERROR_FILE_NOT_FOUND : 1018; // ERROR_KEY_DELETED
    const RegistryValue* value = FindValue(it->second, valueName);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    DWORD size = static_cast<DWORD>(value->data.size());
    if (!dataBytes)
        return ERROR_SUCCESS;
    if (!data) {
        *dataBytes = size;
        return ERROR_SUCCESS;
    }
    if (*dataBytes < size) {
        *dataBytes = size;
        return ERROR_MORE_DATA;
    }
    std::copy(value->data.begin(), value->data.end(), data);
    *dataBytes = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataBytes)
{
    if (!ValidKey(key))
        return ERROR_INVALID_HANDLE;
    if (!data && dataBytes)
        return ERROR_INVALID_PARAMETER;
    std::u16string path = PathOf(key);
    if (path.find(u'\\') == std::u16string::npos)
        return ERROR_INVALID_PARAMETER;
    if (IsRootReadOnly(RootOf(path)) || (!PredefinedRoot(key) && !(key->access & KEY_SET_VALUE)))
        return ERROR_ACCESS_DENIED;
    return Update([&](RegistryTree& tree) -> LONG {
        auto it = tree.find(RegistryKeyId(path));
        if (it == tree.end())
            return 1018; // ERROR_KEY_DELETED
        RegistryValue* value = FindValue(it->second, valueName);
        if (!value) {
            it->second.values.push_back({valueName ? valueName : u"", 0, {}});
            value = &it->second.values.back();
        }
        value->type = type;
        value->data.assign(data, data + dataBytes);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName)
{
    if (!ValidKey(key))
        return ERROR_INVALID_HANDLE;
    std::u16string path = PathOf(key);
    if (IsRootReadOnly(RootOf(path)))
        return ERROR_ACCESS_DENIED;
    return Update([&](RegistryTree& tree) -> LONG {
        auto it = tree.find(RegistryKeyId(path));
        if (it == tree.end())
            return ERROR_FILE_NOT_FOUND;
        auto& values = it->second.values;
        std::u16string wanted = valueName ? valueName : u"";
        for (auto v = values.begin(); v != values.end(); ++v) {
            if (EqualsNoCase(v->name, wanted)) {
                values.erase(v);
                return ERROR_SUCCESS;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey)
{
    if (!ValidKey(key) || !subKey || !*subKey)
        return ERROR_INVALID_PARAMETER;
    std::u16string path = JoinKeyPath(PathOf(key), subKey);
    if (IsRootReadOnly(RootOf(path)))
        return ERROR_ACCESS_DENIED;
    return Update([&](RegistryTree& tree) -> LONG {
        auto id = RegistryKeyId(path);
        auto it = tree.find(id);
        if (it == tree.end())
            return ERROR_FILE_NOT_FOUND;
        auto child = std::next(it);
        if (child != tree.end() && child->first.starts_with(id + u"\\"))
            return ERROR_ACCESS_DENIED;
        tree.erase(it);
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD, LPWSTR, LPDWORD, FILETIME*)
{
    if (!ValidKey(key) || !name || !nameChars)
        return ERROR_INVALID_PARAMETER;
    const auto snapshot = Load();
    const RegistryTree& tree = *snapshot;
    std::u16string prefix = RegistryKeyId(PathOf(key)) + u"\\";
    DWORD seen = 0;
    for (const auto& [id, entry] : tree) {
        if (!id.starts_with(prefix) || id.find(u'\\', prefix.size()) != std::u16string::npos)
            continue;
        if (seen++ != index)
            continue;
        std::u16string child = entry.path.substr(prefix.size());
        if (*nameChars < child.size() + 1)
            return ERROR_MORE_DATA;
        std::copy(child.begin(), child.end(), name);
        name[child.size()] = 0;
        *nameChars = static_cast<DWORD>(child.size());
        return ERROR_SUCCESS;
    }
    return ERROR_NO_MORE_ITEMS;
}

LONG RegCloseKey(HKEY key)
{
    if (!ValidKey(key))
        return ERROR_INVALID_HANDLE;
    if (!PredefinedRoot(key))
        delete key;
    return ERROR_SUCCESS;
}

std::uint64_t win32::RegistryGeneration()
{
    {
        std::lock_guard guard(g_registryMutex);
        if (CachedIfCurrent(RegistryFilePath()))
            return g_cache.generation;
    }
    RegistryLock lock(false);
    LoadUnlocked();
    // A machine without a registry file has nothing to keep: every call is
    // a generation of its own.
    return g_cache.tree ? g_cache.generation : ++g_lastGeneration;
}

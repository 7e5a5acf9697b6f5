#include "ItemIdList.h"
#include "ShellTree.h"

#include "ole/Com.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <cstring>
#include <vector>

namespace user::detail {

namespace {

// Each identifier: its size (2 bytes, little-endian, itself included), then
// the component's UTF-16 units, little-endian. A zero size ends the list.
constexpr std::size_t kSizeField = 2;
// A path holds fewer than MAX_PATH characters, so no list grows past this.
constexpr std::size_t kMaxListBytes = 4096;

void PutWord(BYTE* at, std::size_t value)
{
    at[0] = static_cast<BYTE>(value & 0xFF);
    at[1] = static_cast<BYTE>((value >> 8) & 0xFF);
}

std::size_t GetWord(const BYTE* at)
{
    return static_cast<std::size_t>(at[0]) | (static_cast<std::size_t>(at[1]) << 8);
}

} // namespace

std::vector<std::u16string> PathComponents(const std::u16string& path)
{
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t slash = path.find(u'\\', start);
        std::size_t end = slash == std::u16string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

PIDLIST_ABSOLUTE MakeIdList(const std::u16string& fullPath)
{
    std::vector<BYTE> bytes;
    for (const std::u16string& part : PathComponents(fullPath)) {
        std::size_t size = kSizeField + part.size() * 2;
        std::size_t at = bytes.size();
        bytes.resize(at + size);
        PutWord(&bytes[at], size);
        for (std::size_t i = 0; i < part.size(); ++i)
            PutWord(&bytes[at + kSizeField + 2 * i], part[i]);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    auto* list = static_cast<BYTE*>(CoTaskMemAlloc(bytes.size()));
    if (list)
        std::memcpy(list, bytes.data(), bytes.size());
    return reinterpret_cast<PIDLIST_ABSOLUTE>(list);
}

std::optional<std::u16string> IdListPath(PCIDLIST_ABSOLUTE list)
{
    if (!list)
        return std::nullopt;
    const auto* at = reinterpret_cast<const BYTE*>(list);
    std::u16string path;
    std::size_t read = 0;
    for (;;) {
        std::size_t size = GetWord(at + read);
        if (size == 0)
            break;
        if (size < kSizeField || (size - kSizeField) % 2 != 0 || read + size > kMaxListBytes)
            return std::nullopt;
        std::u16string part;
        for (std::size_t i = kSizeField; i < size; i += 2)
            part.push_back(static_cast<char16_t>(GetWord(at + read + i)));
        if (!path.empty() && path.back() != u'\\')
            path.push_back(u'\\');
        path += part;
        if (path.size() == 2 && path[1] == u':')
            path.push_back(u'\\'); // a drive's root
        read += size;
    }
    return path;
}

} // namespace user::detail

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path)
{
    if (!path)
        return FALSE;
    path[0] = 0;
    auto full = user::detail::IdListPath(pidl);
    if (!full || full->empty() || full->size() >= static_cast<std::size_t>(MAX_PATH))
        return FALSE;
    std::memcpy(path, full->c_str(), (full->size() + 1) * sizeof(WCHAR));
    return TRUE;
}

PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path)
{
    // The list names the items as they are stored, whatever case was asked for.
    auto stored = user::detail::StoredPath(path ? path : u"");
    return stored ? user::detail::MakeIdList(*stored) : nullptr;
}

void ILFree(PIDLIST_ABSOLUTE pidl)
{
    CoTaskMemFree(pidl);
}

#include "components/StoreFileChecks.h"

#include "mapi/PropTags.h"
#include "mapi/Store.h"
#include "mapi/ndb/Crc.h"
#include "ole/DispatchObject.h"
#include "win32/CodePage.h"
#include "win32/FileApi.h"
#include "win32/WideString.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace components {

namespace {

constexpr char kPstMagic[4] = {'!', 'B', 'D', 'N'}; // dwMagic of [MS-PST] 2.2.2.6

[[noreturn]] void Refuse(HRESULT code, std::u16string description)
{
    throw ole::CDispatchError(code, std::move(description));
}

// Another program holds the file: through its share mode, or as the writer
// of the store layer (which keeps an exclusive lock while it has the file).
bool InUseByAnotherProgram(const std::u16string& windowsPath, const std::filesystem::path& hostPath)
{
    HANDLE file = CreateFileW(windowsPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == static_cast<DWORD>(ERROR_SHARING_VIOLATION);
    CloseHandle(file);
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

bool StartsLikeAStore(const std::filesystem::path& hostPath)
{
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char magic[sizeof kPstMagic] = {};
    const bool read = ::read(fd, magic, sizeof magic) == static_cast<ssize_t>(sizeof magic);
    ::close(fd);
    return read && std::memcmp(magic, kPstMagic, sizeof magic) == 0;
}

} // namespace

std::uint32_t StorePasswordCrc(std::u16string_view password)
{
    if (password.empty())
        return 0;
    const int chars = static_cast<int>(password.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, password.data(), chars, nullptr, 0, nullptr, nullptr);
    std::vector<std::uint8_t> ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, password.data(), chars, reinterpret_cast<LPSTR>(ansi.data()), bytes, nullptr,
                            nullptr);
    return mapi::ndb::ComputeCrc(ansi);
}

void CheckExistingStoreFile(const std::u16string& windowsPath, const std::filesystem::path& hostPath,
                            const PasswordPrompt& prompt)
{
    if (std::filesystem::is_directory(hostPath) || !StartsLikeAStore(hostPath))
        Refuse(kNotAStore, windowsPath + u" is not a personal folders file");
    if (InUseByAnotherProgram(windowsPath, hostPath))
        Refuse(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), windowsPath + u" is in use by another program");

    // Read-only, so that nothing of the file changes before it is accepted.
    auto store = mapi::CStore::Open(hostPath, true);
    if (!store)
        Refuse(kNotAStore, windowsPath + u" is not a readable personal folders file: "
                               + Utf8ToUtf16(store.GetError().message));
    if (!(*store)->IsUnicode())
        Refuse(kStoreVersionError, windowsPath + u" is in the old ANSI format and cannot be updated");
    const DWORD attributes = GetFileAttributesW(windowsPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        Refuse(E_ACCESSDENIED, windowsPath + u" is read-only");
    auto properties = (*store)->GetProperties();
    if (!properties)
        Refuse(kNotAStore, windowsPath + u" is not a readable personal folders file: "
                               + Utf8ToUtf16(properties.GetError().message));
    const auto crc = static_cast<std::uint32_t>(properties->GetLong(mapi::PR_PST_PASSWORD));
    (void)(*store)->Close();
    if (crc == 0)
        return;
    if (!prompt)
        Refuse(kPasswordNotGiven, windowsPath + u" is protected by a password");
    auto password = prompt(windowsPath);
    if (!password)
        Refuse(kPasswordNotGiven, u"the password of " + windowsPath + u" was not given");
    if (StorePasswordCrc(*password) != crc)
        Refuse(E_ACCESSDENIED, u"the password given for " + windowsPath + u" is not correct");
}

void CheckNewStoreFolder(const std::u16string& windowsPath, const std::filesystem::path& hostPath)
{
    // The folder's read-only attribute, as the file layer keeps it.
    struct stat folder {};
    if (::stat(hostPath.parent_path().c_str(), &folder) == 0 && (folder.st_mode & 0222) == 0)
        Refuse(E_ACCESSDENIED, u"the folder of " + windowsPath + u" cannot be written");
}

} // namespace components

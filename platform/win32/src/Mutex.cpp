// A named mutex is a file of the machine root's "kernel" folder: every handle
// holds a shared lock on its first byte, and the one that takes it
// exclusively first made the object. The locks belong to open file
// descriptions, so the kernel drops them when a process ends, killed or not.
#include "win32/Mutex.h"

#include "win32/HandleTable.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

class MutexObject : public win32::KernelObject {
public:
    explicit MutexObject(int fd) : m_fd(fd) {}
    ~MutexObject() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    void Own(std::thread::id owner)
    {
        std::lock_guard lock(m_lock);
        m_owner = owner;
        ++m_count;
    }

    bool Release(std::thread::id caller)
    {
        std::lock_guard lock(m_lock);
        if (m_count == 0 || m_owner != caller)
            return false;
        if (--m_count == 0)
            m_owner = {};
        return true;
    }

private:
    int m_fd;
    std::mutex m_lock;
    std::thread::id m_owner;
    unsigned m_count = 0;
};

bool LockFirstByte(int fd, short type, bool wait)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 1;
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

// The file name of a mutex name: letters and digits kept, every other byte of
// its UTF-8 form as %XX, so that names differing in case stay apart.
std::string FileNameOf(std::u16string_view name)
{
    for (std::u16string_view prefix : {u"Global\\", u"Local\\"}) {
        if (name.substr(0, prefix.size()) == prefix) {
            name.remove_prefix(prefix.size());
            break;
        }
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : Utf16ToUtf8(std::u16string(name))) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// Opens the machine-wide object of `name`; *existed tells whether some
// process held it already. -1 on failure, with the last error set.
int OpenNamedObject(std::u16string_view name, bool* existed)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = win32::MachineRoot() / "kernel" / "mutex";
    fs::create_directories(folder, ec);
    const std::string fileName = FileNameOf(name);
    if (fileName.size() > 255) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return -1;
    }
    const int fd = ::open((folder / fileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return -1;
    }
    // Only the maker gets the exclusive lock; it turns it into a shared one
    // at once (OFD locks convert atomically), and the others wait for that.
    *existed = !LockFirstByte(fd, F_WRLCK, false);
    if (!LockFirstByte(fd, F_RDLCK, true)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return -1;
    }
    return fd;
}

} // namespace

HANDLE CreateMutexW(SECURITY_ATTRIBUTES*, BOOL initialOwner, LPCWSTR name)
{
    bool existed = false;
    int fd = -1;
    if (name && *name) {
        fd = OpenNamedObject(name, &existed);
        if (fd < 0)
            return nullptr;
    }
    auto object = std::make_shared<MutexObject>(fd);
    // The initial owner is the maker only: opening an existing mutex takes
    // no ownership.
    if (initialOwner && !existed)
        object->Own(std::this_thread::get_id());
    HANDLE handle = win32::InsertHandle(object);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReleaseMutex(HANDLE mutex)
{
    auto object = win32::LookupHandleAs<MutexObject>(mutex);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!object->Release(std::this_thread::get_id())) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}

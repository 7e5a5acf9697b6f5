#include "components/FileBytes.h"

#include "ole/DispatchObject.h"
#include "win32/FileApi.h"

namespace components {

namespace {

std::u16string ReasonOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return u"the file does not exist";
    case ERROR_PATH_NOT_FOUND:
        return u"its folder does not exist";
    case ERROR_INVALID_NAME:
        return u"the path is not a path of this machine";
    case ERROR_FILENAME_EXCED_RANGE:
        return u"the path is too long";
    case ERROR_ACCESS_DENIED:
        return u"access is denied (a folder, or a file that may not be read)";
    case ERROR_SHARING_VIOLATION:
        return u"another program holds the file";
    default:
        return u"Win32 error " + Utf8ToUtf16(std::to_string(error));
    }
}

[[noreturn]] void Fail(DWORD error, std::u16string_view role, std::u16string_view path)
{
    throw ole::CDispatchError(HRESULT_FROM_WIN32(error),
                              u"cannot read the " + std::u16string(role) + u" " + std::u16string(path) + u": "
                                  + ReasonOf(error));
}

} // namespace

mapi::Bytes ReadFileBytes(std::u16string_view windowsPath, std::u16string_view role)
{
    std::u16string path(windowsPath);
    // Opening tells a missing file, a missing folder and a folder (access
    // denied) apart as asking for the attributes first would.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail(GetLastError(), role, path);
    mapi::Bytes data;
    BYTE buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            DWORD error = GetLastError();
            CloseHandle(file);
            Fail(error, role, path);
        }
        data.insert(data.end(), buffer, buffer + got);
        // A short read is the end of the file.
        if (got < sizeof buffer)
            break;
    }
    CloseHandle(file);
    return data;
}

bool FileExists(std::u16string_view windowsPath)
{
    DWORD attributes = GetFileAttributesW(std::u16string(windowsPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::u16string> SplitAttachmentList(std::u16string_view list)
{
    std::vector<std::u16string> paths;
    while (!list.empty()) {
        std::size_t end = list.find(u';');
        std::u16string_view entry = list.substr(0, end);
        if (!entry.empty())
            paths.emplace_back(entry);
        if (end == std::u16string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return paths;
}

std::u16string FileNameOf(std::u16string_view windowsPath)
{
    std::size_t slash = windowsPath.find_last_of(u"\\/:");
    return std::u16string(slash == std::u16string_view::npos ? windowsPath : windowsPath.substr(slash + 1));
}

} // namespace components

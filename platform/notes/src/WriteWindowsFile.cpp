#include "WriteWindowsFile.h"

#include "win32/CodePage.h"
#include "win32/FileApi.h"

#include <algorithm>

namespace notes::detail {

LNSTATUS WriteWindowsFile(std::string_view ansiPath, std::string_view bytes)
{
    if (ansiPath.empty())
        return LNERR_CANNOT_CREATE_FILE;
    std::u16string path = AnsiToWide(ansiPath);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LNERR_CANNOT_CREATE_FILE;
    constexpr std::size_t kChunk = 1 << 20;
    bool ok = true;
    for (std::size_t offset = 0; ok && offset < bytes.size(); offset += kChunk) {
        DWORD chunk = static_cast<DWORD>(std::min(kChunk, bytes.size() - offset));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + offset, chunk, &written, nullptr) && written == chunk;
    }
    CloseHandle(file);
    if (!ok) {
        DeleteFileW(path.c_str());
        return LNERR_WRITE_FAILED;
    }
    return LNNOERROR;
}

} // namespace notes::detail

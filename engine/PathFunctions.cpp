#include "PathFunctions.h"

#include "CProDlg.h"
#include "win32/FileApi.h"

void CProDlg::GetPathComponent(const WCHAR* path, int n, WCHAR* out, std::size_t outChars)
{
    if (outChars == 0)
        return;
    const WCHAR* at = path;
    for (int skipped = 0; skipped < n && *at; ++at) {
        if (*at == u'\\')
            ++skipped;
    }
    std::size_t length = 0;
    while (at[length] && at[length] != u'\\' && length + 1 < outChars) {
        out[length] = at[length];
        ++length;
    }
    out[length] = 0;
}

void DeleteFilesInFolder(const WCHAR* folder)
{
    CString pattern = CString(folder) + u"*.*";
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            _wunlink(CString(folder) + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

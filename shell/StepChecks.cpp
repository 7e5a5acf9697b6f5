#include "StepChecks.h"

#include "CFile64.h"
#include "win32/FileApi.h"

bool HasExtension(const CString& path, LPCWSTR extension)
{
    int dot = path.ReverseFind(u'.');
    return path.Mid(dot < 0 ? 0 : dot, 4).CompareNoCase(extension) == 0;
}

CString FolderBesideBackup(const CString& path, const CString& backup)
{
    int slash = path.ReverseFind(u'\\');
    if (slash < 0)
        return CString();
    bool withSlash = !backup.IsEmpty() && backup[backup.GetLength() - 1] == u'\\';
    return path.Left(withSlash ? slash + 1 : slash);
}

CString BackupDestination(const CString& path, const CString& backup)
{
    int slash = path.ReverseFind(u'\\');
    return backup + (slash < 0 ? CString(u"\\") + path : path.Mid(slash));
}

bool IsExistingFolder(const CString& path)
{
    DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TakeExclusiveSize(const CString& path, ULONGLONG* size)
{
    CFile64 file;
    if (!file.Open(path, GENERIC_READ, 0, OPEN_EXISTING))
        return false;
    try {
        *size = file.GetLength();
        file.Close();
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

bool HasRoomFor(const CString& folder, ULONGLONG size)
{
    ULARGE_INTEGER available, total, free;
    if (!::GetDiskFreeSpaceExW(folder, &available, &total, &free))
        return false;
    return free.QuadPart > size;
}

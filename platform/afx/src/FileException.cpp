#include "afx/FileException.h"

namespace {

// Error codes of the kernel layer beyond those its Types.h names.
constexpr LONG kTooManyOpenFiles = 4;
constexpr LONG kInvalidDrive = 15;
constexpr LONG kCurrentDirectory = 16;
constexpr LONG kWriteProtect = 19;
constexpr LONG kSeek = 25;
constexpr LONG kLockViolation = 33;
constexpr LONG kHandleDiskFull = 39;
constexpr LONG kCannotMake = 82;
constexpr LONG kNegativeSeek = 131;
constexpr LONG kBadPathName = 161;

} // namespace

CFileException::CFileException(int cause, LONG lOsError, LPCWSTR lpszFileName)
    : m_cause(cause)
    , m_lOsError(lOsError)
    , m_strFileName(lpszFileName)
{
}

int CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError) {
    case ERROR_SUCCESS:
        return none;
    case ERROR_FILE_NOT_FOUND:
        return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case kInvalidDrive:
    case kBadPathName:
        return badPath;
    case kTooManyOpenFiles:
        return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case kWriteProtect:
        return accessDenied;
    case ERROR_INVALID_HANDLE:
        return invalidFile;
    case kCurrentDirectory:
        return removeCurrentDir;
    case kCannotMake:
        return directoryFull;
    case kSeek:
    case kNegativeSeek:
        return badSeek;
    case ERROR_SHARING_VIOLATION:
        return sharingViolation;
    case kLockViolation:
        return lockViolation;
    case ERROR_DISK_FULL:
    case kHandleDiskFull:
        return diskFull;
    case ERROR_HANDLE_EOF:
        return endOfFile;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, LPCWSTR lpszFileName)
{
    throw CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCWSTR lpszFileName)
{
    throw CFileException(cause, lOsError, lpszFileName);
}

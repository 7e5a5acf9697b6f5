#include "CFile64.h"

#include "win32/Process.h"

IMPLEMENT_DYNAMIC(CFile64, CObject)

namespace {

DWORD Low(ULONGLONG value)
{
    return static_cast<DWORD>(value & 0xFFFFFFFF);
}

DWORD High(ULONGLONG value)
{
    return static_cast<DWORD>(value >> 32);
}

} // namespace

CFile64::CFile64() = default;

CFile64::CFile64(HANDLE hFile, bool bCloseOnDelete)
    : m_hFile(hFile)
    , m_bCloseOnDelete(bCloseOnDelete)
{
}

CFile64::~CFile64()
{
    if (m_hFile != INVALID_HANDLE_VALUE && m_bCloseOnDelete)
        Abort();
}

void CFile64::ThrowLastError() const
{
    CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
}

bool CFile64::Open(LPCWSTR lpszFileName, DWORD dwAccess, DWORD dwShareMode, DWORD dwCreationDisposition,
                   CFileException* pError, SECURITY_ATTRIBUTES* pSecurity, DWORD dwFlagsAndAttributes,
                   HANDLE hTemplateFile)
{
    // An object holds one file: a second Open lets go of the first (and
    // closes it when the object owns it).
    if (m_bCloseOnDelete)
        Abort();
    HANDLE file = ::CreateFileW(lpszFileName, dwAccess, dwShareMode, pSecurity, dwCreationDisposition,
                                dwFlagsAndAttributes, hTemplateFile);
    if (file == INVALID_HANDLE_VALUE) {
        if (pError) {
            LONG error = static_cast<LONG>(::GetLastError());
            pError->m_lOsError = error;
            pError->m_cause = CFileException::OsErrorToException(error);
            pError->m_strFileName = lpszFileName;
        }
        return false;
    }
    m_hFile = file;
    m_strFileName = lpszFileName;
    m_bCloseOnDelete = true;
    return true;
}

UINT CFile64::Read(void* lpBuf, UINT nCount)
{
    DWORD read = 0;
    if (!::ReadFile(m_hFile, lpBuf, nCount, &read, nullptr))
        ThrowLastError();
    return read;
}

void CFile64::Write(const void* lpBuf, UINT nCount)
{
    DWORD written = 0;
    if (!::WriteFile(m_hFile, lpBuf, nCount, &written, nullptr))
        ThrowLastError();
    if (written < nCount)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile64::Seek(const ULONGLONG* pOffset, UINT nFrom, BOOL bForward)
{
    ULONGLONG offset = *pOffset;
    LONGLONG origin = 0;
    if (nFrom == current)
        origin = static_cast<LONGLONG>(GetPosition());
    else if (nFrom == end)
        origin = static_cast<LONGLONG>(GetLength());
    else if (nFrom != begin)
        CFileException::ThrowOsError(ERROR_INVALID_PARAMETER, m_strFileName);
    LARGE_INTEGER target;
    if (nFrom == begin)
        target.QuadPart = static_cast<LONGLONG>(offset);
    else
        target.QuadPart = bForward ? origin + static_cast<LONGLONG>(offset) : origin - static_cast<LONGLONG>(offset);
    LARGE_INTEGER now;
    if (!::SetFilePointerEx(m_hFile, target, &now, FILE_BEGIN))
        ThrowLastError();
    return static_cast<ULONGLONG>(now.QuadPart);
}

ULONGLONG CFile64::SeekToBegin()
{
    const ULONGLONG zero = 0;
    return Seek(&zero, begin);
}

ULONGLONG CFile64::SeekToEnd()
{
    const ULONGLONG zero = 0;
    return Seek(&zero, end);
}

ULONGLONG CFile64::GetPosition() const
{
    LARGE_INTEGER none = {};
    LARGE_INTEGER now;
    if (!::SetFilePointerEx(m_hFile, none, &now, FILE_CURRENT))
        ThrowLastError();
    return static_cast<ULONGLONG>(now.QuadPart);
}

ULONGLONG CFile64::GetLength() const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size))
        ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile64::SetLength(const ULONGLONG* pNewLength)
{
    Seek(pNewLength, begin);
    if (!::SetEndOfFile(m_hFile))
        ThrowLastError();
}

void CFile64::Flush()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    if (!::FlushFileBuffers(m_hFile))
        ThrowLastError();
}

void CFile64::Close()
{
    BOOL closed = TRUE;
    DWORD error = ERROR_SUCCESS;
    if (m_hFile != INVALID_HANDLE_VALUE) {
        closed = ::CloseHandle(m_hFile);
        error = ::GetLastError();
    }
    CString name = m_strFileName;
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = false;
    m_strFileName.Empty();
    if (!closed)
        CFileException::ThrowOsError(static_cast<LONG>(error), name);
}

void CFile64::Abort()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = false;
    m_strFileName.Empty();
}

CFile64* CFile64::Duplicate() const
{
    auto* copy = new CFile64;
    HANDLE handle = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), m_hFile, ::GetCurrentProcess(), &handle, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        delete copy;
        ThrowLastError();
    }
    copy->m_hFile = handle;
    copy->m_bCloseOnDelete = m_bCloseOnDelete;
    copy->m_strFileName = m_strFileName;
    return copy;
}

void CFile64::LockRange(ULONGLONG dwPos, ULONGLONG dwCount)
{
    if (!::LockFile(m_hFile, Low(dwPos), High(dwPos), Low(dwCount), High(dwCount)))
        ThrowLastError();
}

void CFile64::UnlockRange(ULONGLONG dwPos, ULONGLONG dwCount)
{
    if (!::UnlockFile(m_hFile, Low(dwPos), High(dwPos), Low(dwCount), High(dwCount)))
        ThrowLastError();
}

DWORD CFile64::GetFileType() const
{
    return ::GetFileType(m_hFile);
}

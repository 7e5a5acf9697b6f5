// One file of the operating system with 64-bit sizes and positions, in the
// manner of the framework's CFile. Open reports a failure through the
// exception object it is given and throws nothing; every other failing call
// throws a CFileException with the operating system's error and the file's
// name. A size or position fails only when the system says so: a value whose
// low 32 bits are all ones is as valid as any other.
#pragma once

#include "afx/FileException.h"
#include "afx/Object.h"
#include "afx/String.h"
#include "win32/FileApi.h"

class CFile64 : public CObject {
    DECLARE_DYNAMIC(CFile64)

public:
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile64();
    // Wraps a handle that is already open.
    CFile64(HANDLE hFile, bool bCloseOnDelete);
    // Closes the file when one is open and close-on-delete is set.
    ~CFile64() override;

    // Opens or creates the file with exactly these platform parameters. On
    // failure: false, and the exception object (when given) holds the cause,
    // the OS error and the name.
    bool Open(LPCWSTR lpszFileName, DWORD dwAccess, DWORD dwShareMode, DWORD dwCreationDisposition,
              CFileException* pError = nullptr, SECURITY_ATTRIBUTES* pSecurity = nullptr,
              DWORD dwFlagsAndAttributes = FILE_ATTRIBUTE_NORMAL, HANDLE hTemplateFile = nullptr);

    // One read; the bytes read (fewer at the end of the file).
    UINT Read(void* lpBuf, UINT nCount);
    // One write; fewer bytes written than asked throws the disk-full cause.
    void Write(const void* lpBuf, UINT nCount);
    // From the start: the offset; from the current position or the end: that
    // position plus the offset when forward, minus it otherwise.
    ULONGLONG Seek(const ULONGLONG* pOffset, UINT nFrom, BOOL bForward = TRUE);
    ULONGLONG SeekToBegin();
    ULONGLONG SeekToEnd();
    ULONGLONG GetPosition() const;
    ULONGLONG GetLength() const;
    // Moves to the length and ends the file there.
    void SetLength(const ULONGLONG* pNewLength);
    void Flush();
    // Closes and forgets the file; a failing close throws after that.
    void Close();
    // Closes without throwing.
    void Abort();
    // A second object on a duplicate of the handle (the caller deletes it).
    CFile64* Duplicate() const;
    void LockRange(ULONGLONG dwPos, ULONGLONG dwCount);
    void UnlockRange(ULONGLONG dwPos, ULONGLONG dwCount);
    DWORD GetFileType() const;

    CString GetFilePath() const { return m_strFileName; }
    void SetFilePath(LPCWSTR lpszNewName) { m_strFileName = lpszNewName; }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

private:
    [[noreturn]] void ThrowLastError() const;

    bool m_bCloseOnDelete = false;
    CString m_strFileName;
};

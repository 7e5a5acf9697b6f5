// CString: the framework's UTF-16 string, with the MFC operations the system
// uses. GetBuffer/ReleaseBuffer give C-style access to a buffer of at least
// the length asked for.
#pragma once

#include "win32/Types.h"

#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(LPCWSTR text);
    CString(LPCWSTR text, int length);
    CString(WCHAR ch, int repeat = 1);
    explicit CString(LPCSTR ansiText);
    CString(std::u16string text);

    operator LPCWSTR() const { return m_data.c_str(); }
    LPCWSTR GetString() const { return m_data.c_str(); }
    const std::u16string& Str() const { return m_data; }

    int GetLength() const { return static_cast<int>(m_data.size()); }
    bool IsEmpty() const { return m_data.empty(); }
    void Empty() { m_data.clear(); }
    WCHAR GetAt(int index) const;
    void SetAt(int index, WCHAR ch);
    WCHAR operator[](int index) const { return GetAt(index); }

    CString& operator=(LPCWSTR text);
    CString& operator=(WCHAR ch);
    CString& operator+=(const CString& text);
    CString& operator+=(LPCWSTR text);
    CString& operator+=(WCHAR ch);

    int Compare(LPCWSTR text) const;
    int CompareNoCase(LPCWSTR text) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    int Find(WCHAR ch, int start = 0) const;
    int Find(LPCWSTR text, int start = 0) const;
    int ReverseFind(WCHAR ch) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    int Replace(LPCWSTR oldText, LPCWSTR newText);
    int Replace(WCHAR oldCh, WCHAR newCh);
    int Remove(WCHAR ch);
    int Insert(int index, LPCWSTR text);
    int Delete(int index, int count = 1);

    // The string of the framework's resource module; FALSE (and the string
    // empty) when it has none of that id.
    BOOL LoadString(UINT id);

    void Format(LPCWSTR format, ...);
    void AppendFormat(LPCWSTR format, ...);

    LPWSTR GetBuffer(int minLength = 0);
    LPWSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

private:
    std::u16string m_data;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCWSTR b);
CString operator+(LPCWSTR a, const CString& b);
CString operator+(const CString& a, WCHAR b);
bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCWSTR b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCWSTR b);
bool operator<(const CString& a, const CString& b);

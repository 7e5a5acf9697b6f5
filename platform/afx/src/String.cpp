#include "afx/String.h"

#include "afx/Wnd.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <algorithm>
#include <cstdarg>

namespace {

std::u16string_view View(LPCWSTR text)
{
    return text ? std::u16string_view(text) : std::u16string_view();
}

bool IsSpace(WCHAR c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

} // namespace

CString::CString(LPCWSTR text)
    : m_data(View(text))
{
}

CString::CString(LPCWSTR text, int length)
    : m_data(text && length > 0 ? std::u16string(text, static_cast<std::size_t>(length)) : std::u16string())
{
}

CString::CString(WCHAR ch, int repeat)
    : m_data(repeat > 0 ? static_cast<std::size_t>(repeat) : 0, ch)
{
}

CString::CString(LPCSTR ansiText)
    : m_data(ansiText ? AnsiToWide(ansiText) : std::u16string())
{
}

CString::CString(std::u16string text)
    : m_data(std::move(text))
{
}

WCHAR CString::GetAt(int index) const
{
    return index >= 0 && index < GetLength() ? m_data[static_cast<std::size_t>(index)] : 0;
}

void CString::SetAt(int index, WCHAR ch)
{
    if (index >= 0 && index < GetLength())
        m_data[static_cast<std::size_t>(index)] = ch;
}

CString& CString::operator=(LPCWSTR text)
{
    m_data = std::u16string(View(text));
    return *this;
}

CString& CString::operator=(WCHAR ch)
{
    m_data.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& text)
{
    m_data += text.m_data;
    return *this;
}

CString& CString::operator+=(LPCWSTR text)
{
    m_data += View(text);
    return *this;
}

CString& CString::operator+=(WCHAR ch)
{
    m_data += ch;
    return *this;
}

int CString::Compare(LPCWSTR text) const
{
    return wcscmp(m_data.c_str(), text ? text : u"");
}

int CString::CompareNoCase(LPCWSTR text) const
{
    return _wcsicmp(m_data.c_str(), text ? text : u"");
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(m_data.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return Mid(GetLength() - count, count);
}

int CString::Find(WCHAR ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    std::size_t at = m_data.find(ch, static_cast<std::size_t>(start));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCWSTR text, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    std::size_t at = m_data.find(View(text), static_cast<std::size_t>(start));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(WCHAR ch) const
{
    std::size_t at = m_data.rfind(ch);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

CString& CString::MakeUpper()
{
    for (auto& c : m_data)
        c = CharUpperChar(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (auto& c : m_data)
        c = CharLowerChar(c);
    return *this;
}

CString& CString::Trim()
{
    return TrimLeft().TrimRight();
}

CString& CString::TrimLeft()
{
    std::size_t i = 0;
    while (i < m_data.size() && IsSpace(m_data[i]))
        ++i;
    m_data.erase(0, i);
    return *this;
}

CString& CString::TrimRight()
{
    while (!m_data.empty() && IsSpace(m_data.back()))
        m_data.pop_back();
    return *this;
}

int CString::Replace(LPCWSTR oldText, LPCWSTR newText)
{
    std::u16string_view from = View(oldText);
    std::u16string_view to = View(newText);
    if (from.empty())
        return 0;
    int count = 0;
    for (std::size_t at = m_data.find(from); at != std::u16string::npos; at = m_data.find(from, at + to.size())) {
        m_data.replace(at, from.size(), to);
        ++count;
    }
    return count;
}

int CString::Replace(WCHAR oldCh, WCHAR newCh)
{
    int count = 0;
    for (auto& c : m_data) {
        if (c == oldCh) {
            c = newCh;
            ++count;
        }
    }
    return count;
}

int CString::Remove(WCHAR ch)
{
    auto before = m_data.size();
    std::erase(m_data, ch);
    return static_cast<int>(before - m_data.size());
}

int CString::Insert(int index, LPCWSTR text)
{
    index = std::clamp(index, 0, GetLength());
    m_data.insert(static_cast<std::size_t>(index), View(text));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && index < GetLength() && count > 0)
        m_data.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(count));
    return GetLength();
}

BOOL CString::LoadString(UINT id)
{
    // Grows the buffer until the string fits with room to spare.
    for (int size = 256;; size *= 2) {
        std::u16string buffer(static_cast<std::size_t>(size), u'\0');
        int length = ::LoadStringW(AfxGetResourceHandle(), id, buffer.data(), size);
        if (length < size - 1) {
            buffer.resize(static_cast<std::size_t>(length));
            m_data = std::move(buffer);
            return length > 0;
        }
    }
}

void CString::Format(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_data = FormatWide(format ? format : u"", args);
    va_end(args);
}

void CString::AppendFormat(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_data += FormatWide(format ? format : u"", args);
    va_end(args);
}

LPWSTR CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_data.resize(static_cast<std::size_t>(minLength), u'\0');
    return m_data.data();
}

LPWSTR CString::GetBufferSetLength(int length)
{
    m_data.resize(static_cast<std::size_t>(std::max(length, 0)), u'\0');
    return m_data.data();
}

void CString::ReleaseBuffer(int newLength)
{
    std::size_t length = newLength < 0 ? wcslen(m_data.c_str()) : static_cast<std::size_t>(newLength);
    m_data.resize(std::min(length, m_data.size()));
}

CString operator+(const CString& a, const CString& b)
{
    return CString(a.Str() + b.Str());
}

CString operator+(const CString& a, LPCWSTR b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(LPCWSTR a, const CString& b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(const CString& a, WCHAR b)
{
    CString out(a);
    out += b;
    return out;
}

bool operator==(const CString& a, const CString& b)
{
    return a.Str() == b.Str();
}

bool operator==(const CString& a, LPCWSTR b)
{
    return a.Str() == View(b);
}

bool operator!=(const CString& a, const CString& b)
{
    return !(a == b);
}

bool operator!=(const CString& a, LPCWSTR b)
{
    return !(a == b);
}

bool operator<(const CString& a, const CString& b)
{
    return a.Str() < b.Str();
}

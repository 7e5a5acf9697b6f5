// A string handed to Brenmoor by reference: a BSTR, or a null string for an
// empty text. Whatever string it holds after the call is freed with it.
#pragma once

#include "afx/String.h"
#include "ole/OleAuto.h"

#include <new>

class CPartString {
public:
    explicit CPartString(const CString& text)
        : m_text(text.IsEmpty() ? nullptr : SysAllocString(text))
    {
        if (!text.IsEmpty() && !m_text)
            throw std::bad_alloc();
    }
    ~CPartString() { SysFreeString(m_text); }
    CPartString(const CPartString&) = delete;
    CPartString& operator=(const CPartString&) = delete;
    BSTR* Ref() { return &m_text; }

private:
    BSTR m_text;
};

// CObject and the run-time class information of the framework: a class's
// name and base chain, which IsKindOf walks.
#pragma once

#include "win32/Types.h"

// The generic-text names of the framework's signatures; text is UTF-16.
using TCHAR = WCHAR;
using LPTSTR = LPWSTR;
using LPCTSTR = LPCWSTR;
#define _T(text) u##text

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;

    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    static const CRuntimeClass* GetThisClass();
    virtual const CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* runtimeClass) const;

protected:
    CObject() = default;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

// In the class: the run-time class of it. In its source file: the class and
// its base, which must carry the information too.
#define DECLARE_DYNAMIC(class_name)                                                                                \
public:                                                                                                            \
    static const CRuntimeClass* GetThisClass();                                                                    \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                                             \
    const CRuntimeClass* class_name::GetThisClass()                                                                \
    {                                                                                                              \
        static const CRuntimeClass runtimeClass = {#class_name, static_cast<int>(sizeof(class_name)),             \
                                                   base_class_name::GetThisClass()};                              \
        return &runtimeClass;                                                                                      \
    }                                                                                                              \
    const CRuntimeClass* class_name::GetRuntimeClass() const                                                       \
    {                                                                                                              \
        return GetThisClass();                                                                                     \
    }

#define DYNAMIC_DOWNCAST(class_name, object) (dynamic_cast<class_name*>(object))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))

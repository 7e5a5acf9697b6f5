#include "afx/Object.h"

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* cls = this; cls; cls = cls->m_pBaseClass) {
        if (cls == base)
            return TRUE;
    }
    return FALSE;
}

const CRuntimeClass* CObject::GetThisClass()
{
    static const CRuntimeClass runtimeClass = {"CObject", static_cast<int>(sizeof(CObject)), nullptr};
    return &runtimeClass;
}

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return GetThisClass();
}

BOOL CObject::IsKindOf(const CRuntimeClass* runtimeClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

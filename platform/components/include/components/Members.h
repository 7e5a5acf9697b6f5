// Checks that the servers' members make of a call's kind: a member that is
// only a method, only a property get or only a property put answers any
// other kind with DISP_E_MEMBERNOTFOUND, as a dispatch interface does.
#pragma once

#include "ole/DispatchObject.h"

namespace components {

inline void RequireMethod(WORD flags)
{
    if (!(flags & DISPATCH_METHOD))
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
}

// A property get; callers that ask for a method with a result are accepted.
inline void RequireGet(WORD flags)
{
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)))
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
}

inline void RequirePut(WORD flags)
{
    if (!(flags & DISPATCH_PROPERTYPUT))
        throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
}

} // namespace components

// How calls report: one place decides between returning and throwing.
#pragma once

#include "notes/FaultTable.h"
#include "notes/LNGlobal.h"

#include <atomic>

namespace notes::detail {

// LNSetThrowAllErrorsGlobal's switch.
extern std::atomic<bool> g_throwAllErrors;

// The status a call returns: thrown instead when it is an error and
// throw-all is on. Inline, so that the throw starts in the call's own
// frame: the unwinder looks up every frame it passes, twice. Always inlined
// whole, as the compiler would otherwise move the throw out into a function
// of its own, a frame more for every throw.
[[gnu::always_inline]] inline LNSTATUS Report(LNSTATUS status)
{
    if (LNIsError(status) && g_throwAllErrors.load(std::memory_order_relaxed))
        throw status;
    return status;
}

// For calls without a status result: an error is always thrown.
[[noreturn]] void Raise(LNSTATUS status);

// Entry of a call with a status result: the fault of the call, if any, as
// Report gives it; LNNOERROR to go on.
inline LNSTATUS Enter(const char* call)
{
    LNSTATUS fault = CheckFault(call);
    return fault == LNNOERROR ? LNNOERROR : Report(fault);
}

// Entry of a call without a status result.
inline void EnterOrRaise(const char* call)
{
    LNSTATUS fault = CheckFault(call);
    if (fault != LNNOERROR)
        Raise(fault);
}

} // namespace notes::detail

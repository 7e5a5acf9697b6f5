// Faults for tests: makes a named call of the class library fail with a
// chosen status, so that every error path of its callers can be reached.
// Calls are named "Class::Method" as in the headers ("LNViewFolder::Open",
// "LNNote::GetItem", "LNAttachment::Detach" ...); the opening of a document
// is "LNDocument::Open", GetItemAt shares "LNNote::GetItem", and the making
// of a calendar entry is "LNCalendarEntry::LNCalendarEntry". A failing call behaves as
// a real failure of that call: it returns the status, or throws it under
// LNSetThrowAllErrorsGlobal(TRUE) or when the call has no status result.
#pragma once

#include "notes/LNGlobal.h"

#include <string>
#include <string_view>

namespace notes {

// The call fails with status from its (skip + 1)-th use on, count times
// (-1: for ever). Setting a call again replaces its fault.
void SetFault(std::string_view call, LNSTATUS status, int skip = 0, int count = -1);
void ClearFault(std::string_view call);
void ClearFaults();

// How often a call has been made since the last ClearFaults (faults or not).
int CallCount(std::string_view call);

// Used by the library at the entry of every call: the status the call must
// fail with, or LNNOERROR. (Being the one place every call passes, it is
// also where a cooperative thread safe point belongs.)
LNSTATUS CheckFault(const char* call);

} // namespace notes

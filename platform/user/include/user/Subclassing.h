// Procedures that subclass windows (the class library's) and hand every
// message they do not handle, unchanged, to the procedure they replaced.
// Saying so lets the window layer answer a control's read-only queries from
// another thread without the round trip to the window's thread, where that
// gives the same answer.
#pragma once

#include "user/Window.h"

namespace user {

// For a window whose procedure is the subclassing one: the procedure that
// msg reaches unchanged when the subclass does not handle it, or null when
// the subclass handles it (or the window is not one of its own).
using PassThroughQuery = WNDPROC (*)(HWND hwnd, UINT msg);

void RegisterPassThroughSubclass(WNDPROC subclass, PassThroughQuery query);

} // namespace user

// What the parts of the COM runtime tell each other.
#pragma once

namespace ole {

// Whether the calling thread has initialised COM and not yet uninitialised it.
bool IsComInitialized();

} // namespace ole

// The process-wide count of initialised sessions.
#pragma once

namespace notes::detail {
void SessionStarted();
void SessionEnded();
bool SessionActive();
} // namespace notes::detail

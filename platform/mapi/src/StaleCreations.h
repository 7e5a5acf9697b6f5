// A store is built under "<name>.creating-<pid>" and renamed when complete;
// a process killed while building leaves that file behind.
#pragma once

#include <filesystem>

namespace mapi::ndb {

// Removes the unfinished files in `folder` whose building process no longer
// lives. Files of living processes (a build going on now) stay.
void RemoveStaleCreations(const std::filesystem::path& folder);

} // namespace mapi::ndb

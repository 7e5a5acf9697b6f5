// Item identifier lists as the shell of this machine makes them: one
// identifier per component of a full Windows path, the drive ("C:") first;
// the computer is the empty list.
#pragma once

#include "user/ShlObj.h"

#include <optional>
#include <string>
#include <vector>

namespace user::detail {

// The components of a full path, one per identifier: the parts between its
// backslashes, empty ones left out.
std::vector<std::u16string> PathComponents(const std::u16string& path);
// A list for a full path ("" for the computer, "C:\" for a drive, "C:\a\b");
// null when the task allocator fails.
PIDLIST_ABSOLUTE MakeIdList(const std::u16string& fullPath);
// The full path a list stands for ("" for the computer); nothing for a
// block that is not a list of this shell.
std::optional<std::u16string> IdListPath(PCIDLIST_ABSOLUTE list);

} // namespace user::detail

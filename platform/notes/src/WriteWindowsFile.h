// Writing a whole file at an ANSI Windows path through the file layer, as
// Detach and Export do.
#pragma once

#include "notes/LNGlobal.h"

#include <string_view>

namespace notes::detail {

// Creates or replaces the file. LNERR_CANNOT_CREATE_FILE when it cannot be
// created (a missing folder, a file in use), LNERR_WRITE_FAILED when the
// bytes do not all go in; a partly written file is removed.
LNSTATUS WriteWindowsFile(std::string_view ansiPath, std::string_view bytes);

} // namespace notes::detail

// The help file, opened at its start page from every wizard dialog.
#pragma once

#include "win32/Types.h"

constexpr const WCHAR* kHelpFileName = u"Pellinor for Lotes Notes NSF - MS Outlook PST.chm";

// Three attempts: the bare file name, the file in the install folder, then
// hh.exe of the Windows folder on that file. Returns the shell's result of
// the last attempt (above 32 is success).
INT_PTR OpenHelpFile();

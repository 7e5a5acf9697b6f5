// Reading the files that callers name by Windows path (attachments, the EML
// file, the RTF body file) at the moment of the call, with errors that say
// which file and why.
#pragma once

#include "mapi/NodeContent.h"

#include <string>
#include <string_view>
#include <vector>

namespace components {

// The whole file. Throws ole::CDispatchError with the Win32 error as an
// HRESULT and a description naming `role` and the path ("cannot read the
// attachment C:\a.doc: the file does not exist") when the path is malformed
// or outside the machine, the file is missing, a folder, or unreadable.
mapi::Bytes ReadFileBytes(std::u16string_view windowsPath, std::u16string_view role);

// Whether a Windows path names an existing file (not a folder).
bool FileExists(std::u16string_view windowsPath);

// The entries of a ";"-terminated list of paths, in order, empty ones skipped.
std::vector<std::u16string> SplitAttachmentList(std::u16string_view list);

// The last component of a Windows path.
std::u16string FileNameOf(std::u16string_view windowsPath);

} // namespace components

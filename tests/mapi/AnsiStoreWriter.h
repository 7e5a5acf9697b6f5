// Test helper: an ANSI (32-bit) copy of a Unicode store. The library reads
// ANSI files but never writes them, and the project has no ANSI sample, so
// tests make one: every node of the Unicode store, its strings turned into
// PT_STRING8 in the Windows-1252 code page, laid out in the 32-bit format of
// [MS-PST] (4-byte BIDs and offsets, 12-byte trailers, 16-byte NBT entries),
// without encoding and without an allocation map (readers need none).
#pragma once

#include "mapi/Result.h"

#include <filesystem>

namespace mapitest {

mapi::Result<void> WriteAnsiCopy(const std::filesystem::path& unicode, const std::filesystem::path& ansi);

} // namespace mapitest

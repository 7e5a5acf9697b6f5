// Stores that hold thousands of small messages before a test begins, and
// the size of their contents table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace mapitest {

std::u16string FilledSubjectOf(std::uint32_t n);
// A new store at `path` with an "Inbox" of `count` messages that have only
// a subject (FilledSubjectOf) and are read when their number is even. They
// are written on a memory file system where there is one, as the flush of
// each save costs nothing there, and copied.
void CreateFilledStore(const std::filesystem::path& path, std::uint32_t count);
// The data blocks of the largest stream (the rows) of the Inbox's contents
// table; 0 after a failed check.
std::size_t InboxRowBlocks(const std::filesystem::path& path);

} // namespace mapitest

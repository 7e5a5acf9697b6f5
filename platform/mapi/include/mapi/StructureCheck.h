// A full check of a PST file's node database: both B-trees page by page,
// every block's trailer and CRC, every node's block and subnode trees, and
// the allocation map against the space in use.
#pragma once

#include "mapi/Result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mapi {

struct StructureReport {
    std::uint64_t nodes = 0;
    std::uint64_t blocks = 0;
    std::uint64_t pages = 0;              // B-tree pages
    std::uint64_t leakedBytes = 0;        // marked allocated, used by nothing
    // Findings that readers tolerate (stale free-space totals, leaks).
    std::vector<std::string> warnings;
};

// Fails with the first fault that would make a reader fail or lose data.
Result<StructureReport> CheckStructure(const std::filesystem::path& path);

} // namespace mapi

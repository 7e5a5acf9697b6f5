// The disk's own time for a file's bytes: the limit that a writer of the
// same bytes with the same durability is measured against.
#pragma once

#include <cstdint>
#include <filesystem>

namespace benchsupport {

struct DiskRun {
    double seconds = 0;
    double cpu = 0; // this process's CPU, user and system
};

// Writes `total` bytes to `path` in `chunks` pieces, each followed by an
// fdatasync (chunks = 1: written sequentially, one flush at the end), and
// removes the file. Seconds of -1 when the file cannot be made.
DiskRun DiskLimit(const std::filesystem::path& path, std::uint64_t total, std::size_t chunks);

} // namespace benchsupport

// Runs a writer in a child process for a while and kills it with SIGKILL.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace mapitest {

struct KilledWriter {
    bool killed = false; // false: the writer ended by itself
    int exitCode = 0;    // then its exit code
    // What the writer wrote to its pipe, as 32-bit numbers, in order.
    std::vector<std::uint32_t> reported;
};

// `writer` runs in the child with the pipe's write end and must never
// return. Once it has reported `firstReports` numbers (however long that
// takes on a busy machine), it runs `microseconds` more and is killed.
KilledWriter RunAndKill(const std::function<void(int out)>& writer, std::size_t firstReports, unsigned microseconds);

} // namespace mapitest

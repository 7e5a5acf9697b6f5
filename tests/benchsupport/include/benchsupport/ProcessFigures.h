// This process's own figures, as the kernel counts them.
#pragma once

#include <cstdint>

namespace benchsupport {

// CPU time of every thread of the process so far: user and system, and
// user alone (getrusage).
double CpuSeconds();
double UserSeconds();

// Bytes of page cache this process dirtied (/proc/self/io write_bytes):
// what the disk is sent, page by page.
std::uint64_t DiskBytesWritten();
// Of them, the bytes of files truncated or deleted before they reached the
// disk (/proc/self/io cancelled_write_bytes).
std::uint64_t DiskBytesCancelled();

} // namespace benchsupport

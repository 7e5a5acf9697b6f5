// The open file under the node database: positioned reads that check the
// range against the file size, writes, and the flushes of a commit.
#pragma once

#include "mapi/Result.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace mapi::ndb {

// Sees what the store hands to its files, in order: tests replay a run's
// writes as a power failure would leave them, benchmarks count bytes and
// flushes. One observer per process; none in normal use.
class IFileObserver {
public:
    virtual ~IFileObserver() = default;
    virtual void Wrote(std::uint64_t ib, const std::vector<std::uint8_t>& bytes) = 0;
    virtual void Resized(std::uint64_t size) = 0;
    virtual void Synced() = 0;
};
void SetFileObserver(IFileObserver* observer);

class CPstFile {
public:
    CPstFile() = default;
    ~CPstFile();
    CPstFile(const CPstFile&) = delete;
    CPstFile& operator=(const CPstFile&) = delete;

    // createNew fails if the file exists; otherwise the file must exist. A
    // writable open holds an exclusive lock: one writer per file.
    Result<void> Open(const std::filesystem::path& path, bool writable, bool createNew);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    std::uint64_t Size() const { return m_size; }
    // The name the open file goes by now, after a rename.
    void SetPath(const std::filesystem::path& path) { m_path = path; }
    Result<std::vector<std::uint8_t>> ReadAt(std::uint64_t ib, std::size_t size) const;
    // Writes reach the host in runs: a commit's small writes side by side
    // go as one. They are handed on before any read of their bytes, a
    // resize, a flush, the close and with a write of the header, which a
    // commit writes last: whatever a returned commit wrote is the kernel's.
    Result<void> WriteAt(std::uint64_t ib, std::vector<std::uint8_t> bytes);
    Result<void> Resize(std::uint64_t size);
    Result<void> Sync();
    // Makes a new file's name durable too.
    Result<void> SyncDirectory();

private:
    struct PendingWrite {
        std::uint64_t ib;
        std::vector<std::uint8_t> bytes;
    };
    // Hands the pending writes to the host, runs of adjacent ones as one.
    Result<void> WritePending() const;
    bool PendingOverlaps(std::uint64_t ib, std::size_t size) const;
    // Host pages this open file has written, each once on its own, or that
    // it grew by and had the host hold one by one.
    bool PageKnown(std::uint64_t page) const;
    void MarkPageKnown(std::uint64_t page) const;
    // Has the host hold the pages the file grew by [from, to) one by one.
    void PrepareNewPages(std::uint64_t from, std::uint64_t to) const;

    mutable std::vector<PendingWrite> m_pending;
    mutable std::vector<bool> m_knownPages;
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::filesystem::path m_path;
};

} // namespace mapi::ndb

#include "PstFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace mapi::ndb {

namespace {

Error SysError(const std::string& what, const std::filesystem::path& path)
{
    return MakeError(what + " " + path.string() + ": " + std::strerror(errno));
}

std::atomic<IFileObserver*> g_observer{nullptr};

// The host's page: the unit it keeps, counts as dirty and writes out.
constexpr std::uint64_t kHostPage = 4096;
// Pieces gathered into one write at most (the system's IOV_MAX is 1024).
constexpr std::size_t kMostPieces = 256;

} // namespace

void SetFileObserver(IFileObserver* observer) { g_observer = observer; }

CPstFile::~CPstFile() { Close(); }

Result<void> CPstFile::Open(const std::filesystem::path& path, bool writable, bool createNew)
{
    Close();
    m_path = path;
    int flags = writable ? O_RDWR : O_RDONLY;
    if (createNew)
        flags |= O_CREAT | O_EXCL;
    m_fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return SysError(createNew ? "cannot create" : "cannot open", path);
    if (writable && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        auto err = busy ? MakeError("the PST file " + path.string() + " is in use by another writer")
                        : SysError("cannot lock", path);
        Close();
        return err;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        auto err = SysError("cannot stat", path);
        Close();
        return err;
    }
    m_size = static_cast<std::uint64_t>(st.st_size);
    return {};
}

void CPstFile::Close()
{
    if (m_fd >= 0)
        (void)WritePending();
    m_pending.clear();
    m_knownPages.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

Result<std::vector<std::uint8_t>> CPstFile::ReadAt(std::uint64_t ib, std::size_t size) const
{
    if (ib > m_size || size > m_size - ib)
        return MakeError("read of " + std::to_string(size) + " bytes at " + std::to_string(ib) +
                         " is past the end of the file (" + std::to_string(m_size) + " bytes)");
    if (PendingOverlaps(ib, size))
        MAPI_TRY(WritePending());
    std::vector<std::uint8_t> out(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, out.data() + done, size - done, static_cast<off_t>(ib + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return SysError("cannot read", m_path);
        done += static_cast<std::size_t>(n);
    }
    return out;
}

bool CPstFile::PendingOverlaps(std::uint64_t ib, std::size_t size) const
{
    for (const PendingWrite& w : m_pending) {
        if (ib < w.ib + w.bytes.size() && w.ib < ib + size)
            return true;
    }
    return false;
}

bool CPstFile::PageKnown(std::uint64_t page) const { return page < m_knownPages.size() && m_knownPages[page]; }

void CPstFile::MarkPageKnown(std::uint64_t page) const
{
    if (page >= m_knownPages.size())
        m_knownPages.resize(std::max<std::uint64_t>(page + 1, m_knownPages.size() * 2));
    m_knownPages[page] = true;
}

Result<void> CPstFile::WritePending() const
{
    std::vector<PendingWrite> pending = std::move(m_pending);
    m_pending.clear();
    // Pending writes never overlap (an overlapping one hands the others on
    // first), so their order within a run does not matter.
    std::sort(pending.begin(), pending.end(), [](const PendingWrite& a, const PendingWrite& b) { return a.ib < b.ib; });
    // A write over several host pages that the host does not hold yet makes
    // it keep them as one larger unit, which it then counts and writes out
    // whole whenever a byte of it changes. So a page this file has not
    // written since it was opened (nor grown by, see PrepareNewPages) goes
    // in a write of its own; a run over pages the host holds one by one
    // goes in one, gathered from the pieces that cover it rather than
    // copied together.
    std::vector<iovec> pieces;
    std::size_t i = 0, offset = 0; // the next byte to write: pending[i].bytes[offset]
    while (i < pending.size()) {
        const std::uint64_t at = pending[i].ib + offset;
        const bool known = PageKnown(at / kHostPage);
        pieces.clear();
        std::size_t length = 0;
        std::size_t j = i, from = offset;
        while (j < pending.size() && pending[j].ib + from == at + length && pieces.size() < kMostPieces) {
            const std::uint64_t next = at + length;
            const std::uint64_t page = next / kHostPage;
            if (next != at && (!known || !PageKnown(page)) && next % kHostPage == 0)
                break;
            const std::uint64_t pageEnd = (page + 1) * kHostPage;
            const std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(pending[j].bytes.size() - from, pageEnd - next));
            pieces.push_back({pending[j].bytes.data() + from, take});
            length += take;
            from += take;
            if (from == pending[j].bytes.size()) {
                ++j;
                from = 0;
            }
        }
        const ssize_t n = ::pwritev(m_fd, pieces.data(), static_cast<int>(pieces.size()), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return SysError("cannot write", m_path);
        // A short write goes on from where it stopped.
        std::size_t done = static_cast<std::size_t>(n);
        for (std::uint64_t page = at / kHostPage; page * kHostPage < at + done; ++page)
            MarkPageKnown(page);
        while (done > 0) {
            const std::size_t step = std::min(done, pending[i].bytes.size() - offset);
            done -= step;
            offset += step;
            if (offset == pending[i].bytes.size()) {
                ++i;
                offset = 0;
            }
        }
    }
    return {};
}

Result<void> CPstFile::WriteAt(std::uint64_t ib, std::vector<std::uint8_t> bytes)
{
    if (PendingOverlaps(ib, bytes.size()))
        MAPI_TRY(WritePending());
    if (ib + bytes.size() > m_size)
        m_size = ib + bytes.size();
    if (IFileObserver* observer = g_observer)
        observer->Wrote(ib, bytes);
    const bool header = ib == 0;
    if (!bytes.empty())
        m_pending.push_back({ib, std::move(bytes)});
    if (header)
        MAPI_TRY(WritePending());
    return {};
}

Result<void> CPstFile::Resize(std::uint64_t size)
{
    MAPI_TRY(WritePending());
    // Growing leaves a hole: reserving the space (fallocate) was measured
    // to cost the flushes more requests, not fewer, as each write into it
    // then converts its part of the reserved extent.
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        return SysError("cannot resize", m_path);
    // Pages cut off are no longer the host's.
    if (size < m_size && m_knownPages.size() > size / kHostPage)
        m_knownPages.resize(size / kHostPage);
    const std::uint64_t oldSize = m_size;
    m_size = size;
    if (size > oldSize)
        PrepareNewPages(oldSize, size);
    if (IFileObserver* observer = g_observer)
        observer->Resized(size);
    return {};
}

void CPstFile::PrepareNewPages(std::uint64_t from, std::uint64_t to) const
{
    // The pages wholly past the old end are a hole. Asked to read them ahead,
    // the host keeps each as a page of its own (zeros, with no disk read),
    // so the runs a commit writes into them go in one write call each and
    // still dirty only the pages they touch. In steps the host's smallest
    // usual read-ahead window takes whole; a step it refuses leaves its
    // pages unknown, written a page at a time.
    constexpr std::uint64_t kStepPages = 32;
    const std::uint64_t last = (to + kHostPage - 1) / kHostPage;
    for (std::uint64_t page = (from + kHostPage - 1) / kHostPage; page < last; page += kStepPages) {
        const std::uint64_t pages = std::min(kStepPages, last - page);
        if (::posix_fadvise(m_fd, static_cast<off_t>(page * kHostPage), static_cast<off_t>(pages * kHostPage),
                            POSIX_FADV_WILLNEED) != 0)
            continue;
        for (std::uint64_t p = page; p < page + pages; ++p)
            MarkPageKnown(p);
    }
}

Result<void> CPstFile::SyncDirectory()
{
    const auto parent = m_path.has_parent_path() ? m_path.parent_path() : std::filesystem::path(".");
    const int dir = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return SysError("cannot open the folder of", m_path);
    const int rc = ::fsync(dir);
    ::close(dir);
    if (rc != 0)
        return SysError("cannot flush the folder of", m_path);
    return {};
}

Result<void> CPstFile::Sync()
{
    MAPI_TRY(WritePending());
    if (::fdatasync(m_fd) != 0)
        return SysError("cannot flush", m_path);
    if (IFileObserver* observer = g_observer)
        observer->Synced();
    return {};
}

} // namespace mapi::ndb

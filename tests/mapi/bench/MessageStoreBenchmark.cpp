// Writes a store of many messages the way a conversion does (each message
// saved, durably, on its own: 4 KB of body, a 16 KB attachment in every
// tenth) and prints each figure beside its limit, the disk's own limit
// measured in the same run. Run by hand in a release build:
//   mapi_store_benchmark [messages=10000] [file=/var/tmp/mapi-bench.pst]
//   mapi_store_benchmark --append [messages=1000] [file]   (adds to the
//       store a previous run left, in a process of its own for its memory)
#include "PstFile.h"
#include "mapi/ndb/Format.h"
#include "benchsupport/DiskLimit.h"
#include "benchsupport/ProcessFigures.h"
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace mapi;
using namespace benchsupport;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kBodyBytes = 4096;        // the plain body, UTF-16
constexpr std::size_t kAttachmentBytes = 16384; // in every tenth message

// What the store hands to its file: bytes and flushes, and the 4 KB disk
// pages each sync finds dirty, by what lies in them: the header page, pages
// holding allocation map pages, and the rest (blocks and B-tree pages).
class CCounter : public ndb::IFileObserver {
public:
    std::uint64_t bytes = 0;
    std::uint64_t syncs = 0;
    std::uint64_t headerPages = 0, mapPages = 0, otherPages = 0;
    void Wrote(std::uint64_t ib, const std::vector<std::uint8_t>& b) override
    {
        bytes += b.size();
        for (std::uint64_t page = ib / kDiskPage; page * kDiskPage < ib + b.size(); ++page)
            if (std::find(m_dirty.begin(), m_dirty.end(), page) == m_dirty.end())
                m_dirty.push_back(page);
    }
    void Resized(std::uint64_t) override {}
    std::uint64_t Pages() const { return headerPages + mapPages + otherPages; }
    void Synced() override
    {
        ++syncs;
        for (std::uint64_t page : m_dirty) {
            const std::uint64_t ib = page * kDiskPage;
            if (page == 0)
                ++headerPages;
            else if (ib + kDiskPage > ndb::kFirstAMapOffset &&
                     (ib + kDiskPage - ndb::kFirstAMapOffset - 1) % kCoverage < kDiskPage + 2 * ndb::kPageSize)
                ++mapPages;
            else
                ++otherPages;
        }
        m_dirty.clear();
    }

private:
    static constexpr std::uint64_t kDiskPage = 4096;
    const std::uint64_t kCoverage = ndb::SizesOf(ndb::Format::Unicode).AMapCoverage();
    std::vector<std::uint64_t> m_dirty;
};

// Sees the store's writes while it lives: the store may still write (a
// close on the way out of a failed run) after the observer is gone.
struct ObserverScope {
    explicit ObserverScope(ndb::IFileObserver* observer) { ndb::SetFileObserver(observer); }
    ~ObserverScope() { ndb::SetFileObserver(nullptr); }
    ObserverScope(const ObserverScope&) = delete;
    ObserverScope& operator=(const ObserverScope&) = delete;
};

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

CMessage MakeMessage(const CFolder& folder, std::size_t i)
{
    static const std::u16string body(kBodyBytes / 2, u'x');
    static const Bytes attachment(kAttachmentBytes, 0x5A);
    CMessage m = folder.CreateMessage();
    m.SetSubject(u"Weekly report " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)));
    m.SetSender(u"Anna Sender", u"anna@example.com");
    m.AddRecipient({MAPI_TO, u"Bob Receiver", u"bob@example.com", u"SMTP", {}});
    m.SetTime(PR_MESSAGE_DELIVERY_TIME, FileTimeFromUnixSeconds(1'700'000'000 + static_cast<std::int64_t>(i)));
    m.SetBody(body);
    if (i % 10 == 0)
        m.AddAttachment(CAttachment::ByValue(u"report.bin", attachment));
    return m;
}

// The read system calls of this process so far, as the kernel counts them:
// a save should find what the store wrote or read before in memory.
std::uint64_t IoCount(const char* field)
{
    std::ifstream in("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (in >> key >> value)
        if (key == field)
            return value;
    return 0;
}
std::uint64_t ReadCalls() { return IoCount("syscr:"); }
// The write system calls: each a separate request to the kernel.
std::uint64_t WriteCalls() { return IoCount("syscw:"); }

void Line(const char* what, double value, const char* unit, const char* limit, bool met)
{
    if (*limit == 0)
        std::printf("%-44s %12.3f %s\n", what, value, unit);
    else
        std::printf("%-44s %12.3f %-10s limit %-22s %s\n", what, value, unit, limit, met ? "met" : "NOT MET");
}

int Append(std::size_t count, const std::filesystem::path& path)
{
    CCounter counter;
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    auto store = CStore::Open(path);
    if (!store.Ok()) {
        std::fprintf(stderr, "%s\n", store.Message().c_str());
        return 1;
    }
    auto folder = (*store)->GetIpmSubtree()->FindSubfolder(u"Inbox");
    if (!folder.Ok() || !*folder) {
        std::fprintf(stderr, "the store has no Inbox\n");
        return 1;
    }
    const auto before = (*folder)->GetCounts()->contentCount;
    const long openedKb = PeakKilobytes();
    auto observing = std::make_unique<ObserverScope>(&counter);
    const std::uint64_t readsBefore = ReadCalls();
    for (std::size_t i = 0; i < count; ++i)
        if (auto saved = MakeMessage(**folder, static_cast<std::size_t>(before) + i).Save(); !saved.Ok()) {
            std::fprintf(stderr, "message %zu: %s\n", i, saved.Message().c_str());
            return 1;
        }
    const std::uint64_t reads = ReadCalls() - readsBefore;
    if (auto closed = (*store)->Close(); !closed.Ok()) {
        std::fprintf(stderr, "%s\n", closed.Message().c_str());
        return 1;
    }
    observing.reset();
    std::printf("added %zu messages to a folder of %d in %.2f s (%.3f ms CPU each)\n", count, before,
                Seconds(start), (CpuSeconds() - cpuBefore) * 1e3 / static_cast<double>(count));
    std::printf("peak memory after opening the store: %ld KB\n", openedKb);
    Line("peak memory adding to the folder", PeakKilobytes() / 1024.0, "MB", "< 64 MB", PeakKilobytes() < 64 * 1024);
    Line("fdatasync per message", static_cast<double>(counter.syncs) / count, "", "<= 1 (+2 at close)",
         counter.syncs <= count + 2);
    Line("reads of the file per message (the first ones load the table)", static_cast<double>(reads) / count, "", "",
         true);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int arg = 1;
    const bool append = argc > 1 && std::strcmp(argv[1], "--append") == 0;
    arg += append ? 1 : 0;
    const std::size_t count = argc > arg ? std::strtoul(argv[arg], nullptr, 10) : (append ? 1'000 : 10'000);
    const std::filesystem::path path = argc > arg + 1 ? argv[arg + 1] : "/var/tmp/mapi-bench.pst";
    if (append)
        return Append(count, path);

    std::filesystem::remove(path);
    auto store = CStore::Create(path, u"Benchmark");
    if (!store.Ok()) {
        std::fprintf(stderr, "%s\n", store.Message().c_str());
        return 1;
    }
    auto folder = (*store)->GetIpmSubtree()->CreateSubfolder(u"Inbox");
    if (!folder.Ok()) {
        std::fprintf(stderr, "%s\n", folder.Message().c_str());
        return 1;
    }
    const auto sizeBefore = std::filesystem::file_size(path);

    CCounter counter;
    auto observing = std::make_unique<ObserverScope>(&counter);
    const std::uint64_t diskBefore = DiskBytesWritten();
    const double cpuStart = CpuSeconds();
    const double userStart = UserSeconds();
    const std::uint64_t readsBefore = ReadCalls();
    const std::uint64_t writesBefore = WriteCalls();
    const auto start = Clock::now();
    // CPU per message over a window of messages ending at each mark.
    const std::size_t window = std::min<std::size_t>(1'000, count);
    std::vector<std::pair<std::size_t, double>> windowCpu; // (end, ms per message)
    // Bytes handed to the file per message over the same windows: what a
    // save writes, which must not grow with the folder.
    std::vector<std::pair<std::size_t, double>> windowBytes;
    std::uint64_t windowBytesStart = 0;
    double at10k = 0;
    double windowStart = cpuStart;
    std::printf("%-22s %12s %14s %14s\n", "messages", "per second", "CPU ms each", "peak memory");
    auto batchStart = start;
    double batchCpu = cpuStart;
    const std::size_t batch = count >= 10 ? count / 10 : 1;
    for (std::size_t i = 0; i < count; ++i) {
        if ((i + window) % 5'000 == 0 || i + window == count) {
            windowStart = CpuSeconds();
            windowBytesStart = counter.bytes;
        }
        if (auto saved = MakeMessage(*folder, i).Save(); !saved.Ok()) {
            std::fprintf(stderr, "message %zu: %s\n", i, saved.Message().c_str());
            return 1;
        }
        if ((i + 1) % 5'000 == 0 || i + 1 == count) {
            windowCpu.emplace_back(i + 1, (CpuSeconds() - windowStart) * 1e3 / static_cast<double>(window));
            windowBytes.emplace_back(i + 1, static_cast<double>(counter.bytes - windowBytesStart) / window);
        }
        if (i + 1 == 10'000)
            at10k = Seconds(start);
        if ((i + 1) % batch == 0) {
            const double cpu = CpuSeconds();
            std::printf("%9zu - %-10zu %12.0f %14.3f %11ld KB\n", i + 1 - batch, i + 1,
                        static_cast<double>(batch) / Seconds(batchStart), (cpu - batchCpu) * 1e3 / batch,
                        PeakKilobytes());
            batchStart = Clock::now();
            batchCpu = cpu;
        }
    }
    const double writing = Seconds(start);
    const double cpu = CpuSeconds() - cpuStart;
    const double user = UserSeconds() - userStart;
    const std::uint64_t reads = ReadCalls() - readsBefore;
    const std::uint64_t writes = WriteCalls() - writesBefore;
    const long peakKb = PeakKilobytes();
    if (auto closed = (*store)->Close(); !closed.Ok()) {
        std::fprintf(stderr, "%s\n", closed.Message().c_str());
        return 1;
    }
    observing.reset();
    const double disk = static_cast<double>(DiskBytesWritten() - diskBefore);
    const auto fileSize = std::filesystem::file_size(path);
    const double growth = static_cast<double>(fileSize - sizeBefore);
    const double n = static_cast<double>(count);

    const auto scratch = path.parent_path() / (path.stem().string() + "-disk-limit");
    const DiskRun sequential = DiskLimit(scratch, fileSize, 1);
    const DiskRun chunked = DiskLimit(scratch, fileSize, count);

    std::printf("\n%zu messages in %.2f s: %.0f messages per second; the file %.1f MB\n", count, writing, n / writing,
                fileSize / 1e6);
    std::printf("disk alone, the same bytes: %.2f s (%.3f ms CPU each) with one fdatasync per message-sized chunk, "
                "%.2f s in one go\n",
                chunked.seconds, chunked.cpu * 1e3 / n, sequential.seconds);
    Line("time against the disk's (one sync per chunk)", writing / chunked.seconds, "times", "", true);
    Line("fdatasync per message", static_cast<double>(counter.syncs) / n, "", "<= 1", counter.syncs <= count + 2);
    Line("CPU per message (user and system)", cpu * 1e3 / n, "ms", "< 0.5 ms", cpu * 1e3 / n < 0.5);
    Line("  of it user", user * 1e3 / n, "ms", "", true);
    Line("  of it beyond the disk's own sync and write", (cpu - chunked.cpu) * 1e3 / n, "ms", "< 0.5 ms",
         (cpu - chunked.cpu) * 1e3 / n < 0.5);
    Line("reads of the file per message", static_cast<double>(reads) / n, "", "", true);
    Line("write calls per message", static_cast<double>(writes) / n, "", "", true);
    Line("bytes handed per message", static_cast<double>(counter.bytes) / n, "bytes", "", true);
    Line("4 KB pages dirtied per message", static_cast<double>(counter.Pages()) / n, "", "", true);
    Line("  per file growth", static_cast<double>(counter.Pages()) * 4096 / growth, "times", "", true);
    Line("bytes handed to the file / file growth", counter.bytes / growth, "times", "<= 4", counter.bytes / growth <= 4);
    Line("disk bytes written (pages) / file growth", disk / growth, "times", "<= 4", disk / growth <= 4);
    std::printf("  4 KB pages each sync finds dirty: %.2f header, %.2f allocation map, %.2f blocks and B-tree\n",
                counter.headerPages / n, counter.mapPages / n, counter.otherPages / n);
    for (const auto& [end, ms] : windowCpu)
        std::printf("  CPU per message over the %zu up to %zu: %.3f ms\n", window, end, ms);
    auto cpuAt = [&](std::size_t end) {
        for (const auto& [e, ms] : windowCpu)
            if (e == end)
                return ms;
        return 0.0;
    };
    auto bytesAt = [&](std::size_t end) {
        for (const auto& [e, b] : windowBytes)
            if (e == end)
                return b;
        return 0.0;
    };
    if (bytesAt(5'000) > 0 && bytesAt(50'000) > 0)
        std::printf("  bytes handed per message over the 1000 up to 5000: %.0f, up to 50000: %.0f (%.3f times)\n",
                    bytesAt(5'000), bytesAt(50'000), bytesAt(50'000) / bytesAt(5'000));
    if (cpuAt(5'000) > 0 && cpuAt(50'000) > 0)
        Line("CPU per message at 50,000 / at 5,000", cpuAt(50'000) / cpuAt(5'000), "times", "<= 1.2",
             cpuAt(50'000) / cpuAt(5'000) <= 1.2);
    if (count >= 100'000 && at10k > 0)
        Line("time(all) / time(10,000)", writing / at10k, "times", "<= 11 at 100,000",
             writing / at10k <= 11.0 * static_cast<double>(count) / 100'000);
    Line("peak memory", peakKb / 1024.0, "MB", "< 64 MB", peakKb < 64 * 1024);

    const auto out = path.parent_path() / (path.stem().string() + "-readpst");
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    const auto reading = Clock::now();
    const std::string command = "readpst -j 0 -q -o '" + out.string() + "' '" + path.string() + "' > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    std::printf("readpst reading the file: %.1f s%s\n", Seconds(reading), status == 0 ? "" : " (failed)");
    std::filesystem::remove_all(out);
    return 0;
}

// Writes a store of many messages the way a conversion does (each message
// saved, durably, on its own) and reports the rate, the bytes written per
// message against the message's own bytes, the peak memory and how long
// readpst takes to read the result. Run by hand in the release build:
//   mapi_store_benchmark [messages=100000] [file=/tmp/mapi-bench.pst]
#include "mapi/Folder.h"
#include "mapi/Message.h"
#include "mapi/Store.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>

using namespace mapi;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kBodyBytes = 4096;       // the plain body, UTF-16
constexpr std::size_t kAttachmentBytes = 16384; // in every tenth message

// Bytes this process has handed to write calls so far (/proc/self/io wchar).
std::uint64_t BytesWritten()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "wchar:")
            return value;
    return 0;
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

} // namespace

int main(int argc, char** argv)
{
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100'000;
    const std::filesystem::path path = argc > 2 ? argv[2] : "/tmp/mapi-bench.pst";
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

    const std::u16string body(kBodyBytes / 2, u'x');
    const Bytes attachment(kAttachmentBytes, 0x5A);
    std::uint64_t ownBytes = 0;
    const std::uint64_t writtenBefore = BytesWritten();
    const auto start = Clock::now();
    auto batchStart = start;
    const std::size_t batch = count >= 10 ? count / 10 : 1;
    std::printf("%-22s %12s %14s\n", "messages", "per second", "peak memory");
    for (std::size_t i = 0; i < count; ++i) {
        CMessage m = folder->CreateMessage();
        const std::u16string subject = u"Weekly report " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        m.SetSubject(subject);
        m.SetSender(u"Anna Sender", u"anna@example.com");
        m.AddRecipient({MAPI_TO, u"Bob Receiver", u"bob@example.com", u"SMTP", {}});
        m.SetTime(PR_MESSAGE_DELIVERY_TIME, FileTimeFromUnixSeconds(1'700'000'000 + static_cast<std::int64_t>(i)));
        m.SetBody(body);
        ownBytes += kBodyBytes + subject.size() * 2;
        if (i % 10 == 0) {
            m.AddAttachment(CAttachment::ByValue(u"report.bin", attachment));
            ownBytes += kAttachmentBytes;
        }
        if (auto saved = m.Save(); !saved.Ok()) {
            std::fprintf(stderr, "message %zu: %s\n", i, saved.Message().c_str());
            return 1;
        }
        if ((i + 1) % batch == 0) {
            std::printf("%9zu - %-10zu %12.0f %11ld KB\n", i + 1 - batch, i + 1,
                        static_cast<double>(batch) / Seconds(batchStart), PeakKilobytes());
            batchStart = Clock::now();
        }
    }
    const double writing = Seconds(start);
    if (auto closed = (*store)->Close(); !closed.Ok()) {
        std::fprintf(stderr, "%s\n", closed.Message().c_str());
        return 1;
    }
    const std::uint64_t written = BytesWritten() - writtenBefore;
    const auto fileSize = std::filesystem::file_size(path);

    std::printf("\n%zu messages in %.1f s: %.0f messages per second\n", count, writing, count / writing);
    std::printf("message's own bytes:        %8.0f per message\n", static_cast<double>(ownBytes) / count);
    std::printf("bytes written to the file:  %8.0f per message (%.1f times its own)\n",
                static_cast<double>(written) / count, static_cast<double>(written) / ownBytes);
    std::printf("file size:                  %8.0f per message (%.1f MB)\n", static_cast<double>(fileSize) / count,
                fileSize / 1e6);
    std::printf("peak memory:                %8ld KB\n", PeakKilobytes());

    const auto out = path.parent_path() / (path.stem().string() + "-readpst");
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    const auto reading = Clock::now();
    const std::string command = "readpst -j 0 -q -o '" + out.string() + "' '" + path.string() + "' > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    std::printf("readpst reading the file:   %8.1f s%s\n", Seconds(reading), status == 0 ? "" : " (failed)");
    std::filesystem::remove_all(out);
    return 0;
}

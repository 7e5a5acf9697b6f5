#include "benchsupport/DiskLimit.h"

#include "benchsupport/ProcessFigures.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace benchsupport {

DiskRun DiskLimit(const std::filesystem::path& path, std::uint64_t total, std::size_t chunks)
{
    using Clock = std::chrono::steady_clock;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return {-1, -1};
    chunks = std::max<std::size_t>(chunks, 1);
    const std::size_t chunk = static_cast<std::size_t>(total / chunks) + 1;
    const std::vector<char> bytes(std::min<std::size_t>(chunk, 1 << 20), 'p');
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    std::uint64_t done = 0;
    for (std::size_t i = 0; i < chunks && done < total; ++i) {
        std::size_t left = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, total - done));
        while (left > 0) {
            const std::size_t n = std::min(left, bytes.size());
            if (::pwrite(fd, bytes.data(), n, static_cast<off_t>(done)) != static_cast<ssize_t>(n))
                break;
            done += n;
            left -= n;
        }
        ::fdatasync(fd);
    }
    DiskRun run{std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpuStart};
    ::close(fd);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return run;
}

} // namespace benchsupport

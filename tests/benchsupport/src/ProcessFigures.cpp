#include "benchsupport/ProcessFigures.h"

#include <fstream>
#include <string>
#include <sys/resource.h>

namespace benchsupport {

namespace {

double Secs(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

} // namespace

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Secs(usage.ru_utime) + Secs(usage.ru_stime);
}

double UserSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Secs(usage.ru_utime);
}

namespace {

std::uint64_t IoField(const char* name)
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == name)
            return value;
    return 0;
}

} // namespace

std::uint64_t DiskBytesWritten()
{
    return IoField("write_bytes:");
}

std::uint64_t DiskBytesCancelled()
{
    return IoField("cancelled_write_bytes:");
}

} // namespace benchsupport

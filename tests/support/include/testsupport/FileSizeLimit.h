// A full disk without a mount: while it lives, no file of the process can
// grow past the limit (RLIMIT_FSIZE). A write beyond it fails with EFBIG, as
// a write to a full file system fails with ENOSPC, and the signal that
// would end the process is ignored.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Set() const { return m_set; }

private:
    rlimit m_before{};
    void (*m_signal)(int) = SIG_DFL;
    bool m_set = false;
};

} // namespace testsupport

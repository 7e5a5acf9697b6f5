// A disk that fills up during a run: at the n-th free-space question of the
// converter (one before every document) the file can no longer grow, as
// when the drive that holds it has no room left. The drive still says it has
// plenty, as a drive that a copy by another program fills meanwhile does.
#pragma once

#include "testsupport/FileSizeLimit.h"
#include "win32/FileApi.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

namespace enginetest {

class FullDiskAt {
public:
    FullDiskAt(std::filesystem::path file, int question)
        : m_state(std::make_shared<State>())
    {
        auto state = m_state;
        win32::SetDiskFreeSpaceHook([state, file, question](LPCWSTR) -> std::optional<ULONGLONG> {
            if (++state->questions == question) {
                std::lock_guard lock(state->mutex);
                std::error_code error;
                const auto size = std::filesystem::file_size(file, error);
                state->limit.emplace(error ? 0 : size);
            }
            return 1ull << 40;
        });
    }
    ~FullDiskAt()
    {
        win32::SetDiskFreeSpaceHook(nullptr);
        std::lock_guard lock(m_state->mutex);
        m_state->limit.reset();
    }
    FullDiskAt(const FullDiskAt&) = delete;
    FullDiskAt& operator=(const FullDiskAt&) = delete;

    // Whether the disk filled up before the run ended.
    bool Filled() const
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->limit.has_value() && m_state->limit->Set();
    }

private:
    struct State {
        std::atomic<int> questions{0};
        std::mutex mutex;
        std::optional<testsupport::FileSizeLimit> limit;
    };
    std::shared_ptr<State> m_state;
};

} // namespace enginetest

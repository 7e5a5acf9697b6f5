// Local time, ticks and Sleep through one clock that tests can replace. The
// virtual clock makes Sleep return at once and moves its time forward.
#pragma once

#include "win32/Types.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace win32 {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point Now() = 0;
    virtual std::chrono::milliseconds SinceStart() = 0;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

class VirtualClock : public Clock {
public:
    explicit VirtualClock(std::chrono::system_clock::time_point start);
    std::chrono::system_clock::time_point Now() override;
    std::chrono::milliseconds SinceStart() override;
    void Sleep(std::chrono::milliseconds duration) override;
    void Advance(std::chrono::milliseconds duration);
    std::chrono::milliseconds TotalSlept();

private:
    std::mutex m_mutex;
    std::chrono::system_clock::time_point m_now;
    std::chrono::milliseconds m_elapsed{0};
    std::chrono::milliseconds m_slept{0};
};

// The host's clock unless a test has set another; null puts the host's back.
void SetClock(std::shared_ptr<Clock> clock);
Clock& CurrentClock();

// A local time as its calendar fields, in the host's time zone.
SYSTEMTIME ToLocalSystemTime(std::chrono::system_clock::time_point when);

} // namespace win32

void GetLocalTime(SYSTEMTIME* time);
void GetSystemTime(SYSTEMTIME* time);
DWORD GetTickCount();
void Sleep(DWORD milliseconds);

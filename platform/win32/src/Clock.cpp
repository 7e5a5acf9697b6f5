#include "win32/Clock.h"

#include "win32/Thread.h"

#include <ctime>
#include <thread>

namespace {

class HostClock : public win32::Clock {
public:
    std::chrono::system_clock::time_point Now() override { return std::chrono::system_clock::now(); }
    std::chrono::milliseconds SinceStart() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now()
                                                                     - m_start);
    }
    void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

std::mutex g_clockMutex;

std::shared_ptr<win32::Clock>& ClockSlot()
{
    static auto* slot = new std::shared_ptr<win32::Clock>(std::make_shared<HostClock>());
    return *slot;
}

std::shared_ptr<win32::Clock> Current()
{
    std::lock_guard lock(g_clockMutex);
    return ClockSlot();
}

SYSTEMTIME FromTm(const std::tm& tm, int milliseconds)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec);
    st.wMilliseconds = static_cast<WORD>(milliseconds);
    return st;
}

int MillisecondsOf(std::chrono::system_clock::time_point when)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
    return static_cast<int>(ms < 0 ? ms + 1000 : ms);
}

} // namespace

namespace win32 {

VirtualClock::VirtualClock(std::chrono::system_clock::time_point start)
    : m_now(start)
{
}

std::chrono::system_clock::time_point VirtualClock::Now()
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

std::chrono::milliseconds VirtualClock::SinceStart()
{
    std::lock_guard lock(m_mutex);
    return m_elapsed;
}

void VirtualClock::Sleep(std::chrono::milliseconds duration)
{
    std::lock_guard lock(m_mutex);
    m_now += duration;
    m_elapsed += duration;
    m_slept += duration;
}

void VirtualClock::Advance(std::chrono::milliseconds duration)
{
    std::lock_guard lock(m_mutex);
    m_now += duration;
    m_elapsed += duration;
}

std::chrono::milliseconds VirtualClock::TotalSlept()
{
    std::lock_guard lock(m_mutex);
    return m_slept;
}

void SetClock(std::shared_ptr<Clock> clock)
{
    std::lock_guard lock(g_clockMutex);
    ClockSlot() = clock ? std::move(clock) : std::make_shared<HostClock>();
}

Clock& CurrentClock()
{
    // The slot keeps the clock alive; a clock is replaced only between runs.
    return *Current();
}

SYSTEMTIME ToLocalSystemTime(std::chrono::system_clock::time_point when)
{
    std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm = {};
    localtime_r(&t, &tm);
    return FromTm(tm, MillisecondsOf(when));
}

} // namespace win32

void GetLocalTime(SYSTEMTIME* time)
{
    *time = win32::ToLocalSystemTime(Current()->Now());
}

void GetSystemTime(SYSTEMTIME* time)
{
    auto when = Current()->Now();
    std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm = {};
    gmtime_r(&t, &tm);
    *time = FromTm(tm, MillisecondsOf(when));
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(Current()->SinceStart().count());
}

void Sleep(DWORD milliseconds)
{
    // A thread that was suspended or terminated meanwhile stops on waking.
    win32::ThreadSafePoint();
    Current()->Sleep(std::chrono::milliseconds(milliseconds));
    win32::ThreadSafePoint();
}

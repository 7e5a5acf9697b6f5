#include "UnitGate.h"

namespace enginetest {

UnitGate::UnitGate(std::shared_ptr<win32::VirtualClock> time)
    : m_time(std::move(time))
{
}

std::chrono::system_clock::time_point UnitGate::Now()
{
    return m_time->Now();
}

std::chrono::milliseconds UnitGate::SinceStart()
{
    return m_time->SinceStart();
}

void UnitGate::Sleep(std::chrono::milliseconds duration)
{
    {
        std::unique_lock lock(m_mutex);
        if (m_closed && !m_free.count(std::this_thread::get_id())) {
            ++m_entered;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return !m_closed || m_permits > 0; });
            if (m_closed)
                --m_permits;
        }
    }
    m_time->Sleep(duration);
}

void UnitGate::AddFreeThread(std::thread::id thread)
{
    std::lock_guard lock(m_mutex);
    m_free.insert(thread);
}

void UnitGate::Close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
}

void UnitGate::Let(int count)
{
    std::lock_guard lock(m_mutex);
    m_permits += count;
    m_changed.notify_all();
}

void UnitGate::Open()
{
    std::lock_guard lock(m_mutex);
    m_closed = false;
    m_changed.notify_all();
}

int UnitGate::Entered()
{
    std::lock_guard lock(m_mutex);
    return m_entered;
}

bool UnitGate::WaitForEntered(int count)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return m_entered >= count; });
}

} // namespace enginetest

// A clock for runs whose worker must stand at a known point: while the gate
// is closed, every Sleep of a thread other than the ones named free waits
// for the test to let it through. The stand-in converter's unit of work is
// one Sleep, so the test decides when each unit ends. Time itself is the
// virtual clock's.
#pragma once

#include "win32/Clock.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace enginetest {

class UnitGate : public win32::Clock {
public:
    explicit UnitGate(std::shared_ptr<win32::VirtualClock> time);

    std::chrono::system_clock::time_point Now() override;
    std::chrono::milliseconds SinceStart() override;
    void Sleep(std::chrono::milliseconds duration) override;

    // Threads whose Sleep never waits.
    void AddFreeThread(std::thread::id thread);
    // From now on Sleeps wait for permits.
    void Close();
    // Lets count waiting or coming Sleeps through.
    void Let(int count = 1);
    // Lets every Sleep through, now and from now on.
    void Open();
    // The number of Sleeps that reached the gate while it was closed.
    int Entered();
    // Waits (in real time) until that number reaches count.
    bool WaitForEntered(int count);

private:
    std::shared_ptr<win32::VirtualClock> m_time;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::thread::id> m_free;
    bool m_closed = false;
    int m_permits = 0;
    int m_entered = 0;
};

} // namespace enginetest

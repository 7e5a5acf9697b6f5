// A recursive lock for state that the drawing and window calls share (the
// window manager's records, GDI's handle table, the font engine). A paint
// takes such locks a few hundred times, nearly always without a rival, and
// a pthread mutex spends some fifty instructions a round trip where this
// spends a handful: one compare-and-swap to take it, one exchange to give
// it up.
// A thread that finds it held spins briefly, then sleeps on a futex (through
// std::atomic::wait) until the holder lets go.
#pragma once

#include <atomic>
#include <cstdint>
#include <pthread.h>

namespace win32 {

class RecursiveLock {
public:
    void lock()
    {
        const void* me = Me();
        if (m_owner.load(std::memory_order_relaxed) == me) {
            ++m_depth; // only its owner sees its own mark here
            return;
        }
        std::uint32_t free = kFree;
        if (!m_state.compare_exchange_strong(free, kHeld, std::memory_order_acquire, std::memory_order_relaxed))
            Contend();
        m_owner.store(me, std::memory_order_relaxed);
        m_depth = 1;
    }

    bool try_lock()
    {
        const void* me = Me();
        if (m_owner.load(std::memory_order_relaxed) == me) {
            ++m_depth;
            return true;
        }
        std::uint32_t free = kFree;
        if (!m_state.compare_exchange_strong(free, kHeld, std::memory_order_acquire, std::memory_order_relaxed))
            return false;
        m_owner.store(me, std::memory_order_relaxed);
        m_depth = 1;
        return true;
    }

    void unlock()
    {
        if (--m_depth > 0)
            return;
        m_owner.store(nullptr, std::memory_order_relaxed);
        if (m_state.exchange(kFree, std::memory_order_release) == kWaited)
            m_state.notify_one();
    }

private:
    static constexpr std::uint32_t kFree = 0;
    static constexpr std::uint32_t kHeld = 1;
    static constexpr std::uint32_t kWaited = 2; // held, and someone may sleep on it

    // The calling thread, the same in every library of the process.
    static const void* Me() { return reinterpret_cast<const void*>(pthread_self()); }

    void Contend()
    {
        for (int spin = 0; spin < 64; ++spin) {
            std::uint32_t free = kFree;
            if (m_state.load(std::memory_order_relaxed) == kFree &&
                m_state.compare_exchange_weak(free, kHeld, std::memory_order_acquire, std::memory_order_relaxed))
                return;
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
        // Marked as waited for, so that its unlock wakes a sleeper; taken
        // when the exchange finds it free.
        while (m_state.exchange(kWaited, std::memory_order_acquire) != kFree)
            m_state.wait(kWaited, std::memory_order_relaxed);
    }

    std::atomic<std::uint32_t> m_state{kFree};
    std::atomic<const void*> m_owner{nullptr};
    int m_depth = 0; // read and written by the owner alone
};

} // namespace win32

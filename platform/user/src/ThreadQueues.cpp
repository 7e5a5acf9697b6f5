// The queue of every thread that owns windows, and the carrying of calls to
// the thread that owns a window.
#include "WindowData.h"

#include "ProcessorSharing.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace user::detail {

namespace {

// How long a thread that was just sent to, or that waits for the answer to
// its own sent message, spins before it sleeps: at most its budget's
// ceiling (see ThreadQueue); at least a few checks. The budget between them
// adapts to what the spins found lately.
constexpr std::int64_t kMinSpinNs = 1'000;
// A thread that served no message from another thread for this long sleeps at once.
constexpr std::int64_t kBurstGapNs = 2'000'000;

std::int64_t SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Gives the processor to any other thread that is ready, so that a spin
// on a busy machine does not keep the thread it waits for from running. (A
// spin that only paused the processor for its first microseconds answered
// faster on a quiet machine but slower, past 8 us, on a loaded one.)
void CpuRelax()
{
    sched_yield();
}

// Learns from how long a wait took in the end (spun, or spun and slept):
// what a spin of the longest budget would have caught grows the budget to
// well above it; a few longer waits in a row halve it. A spin that times
// out teaches nothing by itself, so a budget that shrank grows again as
// soon as answers come quickly again.
constexpr int kLongWaitsBeforeShrinking = 3;

void LearnSpin(SpinBudget& budget, std::int64_t waited)
{
    if (waited <= budget.longest) {
        budget.longWaits = 0;
        budget.ns = std::min(budget.longest, std::max({budget.ns * 2, waited + waited / 2, kMinSpinNs}));
    } else if (++budget.longWaits >= kLongWaitsBeforeShrinking) {
        budget.longWaits = 0;
        budget.ns = std::max(budget.ns / 2, kMinSpinNs);
    }
}

// Spins until done() or the queue's arrivals move past seen, for at most
// budget nanoseconds from start.
template <typename Done>
bool Spin(ThreadQueue& queue, std::uint64_t seen, std::int64_t start, SpinBudget& budget, Done done)
{
    if (budget.ns == 0)
        budget.ns = budget.longest;
    for (std::int64_t now = start;; now = SteadyNs()) {
        if (done() || queue.arrivals.load(std::memory_order_acquire) != seen) {
            LearnSpin(budget, now - start);
            return true;
        }
        if (now - start >= budget.ns)
            return false;
        CpuRelax();
    }
}

// Ends a thread's queue with the thread: calls still waiting for it are
// released with 0, as for a window that no longer exists.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder()
    {
        if (!queue)
            return;
        EndSharing(*queue);
        std::deque<std::shared_ptr<SentMessage>> pending;
        {
            std::lock_guard lock(queue->mutex);
            queue->alive = false;
            ReleaseSharers(*queue);
            pending.swap(queue->sent);
        }
        for (auto& message : pending) {
            std::lock_guard lock(message->sender->mutex);
            message->done.store(true, std::memory_order_release);
            NotifyArrival(*message->sender);
        }
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        manager.queues.erase(queue->threadId);
    }
};

thread_local QueueHolder t_queue;

} // namespace

WindowManager& WindowManager::Get()
{
    static auto* manager = new WindowManager; // outlives the exit handlers
    return *manager;
}

namespace {

// The windows a thread found lately, each as of a count of removals. A paint
// asks for the same few windows dozens of times; the table's lock, shared
// with every other thread that makes window calls, is taken only for a
// window not found since the last one was taken out. Weak, so that a
// destroyed window's data does not live on in another thread's record.
// Handles are consecutive, so a dialog and its controls (a few dozen
// windows made one after another) each have an entry of their own.
struct FoundWindow {
    HWND hwnd = nullptr;
    std::uint64_t removals = 0;
    std::weak_ptr<WindowData> window;
};
thread_local std::array<FoundWindow, 64> t_found;

} // namespace

std::shared_ptr<WindowData> WindowManager::Find(HWND hwnd)
{
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(hwnd);
    const std::uintptr_t slot = (value - kFirstHandle) / 2; // far beyond the table below the first handle
    if (value % 2 != kFirstHandle % 2)
        return nullptr;
    FoundWindow& found = t_found[slot % t_found.size()];
    // A window taken out before this call began counted its removal first
    // (release, under the lock), so a record made before that removal no
    // longer matches here.
    if (found.hwnd == hwnd && found.removals == m_removals.load(std::memory_order_acquire)) {
        if (auto window = found.window.lock())
            return window;
    }
    std::lock_guard lock(mutex);
    auto window = slot < m_slots.size() ? m_slots[slot] : nullptr;
    if (window)
        found = {hwnd, m_removals.load(std::memory_order_relaxed), window};
    return window;
}

void WindowManager::Add(const std::shared_ptr<WindowData>& window)
{
    std::lock_guard lock(mutex);
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(window->handle);
    const std::size_t slot = (value - kFirstHandle) / 2;
    if (m_slots.size() <= slot)
        m_slots.resize(slot + 1);
    m_slots[slot] = window;
    windows[value] = window;
}

void WindowManager::Remove(HWND hwnd)
{
    std::lock_guard lock(mutex);
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(hwnd);
    windows.erase(value);
    const std::uintptr_t slot = (value - kFirstHandle) / 2;
    if (value % 2 == kFirstHandle % 2 && slot < m_slots.size())
        m_slots[slot] = nullptr;
    m_removals.fetch_add(1, std::memory_order_release);
}

std::shared_ptr<ThreadQueue> CurrentQueue()
{
    if (!t_queue.queue) {
        auto queue = std::make_shared<ThreadQueue>();
        queue->threadId = ::GetCurrentThreadId();
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        manager.queues[queue->threadId] = queue;
        t_queue.queue = queue;
    }
    return t_queue.queue;
}

std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto it = manager.queues.find(threadId);
    return it == manager.queues.end() ? nullptr : it->second.lock();
}

bool IsOnThisThread(const WindowData& window)
{
    if (!t_queue.queue)
        CurrentQueue();
    return window.queue == t_queue.queue; // no copy of the queue's pointer: asked on every send
}

namespace {

// Counts an arrival under the queue's lock; true when the queue's thread
// sleeps and must be woken. Woken after the lock is let go, the thread does
// not wake only to wait for that lock.
bool MarkArrival(ThreadQueue& queue)
{
    queue.arrivals.fetch_add(1, std::memory_order_release);
    queue.wakeWord.fetch_add(1, std::memory_order_release);
    return queue.sleeping;
}

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t) &&
              std::atomic<std::uint32_t>::is_always_lock_free, "the wake word is a plain 32-bit word for futex(2)");

std::uint32_t* FutexWord(ThreadQueue& queue)
{
    return reinterpret_cast<std::uint32_t*>(&queue.wakeWord);
}

void Wake(ThreadQueue& queue)
{
    syscall(SYS_futex, FutexWord(queue), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

} // namespace

void NotifyArrival(ThreadQueue& queue)
{
    // Only the queue's own thread sleeps on it, and it says so under the
    // lock that the caller holds: no wake-up is lost, and none is paid for
    // while the thread runs or spins.
    if (MarkArrival(queue))
        Wake(queue);
}

void SleepOnQueueNs(ThreadQueue& queue, std::unique_lock<std::mutex>& lock, std::int64_t timeoutNs)
{
    // The word is read under the lock: an arrival after this moves it on,
    // and the sleep below then returns at once.
    const std::uint32_t seen = queue.wakeWord.load(std::memory_order_acquire);
    queue.sleeping = true;
    lock.unlock();
    timespec timeout{};
    if (timeoutNs >= 0) {
        timeout.tv_sec = static_cast<time_t>(timeoutNs / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(timeoutNs % 1'000'000'000);
    }
    syscall(SYS_futex, FutexWord(queue), FUTEX_WAIT_PRIVATE, seen, timeoutNs >= 0 ? &timeout : nullptr, nullptr, 0);
    lock.lock();
    queue.sleeping = false;
}

bool SpinForArrival(ThreadQueue& queue, std::uint64_t seen)
{
    const std::int64_t now = SteadyNs();
    queue.arrivalSpinStartNs = 0;
    if (now - queue.lastServedNs.load(std::memory_order_relaxed) > kBurstGapNs)
        return false;
    if (Spin(queue, seen, now, queue.arrivalSpin, [] { return false; }))
        return true;
    queue.arrivalSpinStartNs = now;
    return false;
}

void AfterSleepForArrival(ThreadQueue& queue)
{
    if (queue.arrivalSpinStartNs == 0)
        return;
    LearnSpin(queue.arrivalSpin, SteadyNs() - queue.arrivalSpinStartNs);
    queue.arrivalSpinStartNs = 0;
}

bool ServeSentMessages(const std::shared_ptr<ThreadQueue>& queue)
{
    bool served = false;
    for (;;) {
        std::shared_ptr<SentMessage> message;
        {
            std::lock_guard lock(queue->mutex);
            if (queue->sent.empty())
                return served;
            message = queue->sent.front();
            queue->sent.pop_front();
            ++queue->serving;
        }
        served = true;
        // The sender is released whatever happens here, even when the call
        // ends this thread's work with an exception.
        struct Release {
            const std::shared_ptr<ThreadQueue>& queue;
            SentMessage& message;
            ~Release()
            {
                {
                    std::lock_guard lock(queue->mutex);
                    --queue->serving;
                }
                if (message.sender != queue)
                    queue->lastServedNs.store(SteadyNs(), std::memory_order_relaxed);
                // The answer is given before the sender's lock is taken: a
                // sender that spins for it goes on at once instead of
                // waiting for that lock. One that checks under the lock
                // before it sleeps either sees the answer or is seen asleep
                // here, so no wake-up is lost.
                message.done.store(true, std::memory_order_release);
                bool asleep = false;
                {
                    std::lock_guard lock(message.sender->mutex);
                    asleep = MarkArrival(*message.sender);
                }
                if (asleep)
                    Wake(*message.sender);
            }
        } release{queue, *message};
        message->result = message->call();
    }
}

LRESULT RunOnOwner(HWND hwnd, const std::function<LRESULT()>& call)
{
    // Every call that reaches a window's procedure passes here: the safe
    // point of the window calls, where a suspended worker parks.
    win32::ThreadSafePoint();
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return 0;
    auto self = CurrentQueue();
    auto target = window->queue;
    if (target == self)
        return call();

    auto message = std::make_shared<SentMessage>();
    message->call = call;
    message->sender = self;
    bool asleep = false;
    {
        std::lock_guard lock(target->mutex);
        if (!target->alive)
            return 0;
        target->sent.push_back(message);
        asleep = MarkArrival(*target);
    }
    if (asleep)
        Wake(*target);
    NoteSendTo(*self, target);
    // A short call is answered before a sleep would even begin, when the
    // owner was awake to take it. An owner that had to be woken first takes
    // longer than a spin lasts here (its wake-up is a context switch on a
    // processor of its own), so the sender sleeps at once rather than burn
    // the processor and then sleep all the same.
    const std::int64_t sentAt = SteadyNs();
    if (!asleep && Spin(*self, self->arrivals.load(std::memory_order_acquire), sentAt, self->replySpin,
             [&] { return message->done.load(std::memory_order_acquire); }) &&
        message->done.load(std::memory_order_acquire)) {
        // Answered while spinning. The answering thread keeps its own hold
        // on the message while it finishes with this thread's queue.
        return message->result;
    }
    std::unique_lock lock(self->mutex);
    bool slept = false;
    while (!message->done.load(std::memory_order_acquire)) {
        if (!self->sent.empty()) {
            lock.unlock();
            ServeSentMessages(self);
            lock.lock();
            continue;
        }
        SleepOnQueue(*self, lock);
        slept = true;
    }
    if (slept)
        LearnSpin(self->replySpin, SteadyNs() - sentAt);
    return message->result;
}

} // namespace user::detail

BOOL InSendMessage()
{
    auto queue = user::detail::CurrentQueue();
    std::lock_guard lock(queue->mutex);
    return queue->serving > 0;
}

#include "ProcessorSharing.h"

#include <algorithm>
#include <sched.h>

namespace user::detail {

namespace {

// A few messages may be sent to a thread now and then without tying the
// two together; a run of them (a worker's progress, four per item) does.
constexpr int kSendsBeforeSharing = 64;

bool Pin(pid_t thread, int cpu)
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    return sched_setaffinity(thread, sizeof one, &one) == 0;
}

// Gives a partner that no thread shares any more its own processors back
// (its lock held).
void Untie(ThreadQueue& partner)
{
    partner.sharedCpu = -1;
    if (partner.maskKept)
        (void)sched_setaffinity(static_cast<pid_t>(partner.threadId), sizeof partner.keptMask, &partner.keptMask);
    partner.maskKept = false;
}

} // namespace

void NoteSendTo(ThreadQueue& self, const std::shared_ptr<ThreadQueue>& target)
{
    using Sharing = ThreadQueue::Sharing;
    if (self.sharing == Sharing::Never)
        return;
    if (self.sharing == Sharing::Sharing) {
        // Still sharing while the partner lives; its end gave this thread
        // its processors back, and another run of sends may tie it again.
        auto partner = self.sharesWith.lock();
        if (partner == target)
            return;
        if (partner) {
            std::lock_guard lock(partner->mutex);
            if (partner->alive)
                return; // tied to that thread while it lives
        }
        self.sharing = Sharing::Counting;
        self.sharesWith.reset();
    }
    if (self.countingFor != target.get()) {
        self.countingFor = target.get();
        self.sendsToIt = 0;
    }
    if (++self.sendsToIt < kSendsBeforeSharing)
        return;
    self.sendsToIt = 0;
    ThreadQueue::Sharer me{&self, static_cast<pid_t>(self.threadId), false, {}};
    me.maskKept = sched_getaffinity(0, sizeof me.keptMask, &me.keptMask) == 0;
    const int here = sched_getcpu();
    if (!me.maskKept || here < 0 || CPU_COUNT(&me.keptMask) <= 1) {
        self.sharing = Sharing::Never;
        return;
    }
    // Under the partner's lock: its end, which gives every sharer its mask
    // back, comes wholly before or wholly after this.
    std::lock_guard lock(target->mutex);
    if (!target->alive)
        return;
    const int cpu = target->sharers.empty() ? here : target->sharedCpu;
    if (!CPU_ISSET(cpu, &me.keptMask))
        return; // a processor this thread may not use
    if (target->sharers.empty()) {
        target->maskKept = sched_getaffinity(static_cast<pid_t>(target->threadId), sizeof target->keptMask,
                                             &target->keptMask) == 0;
        // The partner's thread is alive while its queue is (its end takes
        // this lock), so its id names it.
        if (!target->maskKept || !Pin(static_cast<pid_t>(target->threadId), cpu))
            return;
        target->sharedCpu = cpu;
    }
    if (!Pin(0, cpu)) {
        if (target->sharers.empty())
            Untie(*target); // tied for this thread alone
        return;
    }
    target->sharers.push_back(me);
    self.sharing = Sharing::Sharing;
    self.sharesWith = target;
}

void EndSharing(ThreadQueue& self)
{
    auto target = self.sharesWith.lock();
    if (!target)
        return;
    self.sharesWith.reset();
    std::lock_guard lock(target->mutex);
    auto& sharers = target->sharers;
    const auto it = std::find_if(sharers.begin(), sharers.end(), [&](const auto& s) { return s.queue == &self; });
    if (it == sharers.end())
        return;
    sharers.erase(it);
    if (!sharers.empty() || !target->alive)
        return;
    Untie(*target);
}

void ReleaseSharers(ThreadQueue& queue)
{
    // Each sharer is alive: one that ends takes itself out under this lock.
    for (const auto& sharer : queue.sharers) {
        if (sharer.maskKept)
            sched_setaffinity(sharer.tid, sizeof sharer.keptMask, &sharer.keptMask);
    }
    queue.sharers.clear();
    queue.sharedCpu = -1;
}

} // namespace user::detail

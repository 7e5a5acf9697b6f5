// A thread that keeps sending to the windows of another thread runs on the
// same processor as that thread. A sent message hands the processor from
// one thread to the other and back; on two processors each hand-off wakes
// an idle one, which costs far more than the switch between two threads of
// one processor (on a virtual machine above all), and each side loses its
// warm caches. Only where the threads run changes, never what they do.
#pragma once

#include "WindowData.h"

#include <memory>

namespace user::detail {

// Counts a message sent from this thread's queue to target's thread; the
// send that makes the pair's count reach the threshold puts both threads
// on one processor (the one target shares already, else the sender's).
void NoteSendTo(ThreadQueue& self, const std::shared_ptr<ThreadQueue>& target);

// The sending thread ends (its queue is self): its partner gets back the
// processors it had once no other thread shares its processor.
void EndSharing(ThreadQueue& self);

// The partner's thread ends (its queue is queue, no longer alive, its lock
// held): every thread that shared its processor gets its own back.
void ReleaseSharers(ThreadQueue& queue);

} // namespace user::detail

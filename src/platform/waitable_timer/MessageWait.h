#pragma once
// The message wait, in place of MsgWaitForMultipleObjects on one timer with every kind of input:
// sleeps until the timer fires, a message is posted to the thread's queue, or the worker running
// on the calling thread is stopped. It never spins.

#include <chrono>

#include "platform/waitable_timer/ThreadMessageQueue.h"
#include "platform/waitable_timer/WaitableTimer.h"

namespace velloran::platform {

enum class WaitOutcome {
    TimerFired,      // the timer fired (or, without a timer, the deadline passed)
    MessageWaiting,  // something was posted to the queue
    Stopped,         // the calling worker has been asked to stop
};

// `timer` and `queue` may each be missing (the system could not make them). Without a timer the
// wait ends at `deadline` on the monotonic clock instead; without a queue no message can arrive.
// With neither descriptor, or if the system wait itself fails, the rest of the time is slept on a
// condition variable that the stop wakes. Either way the thread sleeps, and never past the
// deadline on account of a failure.
WaitOutcome WaitForTimerOrMessage(WaitableTimer* timer, ThreadMessageQueue* queue,
                                  std::chrono::steady_clock::time_point deadline);

}  // namespace velloran::platform

#include "platform/waitable_timer/MessageWait.h"

#include <poll.h>

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <stop_token>

#include "platform/win_threads/WorkerThread.h"

namespace velloran::platform {
namespace {

using Clock = std::chrono::steady_clock;

// The last resort when no descriptor can be waited on: sleep out the time, waking for a stop.
WaitOutcome SleepUntil(Clock::time_point deadline) {
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    wakeUp.wait_until(lock, CurrentStopToken(), deadline, [] { return false; });
    return CurrentWorkerStopped() ? WaitOutcome::Stopped : WaitOutcome::TimerFired;
}

// Milliseconds left until the deadline, rounded up so that a wait never ends just short of it
// and then turns into a run of zero-length polls.
int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace

WaitOutcome WaitForTimerOrMessage(WaitableTimer* timer, ThreadMessageQueue* queue, Clock::time_point deadline) {
    if (CurrentWorkerStopped()) return WaitOutcome::Stopped;
    // Without the queue's descriptor nothing could wake the poll for a stop.
    if (queue == nullptr) return SleepUntil(deadline);

    // Registered before anything else and destroyed last, with no lock held: a stop raised on
    // another thread wakes the poll through the queue's descriptor.
    std::stop_callback wakeOnStop(CurrentStopToken(), [queue]() noexcept { queue->Wake(); });

    pollfd fds[2] = {{queue->WakeDescriptor(), POLLIN, 0}, {timer ? timer->Descriptor() : -1, POLLIN, 0}};
    const nfds_t count = timer ? 2 : 1;
    for (;;) {
        if (CurrentWorkerStopped()) return WaitOutcome::Stopped;
        int timeout = -1;
        if (timer == nullptr) {
            timeout = MillisecondsLeft(deadline);
            if (timeout == 0) return WaitOutcome::TimerFired;
        }
        fds[0].revents = fds[1].revents = 0;
        const int ready = ::poll(fds, count, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return SleepUntil(deadline);
        }
        if (CurrentWorkerStopped()) return WaitOutcome::Stopped;
        if (timer != nullptr && (fds[1].revents & POLLIN) && timer->TakeSignal()) return WaitOutcome::TimerFired;
        if (fds[0].revents & POLLIN) {
            queue->ClearWake();
            if (CurrentWorkerStopped()) return WaitOutcome::Stopped;
            return WaitOutcome::MessageWaiting;
        }
        if ((fds[0].revents | fds[1].revents) & (POLLERR | POLLHUP | POLLNVAL)) return SleepUntil(deadline);
    }
}

}  // namespace velloran::platform

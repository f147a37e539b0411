#include "monitor/PumpingDelay.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "platform/waitable_timer/MessageWait.h"
#include "platform/waitable_timer/ThreadMessageQueue.h"
#include "platform/waitable_timer/WaitableTimer.h"

namespace velloran {

std::int64_t MillisecondsPerDelayUnit(std::optional<std::int32_t> unit) {
    switch (unit.value_or(0)) {
        case 0: return 1;
        case 1: return 1000;
        case 2: return 60000;
        case 3: return 3600000;
        default: return *unit;
    }
}

std::int64_t DelayDueTime(std::int32_t amount, std::optional<std::int32_t> unit) {
    const double due = static_cast<double>(amount) * static_cast<double>(MillisecondsPerDelayUnit(unit)) * -10000.0;
    // Converting a double outside the int64 range is undefined; a huge delay is held at the end.
    constexpr double kLimit = 9.2e18;
    if (due <= -kLimit) return -static_cast<std::int64_t>(kLimit);
    if (due >= kLimit) return static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(due);
}

bool PumpingDelay(std::int32_t amount, std::optional<std::int32_t> unit) {
    using Clock = std::chrono::steady_clock;
    const std::int64_t due = DelayDueTime(amount, unit);

    // The same length on the monotonic clock, for when there is no timer. Held below a century so
    // that adding it to the clock cannot overflow.
    constexpr std::int64_t kCentury100ns = 100LL * 365 * 24 * 3600 * 10'000'000;
    const std::int64_t relative100ns = due < 0 ? std::min(-due, kCentury100ns) : 0;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(relative100ns * 100));

    std::optional<platform::WaitableTimer> timer = platform::WaitableTimer::Create();
    platform::WaitableTimer* armed = (timer && timer->Set(due)) ? &*timer : nullptr;
    const std::shared_ptr<platform::ThreadMessageQueue> queue = platform::CurrentThreadMessageQueue();

    while (platform::WaitForTimerOrMessage(armed, queue.get(), deadline) == platform::WaitOutcome::MessageWaiting) {
        queue->DispatchPending();
    }
    return true;
}

}  // namespace velloran

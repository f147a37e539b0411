#include "platform/waitable_timer/WaitableTimer.h"

#include <sys/timerfd.h>

#include <cerrno>
#include <ctime>

namespace velloran::platform {

std::optional<WaitableTimer> WaitableTimer::Create() {
    UniqueFd fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    return WaitableTimer(std::move(fd));
}

bool WaitableTimer::Set(std::int64_t dueTime100ns) {
    itimerspec spec{};
    if (dueTime100ns < 0) {
        // -dueTime100ns cannot overflow: the smallest int64 is excluded by clamping below.
        const std::int64_t relative = dueTime100ns == INT64_MIN ? INT64_MAX : -dueTime100ns;
        spec.it_value.tv_sec = static_cast<time_t>(relative / 10'000'000);
        spec.it_value.tv_nsec = static_cast<long>((relative % 10'000'000) * 100);
    }
    // A zero it_value would disarm the timer; the shortest relative expiry fires at once instead.
    if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0) spec.it_value.tv_nsec = 1;
    return ::timerfd_settime(fd_.Get(), 0, &spec, nullptr) == 0;
}

bool WaitableTimer::TakeSignal() {
    std::uint64_t expirations = 0;
    for (;;) {
        const ssize_t n = ::read(fd_.Get(), &expirations, sizeof expirations);
        if (n == static_cast<ssize_t>(sizeof expirations)) return expirations > 0;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

}  // namespace velloran::platform

#pragma once
// An unnamed, auto-reset, one-shot timer on the monotonic clock, in place of the Windows waitable
// timer. Its descriptor becomes readable when the timer fires; reading it resets the timer.

#include <cstdint>
#include <optional>

#include "platform/waitable_timer/UniqueFd.h"

namespace velloran::platform {

class WaitableTimer {
public:
    // The timer, or nothing when the system cannot make one (for example out of descriptors).
    static std::optional<WaitableTimer> Create();

    // Arms the timer. A negative due time is relative, in 100-nanosecond units, as Windows has it;
    // zero or a positive due time (an absolute time, always in the past here) fires at once.
    // False when the system refuses.
    bool Set(std::int64_t dueTime100ns);

    // Consumes a pending expiry; true when the timer had fired.
    bool TakeSignal();

    int Descriptor() const noexcept { return fd_.Get(); }

private:
    explicit WaitableTimer(UniqueFd fd) noexcept : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

}  // namespace velloran::platform

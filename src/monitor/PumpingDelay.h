#pragma once
// The pause between check rounds: sleeps on the calling thread while dispatching that thread's own
// messages, and ends at once when the worker running on it is stopped.

#include <cstdint>
#include <optional>

namespace velloran {

// Milliseconds per amount unit: absent or 0 ms, 1 s, 2 min, 3 h; any other unit value is itself
// the number of milliseconds per amount unit.
std::int64_t MillisecondsPerDelayUnit(std::optional<std::int32_t> unit);

// The relative due time of the timer in 100-nanosecond units (negative = relative), computed in
// double precision. Values beyond the 64-bit range are held at its ends instead of overflowing.
std::int64_t DelayDueTime(std::int32_t amount, std::optional<std::int32_t> unit);

// Waits amount x unit milliseconds; a zero or negative product returns after one look at the
// messages. If the timer cannot be made or set, the same length is measured on the monotonic
// clock; if not even the message wait can be set up, the thread sleeps out the time without
// dispatching. A stop of the calling worker ends the wait at once. Always true.
bool PumpingDelay(std::int32_t amount, std::optional<std::int32_t> unit = std::nullopt);

}  // namespace velloran

#pragma once
// Polls a condition until it holds, for at most `limit`: the bound every waiting loop of the
// monitor tests has.

#include <chrono>
#include <functional>
#include <thread>

namespace velloran::testing {

inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace velloran::testing

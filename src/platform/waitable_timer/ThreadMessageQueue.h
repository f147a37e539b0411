#pragma once
// A thread's own message queue, in place of the Windows thread message queue: any thread may post
// to it, only its owner thread takes messages out and runs them. Its wake-up descriptor becomes
// readable whenever something is posted, so the owner can sleep in a message wait.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/waitable_timer/UniqueFd.h"

namespace velloran::platform {

// The quit message: a dispatch stops in front of it and leaves it in the queue.
inline constexpr std::uint32_t kQuitMessage = 0x0012;

struct ThreadMessage {
    std::uint32_t id = 0;
    std::function<void()> handler;  // run by the owner thread when dispatched; may be empty
};

class ThreadMessageQueue {
public:
    // A queue, or nothing when its wake-up descriptor cannot be made.
    static std::shared_ptr<ThreadMessageQueue> Create();

    // Any thread. False when the queue could not take the message.
    bool Post(ThreadMessage message);

    // Owner thread only: removes and runs the waiting messages in order, up to a quit message,
    // which stays. Messages posted by a handler wait for the next dispatch, so one call ends.
    // Returns the number of messages run.
    std::size_t DispatchPending();

    // True when the first waiting message is the quit message.
    bool QuitWaiting();
    std::size_t PendingCount();

    // Readable when a message has been posted or Wake() was called since the last ClearWake().
    int WakeDescriptor() const noexcept { return wake_.Get(); }
    void Wake() noexcept;
    void ClearWake() noexcept;

    explicit ThreadMessageQueue(UniqueFd wake) noexcept : wake_(std::move(wake)) {}

private:
    std::mutex mutex_;
    std::deque<ThreadMessage> messages_;
    UniqueFd wake_;
};

// The calling thread's own queue, made on first use and kept until the thread ends; nothing when it
// cannot be made (then it is tried again on the next call).
std::shared_ptr<ThreadMessageQueue> CurrentThreadMessageQueue();

}  // namespace velloran::platform

#include "platform/waitable_timer/ThreadMessageQueue.h"

#include <sys/eventfd.h>

#include <cerrno>

namespace velloran::platform {

std::shared_ptr<ThreadMessageQueue> ThreadMessageQueue::Create() {
    UniqueFd wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!wake.Valid()) return nullptr;
    return std::make_shared<ThreadMessageQueue>(std::move(wake));
}

bool ThreadMessageQueue::Post(ThreadMessage message) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(std::move(message));
    }
    Wake();
    return true;
}

std::size_t ThreadMessageQueue::DispatchPending() {
    std::deque<ThreadMessage> batch;
    {
        std::lock_guard lock(mutex_);
        while (!messages_.empty() && messages_.front().id != kQuitMessage) {
            batch.push_back(std::move(messages_.front()));
            messages_.pop_front();
        }
    }
    // Handlers run without the lock, so they may post to this queue themselves.
    for (auto& message : batch) {
        if (message.handler) message.handler();
    }
    return batch.size();
}

bool ThreadMessageQueue::QuitWaiting() {
    std::lock_guard lock(mutex_);
    return !messages_.empty() && messages_.front().id == kQuitMessage;
}

std::size_t ThreadMessageQueue::PendingCount() {
    std::lock_guard lock(mutex_);
    return messages_.size();
}

void ThreadMessageQueue::Wake() noexcept {
    const std::uint64_t one = 1;
    // A full counter already means "readable"; nothing else can go wrong that a retry would mend.
    while (::write(wake_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void ThreadMessageQueue::ClearWake() noexcept {
    std::uint64_t count = 0;
    while (::read(wake_.Get(), &count, sizeof count) < 0 && errno == EINTR) {
    }
}

std::shared_ptr<ThreadMessageQueue> CurrentThreadMessageQueue() {
    thread_local std::shared_ptr<ThreadMessageQueue> queue;
    if (!queue) queue = ThreadMessageQueue::Create();
    return queue;
}

}  // namespace velloran::platform

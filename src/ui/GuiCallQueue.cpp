#include "ui/GuiCallQueue.h"

#include <QMetaObject>

namespace velloran {

GuiCallQueue::~GuiCallQueue() {
    std::deque<std::function<void()>> discarded;
    {
        std::lock_guard lock(mutex_);
        discarded.swap(pending_);
    }
    // Destroyed outside the lock: a discarded call releases whoever waits for it.
}

void GuiCallQueue::Post(std::function<void()> call) {
    bool ring = false;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(call));
        ring = pending_.size() == 1;  // otherwise a RunPending is already on its way
    }
    if (ring) {
        QMetaObject::invokeMethod(this, "RunPending", Qt::QueuedConnection);
    }
}

void GuiCallQueue::RunPending() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(pending_);
    }
    for (std::function<void()>& call : batch) {
        call();
        call = nullptr;  // release what it holds as soon as it has run
    }
}

}  // namespace velloran

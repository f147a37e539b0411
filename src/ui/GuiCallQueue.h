#pragma once
// The calls that other threads hand to the GUI thread, in the order they were made.
//
// The calls themselves travel through a queue of our own under a std::mutex, and Qt only rings a
// bell on the GUI thread (a queued invocation that carries no data). So the hand-over of every
// call is ordered by a lock that the code reading it can see, thread checkers included.

#include <deque>
#include <functional>
#include <mutex>

#include <QObject>

namespace velloran {

class GuiCallQueue : public QObject {
    Q_OBJECT

public:
    // Runs its calls on the thread that creates it.
    GuiCallQueue() = default;
    // Calls still waiting are discarded without running.
    ~GuiCallQueue() override;
    GuiCallQueue(const GuiCallQueue&) = delete;
    GuiCallQueue& operator=(const GuiCallQueue&) = delete;

    // From any thread: `call` runs on the queue's thread after every call posted before it.
    void Post(std::function<void()> call);

private:
    Q_INVOKABLE void RunPending();

    std::mutex mutex_;
    std::deque<std::function<void()>> pending_;
};

}  // namespace velloran

#pragma once
// Runs a piece of control access on the GUI thread on behalf of any thread.
//
// On the GUI thread the call runs directly. From any other thread it is queued to the GUI thread
// and the caller waits for its result. The wait belongs to the calling worker: when the worker's
// stop token is raised the wait ends at once with the empty value, and the queued call, which looks
// at the same token on the GUI thread before touching anything, then does nothing. Stop requests
// are made on the GUI thread, so "stopped before the queued call ran" and "the call ran" can never
// both be true. A worker that is already stopped queues nothing.
//
// The GUI thread never waits for a worker, and a worker never needs to dispatch anything itself.
// If the queued call is discarded without running (its queue is destroyed with it still waiting),
// the caller is released with the empty value as well.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <utility>

#include <QThread>

#include "platform/win_threads/WorkerThread.h"
#include "ui/GuiCallQueue.h"

namespace velloran {

namespace gui_call_detail {

template <typename Result>
struct CallState {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Result> result;
    bool finished = false;   // the queued call ran, or was discarded
    bool abandoned = false;  // the calling worker was stopped while waiting
};

// Held only by the queued call (and its copies). Whatever becomes of the call, the last holder
// going away releases the waiting caller.
template <typename Result>
class CallTicket {
public:
    explicit CallTicket(std::shared_ptr<CallState<Result>> state) : state_(std::move(state)) {}
    ~CallTicket() {
        {
            std::lock_guard lock(state_->mutex);
            state_->finished = true;
        }
        state_->changed.notify_all();
    }
    CallTicket(const CallTicket&) = delete;
    CallTicket& operator=(const CallTicket&) = delete;

    void Deliver(Result result) {
        std::lock_guard lock(state_->mutex);
        state_->result = std::move(result);
    }

private:
    std::shared_ptr<CallState<Result>> state_;
};

}  // namespace gui_call_detail

// Runs `access` (a callable returning Result) on the thread of `queue` and returns its result;
// `emptyValue` when the calling worker is stopped or the call never ran. `access` is copied into
// the queued call, so it must hold its arguments by value.
template <typename Result, typename Access>
Result CallOnGuiThread(GuiCallQueue& queue, Result emptyValue, Access access) {
    using namespace gui_call_detail;
    if (QThread::currentThread() == queue.thread()) {
        return access();
    }
    const std::stop_token stop = platform::CurrentStopToken();
    if (stop.stop_requested()) {
        return emptyValue;
    }
    auto state = std::make_shared<CallState<Result>>();
    // Registered before the lock is taken below: destroying it may wait for the callback, which
    // takes that lock.
    std::stop_callback wakeOnStop(stop, [state] {
        {
            std::lock_guard lock(state->mutex);
            state->abandoned = true;
        }
        state->changed.notify_all();
    });
    auto ticket = std::make_shared<CallTicket<Result>>(state);
    queue.Post([ticket, stop, access = std::move(access)]() mutable {
        if (stop.stop_requested()) {
            return;  // the worker has been stopped: it changes nothing any more
        }
        ticket->Deliver(access());
    });
    ticket.reset();  // from here only the queued call holds it

    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->finished || state->abandoned; });
    if (state->abandoned || !state->result) {
        return emptyValue;
    }
    return std::move(*state->result);
}

// The same for an access without a result.
template <typename Access>
void CallOnGuiThread(GuiCallQueue& queue, Access access) {
    CallOnGuiThread(queue, false, [access = std::move(access)]() mutable {
        access();
        return true;
    });
}

}  // namespace velloran

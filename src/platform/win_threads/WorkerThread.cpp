#include "platform/win_threads/WorkerThread.h"

#include <utility>

namespace velloran::platform {
namespace {
thread_local std::stop_token currentToken;  // default: a token that can never be stopped
}

std::stop_token CurrentStopToken() noexcept { return currentToken; }

bool CurrentWorkerStopped() noexcept { return currentToken.stop_requested(); }

ScopedStopToken::ScopedStopToken(std::stop_token token) noexcept
    : previous_(std::exchange(currentToken, std::move(token))) {}

ScopedStopToken::~ScopedStopToken() { currentToken = std::move(previous_); }

WorkerThread::WorkerThread(std::function<void()> routine)
    : thread_([this, routine = std::move(routine), token = stopSource_.get_token()]() mutable {
          {
              ScopedStopToken scope(std::move(token));
              try {
                  routine();
              } catch (...) {
                  // A worker reports nothing; an escaping exception just ends it.
              }
              routine = nullptr;  // release what the routine holds on its own thread
          }
          finished_.store(true, std::memory_order_release);
      }) {}

WorkerThread::~WorkerThread() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void WorkerThread::RequestStop() noexcept { stopSource_.request_stop(); }

bool WorkerThread::Finished() const noexcept { return finished_.load(std::memory_order_acquire); }

std::stop_token WorkerThread::StopToken() const noexcept { return stopSource_.get_token(); }

}  // namespace velloran::platform

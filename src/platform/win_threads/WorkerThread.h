#pragma once
// Worker threads that can be stopped at once from outside.
//
// A worker is never killed: stopping it raises its stop token, and every place where a worker can
// block (a page download, a call that waits for the GUI thread, the pause between check rounds)
// watches the token of the thread it runs on and gives up immediately. Every place where a worker
// has an effect (a list change, a sound, a request) checks the token first, so once a stop has been
// requested the worker changes nothing any more and only unwinds.
//
// The token of the calling thread is reached through CurrentStopToken(), the way a Windows thread
// reaches its own state: the passes keep their plain signatures and the layers below them find out
// by themselves whether the worker they run on has been stopped.

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

namespace velloran::platform {

// The stop token of the worker running on the calling thread. On any other thread (the GUI thread,
// a test's main thread) it is a token that can never be stopped.
std::stop_token CurrentStopToken() noexcept;

// True once the worker running on the calling thread has been asked to stop.
bool CurrentWorkerStopped() noexcept;

// Makes `token` the calling thread's stop token for the lifetime of the object, then restores the
// previous one. WorkerThread uses it; tests use it to run a pass on a thread of their own.
class ScopedStopToken {
public:
    explicit ScopedStopToken(std::stop_token token) noexcept;
    ~ScopedStopToken();
    ScopedStopToken(const ScopedStopToken&) = delete;
    ScopedStopToken& operator=(const ScopedStopToken&) = delete;

private:
    std::stop_token previous_;
};

// One worker thread. It starts running its routine in the constructor. RequestStop() returns at
// once and never waits for the routine; the destructor requests a stop and then joins, which is
// prompt because every blocking point of a worker honours the stop.
class WorkerThread {
public:
    explicit WorkerThread(std::function<void()> routine);
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Raises the stop token; the stop callbacks registered by blocking points run on this thread
    // before it returns, so when it returns the worker can no longer have any effect.
    void RequestStop() noexcept;

    // True once the routine has returned (or thrown) on the worker thread.
    bool Finished() const noexcept;

    std::stop_token StopToken() const noexcept;

private:
    std::stop_source stopSource_;
    std::atomic<bool> finished_{false};
    std::thread thread_;  // last member: it starts after the state above exists
};

}  // namespace velloran::platform

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/win_threads/WorkerThread.h"

using namespace std::chrono_literals;
using velloran::platform::CurrentStopToken;
using velloran::platform::CurrentWorkerStopped;
using velloran::platform::ScopedStopToken;
using velloran::platform::WorkerThread;

TEST(WorkerThread, RoutineSeesItsOwnTokenAndOtherThreadsNever) {
    EXPECT_FALSE(CurrentStopToken().stop_possible());
    std::mutex m;
    std::condition_variable cv;
    bool sawStop = false;
    {
        WorkerThread worker([&] {
            // A blocking point of a worker: wakes at once when the worker is stopped. The callback
            // is registered before the lock is taken so that it is unregistered after the lock is
            // released (unregistering waits for a running callback, which needs the lock).
            std::stop_callback wake(CurrentStopToken(), [&] { std::lock_guard g(m); cv.notify_all(); });
            std::unique_lock lock(m);
            cv.wait_for(lock, 30s, [] { return CurrentWorkerStopped(); });
            sawStop = CurrentWorkerStopped();
        });
        EXPECT_FALSE(worker.Finished());
        worker.RequestStop();
        EXPECT_FALSE(CurrentWorkerStopped()) << "stopping a worker must not stop the caller";
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!worker.Finished() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        EXPECT_TRUE(worker.Finished());
    }
    EXPECT_TRUE(sawStop);
}

TEST(WorkerThread, StoppingAnEndedWorkerChangesNothingAndExceptionsEndIt) {
    WorkerThread worker([] { throw 42; });
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!worker.Finished() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(worker.Finished());
    worker.RequestStop();
    worker.RequestStop();
    EXPECT_TRUE(worker.StopToken().stop_requested());
}

TEST(WorkerThread, ScopedTokenIsRestored) {
    std::stop_source outer, inner;
    ScopedStopToken a(outer.get_token());
    {
        ScopedStopToken b(inner.get_token());
        inner.request_stop();
        EXPECT_TRUE(CurrentWorkerStopped());
    }
    EXPECT_FALSE(CurrentWorkerStopped());
    outer.request_stop();
    EXPECT_TRUE(CurrentWorkerStopped());
}

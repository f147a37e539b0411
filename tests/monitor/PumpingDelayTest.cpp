// The pause between check rounds and the message wait under it.
#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "monitor/PumpingDelay.h"
#include "platform/waitable_timer/MessageWait.h"
#include "platform/waitable_timer/ThreadMessageQueue.h"
#include "platform/win_threads/WorkerThread.h"

namespace velloran {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct UnitCase {
    std::optional<std::int32_t> unit;
    std::int32_t amount;
    std::int64_t millisecondsPerUnit;
    std::int64_t dueTime;
};

TEST(PumpingDelayUnits, DueTimeFollowsTheUnitTable) {
    const UnitCase cases[] = {
        {std::nullopt, 10000, 1, -100'000'000},  // the check pass: ten seconds
        {0, 10000, 1, -100'000'000},
        {1, 10000, 1000, -100'000'000'000},
        {2, 3, 60000, -1'800'000'000},
        {3, 1, 3'600'000, -36'000'000'000},
        {7, 10000, 7, -700'000'000},  // any other unit is itself the milliseconds per amount unit
        {-5, 2, -5, 100'000},         // a negative product is a due time in the past: at once
        {std::nullopt, 0, 1, 0},
        {std::nullopt, -20, 1, 200'000},
    };
    for (const UnitCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "unit " << (c.unit ? *c.unit : -999) << " amount " << c.amount);
        EXPECT_EQ(MillisecondsPerDelayUnit(c.unit), c.millisecondsPerUnit);
        EXPECT_EQ(DelayDueTime(c.amount, c.unit), c.dueTime);
    }
}

TEST(PumpingDelayUnits, HugeDelaysAreHeldAtTheEndOfTheRangeInsteadOfOverflowing) {
    // 2^31 hours in 100 ns units is beyond int64; the conversion must not be undefined.
    EXPECT_LT(DelayDueTime(INT32_MAX, 3), -9'000'000'000'000'000'000);
    EXPECT_GT(DelayDueTime(INT32_MIN, 3), 9'000'000'000'000'000'000);
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

TEST(PumpingDelay, WaitsTheWholeTimeAsleep) {
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    EXPECT_TRUE(PumpingDelay(250));
    const double cpu = ThreadCpuSeconds() - cpuStart;
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_LT(cpu, 0.05) << "the wait must sleep, not spin";
}

TEST(PumpingDelay, ZeroAndPastDelaysReturnAtOnce) {
    for (const std::int32_t amount : {0, -1, -100000}) {
        auto done = std::async(std::launch::async, [amount] { return PumpingDelay(amount); });
        ASSERT_EQ(done.wait_for(5s), std::future_status::ready) << amount;
        EXPECT_TRUE(done.get());
    }
}

TEST(PumpingDelay, DispatchesMessagesPostedToItsOwnThreadAndKeepsWaiting) {
    std::promise<std::thread::id> waiter;
    std::atomic<bool> ranOnWaiter{false};
    Clock::duration waited{};
    {
        std::promise<std::shared_ptr<platform::ThreadMessageQueue>> queuePromise;
        std::thread worker([&] {
            waiter.set_value(std::this_thread::get_id());
            queuePromise.set_value(platform::CurrentThreadMessageQueue());
            const auto start = Clock::now();
            PumpingDelay(300);
            waited = Clock::now() - start;
        });
        const auto queue = queuePromise.get_future().get();
        const auto waiterId = waiter.get_future().get();
        std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(queue);
        queue->Post({1, [&] { ranOnWaiter = std::this_thread::get_id() == waiterId; }});
        worker.join();
    }
    EXPECT_TRUE(ranOnWaiter);
    EXPECT_GE(waited, 300ms) << "a message must not end the wait";
}

TEST(PumpingDelay, LeavesAWaitingQuitMessageAndWhatFollowsItInTheQueue) {
    std::shared_ptr<platform::ThreadMessageQueue> queue;
    std::atomic<int> ran{0};
    std::thread worker([&] {
        queue = platform::CurrentThreadMessageQueue();
        queue->Post({5, [&] { ++ran; }});
        queue->Post({platform::kQuitMessage, [&] { ran += 100; }});
        queue->Post({6, [&] { ran += 10; }});
        PumpingDelay(50);
    });
    worker.join();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(queue->QuitWaiting());
    EXPECT_EQ(queue->PendingCount(), 2u);
}

TEST(PumpingDelay, AStopEndsEveryFormOfTheWaitAtOnce) {
    // The normal wait, and the two fallbacks used when the timer or the queue cannot be made.
    const std::function<void()> waits[] = {
        [] { PumpingDelay(10000); },
        [] {
            auto queue = platform::CurrentThreadMessageQueue();
            platform::WaitForTimerOrMessage(nullptr, queue.get(), Clock::now() + 10s);
        },
        [] { platform::WaitForTimerOrMessage(nullptr, nullptr, Clock::now() + 10s); },
    };
    for (std::size_t i = 0; i < std::size(waits); ++i) {
        SCOPED_TRACE(i);
        platform::WorkerThread worker(waits[i]);
        std::this_thread::sleep_for(30ms);
        ASSERT_FALSE(worker.Finished());
        const auto stopAt = Clock::now();
        worker.RequestStop();
        while (!worker.Finished() && Clock::now() - stopAt < 5s) std::this_thread::sleep_for(1ms);
        EXPECT_TRUE(worker.Finished());
    }
}

TEST(MessageWait, WithoutATimerTheDeadlineStillEndsTheWait) {
    auto queue = platform::CurrentThreadMessageQueue();
    for (platform::ThreadMessageQueue* q : {queue.get(), static_cast<platform::ThreadMessageQueue*>(nullptr)}) {
        const auto deadline = Clock::now() + 80ms;
        EXPECT_EQ(platform::WaitForTimerOrMessage(nullptr, q, deadline), platform::WaitOutcome::TimerFired);
        EXPECT_GE(Clock::now(), deadline);
    }
}

TEST(MessageWait, APostedMessageWakesTheWaitAndIsReportedOnce) {
    auto queue = platform::CurrentThreadMessageQueue();
    auto timer = platform::WaitableTimer::Create();
    ASSERT_TRUE(timer);
    ASSERT_TRUE(timer->Set(-2'000'000));  // 200 ms
    queue->Post({1, {}});
    EXPECT_EQ(platform::WaitForTimerOrMessage(&*timer, queue.get(), Clock::now() + 200ms),
              platform::WaitOutcome::MessageWaiting);
    EXPECT_EQ(queue->DispatchPending(), 1u);
    // The wake-up was consumed: the next wait sleeps until the timer.
    EXPECT_EQ(platform::WaitForTimerOrMessage(&*timer, queue.get(), Clock::now() + 200ms),
              platform::WaitOutcome::TimerFired);
}

}  // namespace
}  // namespace velloran

// Benchmarks of the monitor. Run headless: QT_QPA_PLATFORM=offscreen.
//
//   BM_ScanThousandEntries   a scan of a 1,000-entry page through the real cross-thread list, with
//                            the bare download of the same page beside it (after_arrival_ms is
//                            the difference: from the page's arrival to the last row)
//   BM_StopLatency/<wait>    RequestStop to the worker's end while it is blocked in a GUI call,
//                            a stalled download or the ten-second pause: median and worst of 100
//   BM_CheckRowBesideFetch   the check pass's time per row beside FetchPageText of the same page,
//                            interleaved in one loop so both see the same machine
//   BM_CheckWorkerMemory     resident-size growth of a check worker over 1,000 rounds (1 ms pause)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTableWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "monitor/EntryPages.h"
#include "monitor/TestPageServer.h"
#include "monitor/CategoryTable.h"
#include "monitor/CheckPass.h"
#include "monitor/PumpingDelay.h"
#include "monitor/ScanPass.h"
#include "platform/win_threads/WorkerThread.h"
#include "ui/QtControls.h"
#include "web/WebRequest.h"

namespace velloran {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A lean thread-safe list and controls without the test fakes' logs, so memory figures show the
// pass alone.
class PlainList : public ResultsList {
public:
    std::int32_t InsertRow() override {
        std::lock_guard lock(mutex_);
        rows_.emplace_back();
        return static_cast<std::int32_t>(rows_.size()) - 1;
    }
    void SetCellText(std::int32_t row, std::int32_t column, const Text& text) override {
        std::lock_guard lock(mutex_);
        if (row >= 0 && row < static_cast<std::int32_t>(rows_.size()) && column >= 0 && column < 4)
            rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    }
    Text GetCellText(std::int32_t row, std::int32_t column) override {
        std::lock_guard lock(mutex_);
        if (row >= 0 && row < static_cast<std::int32_t>(rows_.size()) && column >= 0 && column < 4)
            return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
        return {};
    }
    std::int32_t RowCount() override {
        std::lock_guard lock(mutex_);
        ++rowCountReads;
        return static_cast<std::int32_t>(rows_.size());
    }
    void ClearRows() override {
        std::lock_guard lock(mutex_);
        rows_.clear();
    }
    void EnsureVisible(std::int32_t) override {}
    std::int32_t SelectedRow() override { return -1; }

    std::atomic<long> rowCountReads{0};  // two per check round

private:
    std::mutex mutex_;
    std::vector<std::array<Text, 4>> rows_;
};

class PlainControls : public WindowControls {
public:
    void SetWindowState(std::int32_t) override {}
    bool BannerVisible() override { return false; }
    void SetBannerVisible(bool) override {}
    bool BannerLabelVisible() override { return false; }
    void SetBannerLabelVisible(bool) override {}
    std::int32_t CategorySelection() override { return 0; }
    void SetCategorySelection(std::int32_t) override {}
    bool SoundTicked() override { return true; }
};

class SilentServices : public DesktopServices {
public:
    void PlayWave(const ByteSet&) override { ++played; }
    void OpenInBrowser(const Text&) override {}
    std::atomic<long> played{0};
};

// Runs `routine` on a worker while this (the GUI) thread runs the event loop until it ends.
void RunOnWorkerWithEventLoop(const std::function<void()>& routine) {
    QEventLoop loop;
    platform::WorkerThread worker([&] {
        routine();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
}

std::string ThousandEntryPage(const std::string& host) {
    std::vector<testing::PageEntry> entries;
    for (int i = 1; i <= 1000; ++i) entries.push_back({"http://" + host + "/e/" + std::to_string(i), "红包条目" + std::to_string(i)});
    return testing::CategoryPage(entries);
}

void BM_ScanThousandEntries(benchmark::State& state) {
    testing::TestPageServer server;
    server.SetPage(std::string(CategoryTable[0].pagePath), ThousandEntryPage(server.Host()));
    QTableWidget table(0, 4);
    QtResultsList list(table);
    PlainControls controls;
    SilentServices services;
    const ByteSet sound;
    const MonitorEnvironment environment{list, controls, services, sound, server.Host()};
    const Text url = CategoryAddress(server.Host(), 0);
    double scanMs = 0, fetchMs = 0;
    for (auto _ : state) {
        const auto fetchStart = Clock::now();
        benchmark::DoNotOptimize(FetchPageText(url));
        fetchMs += Ms(Clock::now() - fetchStart);
        const auto scanStart = Clock::now();
        RunOnWorkerWithEventLoop([&] { ScanPass(environment); });
        scanMs += Ms(Clock::now() - scanStart);
        if (table.rowCount() != 1000) state.SkipWithError("the scan did not list 1000 rows");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["scan_ms"] = scanMs / n;
    state.counters["fetch_ms"] = fetchMs / n;
    state.counters["after_arrival_ms"] = (scanMs - fetchMs) / n;
}
BENCHMARK(BM_ScanThousandEntries)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// The same scan into an in-memory list, to show what the cross-thread list costs.
void BM_ScanThousandEntriesInMemory(benchmark::State& state) {
    testing::TestPageServer server;
    server.SetPage(std::string(CategoryTable[0].pagePath), ThousandEntryPage(server.Host()));
    PlainList list;
    PlainControls controls;
    SilentServices services;
    const ByteSet sound;
    const MonitorEnvironment environment{list, controls, services, sound, server.Host()};
    const Text url = CategoryAddress(server.Host(), 0);
    double scanMs = 0, fetchMs = 0;
    for (auto _ : state) {
        const auto fetchStart = Clock::now();
        benchmark::DoNotOptimize(FetchPageText(url));
        fetchMs += Ms(Clock::now() - fetchStart);
        const auto scanStart = Clock::now();
        ScanPass(environment);
        scanMs += Ms(Clock::now() - scanStart);
        if (list.RowCount() != 1000) state.SkipWithError("the scan did not list 1000 rows");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["scan_ms"] = scanMs / n;
    state.counters["fetch_ms"] = fetchMs / n;
    state.counters["after_arrival_ms"] = (scanMs - fetchMs) / n;
}
BENCHMARK(BM_ScanThousandEntriesInMemory)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

enum class Wait { GuiCall, Download, Pause };

void BM_StopLatency(benchmark::State& state) {
    const auto wait = static_cast<Wait>(state.range(0));
    testing::TestPageServer server;
    server.SetPage("/stalled", "x");
    QTableWidget table(0, 4);
    QtResultsList list(table);
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (int attempt = 0; attempt < 100; ++attempt) {
            server.Stall("/stalled");
            const int requestsBefore = server.Requests("/stalled");
            platform::WorkerThread worker([&] {
                switch (wait) {
                    case Wait::GuiCall: list.InsertRow(); break;  // this thread pumps nothing meanwhile
                    case Wait::Download: FetchPageText(server.Url("/stalled")); break;
                    case Wait::Pause: PumpingDelay(10000); break;
                }
            });
            if (wait == Wait::Download) {
                while (server.Requests("/stalled") == requestsBefore) std::this_thread::sleep_for(200us);
            } else {
                std::this_thread::sleep_for(3ms);
            }
            const auto stopAt = Clock::now();
            worker.RequestStop();
            while (!worker.Finished()) std::this_thread::yield();
            latencies.push_back(Ms(Clock::now() - stopAt));
            server.ReleaseAll();  // the abandoned request's handler ends and frees its server thread
        }
        // The queued GUI calls of stopped workers run (and do nothing) here.
        QCoreApplication::processEvents();
    }
    server.ReleaseAll();
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["worst_ms"] = latencies.back();
}
BENCHMARK(BM_StopLatency)->Arg(static_cast<int>(Wait::GuiCall))->ArgName("gui_call")->Iterations(1)->UseRealTime();
BENCHMARK(BM_StopLatency)->Arg(static_cast<int>(Wait::Download))->ArgName("download")->Iterations(1)->UseRealTime();
BENCHMARK(BM_StopLatency)->Arg(static_cast<int>(Wait::Pause))->ArgName("pause")->Iterations(1)->UseRealTime();

void BM_CheckRowBesideFetch(benchmark::State& state) {
    testing::TestPageServer server;
    std::string page = "<html><body>";
    for (int i = 0; i < 200; ++i) page += "<p>还剩 " + std::to_string(i) + " 个红包</p>\n";
    server.SetPage("/entry", page + "</body></html>");
    constexpr int kRows = 20;
    PlainList list;
    for (int i = 0; i < kRows; ++i) list.SetCellText(list.InsertRow(), kLinkColumn, server.Url("/entry"));
    PlainControls controls;
    SilentServices services;
    const ByteSet sound(1000, 1);
    const MonitorEnvironment environment{list, controls, services, sound, server.Host()};
    const Text url = server.Url("/entry");
    double fetchMs = 0, checkMs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < kRows; ++i) benchmark::DoNotOptimize(FetchPageText(url));
        const auto t1 = Clock::now();
        CheckRound(environment);
        const auto t2 = Clock::now();
        fetchMs += Ms(t1 - t0);
        checkMs += Ms(t2 - t1);
    }
    const double rows = static_cast<double>(state.iterations()) * kRows;
    state.counters["fetch_us_per_page"] = 1000.0 * fetchMs / rows;
    state.counters["check_us_per_row"] = 1000.0 * checkMs / rows;
    state.counters["check_over_fetch"] = checkMs / fetchMs;
}
BENCHMARK(BM_CheckRowBesideFetch)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_CheckWorkerMemory(benchmark::State& state) {
    testing::TestPageServer server;
    server.SetPage("/open", "<p>还剩 3 个</p>");
    server.SetPage("/taken", "<p>抢完</p>");
    PlainList list;
    for (int i = 0; i < 5; ++i) list.SetCellText(list.InsertRow(), kLinkColumn, server.Url(i % 2 ? "/taken" : "/open"));
    PlainControls controls;
    SilentServices services;
    const ByteSet sound(1000, 1);
    const MonitorEnvironment environment{list, controls, services, sound, server.Host(), 1};
    long warmKb = 0, endKb = 0;
    for (auto _ : state) {
        platform::WorkerThread worker([&] { CheckPass(environment); });
        auto rounds = [&] { return list.rowCountReads.load() / 2; };
        while (rounds() < 100) std::this_thread::sleep_for(1ms);
        warmKb = ResidentKb();
        while (rounds() < 1100) std::this_thread::sleep_for(1ms);
        endKb = ResidentKb();
        worker.RequestStop();
    }
    state.counters["rounds"] = 1000;
    state.counters["rss_warm_kb"] = static_cast<double>(warmKb);
    state.counters["rss_growth_kb"] = static_cast<double>(endKb - warmKb);
    state.counters["alerts"] = static_cast<double>(services.played.load());
}
BENCHMARK(BM_CheckWorkerMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
    // Headless unless told otherwise; test discovery runs this without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

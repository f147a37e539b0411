// One list row written (InsertRow + three SetCellText + one GetCellText, what a scan writes per
// entry) directly on the GUI thread, and the same from a worker thread while the GUI thread runs
// its events. The ratio of the two is the cost of the thread-safe access per call.

#include <QApplication>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "platform/win_threads/WorkerThread.h"
#include "ui/QtControls.h"

namespace {

void WriteOneRow(velloran::ResultsList& list, int i) {
    const std::int32_t row = list.InsertRow();
    list.SetCellText(row, 0, std::to_string(i));
    list.SetCellText(row, 1, "\xB4\xF3\xBF\xA7\xBA\xEC\xB0\xFC");  // 大咖红包
    list.SetCellText(row, 2, "http://hongbao.weibo.com/h5/aj/1001");
    benchmark::DoNotOptimize(list.GetCellText(row, 2));
}

constexpr int kRowsPerBatch = 200;

void BM_RowOnGuiThread(benchmark::State& state) {
    QTableWidget table(0, 4);
    velloran::QtResultsList list(table);
    for (auto _ : state) {
        for (int i = 0; i < kRowsPerBatch; ++i) {
            WriteOneRow(list, i);
        }
        state.PauseTiming();
        list.ClearRows();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRowsPerBatch);
}
BENCHMARK(BM_RowOnGuiThread)->Unit(benchmark::kMicrosecond);

void BM_RowFromWorker(benchmark::State& state) {
    QTableWidget table(0, 4);
    velloran::QtResultsList list(table);
    for (auto _ : state) {
        std::atomic<bool> done{false};
        velloran::platform::WorkerThread worker([&] {
            for (int i = 0; i < kRowsPerBatch; ++i) {
                WriteOneRow(list, i);
            }
            done = true;
            QMetaObject::invokeMethod(qApp, [] {}, Qt::QueuedConnection);  // wakes the loop below
        });
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        state.PauseTiming();
        list.ClearRows();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRowsPerBatch);
}
BENCHMARK(BM_RowFromWorker)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

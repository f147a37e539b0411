// The control access from threads other than the GUI thread: calls land in order and give their
// results; a worker stopped while it waits is released at once and its queued call changes
// nothing; a stopped worker queues nothing; a call that can never run releases its caller.

#include <QTableWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "platform/win_threads/WorkerThread.h"
#include "UiTestSupport.h"
#include "ui/QtControls.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using test::PumpUntil;

class ControlAccessTest : public ::testing::Test {
protected:
    QTableWidget table{0, 4};
    QtResultsList list{table};
};

TEST_F(ControlAccessTest, ManyCallsFromAPlainThreadLandInOrderWithTheirResults) {
    constexpr int kRows = 300;
    std::atomic<bool> done{false};
    std::vector<std::int32_t> insertedRows;
    std::vector<Text> readBack;
    std::int32_t finalCount = -1;
    std::thread caller([&] {
        for (int i = 0; i < kRows; ++i) {
            const std::int32_t row = list.InsertRow();
            insertedRows.push_back(row);
            list.SetCellText(row, 0, std::to_string(i + 1));
            list.SetCellText(row, 3, "\xD7\xB4\xCC\xAC" + std::to_string(i));  // 状态<i>
            readBack.push_back(list.GetCellText(row, 3));
        }
        finalCount = list.RowCount();
        done = true;
    });
    const bool finished = PumpUntil([&] { return done.load(); }, 20s);
    caller.join();
    ASSERT_TRUE(finished);

    ASSERT_EQ(static_cast<int>(insertedRows.size()), kRows);
    EXPECT_EQ(finalCount, kRows);
    for (int i = 0; i < kRows; ++i) {
        EXPECT_EQ(insertedRows[i], i);
        EXPECT_EQ(readBack[i], "\xD7\xB4\xCC\xAC" + std::to_string(i));
        EXPECT_EQ(list.GetCellText(i, 0), std::to_string(i + 1));
    }
}

// A cell gives back exactly the bytes it was given, also where they are no valid code page 936.
TEST_F(ControlAccessTest, CellsKeepTheirExactBytes) {
    const Text texts[] = {
        "\xBB\xB9\xD3\xD0\xBA\xEC\xB0\xFC\xA3\xA1",  // 还有红包！
        "\x81",                                      // a lead byte without its trail byte
        "http://a.example/?q=\xFF\xFE",
        Text(5000, 'x'),
        "",
    };
    const std::int32_t row = list.InsertRow();
    for (const Text& text : texts) {
        list.SetCellText(row, 1, text);
        EXPECT_EQ(list.GetCellText(row, 1), text);
    }
    EXPECT_EQ(table.item(row, 1)->text(), QString());  // the last text set was empty
    list.SetCellText(row, 1, texts[0]);
    EXPECT_EQ(table.item(row, 1)->text(), QString::fromUtf8("还有红包！"));
}

TEST_F(ControlAccessTest, MissingRowsAndColumnsAreEmptyAndUntouched) {
    list.InsertRow();
    list.InsertRow();
    list.SetCellText(1, 2, "kept");
    const struct {
        std::int32_t row;
        std::int32_t column;
    } missing[] = {{-1, 2}, {2, 2}, {1, -1}, {1, 4}, {100000, 0}};
    for (const auto& cell : missing) {
        list.SetCellText(cell.row, cell.column, "written");
        EXPECT_EQ(list.GetCellText(cell.row, cell.column), "") << cell.row << "," << cell.column;
        list.EnsureVisible(cell.row);
    }
    EXPECT_EQ(list.RowCount(), 2);
    EXPECT_EQ(list.GetCellText(1, 2), "kept");
    for (int column = 0; column < 4; ++column) {
        if (column != 2) {
            EXPECT_EQ(list.GetCellText(1, column), "");
        }
    }
}

TEST_F(ControlAccessTest, SelectedRowFollowsTheSelectionAndClearRowsEmptiesTheList) {
    for (int i = 0; i < 4; ++i) {
        list.InsertRow();
    }
    EXPECT_EQ(list.SelectedRow(), -1);
    table.selectRow(2);
    EXPECT_EQ(list.SelectedRow(), 2);
    list.ClearRows();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.SelectedRow(), -1);
    EXPECT_EQ(list.InsertRow(), 0);  // numbering starts again
}

// The cases where the worker is stopped while its call is queued and the GUI thread has not yet
// run it. The list starts with one row holding "kept".
struct AbandonedCall {
    const char* name;
    std::function<std::int32_t(ResultsList&)> call;  // returns what the call returned, or 0
    std::int32_t emptyResult;
};

void PrintTo(const AbandonedCall& call, std::ostream* out) {
    *out << call.name;
}

class AbandonedCallTest : public ControlAccessTest, public ::testing::WithParamInterface<AbandonedCall> {};

TEST_P(AbandonedCallTest, StoppingTheWaitingWorkerReleasesItAndTheQueuedCallChangesNothing) {
    list.SetCellText(list.InsertRow(), 2, "kept");
    std::atomic<bool> calling{false};
    std::promise<std::int32_t> result;
    std::future<std::int32_t> returned = result.get_future();
    {
        platform::WorkerThread worker([&] {
            calling = true;
            result.set_value(GetParam().call(list));
        });
        // The GUI thread runs no events meanwhile, so the call can only wait.
        while (!calling) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(50ms);
        ASSERT_EQ(returned.wait_for(0ms), std::future_status::timeout) << "the call did not wait";
        worker.RequestStop();
        ASSERT_EQ(returned.wait_for(5s), std::future_status::ready) << "the stopped worker was not released";
        EXPECT_EQ(returned.get(), GetParam().emptyResult);
    }
    // Now let the queued call run: it must see that its worker was stopped.
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.GetCellText(0, 2), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Calls, AbandonedCallTest,
    ::testing::Values(AbandonedCall{"InsertRow", [](ResultsList& l) { return l.InsertRow(); }, -1},
                      AbandonedCall{"SetCellText",
                                    [](ResultsList& l) {
                                        l.SetCellText(0, 2, "overwritten");
                                        return 0;
                                    },
                                    0},
                      AbandonedCall{"ClearRows",
                                    [](ResultsList& l) {
                                        l.ClearRows();
                                        return 0;
                                    },
                                    0},
                      AbandonedCall{"RowCount", [](ResultsList& l) { return l.RowCount(); }, 0}),
    [](const ::testing::TestParamInfo<AbandonedCall>& info) { return std::string(info.param.name); });

// A worker that has already been stopped returns the empty values at once, without waiting for a
// GUI thread that is not running events, and leaves nothing queued behind.
TEST_F(ControlAccessTest, AStoppedWorkerQueuesNothingAndGetsEmptyValues) {
    list.SetCellText(list.InsertRow(), 2, "kept");
    std::stop_source stopped;
    stopped.request_stop();
    auto calls = std::async(std::launch::async, [&] {
        platform::ScopedStopToken asStoppedWorker(stopped.get_token());
        const std::int32_t inserted = list.InsertRow();
        list.SetCellText(0, 2, "overwritten");
        list.ClearRows();
        return std::make_tuple(inserted, list.RowCount(), list.GetCellText(0, 2), list.SelectedRow());
    });
    ASSERT_EQ(calls.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(calls.get(), std::make_tuple(std::int32_t{-1}, std::int32_t{0}, Text(), std::int32_t{-1}));
    QCoreApplication::processEvents();
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.GetCellText(0, 2), "kept");
}

// If the controls go away with a call still queued, that call can never run; its caller is
// released with the empty value instead of waiting for ever.
TEST(ControlAccessLifetimeTest, ACallThatCanNeverRunReleasesItsCaller) {
    QTableWidget table(0, 4);
    auto list = std::make_unique<QtResultsList>(table);
    QtResultsList* target = list.get();
    std::atomic<bool> calling{false};
    auto call = std::async(std::launch::async, [target, &calling] {
        calling = true;
        return target->InsertRow();
    });
    while (!calling) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(call.wait_for(0ms), std::future_status::timeout);
    list.reset();
    ASSERT_EQ(call.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(call.get(), -1);
    EXPECT_EQ(table.rowCount(), 0);
}

// The window controls and the services take the same road; one call of each from a worker.
TEST(ControlAccessServicesTest, ServiceCallsFromAWorkerRunOnTheGuiThread) {
    std::vector<QUrl> opened;
    QtDesktopServices services([&](const QUrl& url) { opened.push_back(url); });
    std::atomic<bool> done{false};
    platform::WorkerThread worker([&] {
        services.OpenInBrowser("http://example.com/x");
        services.OpenInBrowser("file:///etc/passwd");
        services.PlayWave(ByteSet{'R', 'I', 'F', 'F'});
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://example.com/x")));
    EXPECT_EQ(services.PlayingCount(), 0u);
}

}  // namespace
}  // namespace velloran

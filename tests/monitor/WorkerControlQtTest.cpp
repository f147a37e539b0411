// The worker control with the real cross-thread results list on offscreen Qt: the workers' calls
// wait for this (the GUI) thread, which is also the one that stops them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTableWidget>

#include <chrono>
#include <memory>
#include <thread>

#include "EntryPages.h"
#include "FakeControls.h"
#include "TestPageServer.h"
#include "monitor/CategoryTable.h"
#include "monitor/MonitorEnvironment.h"
#include "ui/QtControls.h"
#include "ui/WorkerControl.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs the GUI thread's events until the condition holds, for at most `limit`.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5000ms) {
    const auto until = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > until) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

class WorkerControlQtTest : public ::testing::Test {
protected:
    WorkerControlQtTest() {
        std::vector<testing::PageEntry> entries;
        for (int i = 1; i <= 3; ++i) {
            server.SetPage("/e/" + std::to_string(i), i == 2 ? "<p>抢完</p>" : "<p>还剩 5 个</p>");
            entries.push_back({server.Url("/e/" + std::to_string(i)), "红包" + std::to_string(i)});
        }
        server.SetPage(std::string(CategoryTable[0].pagePath), testing::CategoryPage(entries));
        control = std::make_unique<WorkerControl>(list, controls, services, ByteSet{1, 2, 3}, server.Host());
    }
    Text Status(int row) { return list.GetCellText(row, kStatusColumn); }

    testing::TestPageServer server;
    QTableWidget table{0, 4};
    QtResultsList list{table};
    testing::FakeWindowControls controls;
    testing::FakeDesktopServices services;
    std::unique_ptr<WorkerControl> control;
};

TEST_F(WorkerControlQtTest, ScanThenCheckFillTheTableThenACategoryChoiceStopsBoth) {
    controls.ticked = true;
    control->OnStartScanClicked();
    ASSERT_TRUE(PumpUntil([&] { return table.rowCount() == 3 && list.GetCellText(2, kLinkColumn) == server.Url("/e/3"); }));
    EXPECT_EQ(list.GetCellText(0, kNameColumn), "\xBA\xEC\xB0\xFC" "1");  // 红包1
    control->OnStartCheckClicked();
    // The alert for the last row follows its status.
    ASSERT_TRUE(PumpUntil([&] { return Status(2) == kStatusStillHasPackets && services.PlayedSizes().size() == 2; }));
    EXPECT_EQ(Status(0), kStatusStillHasPackets);
    EXPECT_EQ(Status(1), kStatusAllTaken);
    EXPECT_EQ(services.PlayedSizes(), (std::vector<std::size_t>{3, 3}));

    server.Stall(std::string(CategoryTable[0].pagePath));
    control->OnStartScanClicked();
    ASSERT_TRUE(PumpUntil([&] { return server.Waiting() == 1; }));
    control->OnCategoryChosen();
    EXPECT_EQ(table.rowCount(), 0);
    server.ReleaseAll();
    const auto until = Clock::now() + 200ms;
    while (Clock::now() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(table.rowCount(), 0);
}

TEST_F(WorkerControlQtTest, EndingWhileWorkersWaitForTheGuiThreadDoesNotDeadlock) {
    control->OnStartScanClicked();
    control->OnStartCheckClicked();
    // Without pumping, the workers' calls queue up and wait for this thread; ending must release
    // them rather than wait for them.
    std::this_thread::sleep_for(100ms);
    const auto start = Clock::now();
    control.reset();
    EXPECT_LT(Clock::now() - start, 3s);
    QCoreApplication::processEvents();  // the abandoned calls run and do nothing
    EXPECT_EQ(table.rowCount(), 0);
}

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
    // Headless unless told otherwise; test discovery runs this without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The three handlers that start and stop the workers, with the in-memory list and controls and
// pages served on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "EntryPages.h"
#include "FakeControls.h"
#include "TestPageServer.h"
#include "WaitFor.h"
#include "monitor/CategoryTable.h"
#include "ui/WorkerControl.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using testing::FakeResultsList;
using testing::WaitFor;
using Row = FakeResultsList::Row;

const Text kTaken = "\xD2\xD1\xC7\xC0\xCD\xEA";  // 已抢完
const std::string kCategoryPath(CategoryTable[0].pagePath);

class WorkerControlTest : public ::testing::Test {
protected:
    WorkerControlTest() {
        server.SetPage("/e/1", "<p>抢完</p>");
        server.SetPage("/e/2", "<p>抢完</p>");
        server.SetPage(kCategoryPath, testing::CategoryPage({{server.Url("/e/1"), "春风"}, {server.Url("/e/2"), "锦鲤"}}));
        control = std::make_unique<WorkerControl>(list, controls, services, ByteSet{1, 2}, server.Host());
    }
    ~WorkerControlTest() override { control.reset(); }

    std::vector<Row> EntryRows() { return {{"1", "a", server.Url("/e/1"), ""}, {"2", "b", server.Url("/e/2"), ""}}; }
    // Index of the first log entry after `mark`, to look at what happened after a moment.
    std::vector<std::string> LogSince(std::size_t mark) {
        const auto log = list.Log();
        return {log.begin() + static_cast<std::ptrdiff_t>(mark), log.end()};
    }

    testing::TestPageServer server;
    FakeResultsList list;
    testing::FakeWindowControls controls;
    testing::FakeDesktopServices services;
    std::unique_ptr<WorkerControl> control;
};

TEST_F(WorkerControlTest, StartScanFillsTheListOnAWorkerWithoutWaitingForIt) {
    server.Stall(kCategoryPath);
    control->OnStartScanClicked();  // returns although the page is held back
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));
    server.ReleaseAll();
    ASSERT_TRUE(WaitFor([&] { return list.Rows().size() == 2; }));
    EXPECT_EQ(list.Rows()[1][0], "2");
    EXPECT_EQ(list.Rows()[1][2], server.Url("/e/2"));
}

TEST_F(WorkerControlTest, StartScanStopsTheRunningCheckWhoseStatusesStayUntilThePageArrives) {
    list.SetRows(EntryRows());
    server.Stall("/e/2");
    control->OnStartCheckClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));  // row 0 done, row 1 held
    ASSERT_EQ(list.Rows()[0][3], kTaken);
    server.Stall(kCategoryPath);
    control->OnStartScanClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 2; }));
    const std::size_t mark = list.LogSize();
    server.ReleaseAll();
    ASSERT_TRUE(WaitFor([&] { return list.Rows().size() == 2 && list.Rows()[1][1] == "\xBD\xF5\xC0\xF0"; }));
    std::this_thread::sleep_for(50ms);
    // Only the scan wrote after the release: the stopped check wrote no status for row 1.
    const auto after = LogSince(mark);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front(), "clear");
    for (const std::string& entry : after) EXPECT_EQ(entry.find(",3"), std::string::npos) << entry;
    EXPECT_EQ(server.Requests("/e/2"), 1);
}

TEST_F(WorkerControlTest, ChoosingACategoryStopsTheScanAndTheCheckAndNothingIsAddedAfterwards) {
    list.SetRows(EntryRows());
    server.Stall("/e/1");
    server.Stall(kCategoryPath);
    control->OnStartCheckClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));
    control->OnStartScanClicked();  // also stops that check; start another one beside the scan
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 2; }));
    control->OnStartCheckClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 3; }));
    control->OnCategoryChosen();
    EXPECT_TRUE(list.Rows().empty());
    const std::size_t mark = list.LogSize();
    server.ReleaseAll();
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_TRUE(LogSince(mark).empty());
    EXPECT_EQ(server.TotalRequests(), 3);
}

TEST_F(WorkerControlTest, AStopReachesAWorkerThatIsWaitingForTheGui) {
    list.CloseGate();  // the scan's first InsertRow waits as if the GUI thread were busy
    control->OnStartScanClicked();
    ASSERT_TRUE(WaitFor([&] { return list.SomeoneAtGate(); }));
    control->OnCategoryChosen();
    EXPECT_TRUE(WaitFor([&] { return !list.SomeoneAtGate(); }, 2000ms));
    list.OpenGate();
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(list.Rows().empty());
}

TEST_F(WorkerControlTest, TwoCheckWorkersAndACategoryChangeStopOnlyTheSecond) {
    list.SetRows(EntryRows());
    server.Stall("/e/1");
    control->OnStartCheckClicked();
    control->OnStartCheckClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 2; }));
    control->OnCategoryChosen();
    // A scan would refill the list; do it by hand so the surviving worker's writes show.
    list.SetRows(EntryRows());
    server.ReleaseAll();
    ASSERT_TRUE(WaitFor([&] { return list.Rows()[1][3] == kTaken; }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(list.Rows()[0][3], kTaken);
    // The first worker went on to row 1; the second did not.
    EXPECT_EQ(server.Requests("/e/2"), 1);
}

TEST_F(WorkerControlTest, StoppingWorkersThatNeverStartedOrHaveEndedOnlyEmptiesTheList) {
    list.SetRows(EntryRows());
    control->OnCategoryChosen();  // no worker has ever run
    EXPECT_TRUE(list.Rows().empty());
    control->OnStartScanClicked();
    ASSERT_TRUE(WaitFor([&] { return list.Rows().size() == 2; }));
    std::this_thread::sleep_for(30ms);  // the scan worker has ended
    control->OnCategoryChosen();
    control->OnCategoryChosen();
    EXPECT_TRUE(list.Rows().empty());
    control->OnStartScanClicked();  // the handles still work for the next start
    EXPECT_TRUE(WaitFor([&] { return list.Rows().size() == 2; }));
}

TEST_F(WorkerControlTest, EndingTheProgramWithWorkersMidDownloadEndsThemPromptly) {
    list.SetRows(EntryRows());
    server.Stall("/e/1");
    server.Stall(kCategoryPath);
    control->OnStartCheckClicked();
    control->OnStartCheckClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 2; }));
    control->OnStartScanClicked();  // stops the second check; the first runs on
    control->OnStartCheckClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 4; }));
    const auto start = std::chrono::steady_clock::now();
    control.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    const std::size_t mark = list.LogSize();
    server.ReleaseAll();
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(LogSince(mark).empty());
}

}  // namespace
}  // namespace velloran

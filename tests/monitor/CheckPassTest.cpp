// The check pass against entry pages served on 127.0.0.1, with the in-memory list and controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "FakeControls.h"
#include "TestPageServer.h"
#include "WaitFor.h"
#include "monitor/CheckPass.h"
#include "platform/win_threads/WorkerThread.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using testing::FakeResultsList;
using testing::WaitFor;
using Row = FakeResultsList::Row;

const Text kTaken = "\xD2\xD1\xC7\xC0\xCD\xEA";  // 已抢完
const Text kStill =  // 还有红包！双击打开红包地址！
    "\xBB\xB9\xD3\xD0\xBA\xEC\xB0\xFC\xA3\xA1\xCB\xAB\xBB\xF7\xB4\xF2\xBF\xAA\xBA\xEC\xB0\xFC\xB5\xD8\xD6\xB7\xA3\xA1";

class CheckPassTest : public ::testing::Test {
protected:
    CheckPassTest() {
        server.SetPage("/taken", "<p>红包已抢完</p>");
        server.SetPage("/taken-anywhere", "<script>var s='抢完了';</script><p>还剩 3 个</p>");
        server.SetPage("/open", "<p>还剩 12 个红包</p>");
    }
    MonitorEnvironment Environment(std::int32_t pause = kRoundPauseMilliseconds) {
        return {list, controls, services, sound, server.Host(), pause};
    }
    Row EntryRow(const std::string& path, Text status = "old status") {
        return {"1", "name", path.empty() ? Text() : Text(server.Url(path)), std::move(status)};
    }
    std::vector<Text> Statuses() {
        std::vector<Text> statuses;
        for (const Row& row : list.Rows()) statuses.push_back(row[3]);
        return statuses;
    }

    testing::TestPageServer server;
    FakeResultsList list;
    testing::FakeWindowControls controls;
    testing::FakeDesktopServices services;
    ByteSet sound = ByteSet(4096, 7);
};

TEST_F(CheckPassTest, ARoundWritesBothStatusesAndAlertsOncePerOpenRowOnlyWhileTicked) {
    for (const bool ticked : {true, false}) {
        SCOPED_TRACE(ticked);
        // A failed download and an empty link count as "still has packets", like a page without
        // the marker.
        list.SetRows({EntryRow("/taken"), EntryRow("/open"), EntryRow("/taken-anywhere"), EntryRow("/missing"),
                      EntryRow(""), EntryRow("/open")});
        controls.ticked = ticked;
        const auto playedBefore = services.PlayedSizes().size();
        EXPECT_TRUE(CheckRound(Environment()));
        EXPECT_EQ(Statuses(), (std::vector<Text>{kTaken, kStill, kTaken, kStill, kStill, kStill}));
        const auto played = services.PlayedSizes();
        EXPECT_EQ(played.size() - playedBefore, ticked ? 4u : 0u);
        EXPECT_TRUE(std::all_of(played.begin(), played.end(), [&](std::size_t n) { return n == sound.size(); }));
        // The first five cells stay as they were.
        for (const Row& row : list.Rows()) EXPECT_EQ(row[1], "name");
    }
}

TEST_F(CheckPassTest, TickingTheBoxMidRoundCountsFromTheNextOpenRow) {
    list.SetRows({EntryRow("/open"), EntryRow("/held"), EntryRow("/open")});
    server.SetPage("/held", "<p>还剩 1 个</p>");
    server.Stall("/held");
    const MonitorEnvironment environment = Environment();
    platform::WorkerThread worker([&] { CheckRound(environment); });
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));  // row 0 done without sound
    controls.ticked = true;
    server.ReleaseAll();
    ASSERT_TRUE(WaitFor([&] { return worker.Finished(); }));
    EXPECT_EQ(services.PlayedSizes().size(), 2u);
}

TEST_F(CheckPassTest, EveryStatusIsBlankedBeforeTheFirstRowIsFetched) {
    list.SetRows({EntryRow("/open"), EntryRow("/taken"), EntryRow("/open")});
    server.Stall("/open");
    const MonitorEnvironment environment = Environment();
    platform::WorkerThread worker([&] { CheckRound(environment); });
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));
    EXPECT_EQ(Statuses(), (std::vector<Text>{"", "", ""}));
    server.ReleaseAll();
    ASSERT_TRUE(WaitFor([&] { return worker.Finished(); }));
    EXPECT_EQ(Statuses(), (std::vector<Text>{kStill, kTaken, kStill}));
    // Rows are visited in order and each is scrolled into view after its status.
    std::vector<std::string> visits;
    for (const std::string& entry : list.Log()) {
        if (entry.rfind("visible", 0) == 0) visits.push_back(entry);
    }
    EXPECT_EQ(visits, (std::vector<std::string>{"visible 0", "visible 1", "visible 2"}));
}

TEST_F(CheckPassTest, TheNextRoundBlanksAndRefillsWithTheCurrentPages) {
    list.SetRows({EntryRow("/changing"), EntryRow("/taken")});
    server.SetPage("/changing", "<p>还剩 1 个</p>");
    const MonitorEnvironment environment = Environment(20);
    platform::WorkerThread worker([&] { CheckPass(environment); });
    ASSERT_TRUE(WaitFor([&] { return Statuses() == std::vector<Text>{kStill, kTaken}; }));
    server.SetPage("/changing", "<p>抢完</p>");
    ASSERT_TRUE(WaitFor([&] { return Statuses() == std::vector<Text>{kTaken, kTaken}; }));
    worker.RequestStop();
    ASSERT_TRUE(WaitFor([&] { return worker.Finished(); }));
    const auto log = list.Log();
    // Each round starts with both blanks before either row is written.
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
              (std::vector<std::string>{"set 0,3", "set 1,3", "set 0,3", "visible 0"}));
}

TEST_F(CheckPassTest, AStopMidDownloadOrMidPauseEndsThePassWithoutAnotherRequestOrWrite) {
    struct Case {
        const char* where;
        bool stallPage;
    };
    for (const Case c : {Case{"download", true}, Case{"pause", false}}) {
        SCOPED_TRACE(c.where);
        list.SetRows({EntryRow("/open"), EntryRow("/open")});
        if (c.stallPage) server.Stall("/open");
        const int requestsBefore = server.TotalRequests();
        const MonitorEnvironment environment = Environment();  // the full ten-second pause
        platform::WorkerThread worker([&] { CheckPass(environment); });
        if (c.stallPage) {
            ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));
        } else {
            ASSERT_TRUE(WaitFor([&] { return Statuses() == std::vector<Text>{kStill, kStill}; }));
            std::this_thread::sleep_for(20ms);
        }
        const auto logBefore = list.LogSize();
        const int requestsAtStop = server.TotalRequests();
        worker.RequestStop();
        EXPECT_TRUE(WaitFor([&] { return worker.Finished(); }, 2000ms));
        server.ReleaseAll();
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(list.LogSize(), logBefore);
        EXPECT_EQ(server.TotalRequests(), requestsAtStop);
        EXPECT_EQ(requestsAtStop - requestsBefore, c.stallPage ? 1 : 2);
    }
}

TEST_F(CheckPassTest, AnEmptyListChecksNothingAndWaits) {
    const MonitorEnvironment environment = Environment(30);
    platform::WorkerThread worker([&] { CheckPass(environment); });
    std::this_thread::sleep_for(100ms);
    worker.RequestStop();
    ASSERT_TRUE(WaitFor([&] { return worker.Finished(); }));
    EXPECT_TRUE(list.Log().empty());
    EXPECT_EQ(server.TotalRequests(), 0);
}

}  // namespace
}  // namespace velloran

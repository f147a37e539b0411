// The scan pass against pages served on 127.0.0.1, with the in-memory list and controls.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "EntryPages.h"
#include "FakeControls.h"
#include "TestPageServer.h"
#include "WaitFor.h"
#include "monitor/CategoryTable.h"
#include "monitor/ScanPass.h"
#include "platform/win_threads/WorkerThread.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using testing::CategoryPage;
using testing::WaitFor;
using testing::FakeResultsList;
using Row = FakeResultsList::Row;

// The three entry names in UTF-8 and in code page 936.
const std::vector<testing::PageEntry> kEntries = {
    {"http://example.test/hongbao/1", "春风"},
    {"http://example.test/hongbao/2", "锦鲤"},
    {"http://example.test/hongbao/3", "福星"},
};
const std::vector<Row> kRows = {
    {"1", "\xB4\xBA\xB7\xE7", "http://example.test/hongbao/1", ""},  // 春风
    {"2", "\xBD\xF5\xC0\xF0", "http://example.test/hongbao/2", ""},  // 锦鲤
    {"3", "\xB8\xA3\xD0\xC7", "http://example.test/hongbao/3", ""},  // 福星
};
const std::vector<Row> kOldRows = {{"1", "old", "http://old.test/", "status"}, {"2", "old", "", ""}};

class ScanPassTest : public ::testing::Test {
protected:
    MonitorEnvironment Environment() { return {list, controls, services, sound, server.Host()}; }
    void Serve(std::int32_t category, const std::string& page) {
        server.SetPage(std::string(CategoryTable[static_cast<std::size_t>(category)].pagePath), page);
    }

    testing::TestPageServer server;
    FakeResultsList list;
    testing::FakeWindowControls controls;
    testing::FakeDesktopServices services;
    ByteSet sound{1, 2, 3};
};

TEST_F(ScanPassTest, EveryCategoryFetchesItsOwnPageWithItsOwnPattern) {
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        Serve(k, CategoryPage(kEntries, {.brand = k == kBrandCategoryIndex}));
    }
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        SCOPED_TRACE(k);
        list.SetRows(kOldRows);
        controls.selection = k;
        ScanPass(Environment());
        EXPECT_EQ(list.Rows(), kRows);
        EXPECT_EQ(server.Requests(std::string(CategoryTable[static_cast<std::size_t>(k)].pagePath)), 1);
    }
    EXPECT_EQ(server.TotalRequests(), kCategoryCount);
}

TEST_F(ScanPassTest, OnlyTheThirdCategoryReadsTheBrandMarkup) {
    struct Case {
        std::int32_t category;
        bool brandMarkup;
        bool matches;
    };
    const Case cases[] = {{1, true, false}, {1, false, true}, {2, false, false}, {2, true, true}, {0, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.category << (c.brandMarkup ? " brand" : " general"));
        Serve(c.category, CategoryPage(kEntries, {.brand = c.brandMarkup}));
        list.SetRows(kOldRows);
        controls.selection = c.category;
        ScanPass(Environment());
        EXPECT_EQ(list.Rows(), c.matches ? kRows : std::vector<Row>{});
    }
}

TEST_F(ScanPassTest, PagesWithOtherLineEndsOrTabCountsGiveAnEmptyList) {
    struct Case {
        const char* what;
        std::int32_t category;
        testing::Markup markup;
    };
    const Case cases[] = {
        {"general with CR LF", 0, {.lineEnd = "\r\n"}},
        {"general with five tabs", 0, {.tabs = 5}},
        {"general with seven tabs", 0, {.tabs = 7}},
        {"brand with CR LF", 2, {.brand = true, .lineEnd = "\r\n"}},
        {"brand with six tabs", 2, {.brand = true, .tabs = 6}},
        {"brand with four tabs", 2, {.brand = true, .tabs = 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Serve(c.category, CategoryPage(kEntries, c.markup));
        list.SetRows(kOldRows);
        controls.selection = c.category;
        ScanPass(Environment());
        EXPECT_EQ(list.Rows(), std::vector<Row>{});
    }
}

TEST_F(ScanPassTest, AFailedDownloadOrNoSelectionEmptiesTheList) {
    // Category 0 has no page here (404); -1 and 8 name no category and request nothing.
    for (const std::int32_t selection : {0, -1, 8}) {
        SCOPED_TRACE(selection);
        list.SetRows(kOldRows);
        controls.selection = selection;
        ScanPass(Environment());
        EXPECT_EQ(list.Rows(), std::vector<Row>{});
    }
    EXPECT_EQ(server.TotalRequests(), 1);

    // Nothing listening at all.
    MonitorEnvironment nowhere = Environment();
    nowhere.siteHost = "127.0.0.1:1";
    list.SetRows(kOldRows);
    controls.selection = 3;
    ScanPass(nowhere);
    EXPECT_EQ(list.Rows(), std::vector<Row>{});
}

TEST_F(ScanPassTest, ThePreviousRowsStayUntilThePageHasArrived) {
    Serve(0, CategoryPage(kEntries));
    server.Stall(std::string(CategoryTable[0].pagePath));
    list.SetRows(kOldRows);
    const MonitorEnvironment environment = Environment();
    platform::WorkerThread worker([&] { ScanPass(environment); });
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(list.Rows(), kOldRows);
    EXPECT_TRUE(list.Log().empty());
    server.ReleaseAll();
    ASSERT_TRUE(WaitFor([&] { return worker.Finished(); }));
    EXPECT_EQ(list.Rows(), kRows);
    EXPECT_EQ(list.Log().front(), "clear");
}

TEST_F(ScanPassTest, AStopDuringTheDownloadLeavesTheListAsItWasAndEndsTheWorker) {
    Serve(0, CategoryPage(kEntries));
    server.Stall(std::string(CategoryTable[0].pagePath));
    list.SetRows(kOldRows);
    const MonitorEnvironment environment = Environment();
    platform::WorkerThread worker([&] { ScanPass(environment); });
    ASSERT_TRUE(WaitFor([&] { return server.Waiting() == 1; }));
    worker.RequestStop();
    // The download is abandoned at once, before the server answers.
    EXPECT_TRUE(WaitFor([&] { return worker.Finished(); }, 2000ms));
    server.ReleaseAll();
    EXPECT_EQ(list.Rows(), kOldRows);
    EXPECT_TRUE(list.Log().empty());
}

TEST_F(ScanPassTest, TwoScansOneAfterTheOtherEachClearAndNumberFromOne) {
    Serve(0, CategoryPage(kEntries));
    ScanPass(Environment());
    ScanPass(Environment());
    EXPECT_EQ(list.Rows(), kRows);
    const auto log = list.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "clear"), 2);
}

}  // namespace
}  // namespace velloran

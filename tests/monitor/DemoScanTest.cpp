// The demo site seen through the real passes: every category page lists every entry, and the
// entry pages say what the schedule says.
#include <gtest/gtest.h>

#include "FakeControls.h"
#include "demo/DemoSite.h"
#include "monitor/CategoryTable.h"
#include "monitor/CheckPass.h"
#include "monitor/ScanPass.h"
#include "text/CodePageConversion.h"

namespace velloran {
namespace {

TEST(DemoScan, EveryCategoryPageListsEveryEntryAndTheCheckMarksTheTakenOnes) {
    DemoSite site;
    ASSERT_TRUE(site.Start());
    testing::FakeResultsList list;
    testing::FakeWindowControls controls;
    testing::FakeDesktopServices services;
    const ByteSet sound{1};
    const MonitorEnvironment environment{list, controls, services, sound, site.Host()};
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        SCOPED_TRACE(k);
        controls.selection = k;
        ScanPass(environment);
        const auto entries = DemoEntries(k);
        const auto rows = list.Rows();
        ASSERT_EQ(rows.size(), entries.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i][0], std::to_string(i + 1));
            EXPECT_EQ(rows[i][1], Utf8ToAnsi(entries[i].name));
            EXPECT_EQ(rows[i][2], "http://" + site.Host() + entries[i].path);
        }
        // Just after start, exactly the entries that run out at once are taken.
        ASSERT_TRUE(CheckRound(environment));
        const auto checked = list.Rows();
        for (std::size_t i = 0; i < checked.size(); ++i) {
            EXPECT_EQ(checked[i][3], entries[i].runsOutAfter.count() == 0 ? Text(kStatusAllTaken) : Text(kStatusStillHasPackets));
        }
    }
}

}  // namespace
}  // namespace velloran

// The built-in demo site: its schedule of running out, and the pages it serves over HTTP.
#include <gtest/gtest.h>
#include <httplib.h>

#include "demo/DemoSite.h"
#include "monitor/CategoryTable.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
const std::string kTakenUtf8 = "抢完";

bool Taken(const std::string& page) { return page.find(kTakenUtf8) != std::string::npos; }

TEST(DemoSite, EveryCategoryMixesEntriesTakenFromTheStartWithOnesThatRunOutLater) {
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        SCOPED_TRACE(k);
        const auto entries = DemoEntries(k);
        ASSERT_GE(entries.size(), 5u);
        int takenAtStart = 0;
        int takenLater = 0;
        for (const DemoEntry& entry : entries) {
            const bool atStart = Taken(DemoEntryPage(entry, 0s));
            EXPECT_EQ(atStart, entry.runsOutAfter == 0s);
            // Just before its time it still has packets; from its time on it is taken.
            if (entry.runsOutAfter > 0s) {
                EXPECT_FALSE(Taken(DemoEntryPage(entry, entry.runsOutAfter - 1ms)));
                ++takenLater;
            } else {
                ++takenAtStart;
            }
            EXPECT_TRUE(Taken(DemoEntryPage(entry, entry.runsOutAfter)));
            EXPECT_LE(entry.runsOutAfter, 10min);
        }
        EXPECT_GT(takenAtStart, 0);
        EXPECT_GT(takenLater, 0);
    }
    EXPECT_TRUE(DemoEntries(-1).empty());
    EXPECT_TRUE(DemoEntries(kCategoryCount).empty());
}

TEST(DemoSite, ServesTheCategoryAndEntryPagesOnALocalPort) {
    DemoSite site;
    ASSERT_TRUE(site.Start());
    ASSERT_GT(site.Port(), 0);
    EXPECT_EQ(site.Host(), "127.0.0.1:" + std::to_string(site.Port()));

    httplib::Client client("127.0.0.1", site.Port());
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        SCOPED_TRACE(k);
        const auto category = client.Get(std::string(CategoryTable[k].pagePath));
        ASSERT_TRUE(category);
        EXPECT_EQ(category->status, 200);
        EXPECT_EQ(category->body, DemoCategoryPage(k, site.Host()));
        EXPECT_EQ(category->body.find('\r'), std::string::npos);
        const DemoEntry first = DemoEntries(k).front();
        EXPECT_NE(category->body.find("http://" + site.Host() + first.path), std::string::npos);
        const auto entry = client.Get(first.path);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->status, 200);
        EXPECT_NE(entry->body.find(first.name), std::string::npos);
    }
    const auto missing = client.Get("/hongbao/nothing-here");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

}  // namespace
}  // namespace velloran

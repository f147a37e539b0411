// The category table and the fixed texts, checked against their characters through an
// independent path (the UTF-8 source text converted to code page 936).
#include <gtest/gtest.h>

#include "monitor/CategoryTable.h"
#include "monitor/MonitorEnvironment.h"
#include "text/CodePageConversion.h"

namespace velloran {
namespace {

TEST(CategoryTable, ItemTextsPathsPatternsAndAddresses) {
    struct Row {
        const char* itemUtf8;
        const char* path;
        bool brand;
    };
    const Row expected[kCategoryCount] = {
        {"大咖红包专场", "/hongbao/special_daka", false},   {"品牌红包专场", "/hongbao/special_pinpai", false},
        {"优选红包专场", "/hongbao/special_youxuan", true}, {"企业红包专场", "/hongbao/special_qiye", false},
        {"区域红包专场", "/hongbao/special_quyu", false},   {"媒体红包专场", "/hongbao/special_meiti", false},
        {"合作伙伴红包", "/hongbao/special_hezuo", false},  {"金羊鸿运红包", "/hongbao/theme", false},
    };
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        SCOPED_TRACE(k);
        const Category& category = CategoryTable[static_cast<std::size_t>(k)];
        const Row& row = expected[k];
        EXPECT_EQ(Text(category.itemText), Utf8ToAnsi(row.itemUtf8));
        EXPECT_EQ(category.pagePath, row.path);
        EXPECT_EQ(category.pattern, row.brand ? BrandEntryPattern : GeneralEntryPattern);
        EXPECT_EQ(category.nameGroup, row.brand ? 3 : 4);
        EXPECT_EQ(CategoryAddress(kSiteHost, k), std::string("http://hongbao.weibo.com") + row.path);
    }
    EXPECT_EQ(CategoryAddress("127.0.0.1:8080", 7), "http://127.0.0.1:8080/hongbao/theme");
    EXPECT_EQ(CategoryAddress(kSiteHost, -1), "");
    EXPECT_EQ(CategoryAddress(kSiteHost, 8), "");
}

TEST(CategoryTable, PatternsHaveTheirExactLengthLineFeedAndTabs) {
    EXPECT_EQ(GeneralEntryPattern.size(), 99u);
    EXPECT_EQ(BrandEntryPattern.size(), 120u);
    EXPECT_NE(GeneralEntryPattern.find("</a>\n\t\t\t\t\t\t<p class=\"name\">"), std::string_view::npos);
    EXPECT_NE(BrandEntryPattern.find("</a>\n\t\t\t\t\t<p class=\"name\">"), std::string_view::npos);
    EXPECT_EQ(GeneralEntryPattern.substr(0, 12), "<a  target=\"");
}

TEST(MonitorTexts, MarkerAndStatusesAreTheirCharacters) {
    EXPECT_EQ(Text(kAllTakenMarker), Utf8ToAnsi("抢完"));
    EXPECT_EQ(Text(kStatusAllTaken), Utf8ToAnsi("已抢完"));
    EXPECT_EQ(Text(kStatusStillHasPackets), Utf8ToAnsi("还有红包！双击打开红包地址！"));
    EXPECT_EQ(Text(kStatusStillHasPackets).substr(8, 2), "\xA3\xA1");  // full-width "！"
}

}  // namespace
}  // namespace velloran

#pragma once
// The eight campaign categories, indexed by the combo box's selection, and the two entry patterns
// that pick the entries out of a category page.

#include <array>
#include <cstdint>
#include <string_view>

#include "text/TextTypes.h"

namespace velloran {

// One red-packet entry of a general category page: group 1 link, 2 image address, 3 image class,
// 4 name. The link line ends in "</a>", one line feed, then six tabs before the name paragraph.
inline constexpr std::string_view GeneralEntryPattern =
    "<a  target=\"_blank\" href=\"(.*?)\"><img src=\"(.*?)\" class=\"(.*?)\"></a>"
    "\n"
    "\t\t\t\t\t\t"
    "<p class=\"name\">(.*?)<em";

// One entry of the brand-style page: group 1 link, 2 image address, 3 name; five tabs.
inline constexpr std::string_view BrandEntryPattern =
    "<a  target=\"_blank\" href=\"(.*?)\" class=\"bonus_img\"><img src=\"(.*?)\" class=\"brand_pic\"></a>"
    "\n"
    "\t\t\t\t\t"
    "<p class=\"name\">(.*?)<em";

inline constexpr std::int32_t kLinkGroup = 1;

struct Category {
    std::string_view itemText;  // the combo box item, code page 936
    std::string_view pagePath;
    std::string_view pattern;
    std::int32_t nameGroup;
};

inline constexpr std::int32_t kCategoryCount = 8;
// The one category whose page uses the brand-style markup.
inline constexpr std::int32_t kBrandCategoryIndex = 2;

inline constexpr std::array<Category, kCategoryCount> CategoryTable = {{
    {"\xB4\xF3\xBF\xA7\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1", "/hongbao/special_daka", GeneralEntryPattern, 4},     // 大咖红包专场
    {"\xC6\xB7\xC5\xC6\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1", "/hongbao/special_pinpai", GeneralEntryPattern, 4},   // 品牌红包专场
    {"\xD3\xC5\xD1\xA1\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1", "/hongbao/special_youxuan", BrandEntryPattern, 3},    // 优选红包专场
    {"\xC6\xF3\xD2\xB5\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1", "/hongbao/special_qiye", GeneralEntryPattern, 4},     // 企业红包专场
    {"\xC7\xF8\xD3\xF2\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1", "/hongbao/special_quyu", GeneralEntryPattern, 4},     // 区域红包专场
    {"\xC3\xBD\xCC\xE5\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1", "/hongbao/special_meiti", GeneralEntryPattern, 4},    // 媒体红包专场
    {"\xBA\xCF\xD7\xF7\xBB\xEF\xB0\xE9\xBA\xEC\xB0\xFC", "/hongbao/special_hezuo", GeneralEntryPattern, 4},    // 合作伙伴红包
    {"\xBD\xF0\xD1\xF2\xBA\xE8\xD4\xCB\xBA\xEC\xB0\xFC", "/hongbao/theme", GeneralEntryPattern, 4},            // 金羊鸿运红包
}};

// "http://" + host + the category's page path; the empty text for an index outside 0..7.
Text CategoryAddress(const Text& siteHost, std::int32_t index);

}  // namespace velloran

#pragma once
// The window's own texts, in code page 936 like every text of the system.

#include <array>

#include "text/TextTypes.h"

namespace velloran {

// The items of the category combo box 组合框1, in the order of the category table (index 0..7).
inline const std::array<Text, 8> kCategoryItemTexts = {
    Text("\xB4\xF3\xBF\xA7\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1"),  // 大咖红包专场
    Text("\xC6\xB7\xC5\xC6\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1"),  // 品牌红包专场
    Text("\xD3\xC5\xD1\xA1\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1"),  // 优选红包专场
    Text("\xC6\xF3\xD2\xB5\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1"),  // 企业红包专场
    Text("\xC7\xF8\xD3\xF2\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1"),  // 区域红包专场
    Text("\xC3\xBD\xCC\xE5\xBA\xEC\xB0\xFC\xD7\xA8\xB3\xA1"),  // 媒体红包专场
    Text("\xBA\xCF\xD7\xF7\xBB\xEF\xB0\xE9\xBA\xEC\xB0\xFC"),  // 合作伙伴红包
    Text("\xBD\xF0\xD1\xF2\xBA\xE8\xD4\xCB\xBA\xEC\xB0\xFC"),  // 金羊鸿运红包
};

inline const Text kSoundCheckBoxText = "\xC9\xF9\xD2\xF4\xCC\xE1\xD0\xD1";  // 声音提醒

// Titles and widths of the results list's columns 0..3.
inline const std::array<Text, 4> kColumnTitles = {
    Text("No."),
    Text("Name"),
    Text("\xBA\xEC\xB0\xFC\xC1\xB4\xBD\xD3"),  // 红包链接
    Text("\xD7\xB4\xCC\xAC"),                  // 状态
};
inline constexpr std::array<int, 4> kColumnWidths = {50, 150, 300, 210};

// The window caption (shown in the taskbar) and the text of the title banner's label.
inline const Text kProgramName = "Velloran";

}  // namespace velloran

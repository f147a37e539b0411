#pragma once
// The window's own texts, in code page 936 like every text of the system.

#include <array>

#include "text/TextTypes.h"

namespace velloran {

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

#pragma once
// What both passes work on: the results list, the controls, the desktop services, the alert sound
// and the site's host. One value per worker control, handed to each worker it starts.

#include <cstdint>

#include "text/TextTypes.h"
#include "ui/Controls.h"

namespace velloran {

// The activity site the real tool follows.
inline constexpr char kSiteHost[] = "hongbao.weibo.com";

// The pause after each round of the check pass.
inline constexpr std::int32_t kRoundPauseMilliseconds = 10000;

// The all-taken marker on an entry page and the two statuses (code page 936).
inline constexpr char kAllTakenMarker[] = "\xC7\xC0\xCD\xEA";           // 抢完
inline constexpr char kStatusAllTaken[] = "\xD2\xD1\xC7\xC0\xCD\xEA";   // 已抢完
// 还有红包！双击打开红包地址！ (full-width exclamation marks, A3 A1)
inline constexpr char kStatusStillHasPackets[] =
    "\xBB\xB9\xD3\xD0\xBA\xEC\xB0\xFC\xA3\xA1\xCB\xAB\xBB\xF7\xB4\xF2\xBF\xAA\xBA\xEC\xB0\xFC\xB5\xD8\xD6\xB7\xA3\xA1";

inline constexpr std::int32_t kNumberColumn = 0;
inline constexpr std::int32_t kNameColumn = 1;
inline constexpr std::int32_t kLinkColumn = 2;
inline constexpr std::int32_t kStatusColumn = 3;

struct MonitorEnvironment {
    ResultsList& list;
    WindowControls& controls;
    DesktopServices& services;
    const ByteSet& alertSound;
    Text siteHost = kSiteHost;
    // Fixed for the tool; only tests and benchmarks shorten it.
    std::int32_t roundPauseMilliseconds = kRoundPauseMilliseconds;
};

}  // namespace velloran

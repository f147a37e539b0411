#pragma once
// The check pass: polls every listed entry page in rounds and writes whether red packets remain.

#include "monitor/MonitorEnvironment.h"

namespace velloran {

// Repeats rounds on the calling thread (the check worker) until that worker is stopped: blank
// every status, then for each row fetch its link, write "已抢完" or "还有红包！双击打开红包地址！",
// play the alert for the latter while the sound box is ticked, scroll the row into view; then
// pause. Once the worker is stopped it sends no further request and returns.
void CheckPass(const MonitorEnvironment& environment);

// One round without the pause; false when the worker was stopped during it.
bool CheckRound(const MonitorEnvironment& environment);

}  // namespace velloran

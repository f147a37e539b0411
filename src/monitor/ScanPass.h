#pragma once
// The scan pass: fills the results list from the page of the category chosen in the combo box.

#include "monitor/MonitorEnvironment.h"

namespace velloran {

// Runs once on the calling thread (the scan worker). The list keeps its rows until the new page
// has arrived; then it is emptied and gets one row per entry: number from "1", name, link.
void ScanPass(const MonitorEnvironment& environment);

}  // namespace velloran

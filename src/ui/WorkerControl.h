#pragma once
// The handlers that run the monitor on worker threads: start scan, start check, category change.
// All members are called on the GUI thread only; none of them waits for a worker.

#include <memory>

#include "text/TextTypes.h"
#include "ui/Controls.h"

namespace velloran {

class WorkerControl {
public:
    // `siteHost` is the activity site's host (with a port for the demo site); `alertSound` the WAVE
    // played for an entry that still has red packets. The references must outlive this object.
    WorkerControl(ResultsList& list, WindowControls& controls, DesktopServices& services, ByteSet alertSound,
                  Text siteHost);
    // Stops every worker this object started and waits for them to unwind, which is prompt.
    ~WorkerControl();
    WorkerControl(const WorkerControl&) = delete;
    WorkerControl& operator=(const WorkerControl&) = delete;

    void OnStartScanClicked();   // 图形按钮4
    void OnStartCheckClicked();  // 图形按钮5
    void OnCategoryChosen();     // 组合框1: an item chosen by the user

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace velloran

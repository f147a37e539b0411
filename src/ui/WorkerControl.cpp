#include "ui/WorkerControl.h"

#include <functional>
#include <utility>
#include <vector>

#include "monitor/CheckPass.h"
#include "monitor/MonitorEnvironment.h"
#include "monitor/ScanPass.h"
#include "platform/win_threads/WorkerThread.h"

namespace velloran {
namespace {

using WorkerHandle = std::shared_ptr<platform::WorkerThread>;

// A new worker running `routine` at once; no handle when the system cannot start a thread (the
// click then does nothing, like any other failure of the tool).
WorkerHandle StartWorker(std::function<void()> routine) {
    try {
        return std::make_shared<platform::WorkerThread>(std::move(routine));
    } catch (...) {
        return nullptr;
    }
}

// Once this returns the worker has no further effect. No handle, or an ended worker: nothing.
void StopWorker(const WorkerHandle& handle) {
    if (handle) handle->RequestStop();
}

}  // namespace

struct WorkerControl::State {
    State(ResultsList& list, WindowControls& controls, DesktopServices& services, ByteSet sound, Text host)
        : alertSound(std::move(sound)), environment{list, controls, services, alertSound, std::move(host)} {}

    // Finished workers are let go; a handle still names its worker after that, as it should.
    void ReapFinished() {
        std::erase_if(workers, [](const WorkerHandle& worker) { return worker->Finished(); });
    }

    WorkerHandle Keep(WorkerHandle worker) {
        ReapFinished();
        if (worker) workers.push_back(worker);
        return worker;
    }

    ByteSet alertSound;
    MonitorEnvironment environment;  // what every worker works on; outlives all of them
    // Every worker that may still run, including check workers whose handle has been replaced:
    // they keep polling until the program ends, and are stopped and joined then.
    std::vector<WorkerHandle> workers;
    WorkerHandle scanThread;
    WorkerHandle checkThread;
};

WorkerControl::WorkerControl(ResultsList& list, WindowControls& controls, DesktopServices& services,
                             ByteSet alertSound, Text siteHost)
    : state_(std::make_unique<State>(list, controls, services, std::move(alertSound), std::move(siteHost))) {}

WorkerControl::~WorkerControl() {
    // Stop them all first so they unwind side by side, then join each.
    for (const WorkerHandle& worker : state_->workers) worker->RequestStop();
    state_->scanThread.reset();
    state_->checkThread.reset();
    state_->workers.clear();
}

void WorkerControl::OnStartScanClicked() {
    const MonitorEnvironment& environment = state_->environment;
    state_->scanThread = state_->Keep(StartWorker([&environment] { ScanPass(environment); }));
    StopWorker(state_->checkThread);
}

void WorkerControl::OnStartCheckClicked() {
    const MonitorEnvironment& environment = state_->environment;
    state_->checkThread = state_->Keep(StartWorker([&environment] { CheckPass(environment); }));
}

void WorkerControl::OnCategoryChosen() {
    StopWorker(state_->scanThread);
    StopWorker(state_->checkThread);
    state_->environment.list.ClearRows();
}

}  // namespace velloran

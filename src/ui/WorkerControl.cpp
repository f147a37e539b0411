#include "ui/WorkerControl.h"

// Placeholder until the monitor is wired in: the handlers do nothing yet.
namespace velloran {

struct WorkerControl::State {};

WorkerControl::WorkerControl(ResultsList&, WindowControls&, DesktopServices&, ByteSet, Text)
    : state_(std::make_unique<State>()) {}
WorkerControl::~WorkerControl() = default;
void WorkerControl::OnStartScanClicked() {}
void WorkerControl::OnStartCheckClicked() {}
void WorkerControl::OnCategoryChosen() {}

}  // namespace velloran

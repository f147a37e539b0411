#include "monitor/CheckPass.h"

#include "monitor/PumpingDelay.h"
#include "platform/win_threads/WorkerThread.h"
#include "text/CodePageConversion.h"
#include "text/TextOps.h"
#include "web/WebRequest.h"

namespace velloran {

bool CheckRound(const MonitorEnvironment& environment) {
    using platform::CurrentWorkerStopped;
    ResultsList& list = environment.list;

    // Every status is blanked before any row is visited.
    const std::int32_t blankCount = list.RowCount();
    for (std::int32_t row = 0; row < blankCount; ++row) {
        if (CurrentWorkerStopped()) return false;
        list.SetCellText(row, kStatusColumn, Text());
    }

    const Text marker = kAllTakenMarker;
    const std::int32_t rowCount = list.RowCount();
    for (std::int32_t row = 0; row < rowCount; ++row) {
        if (CurrentWorkerStopped()) return false;
        const Text link = list.GetCellText(row, kLinkColumn);
        if (CurrentWorkerStopped()) return false;
        const Text page = Utf8ToAnsi(FetchPageText(link));
        if (CurrentWorkerStopped()) return false;
        if (FindText(page, marker, std::nullopt, false) != -1) {
            list.SetCellText(row, kStatusColumn, kStatusAllTaken);
        } else {
            list.SetCellText(row, kStatusColumn, kStatusStillHasPackets);
            // Read for each such row, so ticking the box takes effect from the next one.
            if (environment.controls.SoundTicked() && !CurrentWorkerStopped()) {
                environment.services.PlayWave(environment.alertSound);
            }
        }
        list.EnsureVisible(row);
    }
    return !CurrentWorkerStopped();
}

void CheckPass(const MonitorEnvironment& environment) {
    // A loop, not a recursion: every round starts from the same state and nothing piles up.
    while (CheckRound(environment)) {
        PumpingDelay(environment.roundPauseMilliseconds);
    }
}

}  // namespace velloran

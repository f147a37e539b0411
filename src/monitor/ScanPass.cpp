#include "monitor/ScanPass.h"

#include "monitor/CategoryTable.h"
#include "platform/win_threads/WorkerThread.h"
#include "regex/RegexObject.h"
#include "text/CodePageConversion.h"
#include "text/TextOps.h"
#include "web/WebRequest.h"

namespace velloran {

void ScanPass(const MonitorEnvironment& environment) {
    // Made on this thread: the matcher belongs to the thread that constructed it.
    RegexObject regex;
    Text pageText;

    // The selection is read afresh for each comparison: the user may change it meanwhile.
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        if (environment.controls.CategorySelection() != k) continue;
        const Text address = CategoryAddress(environment.siteHost, k);
        const Text raw = FetchPageText(address);
        pageText = Utf8ToAnsi(raw);
        break;
    }
    if (platform::CurrentWorkerStopped()) return;

    const bool brand = environment.controls.CategorySelection() == kBrandCategoryIndex;
    const Text pattern(brand ? BrandEntryPattern : GeneralEntryPattern);
    const std::int32_t nameGroup = brand ? CategoryTable[kBrandCategoryIndex].nameGroup : CategoryTable[0].nameGroup;

    // Only now, with the page in hand, do the previous rows go.
    environment.list.ClearRows();
    regex.Create(pattern, pageText);
    const std::int32_t count = regex.MatchCount();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (platform::CurrentWorkerStopped()) return;
        const std::int32_t row = environment.list.InsertRow();
        environment.list.SetCellText(row, kNumberColumn, IntToText(i));
        environment.list.SetCellText(row, kNameColumn, regex.SubmatchText(i, nameGroup));
        environment.list.SetCellText(row, kLinkColumn, regex.SubmatchText(i, kLinkGroup));
    }
}

}  // namespace velloran

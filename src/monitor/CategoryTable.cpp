#include "monitor/CategoryTable.h"

namespace velloran {

Text CategoryAddress(const Text& siteHost, std::int32_t index) {
    if (index < 0 || index >= kCategoryCount) return {};
    Text address = "http://";
    address += siteHost;
    address += CategoryTable[static_cast<std::size_t>(index)].pagePath;
    return address;
}

}  // namespace velloran

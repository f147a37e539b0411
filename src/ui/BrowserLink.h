#pragma once
// Which links we hand to the desktop's browser. Links come from downloaded pages, so they are
// untrusted: only web addresses may leave the program, never a local file, a script or a program.

#include <optional>

#include <QUrl>

#include "text/TextTypes.h"

namespace velloran {

// The http or https address to open for `link`, or nothing to refuse it. Leading and trailing
// spaces are dropped; a link without a scheme ("www.example.com/a", "example.com:8080/a",
// "//example.com/a") is taken as http. Anything else (file:, javascript:, data:, mailto:, ftp:, a
// path, a link without a host or with characters no URL may hold) is refused.
std::optional<QUrl> BrowserUrlFor(const Text& link);

}  // namespace velloran

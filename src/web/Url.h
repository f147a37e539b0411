#pragma once
// Taking a URL text apart for the connection, request and port of a web request.
//
// The routines work by text search on the URL itself, not by a URL grammar: only "http://" and
// "https://" are known (in any letter case), a URL without a scheme counts as http, and the host
// part ends at the first "/" after the scheme and nowhere else, so whatever stands before that
// "/" (a port, or a query that follows the host directly) belongs to the host part. A URL that
// makes no sense still yields a text and a number. All three are pure and thread-safe.

#include <cstdint>
#include <optional>

#include "text/TextTypes.h"

namespace velloran {

// The host in lower case. `domainOnly` keeps only the last two labels; `keepPort` keeps the whole
// host part, port included. Giving `levels` (whatever its value) selects the level mode, which
// keeps the last `levels` + 1 labels with `domainOnly`, else the last `levels` + 2.
Text UrlHost(const Text& url, std::optional<bool> domainOnly = {}, std::optional<bool> keepPort = {},
             std::optional<std::int32_t> levels = {});

// The explicit port after the last colon of the host part, else 443 for https, else 80.
std::int32_t UrlPort(const Text& url);

// The rest of the URL from the first "/" after the host, query included, in the URL's own case;
// "/" when there is none.
Text UrlPath(const Text& url);

}  // namespace velloran

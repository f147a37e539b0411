#pragma once
// The system's HTTP client routine: one blocking GET or POST over our WinINet layer.
//
// Every call opens its own internet, connection and request handles and closes them before it
// returns; nothing is kept from one call to the next except what the transport itself keeps (its
// shared cookie store, used when the caller does not manage cookies). Failures are silent: the
// result is then the empty byte set. Called on a worker, a request honours the worker's stop: it
// ends at once and yields the empty byte set.

#include <cstdint>
#include <optional>

#include "text/TextTypes.h"

namespace velloran {

// The optional arguments of WebRequest. Values are judged by their value (left out and the
// default are the same); `cookies` is judged by being given. The in/out and out arguments are the
// caller's own variables, written back during the call; one left out is computed and dropped.
struct WebRequestOptions {
    std::optional<std::int32_t> method;   // 1 = POST; anything else (0 by default) = GET
    std::optional<Text> bodyText;          // the body as text, used when bodyBytes is empty
    Text* cookies = nullptr;               // in/out: given = the caller keeps the cookie string
    Text* responseCookies = nullptr;       // out: the cookies the server set, "a=1; b=2"
    Text* headers = nullptr;               // in/out: extra header lines; receives the block sent
    Text* rawHeaders = nullptr;            // out: the raw response headers
    std::optional<bool> noRedirect;        // true: redirects are not followed
    ByteSet* bodyBytes = nullptr;          // in/out: the body as bytes, preferred to bodyText
    std::optional<Text> proxy;             // "host:port"; empty = a direct connection
};

// The user agent unless the extra header lines name one.
inline constexpr char kDefaultUserAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// Sends one request to `url` (http or https, with or without the scheme) and returns the
// response body, whatever the status code; the empty byte set on failure.
ByteSet WebRequest(const Text& url, const WebRequestOptions& options = {});

// WebRequest as a plain GET with every option left out, the body as text up to its first zero
// byte. The empty text when the fetch failed or the page is empty.
Text FetchPageText(const Text& url);

}  // namespace velloran

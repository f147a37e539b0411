#include "web/WebRequest.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/win_threads/WorkerThread.h"
#include "platform/wininet/WinInet.h"
#include "text/TextOps.h"
#include "web/CookieMerge.h"
#include "web/Url.h"

namespace velloran {
namespace {

namespace wininet = velloran::platform;

constexpr std::int32_t kReadSize = 1024;
constexpr std::int32_t kRawHeaderBufferSize = 5000;

Text ChooseUserAgent(const Text& headers) {
    if (FindText(headers, "User-Agent:", std::nullopt, true) == -1) return kDefaultUserAgent;
    Text agent = TrimSpaces(ExtractBetween(headers, "User-Agent:", "\r\n"));
    // A header text that is just the one User-Agent line has no CR LF after the value.
    if (agent.empty()) agent = TextAfterColon(headers);
    return agent;
}

// The default lines go in only where the caller's text does not already name them anywhere.
void CompleteHeaderBlock(Text& headers, const Text& url, const Text& cookies) {
    if (headers.empty())
        headers = "Accept: */*";
    else if (FindText(headers, "Accept:") == -1)
        headers = ConcatText(headers, "\r\nAccept: */*");
    if (FindText(headers, "Referer:") == -1) headers = ConcatText(headers, "\r\nReferer: ", url);
    if (FindText(headers, "Accept-Language:") == -1) headers = ConcatText(headers, "\r\nAccept-Language: zh-cn");
    if (FindText(headers, "Content-Type:") == -1)
        headers = ConcatText(headers, "\r\nContent-Type: application/x-www-form-urlencoded");
    if (!cookies.empty()) headers = ConcatText(headers, "\r\nCookie: ", cookies);
}

Text QueryRawHeaders(const wininet::HINTERNET& request) {
    Text raw = BlankText(kRawHeaderBufferSize);
    wininet::DWORD length = kRawHeaderBufferSize;
    wininet::HttpQueryInfoA(request, wininet::HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &length, nullptr);
    std::size_t end = raw.find('\0');
    if (end != Text::npos) raw.resize(end);
    // One spelling, so that the harvest can search with exact case.
    return ReplaceText(raw, "Set-Cookie", Text("Set-Cookie"), false);
}

Text HarvestCookies(const Text& rawHeaders) {
    Text harvested;
    for (const Text& line : SplitText(rawHeaders, "\r\n")) {
        if (FindText(line, "Set-Cookie") == -1) continue;
        Text value = FindText(line, ";") != -1 ? ExtractBetween(line, "Set-Cookie:", ";")
                                               : ReplaceText(line, "Set-Cookie:", std::nullopt, false);
        harvested = ConcatText(harvested, TrimSpaces(value), Text("; "));
    }
    return TextLeft(harvested, TextLength(harvested) - 2);
}

// A size announced by the server only sizes the first allocation; beyond this the body grows as
// it arrives, so a false announcement cannot claim memory that never comes.
constexpr wininet::DWORD kLargestReservation = 64u << 20;

void ReserveForAnnouncedLength(const wininet::HINTERNET& request, auto& body) {
    wininet::DWORD length = 0;
    wininet::DWORD size = sizeof length;
    if (wininet::HttpQueryInfoA(request, wininet::HTTP_QUERY_CONTENT_LENGTH | wininet::HTTP_QUERY_FLAG_NUMBER, &length,
                                &size, nullptr))
        body.reserve(std::min(length, kLargestReservation));
}

void AppendBytes(ByteSet& body, const std::uint8_t* bytes, std::size_t n) { body.insert(body.end(), bytes, bytes + n); }
void AppendBytes(Text& body, const std::uint8_t* bytes, std::size_t n) {
    body.append(reinterpret_cast<const char*>(bytes), n);
}

// The whole routine, collecting the body into a ByteSet (WebRequest) or straight into a Text
// (FetchPageText, which then saves a copy of the page).
template <class Body>
Body PerformRequest(const Text& url, const WebRequestOptions& options) {
    // Outputs the caller left out land in these and are dropped.
    Text droppedResponseCookies, droppedHeaders, droppedRawHeaders;
    ByteSet droppedBodyBytes;
    Text& responseCookies = options.responseCookies ? *options.responseCookies : droppedResponseCookies;
    Text& headers = options.headers ? *options.headers : droppedHeaders;
    Text& rawHeaders = options.rawHeaders ? *options.rawHeaders : droppedRawHeaders;
    ByteSet& bodyBytes = options.bodyBytes ? *options.bodyBytes : droppedBodyBytes;
    const bool cookiesGiven = options.cookies != nullptr;
    const std::int32_t method = options.method.value_or(0);
    const Text proxy = options.proxy.value_or(Text{});

    const Text verb = method == 1 ? "POST" : "GET";
    const bool https = ToLower(TextLeft(url, 5)) == "https";
    const Text userAgent = ChooseUserAgent(headers);

    wininet::HINTERNET internet;
    if (proxy.empty()) {
        internet = wininet::InternetOpenA(userAgent.c_str(), wininet::INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    } else {
        const Text proxyName = https ? proxy : ConcatText(Text("http="), proxy);
        internet = wininet::InternetOpenA(userAgent.c_str(), wininet::INTERNET_OPEN_TYPE_PROXY, proxyName.c_str(), "", 0);
    }
    if (!internet) return {};

    const Text host = UrlHost(url);
    const std::int32_t port = UrlPort(url);
    // A port that does not fit a port number must not wrap around to some other port.
    if (port < 0 || port > std::numeric_limits<wininet::INTERNET_PORT>::max()) return {};
    wininet::HINTERNET connection =
        wininet::InternetConnectA(internet, host.c_str(), static_cast<wininet::INTERNET_PORT>(port), nullptr,
                                  nullptr, wininet::INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) return {};

    wininet::DWORD flags = wininet::INTERNET_FLAG_RELOAD | wininet::INTERNET_FLAG_NEED_FILE;
    if (cookiesGiven) flags |= wininet::INTERNET_FLAG_NO_COOKIES;
    if (options.noRedirect.value_or(false)) flags |= wininet::INTERNET_FLAG_NO_AUTO_REDIRECT;
    flags |= https ? wininet::INTERNET_FLAG_SECURE : wininet::INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;

    const Text objectName = UrlPath(url);
    wininet::HINTERNET request = wininet::HttpOpenRequestA(connection, verb.c_str(), objectName.c_str(), "HTTP/1.1",
                                                           nullptr, nullptr, flags, 0);
    if (!request) return {};

    CompleteHeaderBlock(headers, url, cookiesGiven ? *options.cookies : Text{});

    const auto headerLength = static_cast<wininet::DWORD>(headers.size());
    if (method == 0) {
        wininet::HttpSendRequestA(request, headers.c_str(), headerLength, nullptr, 0);
    } else {
        if (bodyBytes.empty()) bodyBytes = TextToBytes(options.bodyText.value_or(Text{}));
        wininet::HttpSendRequestA(request, headers.c_str(), headerLength, bodyBytes.empty() ? nullptr : bodyBytes.data(),
                                  static_cast<wininet::DWORD>(bodyBytes.size()));
    }

    Body body;
    ReserveForAnnouncedLength(request, body);
    // Only the bytes a read reports are ever taken from the buffer, so one zeroed buffer serves
    // every read as well as a fresh one would.
    std::array<std::uint8_t, kReadSize> buffer{};
    while (true) {
        wininet::DWORD bytesRead = 0;
        wininet::InternetReadFile(request, buffer.data(), kReadSize, &bytesRead);
        if (bytesRead == 0) break;
        AppendBytes(body, buffer.data(), bytesRead);
    }

    rawHeaders = QueryRawHeaders(request);

    wininet::InternetCloseHandle(request);
    wininet::InternetCloseHandle(connection);
    wininet::InternetCloseHandle(internet);

    responseCookies = HarvestCookies(rawHeaders);
    if (cookiesGiven) MergeCookies(*options.cookies, responseCookies);

    // A stopped worker gets no page, even one that had arrived in part.
    if (platform::CurrentWorkerStopped()) return {};
    return body;
}

}  // namespace

ByteSet WebRequest(const Text& url, const WebRequestOptions& options) { return PerformRequest<ByteSet>(url, options); }

Text FetchPageText(const Text& url) {
    // The same as BytesToText of WebRequest's bytes: the text ends before the first zero byte.
    Text text = PerformRequest<Text>(url, {});
    std::size_t zero = text.find('\0');
    if (zero != Text::npos) text.resize(zero);
    return text;
}

}  // namespace velloran

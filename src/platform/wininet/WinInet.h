#pragma once
// Our stand-in for WinINet's synchronous HTTP client calls, on libcurl.
//
// The calls keep WinINet's shape: an internet handle (InternetOpenA) holds the user agent and the
// proxy, a connection handle (InternetConnectA) the host and port, a request handle
// (HttpOpenRequestA) the verb, object name, version and flags; HttpSendRequestA sends the request
// and waits for the response headers, InternetReadFile reads the body in pieces and HttpQueryInfoA
// reads back the headers of the final response. A failed open yields a null handle.
//
// Handles are owning values: closing one (InternetCloseHandle, or letting it go out of scope)
// releases everything behind it. A child copies what it needs from its parent, so handles may be
// closed in any order.
//
// Every request runs on its own libcurl easy handle and its own connection: nothing is reused
// between requests. Requests without INTERNET_FLAG_NO_COOKIES share one process-wide cookie store,
// as WinINet's requests share the user's cookies.
//
// A request blocks only on the calling thread, and it honours the calling worker's stop token
// (platform/win_threads/WorkerThread.h): a stop ends a request in flight at once, and once the
// stop has been requested the request sends nothing more. A request made on a worker that has
// already been stopped never connects.

#include <cstdint>
#include <memory>

namespace velloran::platform {

using DWORD = std::uint32_t;
using INTERNET_PORT = std::uint16_t;
using DWORD_PTR = std::uintptr_t;

// InternetOpenA access types.
inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;  // handled as a direct connection
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

// InternetConnectA.
inline constexpr DWORD INTERNET_SERVICE_HTTP = 3;
inline constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;  // the scheme's default port

// HttpOpenRequestA flags.
inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
inline constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;
inline constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
inline constexpr DWORD INTERNET_FLAG_NO_COOKIES = 0x00080000;
inline constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP = 0x00008000;
inline constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;
inline constexpr DWORD INTERNET_FLAG_NEED_FILE = 0x00000010;

// HttpQueryInfoA info levels and modifiers.
inline constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
inline constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
inline constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;
inline constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

// InternetSetOptionA options; the value is a DWORD of milliseconds. Set on an internet or
// connection handle, a timeout is inherited by the handles opened from it afterwards.
inline constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;
inline constexpr DWORD INTERNET_OPTION_SEND_TIMEOUT = 5;
inline constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;

// WinINet's defaults: a connection attempt may take 60 s; a connected request fails after 30 s
// without any byte received or sent.
inline constexpr DWORD kDefaultConnectTimeoutMs = 60'000;
inline constexpr DWORD kDefaultReceiveTimeoutMs = 30'000;
inline constexpr DWORD kDefaultSendTimeoutMs = 30'000;

class InternetObject;
struct InternetObjectCloser {
    void operator()(InternetObject* object) const noexcept;
};
// An internet, connection or request handle; empty is WinINet's null handle.
using HINTERNET = std::unique_ptr<InternetObject, InternetObjectCloser>;

// `proxyName` (INTERNET_OPEN_TYPE_PROXY only): entries separated by spaces or ";", each either
// "host:port" (every scheme) or "<scheme>=host:port" (that scheme only; http and https are used).
// `proxyBypass`: host names that go direct, separated by spaces or ";".
HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxyName, const char* proxyBypass,
                        DWORD flags);

bool InternetSetOptionA(const HINTERNET& handle, DWORD option, const void* buffer, DWORD bufferLength);

HINTERNET InternetConnectA(const HINTERNET& internet, const char* serverName, INTERNET_PORT serverPort,
                           const char* userName, const char* password, DWORD service, DWORD flags,
                           DWORD_PTR context);

// `verb` null: GET; `objectName` null: "/"; `version` null: HTTP/1.1. The object name is sent as
// given, without any normalisation.
HINTERNET HttpOpenRequestA(const HINTERNET& connection, const char* verb, const char* objectName,
                           const char* version, const char* referrer, const char* const* acceptTypes,
                           DWORD flags, DWORD_PTR context);

// Sends the request with the header lines (separated by CR LF; `headersLength` of 0xFFFFFFFF
// means zero-ended) and the optional body, and waits for the headers of the final response.
// False when no response arrived (refused, timed out, stopped, refused redirect).
bool HttpSendRequestA(const HINTERNET& request, const char* headers, DWORD headersLength, const void* optional,
                      DWORD optionalLength);

// Reads up to `bytesToRead` body bytes. The end of the body is a success with 0 bytes read; a
// failure (no response, a broken transfer, a stop) also reports 0 bytes.
bool InternetReadFile(const HINTERNET& request, void* buffer, DWORD bytesToRead, DWORD* bytesRead);

// HTTP_QUERY_RAW_HEADERS_CRLF: the status line and every header line of the final response, each
// ended by CR LF, zero-ended. When it does not fit in *bufferLength bytes nothing is written, the
// call fails and *bufferLength is set to the size needed. HTTP_QUERY_STATUS_CODE and
// HTTP_QUERY_CONTENT_LENGTH: the value as text, or as a DWORD with HTTP_QUERY_FLAG_NUMBER; the
// content length is known once the headers are in, and only when the response gives one.
bool HttpQueryInfoA(const HINTERNET& request, DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD* index);

// Closes the handle and leaves it null; false when it already was null.
bool InternetCloseHandle(HINTERNET& handle);

}  // namespace velloran::platform

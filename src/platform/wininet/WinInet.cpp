#include "platform/wininet/WinInet.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_threads/WorkerThread.h"
#include "platform/wininet/CertificateStore.h"

namespace velloran::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Body bytes buffered ahead of the reader before libcurl is asked to hold back: as soon as any
// are, so that at most one piece of libcurl's (16 KB) waits here.
constexpr std::size_t kPendingLimit = 1;

// libcurl's process-wide set-up, done once before the first handle exists.
void EnsureCurlInitialised() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

// The cookie store shared by every request without INTERNET_FLAG_NO_COOKIES. libcurl calls the
// lock functions from whichever thread runs a request, so each kind of shared data has its mutex.
class SharedCookieStore {
public:
    SharedCookieStore() {
        EnsureCurlInitialised();
        share_ = curl_share_init();
        if (!share_) return;
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &SharedCookieStore::Lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &SharedCookieStore::Unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }
    ~SharedCookieStore() {
        if (share_) curl_share_cleanup(share_);
    }
    SharedCookieStore(const SharedCookieStore&) = delete;
    SharedCookieStore& operator=(const SharedCookieStore&) = delete;

    CURLSH* Handle() const noexcept { return share_; }

private:
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<SharedCookieStore*>(self)->mutexes_[Slot(data)].lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<SharedCookieStore*>(self)->mutexes_[Slot(data)].unlock();
    }
    static std::size_t Slot(curl_lock_data data) {
        return std::min<std::size_t>(static_cast<std::size_t>(data), kSlots - 1);
    }

    static constexpr std::size_t kSlots = CURL_LOCK_DATA_LAST + 1;
    std::array<std::mutex, kSlots> mutexes_;
    CURLSH* share_ = nullptr;
};

SharedCookieStore& ProcessCookieStore() {
    static SharedCookieStore store;
    return store;
}

struct EasyCleanup {
    void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const noexcept { curl_multi_cleanup(multi); }
};
struct SlistFree {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, SlistFree>;

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string_view TrimAsciiSpace(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Entries of a WinINet list: separated by spaces or ";".
std::vector<std::string> SplitList(const char* text) {
    std::vector<std::string> out;
    if (!text) return out;
    std::string current;
    for (const char* p = text; *p; ++p) {
        if (*p == ' ' || *p == ';' || *p == '\t') {
            if (!current.empty()) out.push_back(std::move(current));
            current.clear();
        } else {
            current += *p;
        }
    }
    if (!current.empty()) out.push_back(std::move(current));
    return out;
}

// The lines of a header block separated by CR LF; empty lines are dropped.
std::vector<std::string> SplitHeaderLines(std::string_view block) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos <= block.size()) {
        std::size_t end = block.find("\r\n", pos);
        if (end == std::string_view::npos) end = block.size();
        if (end > pos) lines.emplace_back(block.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::string_view HeaderName(std::string_view line) {
    std::size_t colon = line.find(':');
    return TrimAsciiSpace(colon == std::string_view::npos ? std::string_view{} : line.substr(0, colon));
}

bool BlockNames(const std::vector<std::string>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return EqualsIgnoreCase(HeaderName(l), name); });
}

struct Timeouts {
    DWORD connectMs = kDefaultConnectTimeoutMs;
    DWORD receiveMs = kDefaultReceiveTimeoutMs;
    DWORD sendMs = kDefaultSendTimeoutMs;
};

enum class Kind { Internet, Connection, Request };

// The multi handle that drives the requests of the calling thread, one at a time. It is only the
// driver: each request has a fresh easy handle whose connection is closed when it ends
// (CURLOPT_FORBID_REUSE), so nothing carries over from one request to the next. Keeping it saves
// the set-up of a multi handle (a socket pair and its tables) on every request.
CURLM* ThreadMulti() {
    thread_local MultiHandle multi(curl_multi_init());
    return multi.get();
}

// Everything of one request in flight: its easy handle on the thread's multi handle, the captured
// response and the watch on the calling worker's stop token.
class Transfer {
public:
    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    ~Transfer() {
        // The stop watch goes first, while no lock is held: unregistering waits for a callback
        // that is running on the stopping thread, and that callback takes performMutex.
        stopWatch.reset();
        Detach();
        easy.reset();  // before the header list and the body it points at
    }

    void Detach() noexcept {
        if (attached) {
            curl_multi_remove_handle(multi, easy.get());
            attached = false;
        }
    }

    // Wakes the poll of the request's thread; the brief lock makes the stopping thread wait for a
    // perform call in progress, so no perform starts or runs once request_stop has returned.
    struct StopWaker {
        Transfer* transfer;
        void operator()() const noexcept {
            { std::lock_guard lock(transfer->performMutex); }
            curl_multi_wakeup(transfer->multi);
        }
    };

    EasyHandle easy;
    CURLM* multi = nullptr;  // the thread's, see ThreadMulti
    HeaderList headerList;
    std::string url;
    std::string agent;
    std::string body;  // the request body, kept alive for libcurl
    bool attached = false;

    std::mutex performMutex;
    std::stop_token stopToken;

    // The response as it arrives.
    std::string headerBlock;          // of the latest response, lines ended by CR LF
    bool finalHeadersDone = false;    // the blank line of the final response was seen
    bool sawLocation = false;         // the latest response names a Location
    long statusCode = 0;
    std::string pending;              // body bytes received and not yet read
    std::size_t pendingOffset = 0;
    bool paused = false;              // libcurl holds back the body until pending has been read
    bool finished = false;
    CURLcode result = CURLE_OK;
    bool failed = false;              // stopped, timed out or broken

    bool followRedirects = true;
    Timeouts timeouts;
    Clock::time_point lastActivity{};
    bool connected = false;
    curl_off_t uploaded = 0;

    std::optional<std::stop_callback<StopWaker>> stopWatch;  // last: unregistered first
};

// What a handle passes on to the handles opened from it.
struct HandleSettings {
    Kind kind = Kind::Internet;
    // Internet handle.
    std::string agent;
    std::vector<std::string> proxies;  // "scheme=address" or "address"
    std::string bypass;                 // libcurl's no-proxy list
    bool useProxy = false;
    Timeouts timeouts;
    // Connection handle.
    std::string host;
    INTERNET_PORT port = 0;
    // Request handle.
    std::string verb;
    std::string objectName;
    std::string version;
    std::vector<std::string> extraLines;  // from the referrer and the accept types
    DWORD flags = 0;
};

}  // namespace

class InternetObject {
public:
    explicit InternetObject(HandleSettings s) : settings(std::move(s)) {}
    HandleSettings settings;
    bool sent = false;
    std::unique_ptr<Transfer> transfer;
};

void InternetObjectCloser::operator()(InternetObject* object) const noexcept { delete object; }

namespace {

InternetObject* As(const HINTERNET& handle, Kind kind) {
    return handle && handle->settings.kind == kind ? handle.get() : nullptr;
}

// The proxy a request to `scheme` uses: the entry for that scheme, else an entry for every scheme.
std::string ProxyFor(const HandleSettings& request, std::string_view scheme) {
    if (!request.useProxy) return {};
    std::string general;
    for (const auto& entry : request.proxies) {
        std::size_t eq = entry.find('=');
        if (eq == std::string::npos) {
            if (general.empty()) general = entry;
        } else if (EqualsIgnoreCase(std::string_view(entry).substr(0, eq), scheme)) {
            return entry.substr(eq + 1);
        }
    }
    return general;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    std::size_t n = size * count;
    t.lastActivity = Clock::now();
    std::string_view line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.size() >= 5 && line.substr(0, 5) == "HTTP/") {
        // A new response of the chain (a redirect, an interim 1xx, the final one) starts over.
        t.headerBlock.clear();
        t.finalHeadersDone = false;
        t.sawLocation = false;
        t.headerBlock.append(line).append("\r\n");
        return n;
    }
    if (t.finalHeadersDone) return n;  // trailers after the body are not part of the block
    if (line.empty()) {
        long code = 0;
        curl_easy_getinfo(t.easy.get(), CURLINFO_RESPONSE_CODE, &code);
        bool interim = code >= 100 && code < 200;
        bool redirected = t.followRedirects && code >= 300 && code < 400 && code != 304 && t.sawLocation;
        if (!interim && !redirected) {
            t.finalHeadersDone = true;
            t.statusCode = code;
        }
        return n;
    }
    if (EqualsIgnoreCase(HeaderName(line), "Location")) t.sawLocation = true;
    t.headerBlock.append(line).append("\r\n");
    return n;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    std::size_t n = size * count;
    t.lastActivity = Clock::now();
    if (t.pendingOffset == t.pending.size()) {
        t.pending.clear();
        t.pendingOffset = 0;
    } else if (t.pending.size() - t.pendingOffset >= kPendingLimit) {
        // Enough is waiting to be read: libcurl keeps the rest until the reader has caught up, so
        // the buffer stays small however large the body is.
        t.paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    t.pending.append(data, n);
    return n;
}

CURLcode OnSslContext(CURL*, void* sslContext, void*) {
    detail::InstallAddedRootCertificates(sslContext);
    return CURLE_OK;
}

void Fail(Transfer& t) {
    t.failed = true;
    t.finished = true;
    t.Detach();  // closes the connection: nothing more goes out
}

// Drives the transfer until `ready` holds, the transfer ends, or it fails. Returns `ready()`.
template <class Ready>
bool Drive(Transfer& t, Ready ready) {
    while (true) {
        // A stopped worker gets nothing more, not even what has already arrived.
        if (t.stopToken.stop_requested()) {
            Fail(t);
            return false;
        }
        if (ready()) return true;
        if (t.finished) return false;
        {
            std::lock_guard lock(t.performMutex);
            if (t.stopToken.stop_requested()) {
                Fail(t);
                return false;
            }
            if (t.paused) {
                // Only reached with nothing left to read. Resuming may hand over held-back data at once.
                t.paused = false;
                curl_easy_pause(t.easy.get(), CURLPAUSE_CONT);
            }
            int running = 0;
            if (curl_multi_perform(t.multi, &running) != CURLM_OK) {
                Fail(t);
                return false;
            }
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(t.multi, &queued)) {
            // Another request open on this thread may end here too: it is marked as its own.
            Transfer* owner = nullptr;
            curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &owner);
            if (msg->msg != CURLMSG_DONE || !owner) continue;
            owner->finished = true;
            owner->result = msg->data.result;
            if (owner->result != CURLE_OK) owner->failed = true;
            owner->Detach();
        }
        if (t.finished) continue;
        if (ready()) return true;

        auto now = Clock::now();
        if (!t.connected) {
            // The request stands once its connection does (or, were a connection ever reused,
            // once the request is about to go out).
            curl_off_t connectTime = 0, pretransferTime = 0;
            curl_easy_getinfo(t.easy.get(), CURLINFO_CONNECT_TIME_T, &connectTime);
            curl_easy_getinfo(t.easy.get(), CURLINFO_PRETRANSFER_TIME_T, &pretransferTime);
            if (connectTime > 0 || pretransferTime > 0) {
                t.connected = true;
                t.lastActivity = now;
            }
        }
        curl_off_t uploaded = 0;
        curl_easy_getinfo(t.easy.get(), CURLINFO_SIZE_UPLOAD_T, &uploaded);
        if (uploaded != t.uploaded) {
            t.uploaded = uploaded;
            t.lastActivity = now;
        }
        // Idle before the connection stands counts against the connect timeout (libcurl enforces
        // it too; this one also holds should the connection go unnoticed), idle while sending
        // against the send timeout, afterwards against the receive timeout. Every wait is bounded.
        DWORD limit = !t.connected ? t.timeouts.connectMs
                      : t.body.size() > static_cast<std::size_t>(t.uploaded) ? t.timeouts.sendMs
                                                                               : t.timeouts.receiveMs;
        auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - t.lastActivity).count();
        if (idle >= static_cast<long long>(limit)) {
            Fail(t);
            return false;
        }
        int waitMs = static_cast<int>(std::min<long long>(t.connected ? 1000 : 50, static_cast<long long>(limit) - idle));
        curl_multi_poll(t.multi, nullptr, 0, std::max(waitMs, 1), nullptr);
    }
}

bool SetUpTransfer(InternetObject& handle, const std::vector<std::string>& blockLines, const void* optional,
                   DWORD optionalLength) {
    const HandleSettings& request = handle.settings;
    auto transfer = std::make_unique<Transfer>();
    Transfer& t = *transfer;
    t.easy.reset(curl_easy_init());
    EnsureCurlInitialised();
    t.multi = ThreadMulti();
    if (!t.easy || !t.multi) return false;
    CURL* e = t.easy.get();

    bool secure = (request.flags & INTERNET_FLAG_SECURE) != 0;
    const char* scheme = secure ? "https" : "http";
    std::string hostPart = request.host.find(':') != std::string::npos ? "[" + request.host + "]" : request.host;
    t.url = std::string(scheme) + "://" + hostPart;
    if (request.port != INTERNET_INVALID_PORT_NUMBER) t.url += ":" + std::to_string(request.port);
    t.url += request.objectName;

    curl_easy_setopt(e, CURLOPT_URL, t.url.c_str());
    curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(e, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects: an http request may go on to https (INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS), an
    // https request stays on https unless INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP allows http.
    bool toHttps = secure || (request.flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);
    bool toHttp = !secure || (request.flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP);
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, toHttps && toHttp ? "http,https" : (toHttps ? "https" : "http"));
    t.followRedirects = (request.flags & INTERNET_FLAG_NO_AUTO_REDIRECT) == 0;
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, t.followRedirects ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.timeouts.connectMs));
    t.timeouts = request.timeouts;

    if (request.version == "HTTP/1.0")
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    else
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));

    t.agent = request.agent;
    if (!t.agent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, t.agent.c_str());

    // Proxy: an empty proxy switches off libcurl's own proxy environment variables too.
    std::string proxy = ProxyFor(request, scheme);
    curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(e, CURLOPT_NOPROXY, request.bypass.c_str());
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

    // Header lines exactly as given, then removals of libcurl's own defaults the block lacks.
    std::vector<std::string> lines = request.extraLines;
    lines.insert(lines.end(), blockLines.begin(), blockLines.end());
    curl_slist* list = nullptr;
    auto add = [&list](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown) list = grown;
        return grown != nullptr;
    };
    bool ok = true;
    for (const auto& line : lines) {
        std::size_t colon = line.find(':');
        // libcurl reads "Name:" as "remove Name"; "Name;" is its way to send a header with no value.
        if (colon != std::string::npos && TrimAsciiSpace(std::string_view(line).substr(colon + 1)).empty())
            ok = add(line.substr(0, colon) + ";") && ok;
        else
            ok = add(line) && ok;
    }
    for (const char* own : {"Accept", "Expect", "Content-Type", "Proxy-Connection"}) {
        if (!BlockNames(lines, own)) ok = add(std::string(own) + ":") && ok;
    }
    t.headerList.reset(list);
    if (!ok) return false;
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, t.headerList.get());

    if (optional && optionalLength > 0) t.body.assign(static_cast<const char*>(optional), optionalLength);
    bool isGet = request.verb == "GET";
    bool isHead = request.verb == "HEAD";
    if (isHead) {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else if (isGet && t.body.empty()) {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    } else if (request.verb == "POST" || !t.body.empty()) {
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t.body.size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, t.body.data());
    }
    if (!isGet && !isHead && request.verb != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
    if (isGet && !t.body.empty()) curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "GET");

    if ((request.flags & INTERNET_FLAG_NO_COOKIES) == 0 && ProcessCookieStore().Handle()) {
        curl_easy_setopt(e, CURLOPT_SHARE, ProcessCookieStore().Handle());
        curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
    }
    if (detail::HasAddedRootCertificates()) curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, &OnSslContext);

    curl_easy_setopt(e, CURLOPT_PRIVATE, &t);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);

    if (curl_multi_add_handle(t.multi, e) != CURLM_OK) return false;
    t.attached = true;
    t.lastActivity = Clock::now();
    t.stopToken = CurrentStopToken();
    handle.transfer = std::move(transfer);
    // Registered last, while no lock is held; on a worker that is already stopped it runs here.
    handle.transfer->stopWatch.emplace(handle.transfer->stopToken, Transfer::StopWaker{handle.transfer.get()});
    return true;
}

}  // namespace

HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxyName, const char* proxyBypass,
                        DWORD flags) {
    if (flags != 0) return nullptr;  // asynchronous and offline modes are not offered
    EnsureCurlInitialised();
    HandleSettings settings;
    settings.kind = Kind::Internet;
    settings.agent = agent ? agent : "";
    // The agent is one header value: a line break in it must not start a header line of its own.
    settings.agent = settings.agent.substr(0, settings.agent.find_first_of("\r\n"));
    if (accessType == INTERNET_OPEN_TYPE_PROXY) {
        settings.proxies = SplitList(proxyName);
        if (settings.proxies.empty()) return nullptr;
        settings.useProxy = true;
        std::string bypass;
        for (const auto& entry : SplitList(proxyBypass)) {
            if (entry == "<local>") continue;  // libcurl has no form for "names without a dot"
            if (!bypass.empty()) bypass += ',';
            bypass += entry;
        }
        settings.bypass = bypass;
    } else if (accessType != INTERNET_OPEN_TYPE_DIRECT && accessType != INTERNET_OPEN_TYPE_PRECONFIG) {
        return nullptr;
    }
    return HINTERNET(new InternetObject(std::move(settings)));
}

bool InternetSetOptionA(const HINTERNET& handle, DWORD option, const void* buffer, DWORD bufferLength) {
    if (!handle || !buffer || bufferLength != sizeof(DWORD)) return false;
    DWORD value = 0;
    std::memcpy(&value, buffer, sizeof value);
    switch (option) {
        case INTERNET_OPTION_CONNECT_TIMEOUT: handle->settings.timeouts.connectMs = value; return true;
        case INTERNET_OPTION_SEND_TIMEOUT: handle->settings.timeouts.sendMs = value; return true;
        case INTERNET_OPTION_RECEIVE_TIMEOUT: handle->settings.timeouts.receiveMs = value; return true;
        default: return false;
    }
}

HINTERNET InternetConnectA(const HINTERNET& internet, const char* serverName, INTERNET_PORT serverPort,
                           const char*, const char*, DWORD service, DWORD, DWORD_PTR) {
    const InternetObject* parent = As(internet, Kind::Internet);
    if (!parent || !serverName || !*serverName || service != INTERNET_SERVICE_HTTP) return nullptr;
    HandleSettings settings = parent->settings;
    settings.kind = Kind::Connection;
    settings.host = serverName;
    settings.port = serverPort;
    return HINTERNET(new InternetObject(std::move(settings)));
}

HINTERNET HttpOpenRequestA(const HINTERNET& connection, const char* verb, const char* objectName,
                           const char* version, const char* referrer, const char* const* acceptTypes,
                           DWORD flags, DWORD_PTR) {
    const InternetObject* parent = As(connection, Kind::Connection);
    if (!parent) return nullptr;
    HandleSettings settings = parent->settings;
    settings.kind = Kind::Request;
    settings.verb = verb && *verb ? verb : "GET";
    settings.objectName = objectName && *objectName ? objectName : "/";
    if (settings.objectName.front() != '/') settings.objectName.insert(0, "/");
    settings.version = version && *version ? version : "HTTP/1.1";
    settings.flags = flags;
    if (referrer && *referrer) settings.extraLines.push_back(std::string("Referer: ") + referrer);
    if (acceptTypes && *acceptTypes) {
        std::string accept = "Accept: ";
        for (const char* const* type = acceptTypes; *type; ++type) {
            if (type != acceptTypes) accept += ", ";
            accept += *type;
        }
        settings.extraLines.push_back(std::move(accept));
    }
    return HINTERNET(new InternetObject(std::move(settings)));
}

bool HttpSendRequestA(const HINTERNET& request, const char* headers, DWORD headersLength, const void* optional,
                      DWORD optionalLength) {
    InternetObject* r = As(request, Kind::Request);
    if (!r || r->sent) return false;
    r->sent = true;
    std::string_view block;
    if (headers) block = headersLength == 0xFFFFFFFFu ? std::string_view(headers) : std::string_view(headers, headersLength);
    if (!SetUpTransfer(*r, SplitHeaderLines(block), optional, optionalLength)) return false;
    Transfer& t = *r->transfer;
    return Drive(t, [&t] { return t.finalHeadersDone || t.pendingOffset < t.pending.size(); }) && t.finalHeadersDone;
}

bool InternetReadFile(const HINTERNET& request, void* buffer, DWORD bytesToRead, DWORD* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    InternetObject* r = As(request, Kind::Request);
    if (!r || !r->transfer || !bytesRead || (!buffer && bytesToRead > 0)) return false;
    Transfer& t = *r->transfer;
    if (bytesToRead == 0) return true;
    if (!Drive(t, [&t] { return t.pendingOffset < t.pending.size(); })) return !t.failed;
    std::size_t available = t.pending.size() - t.pendingOffset;
    if (available == 0) return !t.failed;
    std::size_t n = std::min<std::size_t>(available, bytesToRead);
    std::memcpy(buffer, t.pending.data() + t.pendingOffset, n);
    t.pendingOffset += n;
    *bytesRead = static_cast<DWORD>(n);
    return true;
}

bool HttpQueryInfoA(const HINTERNET& request, DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD*) {
    const InternetObject* r = As(request, Kind::Request);
    if (!r || !r->transfer || !bufferLength) return false;
    const Transfer& t = *r->transfer;
    if (t.headerBlock.empty()) return false;
    long code = t.statusCode;
    if (code == 0) curl_easy_getinfo(t.easy.get(), CURLINFO_RESPONSE_CODE, &code);
    DWORD level = infoLevel & 0xFFFF;
    if (level == HTTP_QUERY_STATUS_CODE && (infoLevel & HTTP_QUERY_FLAG_NUMBER)) {
        if (*bufferLength < sizeof(DWORD) || !buffer) {
            *bufferLength = sizeof(DWORD);
            return false;
        }
        DWORD value = static_cast<DWORD>(code);
        std::memcpy(buffer, &value, sizeof value);
        *bufferLength = sizeof value;
        return true;
    }
    std::string text;
    if (level == HTTP_QUERY_RAW_HEADERS_CRLF) {
        text = t.headerBlock;
    } else if (level == HTTP_QUERY_STATUS_CODE) {
        text = std::to_string(code);
    } else if (level == HTTP_QUERY_CONTENT_LENGTH) {
        curl_off_t length = -1;
        curl_easy_getinfo(t.easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length < 0) return false;
        if (infoLevel & HTTP_QUERY_FLAG_NUMBER) {
            if (*bufferLength < sizeof(DWORD) || !buffer) {
                *bufferLength = sizeof(DWORD);
                return false;
            }
            DWORD value = static_cast<DWORD>(std::min<curl_off_t>(length, 0xFFFFFFFF));
            std::memcpy(buffer, &value, sizeof value);
            *bufferLength = sizeof value;
            return true;
        }
        text = std::to_string(length);
    } else {
        return false;
    }
    DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || *bufferLength < needed) {
        *bufferLength = needed;
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    static_cast<char*>(buffer)[text.size()] = '\0';
    *bufferLength = static_cast<DWORD>(text.size());
    return true;
}

bool InternetCloseHandle(HINTERNET& handle) {
    if (!handle) return false;
    handle.reset();
    return true;
}

}  // namespace velloran::platform

// The WinINet layer against real sockets on 127.0.0.1.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/win_threads/WorkerThread.h"
#include "platform/wininet/CertificateStore.h"
#include "platform/wininet/WinInet.h"
#include "web/TestServers.h"

namespace velloran::platform {
namespace {

using namespace std::chrono_literals;
using testing::HttpResponse;
using testing::RawListener;
using Clock = std::chrono::steady_clock;

struct Exchange {
    bool sent = false;
    std::string body;
    std::string rawHeaders;
    bool readOk = true;
};

struct RequestSpec {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string verb = "GET";
    std::string object = "/";
    std::string agent = "Probe/1.0";
    std::string headers;
    std::string body;
    DWORD flags = INTERNET_FLAG_RELOAD;
    DWORD openType = INTERNET_OPEN_TYPE_DIRECT;
    std::string proxy;
    DWORD receiveTimeoutMs = 0;  // 0: the default
};

// One request through the whole call sequence, as the web request routine makes it.
Exchange Perform(const RequestSpec& spec) {
    Exchange out;
    HINTERNET internet = InternetOpenA(spec.agent.c_str(), spec.openType, spec.proxy.empty() ? nullptr : spec.proxy.c_str(),
                                       spec.proxy.empty() ? nullptr : "", 0);
    if (!internet) return out;
    if (spec.receiveTimeoutMs) InternetSetOptionA(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &spec.receiveTimeoutMs, sizeof(DWORD));
    HINTERNET connection = InternetConnectA(internet, spec.host.c_str(), static_cast<INTERNET_PORT>(spec.port), nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, spec.verb.c_str(), spec.object.c_str(), "HTTP/1.1", nullptr, nullptr,
                                         spec.flags, 0);
    out.sent = HttpSendRequestA(request, spec.headers.c_str(), static_cast<DWORD>(spec.headers.size()),
                                spec.body.empty() ? nullptr : spec.body.data(), static_cast<DWORD>(spec.body.size()));
    char buffer[1024];
    DWORD n = 0;
    do {
        out.readOk = InternetReadFile(request, buffer, sizeof buffer, &n);
        out.body.append(buffer, n);
    } while (n > 0);
    std::string raw(5000, ' ');
    DWORD length = 5000;
    if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &length, nullptr)) out.rawHeaders = raw.substr(0, length);
    return out;
}

std::string Path(const std::string& request) {
    std::size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

TEST(WinInetHandles, OpenCallsYieldNullWhereWinInetDoes) {
    HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    ASSERT_TRUE(internet);
    EXPECT_FALSE(InternetOpenA("a", INTERNET_OPEN_TYPE_PROXY, nullptr, nullptr, 0)) << "a proxy type needs a proxy";
    EXPECT_FALSE(InternetOpenA("a", 99, nullptr, nullptr, 0));
    EXPECT_FALSE(InternetConnectA(HINTERNET{}, "h", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    EXPECT_FALSE(InternetConnectA(internet, "", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    EXPECT_FALSE(InternetConnectA(internet, "h", 80, nullptr, nullptr, 1 /* ftp */, 0, 0));
    HINTERNET connection = InternetConnectA(internet, "h", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(HttpOpenRequestA(internet, "GET", "/", nullptr, nullptr, nullptr, 0, 0)) << "needs a connection handle";
    HINTERNET request = HttpOpenRequestA(connection, "GET", "/", nullptr, nullptr, nullptr, 0, 0);
    ASSERT_TRUE(request);

    // Closing the parents first leaves the request usable: it copied what it needs.
    EXPECT_TRUE(InternetCloseHandle(internet));
    EXPECT_FALSE(InternetCloseHandle(internet));
    DWORD n = 7;
    char buffer[4];
    EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &n)) << "nothing sent yet";
    EXPECT_EQ(n, 0u);
    DWORD length = 10;
    EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));
    EXPECT_FALSE(HttpSendRequestA(HINTERNET{}, nullptr, 0, nullptr, 0));
}

TEST(WinInetRequest, GoesOutExactlyAsBuilt) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", "ok"); });
    const std::string block = "Accept: */*\r\nX-Empty:\r\nReferer: r";

    struct Case {
        std::string verb, object, body, expectedStart, expectedTail;
    } cases[] = {
        {"GET", "/a/../b?x=1&y=%41", "", "GET /a/../b?x=1&y=%41 HTTP/1.1\r\n", block + "\r\n\r\n"},
        {"POST", "/p", std::string("a\0b", 3), "POST /p HTTP/1.1\r\n",
         block + "\r\nContent-Length: 3\r\n\r\n" + std::string("a\0b", 3)},
        {"POST", "/empty", "", "POST /empty HTTP/1.1\r\n", block + "\r\nContent-Length: 0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verb + " " + c.object);
        RequestSpec spec;
        spec.port = server.Port();
        spec.verb = c.verb;
        spec.object = c.object;
        spec.headers = block;
        spec.body = c.body;
        Exchange e = Perform(spec);
        EXPECT_TRUE(e.sent);
        EXPECT_EQ(e.body, "ok");
        const std::string request = server.Requests().back();
        const std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
        EXPECT_EQ(request, c.expectedStart + host + "User-Agent: Probe/1.0\r\n" + c.expectedTail);
    }
}

TEST(WinInetRequest, AgentIsOneHeaderValueAndCannotAddLines) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", ""); });
    RequestSpec spec;
    spec.port = server.Port();
    spec.agent = "Probe\r\nX-Injected: 1";
    Perform(spec);
    const std::string request = server.Requests().back();
    EXPECT_NE(request.find("\r\nUser-Agent: Probe\r\n"), std::string::npos) << request;
    EXPECT_EQ(request.find("X-Injected"), std::string::npos) << request;
}

TEST(WinInetResponse, HeaderQueryShowsTheFinalResponseOfARedirectChain) {
    RawListener server([](const std::string& request) {
        std::string path = Path(request);
        if (path == "/one") return HttpResponse("302 Found", "Location: /two\r\nSet-Cookie: hop=1\r\n", "moved");
        if (path == "/two") return HttpResponse("301 Moved", "Location: /end\r\n", "moved");
        return HttpResponse("200 OK", "X-Final: yes\r\n", "end");
    });
    RequestSpec spec;
    spec.port = server.Port();
    spec.object = "/one";
    Exchange followed = Perform(spec);
    EXPECT_EQ(followed.body, "end");
    EXPECT_EQ(followed.rawHeaders, "HTTP/1.1 200 OK\r\nX-Final: yes\r\nContent-Length: 3\r\nConnection: close\r\n");
    EXPECT_EQ(server.Requests().size(), 3u);

    spec.flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
    Exchange stopped = Perform(spec);
    EXPECT_EQ(stopped.body, "moved");
    EXPECT_EQ(stopped.rawHeaders.rfind("HTTP/1.1 302 Found\r\nLocation: /two\r\n", 0), 0u) << stopped.rawHeaders;
    EXPECT_EQ(server.Requests().size(), 4u);
}

TEST(WinInetResponse, HeaderQueryWritesNothingWhenTheBufferIsTooSmall) {
    RawListener server([](const std::string&) { return HttpResponse("404 Not Found", "", "gone"); });
    HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(server.Port()), nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0);
    ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
    const std::string expected = "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\nConnection: close\r\n";

    std::string buffer(expected.size(), '#');  // one byte short: no room for the closing zero
    DWORD length = static_cast<DWORD>(buffer.size());
    EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length, nullptr));
    EXPECT_EQ(buffer, std::string(expected.size(), '#'));
    EXPECT_EQ(length, expected.size() + 1);

    buffer.assign(expected.size() + 1, '#');
    EXPECT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length, nullptr));
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(buffer, expected + '\0');

    DWORD status = 0, statusLength = sizeof status;
    EXPECT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusLength, nullptr));
    EXPECT_EQ(status, 404u);

    char piece[3];
    DWORD n = 0;
    std::string body;
    while (InternetReadFile(request, piece, sizeof piece, &n) && n > 0) body.append(piece, n);
    EXPECT_EQ(body, "gone");
    EXPECT_TRUE(InternetReadFile(request, piece, sizeof piece, &n)) << "the end of the body is a success";
    EXPECT_EQ(n, 0u);
}

TEST(WinInetRequest, TwoRequestsOpenOnOneThreadEachGetTheirOwnResponse) {
    RawListener server([](const std::string& request) { return HttpResponse("200 OK", "", "body of " + Path(request)); });
    HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(server.Port()), nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET first = HttpOpenRequestA(connection, "GET", "/first", nullptr, nullptr, nullptr, 0, 0);
    HINTERNET second = HttpOpenRequestA(connection, "GET", "/second", nullptr, nullptr, nullptr, 0, 0);
    ASSERT_TRUE(HttpSendRequestA(first, nullptr, 0, nullptr, 0));
    ASSERT_TRUE(HttpSendRequestA(second, nullptr, 0, nullptr, 0));
    auto readAll = [](const HINTERNET& request) {
        std::string body;
        char piece[4];
        DWORD n = 0;
        while (InternetReadFile(request, piece, sizeof piece, &n) && n > 0) body.append(piece, n);
        return body;
    };
    EXPECT_EQ(readAll(second), "body of /second");
    EXPECT_EQ(readAll(first), "body of /first");
}

TEST(WinInetRequest, EveryRequestHasAConnectionOfItsOwn) {
    // A keep-alive answer on a connection the server then keeps open but no longer reads: a
    // request that reused it would get no answer.
    RawListener server([](const std::string&) { return std::string("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"); },
                       /*holdOpen=*/true);
    RequestSpec spec;
    spec.port = server.Port();
    spec.receiveTimeoutMs = 2000;
    EXPECT_EQ(Perform(spec).body, "ok");
    EXPECT_EQ(Perform(spec).body, "ok");
    EXPECT_EQ(server.Connections(), 2);
}

TEST(WinInetFailure, RefusedAndSilentServersFailInBoundedTime) {
    {
        RequestSpec spec;
        spec.port = testing::UnusedPort();
        auto start = Clock::now();
        Exchange e = Perform(spec);
        EXPECT_FALSE(e.sent);
        EXPECT_FALSE(e.readOk);
        EXPECT_EQ(e.body, "");
        EXPECT_EQ(e.rawHeaders, "");
        EXPECT_LT(Clock::now() - start, 5s);
    }
    {
        RawListener silent(nullptr, /*holdOpen=*/true);
        RequestSpec spec;
        spec.port = silent.Port();
        spec.receiveTimeoutMs = 300;
        auto start = Clock::now();
        Exchange e = Perform(spec);
        auto took = Clock::now() - start;
        EXPECT_FALSE(e.sent);
        EXPECT_EQ(e.body, "");
        EXPECT_GE(took, 250ms) << "the receive timeout counts from the connection";
        EXPECT_LT(took, 5s);
    }
}

TEST(WinInetCookies, SharedStoreUnlessNoCookies) {
    RawListener server([](const std::string& request) {
        if (Path(request) == "/set") return HttpResponse("200 OK", "Set-Cookie: shared=1; Path=/\r\n", "");
        if (Path(request) == "/set-private") return HttpResponse("200 OK", "Set-Cookie: private=1; Path=/\r\n", "");
        return HttpResponse("200 OK", "", "");
    });
    auto cookieLine = [&](DWORD flags) {
        RequestSpec spec;
        spec.port = server.Port();
        spec.object = "/show";
        spec.flags |= flags;
        Perform(spec);
        const std::string request = server.Requests().back();
        std::size_t at = request.find("\r\nCookie: ");
        return at == std::string::npos ? std::string() : request.substr(at + 2, request.find("\r\n", at + 2) - at - 2);
    };
    RequestSpec set;
    set.port = server.Port();
    set.object = "/set";
    Perform(set);
    // The store is the whole process's: other tests may have left cookies of their own in it.
    EXPECT_NE(cookieLine(0).find("shared=1"), std::string::npos) << "a later request sends what an earlier one stored";
    EXPECT_EQ(cookieLine(INTERNET_FLAG_NO_COOKIES), "") << "NO_COOKIES sends nothing stored";

    set.object = "/set-private";
    set.flags |= INTERNET_FLAG_NO_COOKIES;
    Perform(set);
    const std::string after = cookieLine(0);
    EXPECT_NE(after.find("shared=1"), std::string::npos);
    EXPECT_EQ(after.find("private=1"), std::string::npos) << "NO_COOKIES stores nothing either";
}

// Runs `body` on a thread of its own under a stop token the test controls.
template <class Body>
auto OnStoppableThread(std::stop_source& source, Body body) {
    return std::async(std::launch::async, [token = source.get_token(), body]() mutable {
        ScopedStopToken scope(token);
        return body();
    });
}

TEST(WinInetStop, StopEndsARequestInFlightAtOnce) {
    // Headers and a first piece of the body arrive, then the server goes silent.
    RawListener stalled(
        [](const std::string&) {
            return std::string("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n") + std::string(3000, 'x');
        },
        /*holdOpen=*/true);
    RequestSpec spec;
    spec.port = stalled.Port();
    std::stop_source source;
    std::promise<void> started;
    auto result = OnStoppableThread(source, [&] { return Perform(spec); });
    // Wait until the transfer is well under way.
    auto deadline = Clock::now() + 5s;
    while (stalled.Requests().empty() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(100ms);
    auto stopAt = Clock::now();
    source.request_stop();
    ASSERT_EQ(result.wait_for(2s), std::future_status::ready);
    auto latency = Clock::now() - stopAt;
    Exchange e = result.get();
    EXPECT_FALSE(e.readOk);
    EXPECT_LT(latency, 50ms);
    EXPECT_LE(e.body.size(), 3000u);
}

TEST(WinInetStop, NothingMoreGoesOutOnceTheStopHasReturned) {
    // The answer to the first request is a redirect, held back until after the stop: following it
    // would be a second request by a worker that has already been stopped.
    std::atomic<bool> stopped{false};
    RawListener server([&](const std::string& request) {
        if (Path(request) != "/first") return HttpResponse("200 OK", "", "second");
        auto deadline = Clock::now() + 2s;
        while (!stopped && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        return HttpResponse("302 Found", "Location: /second\r\n", "");
    });
    RequestSpec spec;
    spec.port = server.Port();
    spec.object = "/first";
    std::atomic<bool> finished{false};
    Exchange result;
    {
        WorkerThread worker([&] {
            result = Perform(spec);
            finished = true;
        });
        auto deadline = Clock::now() + 5s;
        while (server.Requests().empty() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        worker.RequestStop();
        stopped = true;
        deadline = Clock::now() + 2s;
        while (!finished && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        EXPECT_TRUE(finished) << "the worker ends without being joined";
    }
    std::this_thread::sleep_for(100ms);  // time for a second request to arrive, were one sent
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_FALSE(result.sent);
    EXPECT_EQ(result.body, "");
}

TEST(WinInetStop, RequestOnAStoppedWorkerNeverConnects) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", "ok"); });
    RequestSpec spec;
    spec.port = server.Port();
    std::stop_source source;
    source.request_stop();
    Exchange e = OnStoppableThread(source, [&] { return Perform(spec); }).get();
    EXPECT_FALSE(e.sent);
    EXPECT_EQ(e.body, "");
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(server.Connections(), 0);
}

class WinInetTls : public ::testing::Test {
protected:
    void TearDown() override { RemoveAddedRootCertificates(); }
    testing::TestCertificates certificates;
};

TEST_F(WinInetTls, SecureRequestsVerifyAgainstTheTrustedStore) {
    ASSERT_TRUE(certificates.Ok());
    RawListener::Tls tls{certificates.ServerCertificateFile(), certificates.ServerKeyFile()};
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", "secret"); }, false, &tls);
    RequestSpec spec;
    spec.host = "localhost";
    spec.port = server.Port();
    spec.flags |= INTERNET_FLAG_SECURE;

    EXPECT_EQ(Perform(spec).body, "") << "an unknown authority is not trusted";
    ASSERT_TRUE(AddTrustedRootCertificates(certificates.AuthorityPem()));
    Exchange e = Perform(spec);
    EXPECT_TRUE(e.sent);
    EXPECT_EQ(e.body, "secret");
    EXPECT_EQ(server.Requests().back().rfind("GET / HTTP/1.1\r\nHost: localhost:", 0), 0u);
    EXPECT_FALSE(AddTrustedRootCertificates("not a certificate"));
}

TEST_F(WinInetTls, RedirectsBetweenSchemesFollowTheFlags) {
    ASSERT_TRUE(certificates.Ok());
    ASSERT_TRUE(AddTrustedRootCertificates(certificates.AuthorityPem()));
    RawListener plain([](const std::string&) { return HttpResponse("200 OK", "", "plain"); });
    RawListener::Tls tls{certificates.ServerCertificateFile(), certificates.ServerKeyFile()};
    RawListener secure([](const std::string&) { return HttpResponse("200 OK", "", "secure"); }, false, &tls);
    const std::string toSecure = "https://localhost:" + std::to_string(secure.Port()) + "/";
    const std::string toPlain = "http://localhost:" + std::to_string(plain.Port()) + "/";
    RawListener redirector([&](const std::string& request) {
        const std::string path = Path(request);
        const std::string to = path == "/up"     ? toSecure
                               : path == "/file" ? "file:///etc/hostname"
                               : path == "/ftp"  ? "ftp://127.0.0.1:" + std::to_string(plain.Port()) + "/"
                                                 : toPlain;
        return HttpResponse("302 Found", "Location: " + to + "\r\n", "moved");
    });
    RawListener::Tls tls2 = tls;
    RawListener secureRedirector(
        [&](const std::string&) { return HttpResponse("302 Found", "Location: " + toPlain + "\r\n", "moved"); }, false,
        &tls2);

    struct Case {
        const char* name;
        int port;
        const char* object;
        DWORD flags;
        bool sent;
        std::string body;
    } cases[] = {
        {"http to https allowed by IGNORE_REDIRECT_TO_HTTPS", redirector.Port(), "/up",
         INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS, true, "secure"},
        {"http to https refused without it", redirector.Port(), "/up", 0, false, ""},
        {"http to http", redirector.Port(), "/across", 0, true, "plain"},
        {"https to http refused", secureRedirector.Port(), "/", INTERNET_FLAG_SECURE, false, ""},
        {"https to http allowed by IGNORE_REDIRECT_TO_HTTP", secureRedirector.Port(), "/",
         INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP, true, "plain"},
        {"never to another protocol (file)", redirector.Port(), "/file", INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS, false, ""},
        {"never to another protocol (ftp)", redirector.Port(), "/ftp", INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestSpec spec;
        spec.host = "localhost";
        spec.port = c.port;
        spec.object = c.object;
        spec.flags = c.flags;
        Exchange e = Perform(spec);
        EXPECT_EQ(e.sent, c.sent);
        EXPECT_EQ(e.body, c.body);
    }
}

TEST(WinInetProxy, SchemeEntriesAndPlainEntries) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", "via"); });
    testing::TestProxy proxy;
    const std::string at = "127.0.0.1:" + std::to_string(proxy.Port());
    const std::string target = "127.0.0.1:" + std::to_string(server.Port());

    RequestSpec spec;
    spec.port = server.Port();
    spec.object = "/x";
    spec.openType = INTERNET_OPEN_TYPE_PROXY;
    spec.proxy = "http=" + at;
    EXPECT_EQ(Perform(spec).body, "via");
    ASSERT_EQ(proxy.RequestLines().size(), 1u);
    EXPECT_EQ(proxy.RequestLines().back(), "GET http://" + target + "/x HTTP/1.1");

    spec.proxy = "https=" + at;  // an entry for another scheme: the http request goes direct
    EXPECT_EQ(Perform(spec).body, "via");
    EXPECT_EQ(proxy.RequestLines().size(), 1u);

    spec.proxy = at;  // one entry for every scheme
    EXPECT_EQ(Perform(spec).body, "via");
    EXPECT_EQ(proxy.RequestLines().size(), 2u);
}

}  // namespace
}  // namespace velloran::platform

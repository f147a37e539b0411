// WebRequest and FetchPageText against servers started on 127.0.0.1 by the tests.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/win_threads/WorkerThread.h"
#include "platform/wininet/CertificateStore.h"
#include "web/HttplibServer.h"
#include "web/TestServers.h"
#include "web/WebRequest.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;
using testing::HttpResponse;
using testing::RawListener;
using Clock = std::chrono::steady_clock;

const Text kAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

std::string Path(const std::string& request) {
    std::size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

// The header lines of a recorded request, without its request line and Host line.
std::string HeadAfterHost(const std::string& request) {
    std::size_t host = request.find("\r\nHost: ");
    std::size_t after = request.find("\r\n", host + 2) + 2;
    return request.substr(after, request.find("\r\n\r\n") + 4 - after);
}

std::string Loopback(const RawListener& server) { return "127.0.0.1:" + std::to_string(server.Port()); }

ByteSet Bytes(const std::string& s) { return ByteSet(s.begin(), s.end()); }

TEST(FetchPageText, SendsTheFixedRequestForEveryUrlForm) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", "page"); });
    const std::string port = std::to_string(server.Port());
    struct Case {
        Text url, requestLine, hostLine;
    } cases[] = {
        {"http://127.0.0.1:" + port + "/a/b?c=1", "GET /a/b?c=1 HTTP/1.1", "Host: 127.0.0.1:" + port},
        // No scheme: http; the host is lower-cased, the path keeps its letter case.
        {"LocalHost:" + port + "/Path?b=1", "GET /Path?b=1 HTTP/1.1", "Host: localhost:" + port},
        {"http://127.0.0.1:" + port, "GET / HTTP/1.1", "Host: 127.0.0.1:" + port},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(FetchPageText(c.url), "page");
        EXPECT_EQ(server.Requests().back(), c.requestLine + "\r\n" + c.hostLine + "\r\n" + kAgentLine +
                                                 "Accept: */*\r\nReferer: " + c.url +
                                                 "\r\nAccept-Language: zh-cn\r\n"
                                                 "Content-Type: application/x-www-form-urlencoded\r\n\r\n");
    }
}

TEST(WebRequestHeaders, DefaultLinesAndUserAgentChoice) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", ""); });
    const Text url = "http://" + Loopback(server) + "/";
    const Text tail = "\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
    struct Case {
        Text headers;    // the caller's extra lines
        Text block;      // the block sent and written back
        Text agentLine;  // the agent's own line, empty where the block carries a User-Agent line
    } cases[] = {
        {"", "Accept: */*" + tail, kAgentLine},
        {"Accept: text/html", "Accept: text/html" + tail, kAgentLine},
        {"X-Accept: 1", "X-Accept: 1" + tail, kAgentLine},  // "Accept:" is looked for anywhere
        {"User-Agent: Probe/1.0", "User-Agent: Probe/1.0\r\nAccept: */*" + tail, ""},
        {"User-Agent: Probe/1.0\r\nX-B: 2", "User-Agent: Probe/1.0\r\nX-B: 2\r\nAccept: */*" + tail, ""},
        {"user-agent: probe\r\nX-A: 1", "user-agent: probe\r\nX-A: 1\r\nAccept: */*" + tail, ""},
        // Named inside another line, the agent comes from the extraction or the colon fallback.
        {"X-Via: User-Agent: Probe/2.0\r\nX-B: 2", "X-Via: User-Agent: Probe/2.0\r\nX-B: 2\r\nAccept: */*" + tail,
         "User-Agent: Probe/2.0\r\n"},
        {"X-Via: User-Agent: Probe/3.0", "X-Via: User-Agent: Probe/3.0\r\nAccept: */*" + tail,
         "User-Agent: User-Agent: Probe/3.0\r\n"},
        // The exact-case extraction fails: everything after the first colon is the agent, and only
        // its first line can reach the wire.
        {"X-Via: user-agent: probe\r\nX-A: 1", "X-Via: user-agent: probe\r\nX-A: 1\r\nAccept: */*" + tail,
         "User-Agent: user-agent: probe\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        Text headers = c.headers;
        WebRequest(url, {.headers = &headers});
        EXPECT_EQ(headers, c.block);
        EXPECT_EQ(HeadAfterHost(server.Requests().back()), c.agentLine + c.block + "\r\n\r\n");
    }
}

TEST(WebRequestCookies, HarvestMendsTheNameSpelling) {
    RawListener server([](const std::string& request) {
        if (Path(request) == "/none") return HttpResponse("200 OK", "X-A: 1\r\n", "none");
        return HttpResponse("200 OK", "Set-Cookie: a=1; path=/\r\nset-cookie: b=2\r\nSET-COOKIE: c=3; HttpOnly\r\n", "set");
    });
    Text responseCookies = "old", rawHeaders = "old";
    ByteSet body = WebRequest("http://" + Loopback(server) + "/set",
                              {.responseCookies = &responseCookies, .rawHeaders = &rawHeaders});
    EXPECT_EQ(body, Bytes("set"));
    EXPECT_EQ(responseCookies, "a=1; b=2; c=3");
    EXPECT_EQ(rawHeaders,
              "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nSet-Cookie: c=3; HttpOnly\r\n"
              "Content-Length: 3\r\nConnection: close\r\n");

    WebRequest("http://" + Loopback(server) + "/none", {.responseCookies = &responseCookies});
    EXPECT_EQ(responseCookies, "");
}

TEST(WebRequestCookies, SharedStoreWithoutCookiesAndTheCallersStringWithThem) {
    RawListener server([](const std::string& request) {
        if (Path(request) == "/store") return HttpResponse("200 OK", "Set-Cookie: stored=1; Path=/\r\n", "");
        if (Path(request) == "/login") return HttpResponse("200 OK", "Set-Cookie: sid=2; Path=/\r\n", "");
        return HttpResponse("200 OK", "", "");
    });
    const Text base = "http://" + Loopback(server);
    FetchPageText(base + "/store");
    FetchPageText(base + "/show");
    EXPECT_NE(server.Requests().back().find("\r\nCookie: stored=1"), std::string::npos)
        << "page fetches share the transport's cookies";

    Text cookies = "sid=1; lang=en";
    Text responseCookies;
    WebRequest(base + "/login", {.cookies = &cookies, .responseCookies = &responseCookies});
    const std::string request = server.Requests().back();
    EXPECT_NE(request.find("\r\nCookie: sid=1; lang=en\r\n"), std::string::npos) << request;
    EXPECT_EQ(request.find("stored=1"), std::string::npos) << "the caller's string replaces the shared store";
    EXPECT_EQ(cookies, "sid=2; lang=en");
    EXPECT_EQ(responseCookies, "sid=2");

    FetchPageText(base + "/show");
    EXPECT_EQ(server.Requests().back().find("sid=2"), std::string::npos) << "nor does the response reach the store";

    // Given but empty: still no shared cookies, and no Cookie line of its own.
    Text none;
    WebRequest(base + "/show", {.cookies = &none});
    EXPECT_EQ(server.Requests().back().find("Cookie"), std::string::npos);
}

TEST(WebRequestResponse, StatusRedirectsAndBodies) {
    const std::string withZero("be\0fore", 7);
    RawListener server([&](const std::string& request) {
        std::string path = Path(request);
        if (path == "/from") return HttpResponse("302 Found", "Location: /via\r\n", "moved");
        if (path == "/via") return HttpResponse("301 Moved Permanently", "Location: /to\r\n", "moved again");
        if (path == "/to") return HttpResponse("200 OK", "", "arrived");
        if (path == "/zero") return HttpResponse("200 OK", "", withZero);
        return HttpResponse("404 Not Found", "Content-Type: text/html\r\n", "<html>missing</html>");
    });
    const Text base = "http://" + Loopback(server);
    EXPECT_EQ(FetchPageText(base + "/from"), "arrived");
    EXPECT_EQ(FetchPageText(base + "/missing"), "<html>missing</html>");

    Text rawHeaders;
    EXPECT_EQ(WebRequest(base + "/from", {.rawHeaders = &rawHeaders, .noRedirect = true}), Bytes("moved"));
    EXPECT_EQ(rawHeaders.rfind("HTTP/1.1 302 Found\r\nLocation: /via\r\n", 0), 0u) << rawHeaders;

    EXPECT_EQ(WebRequest(base + "/zero"), Bytes(withZero));
    EXPECT_EQ(FetchPageText(base + "/zero"), "be");
}

TEST(WebRequestResponse, ChunkedBodyOfManyPiecesArrivesWhole) {
    // Uneven chunk sizes, so that chunk and read boundaries never line up.
    std::string page;
    for (int i = 0; page.size() < 300000; ++i) page += std::string(1 + (i * 37) % 3001, static_cast<char>('a' + i % 26));
    testing::HttplibServer server([&](httplib::Server& s) {
        s.Get("/big", [&](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [&](std::size_t offset, httplib::DataSink& sink) {
                std::size_t n = std::min<std::size_t>(page.size() - offset, 777 + offset % 5000);
                sink.write(page.data() + offset, n);
                if (offset + n == page.size()) sink.done();
                return true;
            });
        });
    });
    EXPECT_EQ(FetchPageText("http://127.0.0.1:" + std::to_string(server.Port()) + "/big"), page);
}

TEST(WebRequestResponse, HeadersOverTheBufferAreDroppedButTheBodyStays) {
    RawListener server([](const std::string&) {
        return HttpResponse("200 OK", "Set-Cookie: big=1\r\nX-Pad: " + std::string(6000, 'p') + "\r\n", "body");
    });
    Text rawHeaders, responseCookies = "old";
    ByteSet body = WebRequest("http://" + Loopback(server) + "/",
                              {.responseCookies = &responseCookies, .rawHeaders = &rawHeaders});
    EXPECT_EQ(body, Bytes("body"));
    EXPECT_EQ(rawHeaders, Text(5000, ' '));
    EXPECT_EQ(responseCookies, "");
}

TEST(WebRequestFailure, NoResponseAndFailedOpens) {
    const Text refused = "http://127.0.0.1:" + std::to_string(testing::UnusedPort()) + "/";
    Text rawHeaders, responseCookies = "old", headers, cookies = "a=1 ; b=2";
    EXPECT_EQ(WebRequest(refused, {.cookies = &cookies, .responseCookies = &responseCookies, .headers = &headers,
                                   .rawHeaders = &rawHeaders}),
              ByteSet{});
    EXPECT_EQ(rawHeaders, Text(5000, ' '));
    EXPECT_EQ(responseCookies, "");
    EXPECT_EQ(cookies, "a=1; b=2") << "the merge runs even without a response";
    EXPECT_EQ(headers.rfind("Accept: */*\r\nReferer: ", 0), 0u);
    EXPECT_EQ(FetchPageText(refused), "");

    // An open that fails (no host; a port beyond 65535, which must not wrap around to another
    // port) ends the call before any output is touched.
    for (const Text& url : {Text(""), Text("http://127.0.0.1:65616/")}) {
        SCOPED_TRACE(url);
        Text h = "X: 1", raw = "keep", rc = "keep", c = "k=v";
        ByteSet bytes = Bytes("keep");
        EXPECT_EQ(WebRequest(url, {.method = 1, .bodyText = "t", .cookies = &c, .responseCookies = &rc,
                                   .headers = &h, .rawHeaders = &raw, .bodyBytes = &bytes}),
                  ByteSet{});
        EXPECT_EQ(h, "X: 1");
        EXPECT_EQ(raw, "keep");
        EXPECT_EQ(rc, "keep");
        EXPECT_EQ(c, "k=v");
        EXPECT_EQ(bytes, Bytes("keep"));
    }
}

TEST(WebRequestBody, MethodAndBodyChoice) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", ""); });
    const Text url = "http://" + Loopback(server) + "/post";
    struct Case {
        std::int32_t method;
        Text bodyText;
        ByteSet bodyBytes, bodyBytesAfter;
        std::string requestLine, sentBody;
    } cases[] = {
        {1, "a=1&b=2", {}, Bytes("a=1&b=2"), "POST /post HTTP/1.1", "a=1&b=2"},
        {1, "ignored", Bytes(std::string("x\0y", 3)), Bytes(std::string("x\0y", 3)), "POST /post HTTP/1.1",
         std::string("x\0y", 3)},
        {1, "", {}, {}, "POST /post HTTP/1.1", ""},
        {0, "a=1", {}, {}, "GET /post HTTP/1.1", ""},  // a GET sends no body at all
        {2, "q", {}, Bytes("q"), "GET /post HTTP/1.1", "q"},  // any other method: GET with the body
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requestLine + " " + c.bodyText);
        ByteSet bodyBytes = c.bodyBytes;
        WebRequest(url, {.method = c.method, .bodyText = c.bodyText, .bodyBytes = &bodyBytes});
        EXPECT_EQ(bodyBytes, c.bodyBytesAfter);
        const std::string request = server.Requests().back();
        EXPECT_EQ(request.substr(0, request.find("\r\n")), c.requestLine);
        EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), c.sentBody);
        bool hasLength = request.find("\r\nContent-Length: " + std::to_string(c.sentBody.size()) + "\r\n") != std::string::npos;
        EXPECT_EQ(hasLength, c.method != 0) << request;
    }
}

// Runs `body` on a thread of its own under a stop token the test controls.
template <class Body>
auto OnStoppableThread(std::stop_source& source, Body body) {
    return std::async(std::launch::async, [token = source.get_token(), body]() mutable {
        platform::ScopedStopToken scope(token);
        return body();
    });
}

TEST(WebRequestStop, StalledServersGiveWayToTheStopAtOnce) {
    struct Case {
        const char* name;
        std::string answer;
    } cases[] = {
        {"accepts and never answers", ""},
        {"stalls in the middle of the body",
         "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(5000, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawListener stalled([&](const std::string&) { return c.answer; }, /*holdOpen=*/true);
        std::stop_source source;
        auto page = OnStoppableThread(source, [url = "http://" + Loopback(stalled) + "/"] { return FetchPageText(url); });
        auto deadline = Clock::now() + 5s;
        while (stalled.Requests().empty() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(50ms);
        auto stopAt = Clock::now();
        source.request_stop();
        ASSERT_EQ(page.wait_for(2s), std::future_status::ready);
        EXPECT_LT(Clock::now() - stopAt, 50ms);
        EXPECT_EQ(page.get(), "") << "a stopped fetch yields nothing, not even what arrived";
        EXPECT_EQ(stalled.Requests().size(), 1u);
    }
}

class WebRequestTls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(certificates.Ok());
        ASSERT_TRUE(platform::AddTrustedRootCertificates(certificates.AuthorityPem()));
        tls = {certificates.ServerCertificateFile(), certificates.ServerKeyFile()};
    }
    void TearDown() override { platform::RemoveAddedRootCertificates(); }
    testing::TestCertificates certificates;
    RawListener::Tls tls;
};

TEST_F(WebRequestTls, HttpsFetchSendsTheFixedRequest) {
    RawListener server([](const std::string&) { return HttpResponse("200 OK", "", "secure page"); }, false, &tls);
    const Text url = "HTTPS://LocalHost:" + std::to_string(server.Port()) + "/Secure?x=1";
    EXPECT_EQ(FetchPageText(url), "secure page");
    EXPECT_EQ(server.Requests().back(), "GET /Secure?x=1 HTTP/1.1\r\nHost: localhost:" + std::to_string(server.Port()) +
                                            "\r\n" + kAgentLine + "Accept: */*\r\nReferer: " + url +
                                            "\r\nAccept-Language: zh-cn\r\n"
                                            "Content-Type: application/x-www-form-urlencoded\r\n\r\n");
}

TEST_F(WebRequestTls, ProxyFormsForHttpAndHttps) {
    RawListener plain([](const std::string&) { return HttpResponse("200 OK", "", "plain via proxy"); });
    RawListener secure([](const std::string&) { return HttpResponse("200 OK", "", "secure via proxy"); }, false, &tls);
    testing::TestProxy proxy;
    const Text proxyAt = "127.0.0.1:" + std::to_string(proxy.Port());

    EXPECT_EQ(WebRequest("http://" + Loopback(plain) + "/x", {.proxy = proxyAt}), Bytes("plain via proxy"));
    EXPECT_EQ(WebRequest("https://" + Loopback(secure) + "/y", {.proxy = proxyAt}), Bytes("secure via proxy"));
    std::vector<std::string> expected = {"GET http://" + Loopback(plain) + "/x HTTP/1.1",
                                         "CONNECT " + Loopback(secure) + " HTTP/1.1"};
    EXPECT_EQ(proxy.RequestLines(), expected);
    EXPECT_EQ(secure.Requests().back().rfind("GET /y HTTP/1.1\r\n", 0), 0u);
}

}  // namespace
}  // namespace velloran

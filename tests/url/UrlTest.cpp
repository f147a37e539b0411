// URL decomposition by text search: the odd results for odd URLs are what the connection code
// receives, so they are pinned down here exactly.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "web/Url.h"

namespace velloran {
namespace {

TEST(Url, HostPortAndPathOfEachShape) {
    struct Case { Text url, host, hostWithPort; std::int32_t port; Text path; };
    const std::vector<Case> cases = {
        {"http://news.example.com/a/b?c=1", "news.example.com", "news.example.com", 80, "/a/b?c=1"},
        {"HTTPS://Shop.Example.com:8443/Cart", "shop.example.com", "shop.example.com:8443", 8443, "/Cart"},
        {"example.com", "example.com", "example.com", 80, "/"},
        {"https://example.com", "example.com", "example.com", 443, "/"},
        {"Example.COM/a?b=1", "example.com", "example.com", 80, "/a?b=1"},
        {"http://example.com:/x", "example.com", "example.com:", 0, "/x"},
        {"example.com/r?u=http://other.example/x", "other.example", "other.example", 80, "/x"},
        {"http://example.com?q=/a", "example.com?q=", "example.com?q=", 80, "/a"},
        {"https://example.com:8443?q=1", "example.com", "example.com:8443?q=1", 8443, "/"},
        {"", "", "", 80, "/"},
        {"http://127.0.0.1:8080/", "127.0.0.1", "127.0.0.1:8080", 8080, "/"},
        {"https://example.com/", "example.com", "example.com", 443, "/"},
        {"HTTP://Example.com/Path/To?Q=A", "example.com", "example.com", 80, "/Path/To?Q=A"},
        {"http://h:99999999999/", "h", "h:99999999999", 2147483647, "/"},  // port saturates
        // A host that also occurs inside the scheme is looked for after the scheme.
        {"http://h/x", "h", "h", 80, "/x"},
        {"HTTPS://S:1/x", "s", "s:1", 1, "/x"},
        {"http://tp/a", "tp", "tp", 80, "/a"},
        {"http:///x", "", "", 80, "/x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.url + "'");
        EXPECT_EQ(UrlHost(c.url), c.host);
        EXPECT_EQ(UrlHost(c.url, std::nullopt, true), c.hostWithPort);
        EXPECT_EQ(UrlHost(c.url, false, false), c.host);  // passing the defaults equals leaving them out
        EXPECT_EQ(UrlPort(c.url), c.port);
        EXPECT_EQ(UrlPath(c.url), c.path);
    }
}

TEST(Url, DomainOnlyKeepsLastTwoLabels) {
    struct Case { Text url; bool keepPort; Text host; };
    const std::vector<Case> cases = {
        {"http://news.example.com:8080/x", false, "example.com"},
        {"http://news.example.com:8080/x", true, "example.com:8080"},
        {"localhost:81", false, "localhost"},
        {"localhost:81", true, "localhost:81"},
        {"http://a.b.c.example.org/", false, "example.org"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.url + "'");
        EXPECT_EQ(UrlHost(c.url, true, c.keepPort), c.host);
    }
}

TEST(Url, LevelModeWalksBackThroughDots) {
    struct Case { Text url; std::int32_t levels; Text domainOnly, withSubdomain; };
    const std::vector<Case> cases = {
        {"http://a.b.example.com/x", 0, "com", "example.com"},
        {"http://a.b.example.com/x", 1, "example.com", "b.example.com"},
        {"http://a.b.example.com/x", 2, "b.example.com", "a.b.example.com"},
        {"http://a.b.example.com/x", 3, "a.b.example.com", "a.b.example.com"},
        {"http://a.b.example.com/x", -1, "com", "example.com"},  // no step for a negative count
        {"http://a.b.example.com/x", 2147483647, "a.b.example.com", "a.b.example.com"},
        {"HTTPS://WWW.Example.COM:81/x", 0, "com", "example.com"},
        {"localhost/x", 1, "localhost", "localhost"},
        {"", 1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.url + "' levels " + std::to_string(c.levels));
        EXPECT_EQ(UrlHost(c.url, true, std::nullopt, c.levels), c.domainOnly);
        EXPECT_EQ(UrlHost(c.url, std::nullopt, std::nullopt, c.levels), c.withSubdomain);
    }
    // The port rule still applies in level mode.
    EXPECT_EQ(UrlHost("https://www.example.com:81/x", false, true, 0), "example.com:81");
    // The level mode is chosen by giving the count, even a count of 0: it differs from the default.
    EXPECT_EQ(UrlHost("http://a.b.example.com/x", true), "example.com");
    EXPECT_EQ(UrlHost("http://a.b.example.com/x", true, std::nullopt, 0), "com");
}

}  // namespace
}  // namespace velloran

// Links from downloaded pages reach the browser only as http or https addresses.

#include <gtest/gtest.h>

#include "ui/BrowserLink.h"
#include "ui/QtControls.h"

namespace velloran {
namespace {

TEST(BrowserLinkTest, WebLinksPassAndALinkWithoutSchemeIsHttp) {
    const struct {
        Text link;
        const char* url;
    } cases[] = {
        {"http://hongbao.weibo.com/h5/aj?id=1", "http://hongbao.weibo.com/h5/aj?id=1"},
        {"https://example.com", "https://example.com"},
        {"HTTPS://Example.com/A", "https://example.com/A"},
        {"www.example.com/p?q=1", "http://www.example.com/p?q=1"},
        {"example.com:8080/x", "http://example.com:8080/x"},
        {"localhost:8080", "http://localhost:8080"},
        {"//example.com/x", "http://example.com/x"},
        {"  http://example.com/\t", "http://example.com/"},
        {"http://127.0.0.1:5000/entry", "http://127.0.0.1:5000/entry"},
    };
    for (const auto& c : cases) {
        const auto url = BrowserUrlFor(c.link);
        ASSERT_TRUE(url.has_value()) << c.link;
        EXPECT_EQ(url->toString(), QString::fromUtf8(c.url)) << c.link;
    }
}

// A page must never make us open a local file, run a script or start a program.
TEST(BrowserLinkTest, EverythingElseIsRefused) {
    const Text refused[] = {
        "",
        "   ",
        "file:///etc/passwd",
        "FILE:/etc/passwd",
        "file://host/share/x.exe",
        "javascript:alert(1)",
        " JavaScript:alert(1)",
        "data:text/html,<script>alert(1)</script>",
        "mailto:someone@example.com",
        "ftp://example.com/x",
        "smb://host/share",
        "vbscript:msgbox",
        "C:\\Windows\\System32\\calc.exe",
        "/usr/bin/xterm",
        "../../etc/passwd",
        "http://",
        "https:///path-only",
        "http://exa mple.com/",
        "http://example.com/\x01",
    };
    for (const Text& link : refused) {
        EXPECT_FALSE(BrowserUrlFor(link).has_value()) << link;
    }
}

TEST(BrowserLinkTest, OpenInBrowserHandsOverOnlyAcceptedLinks) {
    std::vector<QUrl> opened;
    QtDesktopServices services([&](const QUrl& url) { opened.push_back(url); });
    services.OpenInBrowser("");  // the empty link arrives and does nothing
    services.OpenInBrowser("file:///etc/passwd");
    services.OpenInBrowser("javascript:alert(1)");
    services.OpenInBrowser("gopher://example.com/");
    EXPECT_TRUE(opened.empty());
    services.OpenInBrowser("example.com/a");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://example.com/a")));
}

}  // namespace
}  // namespace velloran

#include "demo/DemoSite.h"

#include <httplib.h>

#include <array>
#include <thread>

#include "monitor/CategoryTable.h"

namespace velloran {
namespace {

// Words that make up the entry names (UTF-8).
constexpr std::array<const char*, 16> kNameWords = {
    "春风", "锦鲤", "福星", "明月", "好运", "金羊", "鸿雁", "青山",
    "花开", "瑞雪", "吉祥", "如意", "晴天", "星河", "平安", "长乐",
};
// One word per category, in table order (UTF-8).
constexpr std::array<const char*, kCategoryCount> kCategoryWords = {
    "大咖", "品牌", "优选", "企业", "区域", "媒体", "伙伴", "鸿运",
};

std::string IndexPage(const std::string& host) {
    std::string page = "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><title>红包活动</title></head>\n<body>\n";
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        page += "<p><a href=\"http://" + host + std::string(CategoryTable[k].pagePath) + "\">" +
                kCategoryWords[static_cast<std::size_t>(k)] + "</a></p>\n";
    }
    return page + "</body>\n</html>\n";
}

}  // namespace

std::vector<DemoEntry> DemoEntries(std::int32_t index) {
    std::vector<DemoEntry> entries;
    if (index < 0 || index >= kCategoryCount) return entries;
    const std::int32_t count = 8 + index;
    for (std::int32_t n = 0; n < count; ++n) {
        DemoEntry entry;
        entry.name = std::string(kNameWords[static_cast<std::size_t>((index * 3 + n) % 16)]) +
                     kCategoryWords[static_cast<std::size_t>(index)] + "红包";
        entry.path = "/hongbao/detail/" + std::to_string(index) + "-" + std::to_string(n + 1);
        entry.packets = 20 + 7 * n;
        // Every fifth entry is all taken from the start; the others run out one after another
        // over the first minutes, so a watched check pass sees statuses turn.
        entry.runsOutAfter = (n % 5 == 0) ? std::chrono::seconds(0) : std::chrono::seconds(25 * n + 15 * index);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string DemoCategoryPage(std::int32_t index, const std::string& host) {
    const bool brand = index == kBrandCategoryIndex;
    std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    if (index >= 0 && index < kCategoryCount) page += kCategoryWords[static_cast<std::size_t>(index)];
    page += "红包专场</title>\n</head>\n<body>\n<ul class=\"list\">\n";
    std::int32_t n = 0;
    for (const DemoEntry& entry : DemoEntries(index)) {
        ++n;
        const std::string link = "http://" + host + entry.path;
        const std::string image = "http://" + host + "/img/" + std::to_string(index) + "-" + std::to_string(n) + ".png";
        page += "\t\t\t\t<li>\n\t\t\t\t\t";
        if (brand) {
            // Five tabs before the name paragraph in this markup.
            page += "<a  target=\"_blank\" href=\"" + link + "\" class=\"bonus_img\"><img src=\"" + image +
                    "\" class=\"brand_pic\"></a>\n\t\t\t\t\t";
        } else {
            // Six tabs before the name paragraph.
            page += "<a  target=\"_blank\" href=\"" + link + "\"><img src=\"" + image +
                    "\" class=\"face\"></a>\n\t\t\t\t\t\t";
        }
        page += "<p class=\"name\">" + entry.name + "<em class=\"count\">" + std::to_string(entry.packets) +
                "</em></p>\n\t\t\t\t</li>\n";
    }
    return page + "</ul>\n</body>\n</html>\n";
}

std::string DemoEntryPage(const DemoEntry& entry, std::chrono::steady_clock::duration elapsed) {
    std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + entry.name +
                       "</title>\n</head>\n<body>\n<h1>" + entry.name + "</h1>\n";
    if (elapsed >= entry.runsOutAfter) {
        page += "<p class=\"state\">红包已抢完</p>\n";
    } else {
        const double left = 1.0 - std::chrono::duration<double>(elapsed) / entry.runsOutAfter;
        const auto remaining = std::max<std::int32_t>(1, static_cast<std::int32_t>(entry.packets * left + 0.5));
        page += "<p class=\"state\">还剩 " + std::to_string(remaining) + " 个红包，快来抢！</p>\n";
    }
    return page + "</body>\n</html>\n";
}

struct DemoSite::Server {
    httplib::Server http;
    std::thread listener;
    std::int32_t port = -1;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

DemoSite::DemoSite() : server_(std::make_unique<Server>()) {}

DemoSite::~DemoSite() {
    server_->http.stop();
    if (server_->listener.joinable()) server_->listener.join();
}

bool DemoSite::Start() {
    Server& server = *server_;
    if (server.port > 0) return true;
    // An idle kept-alive connection holds up stop() for this long at most: keep the exit quick.
    server.http.set_keep_alive_timeout(1);
    const int port = server.http.bind_to_any_port("127.0.0.1");
    if (port <= 0) return false;
    server.port = port;
    server.started = std::chrono::steady_clock::now();
    const std::string host = Host();

    server.http.Get("/", [host](const httplib::Request&, httplib::Response& response) {
        response.set_content(IndexPage(host), "text/html; charset=utf-8");
    });
    for (std::int32_t k = 0; k < kCategoryCount; ++k) {
        const std::string page = DemoCategoryPage(k, host);
        server.http.Get(std::string(CategoryTable[k].pagePath), [page](const httplib::Request&, httplib::Response& response) {
            response.set_content(page, "text/html; charset=utf-8");
        });
        for (const DemoEntry& entry : DemoEntries(k)) {
            server.http.Get(entry.path, [entry, &server](const httplib::Request&, httplib::Response& response) {
                response.set_content(DemoEntryPage(entry, std::chrono::steady_clock::now() - server.started),
                                     "text/html; charset=utf-8");
            });
        }
    }
    server.listener = std::thread([&server] { server.http.listen_after_bind(); });
    // Stopping works only once the accept loop runs; wait for it, boundedly.
    for (int i = 0; i < 2000 && !server.http.is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::int32_t DemoSite::Port() const noexcept { return server_->port; }

std::string DemoSite::Host() const { return "127.0.0.1:" + std::to_string(server_->port); }

}  // namespace velloran

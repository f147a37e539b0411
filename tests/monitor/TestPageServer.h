#pragma once
// A page server on 127.0.0.1 for one test: serves the pages it is given, counts requests, and can
// hold requests back (a stalled server) until released. Every hold is bounded in time.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace velloran::testing {

class TestPageServer {
public:
    TestPageServer() {
        // One request per connection: an idle kept-alive connection would hold up stop() for the
        // whole keep-alive timeout.
        server_.set_keep_alive_max_count(1);
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) { Serve(request, response); });
        port_ = server_.bind_to_any_port("127.0.0.1");
        listener_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 2000 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~TestPageServer() {
        ReleaseAll();
        server_.stop();
        if (listener_.joinable()) listener_.join();
    }
    TestPageServer(const TestPageServer&) = delete;
    TestPageServer& operator=(const TestPageServer&) = delete;

    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Url(const std::string& path) const { return "http://" + Host() + path; }

    void SetPage(const std::string& path, std::string body) {
        std::lock_guard lock(mutex_);
        pages_[path] = std::move(body);
    }
    // Requests for `path` wait until ReleaseAll() (at most 20 s), then get the page as set then.
    void Stall(const std::string& path) {
        std::lock_guard lock(mutex_);
        stalled_.insert(path);
    }
    void ReleaseAll() {
        {
            std::lock_guard lock(mutex_);
            stalled_.clear();
        }
        changed_.notify_all();
    }
    int Requests(const std::string& path) {
        std::lock_guard lock(mutex_);
        return requests_[path];
    }
    int TotalRequests() {
        std::lock_guard lock(mutex_);
        int total = 0;
        for (const auto& [path, count] : requests_) total += count;
        return total;
    }
    int Waiting() {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    void Serve(const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(mutex_);
        ++requests_[request.path];
        ++waiting_;
        changed_.wait_for(lock, std::chrono::seconds(20), [&] { return stalled_.count(request.path) == 0; });
        --waiting_;
        const auto page = pages_.find(request.path);
        if (page == pages_.end()) {
            response.status = 404;
            return;
        }
        response.set_content(page->second, "text/html; charset=utf-8");
    }

    httplib::Server server_;
    int port_ = -1;
    std::thread listener_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::string> pages_;
    std::set<std::string> stalled_;
    std::map<std::string, int> requests_;
    int waiting_ = 0;
};

}  // namespace velloran::testing

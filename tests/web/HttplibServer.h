#pragma once
// A cpp-httplib server on 127.0.0.1 and a free port, running on a thread of its own from
// construction to destruction.

#include <httplib.h>

#include <chrono>
#include <thread>

namespace velloran::testing {

class HttplibServer {
public:
    // `setUp` registers the handlers before the server starts.
    template <class SetUp>
    explicit HttplibServer(SetUp setUp) {
        setUp(server_);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!server_.is_running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~HttplibServer() {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }
    HttplibServer(const HttplibServer&) = delete;
    HttplibServer& operator=(const HttplibServer&) = delete;

    int Port() const { return port_; }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace velloran::testing
